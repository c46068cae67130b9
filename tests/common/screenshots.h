#pragma once
// Shared by the programs that take pictures of the windows (tools/screenshot.sh).
#include <QEventLoop>
#include <QPixmap>
#include <QString>
#include <QTimer>

// Lets the event loop run for `ms`, so windows are shown and painted.
inline void settle(int ms = 300)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

inline bool save(const QPixmap &picture, const QString &path)
{
    const bool ok = picture.save(path);
    qInfo("%s %s", ok ? "saved" : "could not save", qPrintable(path));
    return ok;
}

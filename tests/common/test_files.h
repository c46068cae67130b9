#pragma once
// Small file helpers shared by the tests that write and read real files.
#include <QByteArray>
#include <QFile>
#include <QString>

// The whole file, or a marker that no real file content equals.
inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool putBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

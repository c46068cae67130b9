#pragma once
// What the window benchmarks share: the real main window shown offscreen, a
// tree of 100,000 files on disk and the UI thread's longest stall while work
// runs.
#include "main_window/main_window.h"
#include "tests/common/desktop_fakes.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace bench {

// The real main window, shown, answering its dialogs through fakes.
struct ShownWindow {
    ShownWindow()
    {
        window.show();
        QCoreApplication::processEvents();
    }
    DesktopFakes desktop;
    AuxWindows aux{desktop.services()};
    MainWindow window{desktop.messages, desktop.dialog, desktop.drives, desktop.keys, aux, desktop.disk, desktop.repairs};
};

constexpr int kFolders = 100;
constexpr int kFilesEach = 1000;

// 100 folders of 1,000 empty MP3 files each, made once.
inline const QString &tree()
{
    static QTemporaryDir dir;
    static const QString root = [] {
        const QString r = dir.filePath(QStringLiteral("tree"));
        for (int d = 0; d < kFolders; ++d) {
            const QString folder = QStringLiteral("%1/album %2").arg(r).arg(d);
            QDir().mkpath(folder);
            for (int i = 0; i < kFilesEach; ++i) {
                QFile f(QStringLiteral("%1/track %2.mp3").arg(folder).arg(i));
                if (!f.open(QIODevice::WriteOnly))
                    qFatal("cannot write %s", qPrintable(f.fileName()));
            }
        }
        return r;
    }();
    return root;
}

// An extended M3U of 100,000 entries (#EXTINF with a title, then the path), made once.
inline const QString &extendedPlaylist()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("extended.m3u"));
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(p));
        f.write("#EXTM3U\n");
        for (int i = 0; i < 100000; ++i)
            f.write(QStringLiteral("#EXTINF:%1,Artist %2 - Title %3\n/music/album %2/track %3.mp3\n")
                        .arg(120 + i % 200).arg(i / 12).arg(i).toUtf8());
        return p;
    }();
    return path;
}

// The longest time between two turns of the event loop while `work` runs
// and until `done` holds, in milliseconds.
inline double longestStallMs(const std::function<void()> &work, const std::function<bool()> &done)
{
    QElapsedTimer sinceTurn;
    qint64 longest = 0;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTurn.nsecsElapsed());
        sinceTurn.restart();
    });
    probe.start();
    sinceTurn.start();
    QCoreApplication::processEvents();
    // The work starts from the loop, as a drop or a click would.
    QTimer::singleShot(0, work);
    QElapsedTimer total;
    total.start();
    do {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    } while ((!done() || total.elapsed() < 50) && total.elapsed() < 60000);
    longest = std::max(longest, sinceTurn.nsecsElapsed());
    return double(longest) / 1e6;
}

} // namespace bench

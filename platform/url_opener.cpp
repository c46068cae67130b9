#include "platform/url_opener.h"

#include <QDesktopServices>

#ifdef Q_OS_WIN
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

namespace {
bool openThroughShortcutFile(const QUrl &url)
{
    const QString path =
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QStringLiteral("/Temp.url"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(internetShortcutText(url.toString())) < 0)
        return false;
    file.close();

    auto *opener = new QProcess(QCoreApplication::instance());
    opener->setProgram(QStringLiteral("rundll32.exe"));
    opener->setNativeArguments(QStringLiteral("shdocvw.dll,OpenURL ") + path);
    // The opener reads the file after it starts: remove it only once it is done.
    QObject::connect(opener, &QProcess::finished, opener, [opener, path] {
        QFile::remove(path);
        opener->deleteLater();
    });
    QObject::connect(opener, &QProcess::errorOccurred, opener, [opener, path](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            QFile::remove(path);
            opener->deleteLater();
        }
    });
    opener->start();
    return true;
}
} // namespace
#endif

bool DesktopUrlOpener::open(const QUrl &url)
{
#ifdef Q_OS_WIN
    if (!url.isLocalFile())
        return openThroughShortcutFile(url);
#endif
    return QDesktopServices::openUrl(url);
}

QByteArray internetShortcutText(const QString &url)
{
    return QByteArrayLiteral("[InternetShortcut]\r\nURL=") + url.toLocal8Bit() + QByteArrayLiteral("\r\n");
}

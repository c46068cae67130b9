#pragma once
#include <QByteArray>
#include <QUrl>

// Hands a URL (web page, mailto: address or local file) to the desktop, which
// opens it in the program the user chose for it. Does not wait.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // False when no handler could be started.
    virtual bool open(const QUrl &url) = 0;
};

// Local files and, off Windows, every URL go to QDesktopServices. On Windows a
// web or mail link is written to "Temp.url" in the program's folder and opened
// with "rundll32.exe shdocvw.dll,OpenURL", which is what the desktop's own
// shortcut handling does; the file is removed once the opener has finished.
class DesktopUrlOpener : public UrlOpener {
public:
    bool open(const QUrl &url) override;
};

// Contents of an internet shortcut file for `url`: two CR LF terminated lines.
QByteArray internetShortcutText(const QString &url);

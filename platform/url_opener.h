#pragma once
#include <QUrl>

// Hands a URL (web page, mailto: address or local file) to the desktop, which
// opens it in the program the user chose for it. Does not wait.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // False when no handler could be started.
    virtual bool open(const QUrl &url) = 0;
};

class DesktopUrlOpener : public UrlOpener {
public:
    bool open(const QUrl &url) override;
};

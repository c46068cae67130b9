#pragma once
#include "platform/url_opener.h"

#include <QList>

// Records every URL handed to the desktop.
class FakeUrlOpener : public UrlOpener {
public:
    bool open(const QUrl &url) override
    {
        opened.append(url);
        return result;
    }

    QList<QUrl> opened;
    bool result = true;
};

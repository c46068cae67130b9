#pragma once
#include "platform/file_dialog.h"

#include <QStringList>

// Returns queued names in order (empty, as a cancel, when the queue is dry)
// and counts how often each dialog was shown.
class FakeFileDialog : public FileDialog {
public:
    QString getOpenFileName() override
    {
        ++openCount;
        return names.isEmpty() ? QString() : names.takeFirst();
    }
    SaveName getSaveFileName() override
    {
        ++saveCount;
        return {names.isEmpty() ? QString() : names.takeFirst(), saveFilter};
    }

    void setListFolder(const QString &folder) override { listFolder = folder; }

    QStringList names;
    QString listFolder;   // as the window last told it
    int saveFilter = 0;   // the filter every save dialog reports as chosen
    int openCount = 0;
    int saveCount = 0;
};

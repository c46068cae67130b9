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
    SaveName getSaveFileName(int filter = -1, const QString &title = QString()) override
    {
        ++saveCount;
        saveFilterShown = filter;
        saveTitle = title;
        return {names.isEmpty() ? QString() : names.takeFirst(), saveFilter};
    }

    void setListFolder(const QString &folder) override { listFolder = folder; }

    QStringList names;
    QString listFolder;   // as the window last told it
    int saveFilter = 0;   // the filter every save dialog reports as chosen
    int saveFilterShown = -1;   // the filter the last save dialog showed first
    QString saveTitle;          // and its title
    int openCount = 0;
    int saveCount = 0;
};

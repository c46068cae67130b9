#pragma once
#include <QString>

class QFileDialog;
class QWidget;

// The program's one file dialog for list files. Both calls return the chosen
// full path, or an empty string when the user cancelled.
class FileDialog {
public:
    struct SaveName {
        QString fileName;
        int filter = 0;   // the filter chosen in the dialog, 0 for the first
    };

    virtual ~FileDialog() = default;
    // Open: the file need not exist (a typed name is returned as it is).
    virtual QString getOpenFileName() = 0;
    // Save: a typed name that matches none of the filters gets the chosen
    // filter's extension, and replacing an existing file is asked about for
    // the name as it will be written. `filter` is the one shown first (the
    // format of what is saved; -1: the one chosen last), `title` the dialog's
    // (empty: the usual one).
    virtual SaveName getSaveFileName(int filter = -1, const QString &title = QString()) = 0;
    // The folder of the list's own file, empty while the list has none. The
    // dialog opens there; otherwise in the folder last chosen from in this run.
    virtual void setListFolder(const QString &folder) = 0;
};

// Where a list-file dialog opens: the list's folder while it exists, else the
// folder last chosen from, else empty (the dialog's own default).
QString dialogStartFolder(const QString &listFolder, const QString &lastFolder);

// Qt's own (non-native) dialog for list files, the same on every desktop and
// Chinese whatever the system's language: sizes, dates, types and column
// titles in Chinese, each column as wide as its texts; the files of the
// filters' extensions are typed as lists ("PLS 播放列表"). Opens in `folder`
// when it is not empty. Not shown yet; the caller owns it.
QFileDialog *createListFileDialog(QWidget *parent, const QString &filter, bool save, const QString &folder);

// Qt's own dialog for choosing a folder, titled `title`, with the list-file
// dialog's Chinese columns; modal to `parent`. The folder chosen in the
// system's spelling, or empty when the user cancelled.
QString chooseFolderDialog(QWidget *parent, const QString &title);

// The program's dialog, one modal QFileDialog per call.
class QtFileDialog : public FileDialog {
public:
    explicit QtFileDialog(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    // The filters shown, ";;" between them: "play list file(*.m3u);;…".
    void setFilter(const QString &filter) { m_filter = filter; }
    QString filter() const { return m_filter; }
    QString getOpenFileName() override;
    SaveName getSaveFileName(int filter = -1, const QString &title = QString()) override;
    void setListFolder(const QString &folder) override { m_listFolder = folder; }

private:
    SaveName run(bool save, int filter, const QString &title);

    QWidget *m_parent;
    QString m_filter;
    QString m_listFolder;
    QString m_lastFolder;
    int m_lastFilter = 0;   // the filter chosen last, shown first next time
};

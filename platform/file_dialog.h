#pragma once
#include <QString>

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
    // the name as it will be written.
    virtual SaveName getSaveFileName() = 0;
};

// Qt's own (non-native) dialog, so it behaves alike on every desktop.
class QtFileDialog : public FileDialog {
public:
    explicit QtFileDialog(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void setFilter(const QString &filter) { m_filter = filter; }
    QString filter() const { return m_filter; }
    QString getOpenFileName() override;
    SaveName getSaveFileName() override;

private:
    QWidget *m_parent;
    QString m_filter;
};

#pragma once
#include <QString>

class QWidget;

// The program's one file dialog for list files. Both calls return the chosen
// full path, or an empty string when the user cancelled.
class FileDialog {
public:
    virtual ~FileDialog() = default;
    // Open: the file need not exist (a typed name is returned as it is).
    virtual QString getOpenFileName() = 0;
    // Save: asks before replacing an existing file; adds no suffix.
    virtual QString getSaveFileName() = 0;
};

// Qt's own (non-native) dialog, so it behaves alike on every desktop.
class QtFileDialog : public FileDialog {
public:
    explicit QtFileDialog(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void setFilter(const QString &filter) { m_filter = filter; }
    QString filter() const { return m_filter; }
    QString getOpenFileName() override;
    QString getSaveFileName() override;

private:
    QWidget *m_parent;
    QString m_filter;
};

#pragma once
#include <QString>

class QWidget;

// Title of every message box the main window shows.
inline const QString kPromptTitle = QStringLiteral("提示");

// Message boxes of the program. Windows talk to this interface, so tests can
// answer the boxes and read what would have been shown.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Exclamation icon, OK button.
    virtual void exclamation(const QString &text, const QString &title) = 0;
    // Yes and No buttons, no icon. Returns true for Yes.
    virtual bool askYesNo(const QString &text, const QString &title) = 0;
};

// The real boxes, modal to `parent` (may be null).
class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void exclamation(const QString &text, const QString &title) override;
    bool askYesNo(const QString &text, const QString &title) override;

private:
    QWidget *m_parent;
};

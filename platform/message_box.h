#pragma once
#include <QString>

class QFont;
class QWidget;

// The least width of a message box whose title is `title`, so that a window
// manager's title bar (icon, title, buttons) shows the title whole.
int messageBoxWidthFor(const QString &title, const QFont &font);

// Message boxes of the program. Windows talk to this interface, so tests can
// answer the boxes and read what would have been shown.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Exclamation icon, OK button.
    virtual void exclamation(const QString &text, const QString &title) = 0;
    enum class Answer { Yes, No, Cancel };
    // Yes and No buttons, no icon. Escape and the close box answer Cancel:
    // a question the user escapes from must not count as either answer.
    virtual Answer askYesNo(const QString &text, const QString &title) = 0;
    // The same with No as the default button, for a question whose Yes
    // changes what is written.
    virtual Answer askYesNoDefaultNo(const QString &text, const QString &title) { return askYesNo(text, title); }
};

// The real boxes, modal to `parent`, or to the active window when that is null.
class QtMessageBox : public MessageBox {
public:
    // Notices, as the about window shows them, carry no icon.
    enum class NoticeIcon { Exclamation, None };
    explicit QtMessageBox(QWidget *parent = nullptr, NoticeIcon icon = NoticeIcon::Exclamation)
        : m_parent(parent), m_icon(icon) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void exclamation(const QString &text, const QString &title) override;
    Answer askYesNo(const QString &text, const QString &title) override;
    Answer askYesNoDefaultNo(const QString &text, const QString &title) override;

private:
    Answer ask(const QString &text, const QString &title, bool defaultNo);
    QWidget *parent() const;

    QWidget *m_parent;
    NoticeIcon m_icon;
};

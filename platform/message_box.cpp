#include "message_box.h"

#include <QApplication>
#include <QPushButton>
#include <QMessageBox>

QWidget *QtMessageBox::parent() const
{
    return m_parent ? m_parent : QApplication::activeWindow();
}

void QtMessageBox::exclamation(const QString &text, const QString &title)
{
    const QMessageBox::Icon icon = m_icon == NoticeIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent());
    box.exec();
}

MessageBox::Answer QtMessageBox::askYesNo(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent());
    // Without a button of its own for it, Escape and the close box would
    // press No. A hidden Cancel takes them instead.
    QAbstractButton *cancel = box.addButton(QMessageBox::Cancel);
    cancel->hide();
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return Answer::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No))
        return Answer::No;
    return Answer::Cancel;
}

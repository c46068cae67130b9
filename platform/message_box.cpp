#include "message_box.h"

#include <QApplication>
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

bool QtMessageBox::askYesNo(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent());
    return box.exec() == QMessageBox::Yes;
}

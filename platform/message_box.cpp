#include "message_box.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {
// A box sized to a short text is narrower than the window manager's title
// bar needs: the title gets elided to dots. The room asked for here holds
// the frame's icon and three buttons, each about a title bar high, and the
// title in a bold face with slack for a larger title font.
void keepTitleVisible(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    const int width = messageBoxWidthFor(box.windowTitle(), box.font());
    grid->addItem(new QSpacerItem(width - grid->contentsMargins().left() - grid->contentsMargins().right(), 0,
                                  QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}
} // namespace

int messageBoxWidthFor(const QString &title, const QFont &font)
{
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics fm(bold);
    const int captionHeight = fm.height() + 8;
    return 6 * captionHeight + fm.horizontalAdvance(title) * 5 / 4;
}

QWidget *QtMessageBox::parent() const
{
    return m_parent ? m_parent : QApplication::activeWindow();
}

void QtMessageBox::exclamation(const QString &text, const QString &title)
{
    const QMessageBox::Icon icon = m_icon == NoticeIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent());
    keepTitleVisible(box);
    box.exec();
}

MessageBox::Answer QtMessageBox::askYesNo(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent());
    keepTitleVisible(box);
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

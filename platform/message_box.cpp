#include "platform/message_box.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
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
// A box is a dialog of its window: a title bar with the close box and no
// minimise or maximise button. Window
// managers that put a minimise button on every dialog all the same
// (openbox) cannot hide a modal box with it: it comes straight back.
class StayShown : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WindowStateChange) {
            auto *box = static_cast<QWidget *>(watched);
            if (box->windowState() & Qt::WindowMinimized)
                QMetaObject::invokeMethod(box, [box] { box->setWindowState(box->windowState() & ~Qt::WindowMinimized); },
                                          Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }
};

void makeDialog(QMessageBox &box)
{
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    box.installEventFilter(new StayShown(&box));
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

// The box lives on the heap and is watched: a window that unloads itself
// when it loses the focus (the declaration window) may be the box's parent,
// and takes its children with it.
void QtMessageBox::exclamation(const QString &text, const QString &title)
{
    const QMessageBox::Icon icon = m_icon == NoticeIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
    QPointer<QMessageBox> box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent());
    makeDialog(*box);
    keepTitleVisible(*box);
    box->exec();
    delete box.data();
}

MessageBox::Answer QtMessageBox::askYesNo(const QString &text, const QString &title)
{
    return ask(text, title, false);
}

MessageBox::Answer QtMessageBox::askYesNoDefaultNo(const QString &text, const QString &title)
{
    return ask(text, title, true);
}

MessageBox::Answer QtMessageBox::ask(const QString &text, const QString &title, bool defaultNo)
{
    QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent());
    if (defaultNo)
        box->setDefaultButton(QMessageBox::No);
    makeDialog(*box);
    keepTitleVisible(*box);
    // Without a button of its own for it, Escape and the close box would
    // press No. A hidden Cancel takes them instead.
    QAbstractButton *cancel = box->addButton(QMessageBox::Cancel);
    cancel->hide();
    box->setEscapeButton(cancel);
    box->exec();
    if (!box)
        return Answer::Cancel;   // gone with its parent: not answered
    Answer answer = Answer::Cancel;
    if (box->clickedButton() == box->button(QMessageBox::Yes))
        answer = Answer::Yes;
    else if (box->clickedButton() == box->button(QMessageBox::No))
        answer = Answer::No;
    delete box.data();
    return answer;
}

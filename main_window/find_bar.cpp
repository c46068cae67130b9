#include "main_window/find_bar.h"

#include "model/entry_find.h"
#include "model/playlist.h"
#include "main_window/playlist_view.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

FindBar::FindBar(Playlist &list, PlaylistView *view, QWidget *parent)
    : QWidget(parent), m_list(list), m_view(view), m_text(new QLineEdit(this))
{
    setObjectName(QStringLiteral("findbar"));
    setAccessibleName(QStringLiteral("查找"));
    setAutoFillBackground(true);
    m_text->setObjectName(QStringLiteral("findtext"));
    m_text->setAccessibleName(QStringLiteral("查找内容"));
    m_text->setClearButtonEnabled(true);
    for (QToolButton *clear : m_text->findChildren<QToolButton *>())
        clear->setAccessibleName(QStringLiteral("清除查找内容"));
    auto *caption = new QLabel(QStringLiteral("查找："), this);
    caption->setObjectName(QStringLiteral("findcaption"));
    caption->setBuddy(m_text);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->addWidget(caption);
    row->addWidget(m_text, 1);
    connect(m_text, &QLineEdit::textEdited, this, &FindBar::textEdited);
    m_text->installEventFilter(this);
    view->installEventFilter(this);   // follows the list's place and size
    hide();
}

void FindBar::open()
{
    place();
    show();
    raise();
    // The bar must not hide the entry the search starts from.
    keepInView(m_list.selection());
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

void FindBar::dismiss()
{
    hide();
    m_view->reserveBottom(0);
    m_view->setFocus(Qt::OtherFocusReason);
}

void FindBar::place()
{
    const QRect list = m_view->geometry();
    const int h = sizeHint().height();
    setGeometry(list.left(), list.bottom() + 1 - h, list.width(), h);
    m_view->reserveBottom(h);
}

void FindBar::textEdited()
{
    // Typing on from the match keeps it while it still matches.
    const int from = qMax(m_list.selection(), 0);
    const int found = findEntry(m_list.entries(), findWords(m_text->text()), from, 1);
    select(found);
}

void FindBar::findNext(int step)
{
    const int s = m_list.selection();
    const int from = s < 0 ? (step > 0 ? 0 : m_list.count() - 1) : s + step;
    select(findEntry(m_list.entries(), findWords(m_text->text()), from, step));
}

void FindBar::select(int index)
{
    // No match: the line says so; the selection stays where it was.
    QPalette pal = m_text->palette();
    const bool none = index < 0 && !findWords(m_text->text()).isEmpty();
    pal.setColor(QPalette::Base, none ? QColor(255, 220, 220) : palette().color(QPalette::Base));
    m_text->setPalette(pal);
    if (index < 0)
        return;
    m_list.selectByUser(index);
    keepInView(index);
}

void FindBar::keepInView(int index)
{
    if (index < 0 || !isVisible())
        return;
    // The bar lies over the list's last rows: an entry under it is brought up.
    const QModelIndex row = m_view->model()->index(index, 0);
    if (!m_view->viewport()->rect().contains(m_view->visualRect(row)))
        m_view->scrollTo(row, QAbstractItemView::PositionAtCenter);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        if (isVisible())
            place();
    } else if (watched == m_text && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            dismiss();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            findNext(key->modifiers() & Qt::ShiftModifier ? -1 : 1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

#include "main_window/playlist_view.h"

#include "model/playlist.h"
#include "main_window/playlist_model.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <cmath>

namespace {
// Every row is laid out at one size (fast for large lists); make that size
// wide enough for the longest entry so no path is cut off.
class WidestRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const auto *rows = qobject_cast<const PlaylistModel *>(index.model());
        if (!rows)
            return size;
        const QFontMetrics &fm = option.fontMetrics;
        const int padding = size.width() - fm.horizontalAdvance(index.data().toString());
        const int widest = qMax(fm.horizontalAdvance(rows->widestText()), rows->widestWidth());
        size.setWidth(qMax(size.width(), widest + padding));
        return size;
    }
};
} // namespace

PlaylistView::PlaylistView(Playlist &list, QWidget *parent) : QListView(parent), m_list(list)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setAcceptDrops(true);   // files from outside only
    setUniformItemSizes(true);
    setItemDelegate(new WidestRowDelegate(this));
    setMouseTracking(true);
    viewport()->setMouseTracking(true);   // position labels follow the pointer, no button needed
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_dragScroll.setInterval(30);
    connect(&m_dragScroll, &QTimer::timeout, this, &PlaylistView::dragScrollStep);
}

double PlaylistView::dragScrollRate(int distance)
{
    if (distance <= 0)
        return 0;
    return qMin(MaxRowsPerSecond, 10.0 * std::exp2(double(distance - 1) / DoublingPixels));
}

void PlaylistView::setModel(QAbstractItemModel *model)
{
    QListView::setModel(model);
    if (auto *rows = qobject_cast<PlaylistModel *>(model))
        rows->setMeasureFont(font());
}

void PlaylistView::changeEvent(QEvent *event)
{
    // The widest row is measured in the list's font: measure again first.
    if (event->type() == QEvent::FontChange)
        if (auto *rows = qobject_cast<PlaylistModel *>(model()))
            rows->setMeasureFont(font());
    QListView::changeEvent(event);
}

void PlaylistView::showSelection(int index)
{
    if (!model())
        return;
    const bool wasQuiet = m_quiet;
    m_quiet = true;
    if (index < 0 || index >= model()->rowCount()) {
        selectionModel()->clear();
    } else {
        const QModelIndex i = model()->index(index, 0);
        selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
        scrollTo(i);
    }
    m_quiet = wasQuiet;
}

bool PlaylistView::event(QEvent *event)
{
    // Ctrl+C, Ctrl+Z, Ctrl+X, Ctrl+A belong to the window's menu commands, not
    // to the list's clipboard and select-all handling.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & Qt::ControlModifier) {
            event->ignore();
            return false;
        }
    }
    return QListView::event(event);
}

void PlaylistView::keyPressEvent(QKeyEvent *event)
{
    // Delete on its own (the keypad's too); with a modifier it stays free.
    if (event->key() == Qt::Key_Delete && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        emit deleteRequested();
        event->accept();
        return;
    }
    // The pop-up menu from the keyboard: the Menu key, or Shift+F10.
    if ((event->key() == Qt::Key_Menu && !(event->modifiers() & ~Qt::KeypadModifier))
        || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        event->accept();
        requestKeyboardPopup();
        return;
    }
    QListView::keyPressEvent(event);
}

// The right button's release shows the pop-up by itself; a context-menu
// request from the keyboard shows it at the selected entry.
void PlaylistView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    if (event->reason() == QContextMenuEvent::Keyboard)
        requestKeyboardPopup();
}

void PlaylistView::requestKeyboardPopup()
{
    QPoint at = viewport()->rect().topLeft();
    const int row = m_list.selection();
    if (model() && row >= 0 && row < model()->rowCount()) {
        const QModelIndex i = model()->index(row, 0);
        scrollTo(i);
        const QRect r = visualRect(i) & viewport()->rect();
        if (!r.isEmpty())
            at = QPoint(r.left() + qMin(r.width() / 2, 2 * r.height()), r.center().y());
    }
    emit popupRequested(viewport()->mapToGlobal(at));
}

namespace {
QStringList localFiles(const QMimeData *data)
{
    QStringList paths;
    if (data && data->hasUrls())
        for (const QUrl &url : data->urls())
            if (url.isLocalFile())
                paths << url.toLocalFile();
    return paths;
}
} // namespace

void PlaylistView::dragEnterEvent(QDragEnterEvent *event)
{
    if (localFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void PlaylistView::dragMoveEvent(QDragMoveEvent *event)
{
    // Where it is dropped does not matter: the insert mode places the files.
    if (localFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void PlaylistView::dropEvent(QDropEvent *event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(paths);
}

void PlaylistView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QListView::selectionChanged(selected, deselected);
    if (!m_quiet && !selected.isEmpty())
        m_list.selectByUser(selected.indexes().constFirst().row());
}

QItemSelectionModel::SelectionFlags PlaylistView::selectionCommand(const QModelIndex &index,
                                                                   const QEvent *event) const
{
    // The user can move the selection but never clear it (Ctrl+Space would):
    // the commands act on the playlist's selection, which must stay visible.
    const QItemSelectionModel::SelectionFlags flags = QListView::selectionCommand(index, event);
    return flags.testFlag(QItemSelectionModel::Deselect) ? QItemSelectionModel::NoUpdate : flags;
}

void PlaylistView::focusInEvent(QFocusEvent *event)
{
    QListView::focusInEvent(event);
    // Gaining focus selects nothing: with no selection the first arrow key
    // goes to the first entry.
    if (m_list.selection() < 0 && currentIndex().isValid()) {
        const bool wasQuiet = m_quiet;
        m_quiet = true;
        selectionModel()->clearCurrentIndex();
        m_quiet = wasQuiet;
    }
}

void PlaylistView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    // Rows share one size, taken from the first: only a change there needs a
    // new layout, which walks every row. Otherwise repainting is enough.
    if (topLeft.row() == 0)
        QListView::dataChanged(topLeft, bottomRight, roles);
    else
        viewport()->update();
}

void PlaylistView::selectRow(int row)
{
    if (row < 0 || !model() || row >= model()->rowCount())
        return;
    const QModelIndex i = model()->index(row, 0);
    if (selectionModel()->currentIndex() == i && selectionModel()->isSelected(i))
        return;
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
}

int PlaylistView::rowForDrag(const QPoint &pos) const
{
    const int rows = model() ? model()->rowCount() : 0;
    if (rows == 0)
        return -1;
    const QRect area = viewport()->rect();
    QPoint p(qBound(area.left(), pos.x(), area.right()), qBound(area.top(), pos.y(), area.bottom()));
    QModelIndex i = indexAt(p);
    if (!i.isValid())   // below the last row
        return rows - 1;
    int row = i.row();
    // Beyond the top or bottom edge the selection walks on, as the list scrolls.
    if (pos.y() < area.top() && row > 0)
        --row;
    else if (pos.y() > area.bottom() && row < rows - 1)
        ++row;
    return row;
}

void PlaylistView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) {
        event->accept();   // the right button selects nothing
        return;
    }
    const QModelIndex i = indexAt(event->position().toPoint());
    if (i.isValid())
        selectRow(i.row());
    m_leftHeld = true;
    m_list.leftButtonPressed();
    event->accept();
}

void PlaylistView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_leftHeld && (event->buttons() & Qt::LeftButton))
        followDrag(event->position().toPoint());
    emit pointerMoved();
    event->accept();
}

int PlaylistView::distancePastEdge(const QPoint &pos) const
{
    const QRect area = viewport()->rect();
    if (pos.y() < area.top())
        return pos.y() - area.top();
    if (pos.y() > area.bottom())
        return pos.y() - area.bottom();
    return 0;
}

// The row under the pointer (or at the edge it is past) is selected and shown.
void PlaylistView::selectRowAt(const QPoint &pos)
{
    const int row = rowForDrag(pos);
    if (row >= 0) {
        selectRow(row);
        scrollTo(model()->index(row, 0));
    }
}

// The selection follows the pointer; past an edge the timer scrolls on.
void PlaylistView::followDrag(const QPoint &pos)
{
    m_dragPos = pos;
    selectRowAt(pos);
    if (distancePastEdge(pos) == 0) {
        m_dragScroll.stop();
    } else if (!m_dragScroll.isActive()) {
        m_rowsDue = 0;
        m_sinceScrolled.start();
        m_dragScroll.start();
    }
}

void PlaylistView::dragScrollStep()
{
    const int distance = distancePastEdge(m_dragPos);
    if (!m_leftHeld || distance == 0 || !model()) {
        m_dragScroll.stop();
        return;
    }
    m_rowsDue += dragScrollRate(std::abs(distance)) * double(m_sinceScrolled.restart()) / 1000.0;
    const int rows = int(m_rowsDue);
    if (rows < 1)
        return;
    m_rowsDue -= rows;
    // The row at the edge, that many rows on; the selection goes with it.
    QScrollBar *bar = verticalScrollBar();
    const int step = bar->singleStep() > 0 ? bar->singleStep() : 1;
    bar->setValue(bar->value() + (distance < 0 ? -rows : rows) * step);
    selectRowAt(m_dragPos);
}

void PlaylistView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_leftHeld = false;
        m_dragScroll.stop();
        m_list.leftButtonReleased();
    } else if (event->button() == Qt::RightButton) {
        emit popupRequested(event->globalPosition().toPoint());
    }
    event->accept();
}

void PlaylistView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double-click still selects and starts a press.
    mousePressEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit playRequested();
}

#pragma once
#include <QElapsedTimer>
#include <QListView>
#include <QTimer>

class Playlist;

// List1: shows the playlist and turns mouse and keys into playlist events.
// A left press selects the row under the pointer, then records the drag
// origin; while the button is held the selection follows the pointer, and
// beyond the top or bottom edge the list scrolls on by itself, the faster the
// farther the pointer is past the edge; the release ends the drag. A right
// release, the Menu key and Shift+F10 ask for the pop-up menu. The
// reordering is the playlist's own, not Qt's drag and drop; files dragged in
// from a file manager are told through filesDropped().
class PlaylistView : public QListView {
    Q_OBJECT
public:
    explicit PlaylistView(Playlist &list, QWidget *parent = nullptr);

    // A PlaylistModel given here measures its widest row in this list's font.
    void setModel(QAbstractItemModel *model) override;

    // Rows a drag scrolls per second with the pointer `distance` pixels past
    // the list's top or bottom edge (0 or less: inside, no scrolling): about
    // ten just past the edge, doubling every DoublingPixels, up to
    // MaxRowsPerSecond, so a drag can cross 100,000 entries in seconds.
    static constexpr int DoublingPixels = 16;
    static constexpr double MaxRowsPerSecond = 25000;
    static double dragScrollRate(int distance);

    // Keeps the bottom `height` pixels free of rows (a bar lies over them).
    void reserveBottom(int height) { setViewportMargins(0, 0, 0, height); }

    // Makes the view show the playlist's selection without reporting it back.
    void showSelection(int index);
    // Set while the window applies a change of the entries, so the view's own
    // selection moves are not taken for the user's.
    void setApplyingChange(bool applying) { m_quiet = applying; }

signals:
    void popupRequested(const QPoint &globalPos);
    void playRequested();
    // The Delete key: the selected entry is to go, as the delete command does.
    void deleteRequested();
    // Local files and folders dropped on the list from outside, full paths
    // in the order given; links to anything else are left out.
    void filesDropped(const QStringList &paths);
    // The pointer moved over the list, any button state.
    void pointerMoved();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
    void focusInEvent(QFocusEvent *event) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;

private:
    int rowForDrag(const QPoint &pos) const;
    void selectRow(int row);
    void selectRowAt(const QPoint &pos);
    void followDrag(const QPoint &pos);
    void dragScrollStep();
    void requestKeyboardPopup();
    int distancePastEdge(const QPoint &pos) const;   // signed: < 0 above, > 0 below, 0 inside

    Playlist &m_list;
    bool m_quiet = false;
    bool m_leftHeld = false;
    QPoint m_dragPos;               // the pointer in the viewport, while the left button is held
    QTimer m_dragScroll;            // scrolls while the pointer is past an edge
    QElapsedTimer m_sinceScrolled;
    double m_rowsDue = 0;           // rows owed to the scrolling, below one
};

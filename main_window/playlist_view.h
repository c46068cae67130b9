#pragma once
#include <QListView>

class Playlist;

// List1: shows the playlist and turns mouse and keys into playlist events.
// A left press selects the row under the pointer, then records the drag
// origin; while the button is held the selection follows the pointer; the
// release ends the drag. A right release asks for the pop-up menu. The
// reordering is the playlist's own, not Qt's drag and drop; files dragged in
// from a file manager are told through filesDropped().
class PlaylistView : public QListView {
    Q_OBJECT
public:
    explicit PlaylistView(Playlist &list, QWidget *parent = nullptr);

    // A PlaylistModel given here measures its widest row in this list's font.
    void setModel(QAbstractItemModel *model) override;

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

    Playlist &m_list;
    bool m_quiet = false;
    bool m_leftHeld = false;
};

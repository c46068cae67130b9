#pragma once
#include "list_change.h"

#include <QAbstractListModel>
#include <QStringList>

class ListState;

// List1's rows: a read-only view of the playlist. The list state announces a
// change after it happened, so the rows shown are our own implicitly shared
// copy of the entries, taken between the begin and end of each model signal:
// views and proxies see the old rows until the change is announced.
class PlaylistModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit PlaylistModel(const ListState &state, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // The view's layout asks for every row's index: keep it to a bounds check.
    QModelIndex index(int row, int column = 0, const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // One coarse model signal per operation of the list state.
    void apply(const ListChange &change);

    // The row text that needs the most room. The view lays out every row at
    // one size, so this one decides how far the list scrolls sideways.
    QString widestText() const { return m_widest; }

private:
    void findWidest(int first, int last);
    void rescanWidest();

    const ListState &m_state;
    QStringList m_rows;
    QString m_widest;
    qsizetype m_widestWeight = -1;
};

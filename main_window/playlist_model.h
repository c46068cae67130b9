#pragma once
#include "list_change.h"

#include <QAbstractListModel>

class ListState;

// List1's rows: a read-only view of the playlist. The list state announces a
// change after it happened, so the row count here is our own and catches up
// in apply(); until then data() answers only for rows both sides know.
class PlaylistModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit PlaylistModel(const ListState &state, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // One coarse model signal per operation of the list state.
    void apply(const ListChange &change);

private:
    const ListState &m_state;
    int m_rows = 0;
};

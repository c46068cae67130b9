#include "playlist_model.h"

#include "list_state.h"

PlaylistModel::PlaylistModel(const ListState &state, QObject *parent)
    : QAbstractListModel(parent), m_state(state), m_rows(state.entries())
{
}

int PlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_rows.at(index.row());
    return {};
}

void PlaylistModel::apply(const ListChange &change)
{
    const int now = m_state.count();
    const int rows = int(m_rows.size());
    switch (change.kind) {
    case ListChange::Inserted:
        if (change.count > 0 && change.first >= 0 && change.first <= rows
            && rows + change.count == now) {
            beginInsertRows(QModelIndex(), change.first, change.first + change.count - 1);
            m_rows = m_state.entries();
            endInsertRows();
            return;
        }
        break;
    case ListChange::Removed:
        if (change.count > 0 && change.first >= 0 && change.first + change.count <= rows
            && rows - change.count == now) {
            beginRemoveRows(QModelIndex(), change.first, change.first + change.count - 1);
            m_rows = m_state.entries();
            endRemoveRows();
            return;
        }
        break;
    case ListChange::Moved:
        if (rows == now && change.first >= 0 && change.first < now && change.to >= 0 && change.to < now) {
            if (change.first == change.to) {
                m_rows = m_state.entries();
                emit dataChanged(index(change.first), index(change.first));
                return;
            }
            // Qt counts the destination before the move takes the row out.
            const int dest = change.to > change.first ? change.to + 1 : change.to;
            beginMoveRows(QModelIndex(), change.first, change.first, QModelIndex(), dest);
            m_rows = m_state.entries();
            endMoveRows();
            return;
        }
        break;
    case ListChange::DataChanged:
        if (rows == now && change.count > 0 && change.first >= 0 && change.first + change.count <= now) {
            m_rows = m_state.entries();
            emit dataChanged(index(change.first), index(change.first + change.count - 1));
            return;
        }
        break;
    case ListChange::Reset:
        break;
    }
    // Anything we cannot map exactly: start over.
    beginResetModel();
    m_rows = m_state.entries();
    endResetModel();
}

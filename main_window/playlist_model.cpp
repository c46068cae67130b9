#include "playlist_model.h"

#include "list_state.h"

PlaylistModel::PlaylistModel(const ListState &state, QObject *parent)
    : QAbstractListModel(parent), m_state(state), m_rows(state.count())
{
}

int PlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || index.row() >= m_state.count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_state.entry(index.row());
    return {};
}

void PlaylistModel::apply(const ListChange &change)
{
    const int now = m_state.count();
    switch (change.kind) {
    case ListChange::Inserted:
        if (change.count > 0 && change.first >= 0 && change.first <= m_rows
            && m_rows + change.count == now) {
            beginInsertRows(QModelIndex(), change.first, change.first + change.count - 1);
            m_rows = now;
            endInsertRows();
            return;
        }
        break;
    case ListChange::Removed:
        if (change.count > 0 && change.first >= 0 && change.first + change.count <= m_rows
            && m_rows - change.count == now) {
            beginRemoveRows(QModelIndex(), change.first, change.first + change.count - 1);
            m_rows = now;
            endRemoveRows();
            return;
        }
        break;
    case ListChange::Moved:
        if (m_rows == now && change.first >= 0 && change.first < now && change.to >= 0 && change.to < now) {
            if (change.first == change.to) {
                emit dataChanged(index(change.first), index(change.first));
                return;
            }
            // Qt counts the destination before the move takes the row out.
            const int dest = change.to > change.first ? change.to + 1 : change.to;
            beginMoveRows(QModelIndex(), change.first, change.first, QModelIndex(), dest);
            endMoveRows();
            return;
        }
        break;
    case ListChange::DataChanged:
        if (m_rows == now && change.count > 0 && change.first >= 0 && change.first + change.count <= now) {
            emit dataChanged(index(change.first), index(change.first + change.count - 1));
            return;
        }
        break;
    case ListChange::Reset:
        break;
    }
    // Anything we cannot map exactly: start over.
    beginResetModel();
    m_rows = now;
    endResetModel();
}

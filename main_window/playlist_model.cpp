#include "playlist_model.h"

#include "list_state.h"

namespace {
// Room a text needs, in narrow-character units: CJK and other wide characters
// take about two. Cheap enough to run over every row of a large list.
qsizetype widthWeight(const QString &text)
{
    qsizetype weight = text.size();
    for (QChar c : text)
        if (c.unicode() >= 0x1100)
            ++weight;
    return weight;
}
} // namespace

PlaylistModel::PlaylistModel(const ListState &state, QObject *parent)
    : QAbstractListModel(parent), m_state(state), m_rows(state.entries())
{
    rescanWidest();
}

void PlaylistModel::findWidest(int first, int last)
{
    for (int i = first; i <= last; ++i) {
        const qsizetype w = widthWeight(m_rows.at(i));
        if (w > m_widestWeight) {
            m_widestWeight = w;
            m_widest = m_rows.at(i);
        }
    }
}

void PlaylistModel::rescanWidest()
{
    m_widest.clear();
    m_widestWeight = -1;
    findWidest(0, int(m_rows.size()) - 1);
}

int PlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QModelIndex PlaylistModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || column != 0 || row < 0 || row >= m_rows.size())
        return {};
    return createIndex(row, 0);
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
            findWidest(change.first, change.first + change.count - 1);
            endInsertRows();
            return;
        }
        break;
    case ListChange::Removed:
        if (change.count > 0 && change.first >= 0 && change.first + change.count <= rows
            && rows - change.count == now) {
            bool widestGone = false;
            for (int i = change.first; i < change.first + change.count && !widestGone; ++i)
                widestGone = m_rows.at(i) == m_widest;
            beginRemoveRows(QModelIndex(), change.first, change.first + change.count - 1);
            m_rows = m_state.entries();
            if (widestGone)
                rescanWidest();
            endRemoveRows();
            return;
        }
        break;
    case ListChange::Moved:
        // One row changed place: only the texts of the rows between the two
        // places change. Told as a data change, the view repaints them
        // instead of laying out every row again; the window re-applies the
        // selection afterwards.
        if (rows == now && change.first >= 0 && change.first < now && change.to >= 0 && change.to < now) {
            m_rows = m_state.entries();
            emit dataChanged(index(qMin(change.first, change.to)), index(qMax(change.first, change.to)));
            return;
        }
        break;
    case ListChange::DataChanged:
        if (rows == now && change.count > 0 && change.first >= 0 && change.first + change.count <= now) {
            m_rows = m_state.entries();
            rescanWidest();
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
    rescanWidest();
    endResetModel();
}

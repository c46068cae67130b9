#include "playlist_model.h"

#include "playlist.h"

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

PlaylistModel::PlaylistModel(const Playlist &list, QObject *parent) : QAbstractListModel(parent), m_list(list)
{
    rescanWidest();
    connect(&list, &Playlist::entriesAboutToChange, this, &PlaylistModel::aboutToChange);
    connect(&list, &Playlist::entriesChanged, this, &PlaylistModel::changed);
}

void PlaylistModel::findWidest(int first, int last)
{
    for (int i = first; i <= last; ++i) {
        const qsizetype w = widthWeight(m_list.entry(i));
        if (w > m_widestWeight) {
            m_widestWeight = w;
            m_widest = m_list.entry(i);
        }
    }
}

void PlaylistModel::rescanWidest()
{
    m_widest.clear();
    m_widestWeight = -1;
    findWidest(0, m_list.count() - 1);
}

int PlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_list.count();
}

QModelIndex PlaylistModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || column != 0 || row < 0 || row >= m_list.count())
        return {};
    return createIndex(row, 0);
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_list.entry(index.row());
    return {};
}

void PlaylistModel::aboutToChange(const ListChange &change)
{
    emit changeStarting();
    switch (change.kind) {
    case ListChange::Inserted:
        beginInsertRows(QModelIndex(), change.first, change.first + change.count - 1);
        break;
    case ListChange::Removed:
        m_widestLeaving = false;
        for (int i = change.first; i < change.first + change.count && !m_widestLeaving; ++i)
            m_widestLeaving = m_list.entry(i) == m_widest;
        beginRemoveRows(QModelIndex(), change.first, change.first + change.count - 1);
        break;
    case ListChange::Reset:
        beginResetModel();
        break;
    case ListChange::Moved:
        break;   // told once the rows hold their new texts
    }
}

void PlaylistModel::changed(const ListChange &change)
{
    switch (change.kind) {
    case ListChange::Inserted:
        findWidest(change.first, change.first + change.count - 1);
        endInsertRows();
        break;
    case ListChange::Removed:
        if (m_widestLeaving)
            rescanWidest();
        endRemoveRows();
        break;
    case ListChange::Reset:
        rescanWidest();
        endResetModel();
        break;
    case ListChange::Moved:
        emit dataChanged(index(qMin(change.first, change.to)), index(qMax(change.first, change.to)));
        break;
    }
    emit changeFinished();
}

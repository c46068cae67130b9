#include "model/playlist.h"

#include <vector>

// Whole-list edits: sorting and repairs. Each replaces the list in one change
// and keeps the old list for the undo, which may need every entry back.

void Playlist::reorder(const QList<int> &order)
{
    if (order.size() != count())
        return;
    QStringList fresh;
    QList<KeptLines> freshLines;
    fresh.reserve(count());
    freshLines.reserve(count());
    int selection = -1;
    std::vector<bool> taken(size_t(count()), false);
    for (int i = 0; i < count(); ++i) {
        const int from = order.at(i);
        if (from < 0 || from >= count() || taken[size_t(from)])
            return;
        taken[size_t(from)] = true;
        if (from == m_selection)
            selection = i;
        fresh.append(m_entries.at(from));
        freshLines.append(lines(from));
    }
    applyWholeList(std::move(fresh), std::move(freshLines), selection, Edit::Reordered, Keys::Same);
}

int Playlist::removeWhere(const std::function<bool(const QString &)> &drop)
{
    QStringList kept;
    QList<KeptLines> keptLines;
    kept.reserve(count());
    keptLines.reserve(count());
    int selection = -1;
    for (int i = 0; i < count(); ++i) {
        if (drop(m_entries.at(i)))
            continue;
        // The selected entry, or the first kept after it.
        if (selection < 0 && m_selection >= 0 && i >= m_selection)
            selection = int(kept.size());
        kept.append(m_entries.at(i));
        keptLines.append(lines(i));
    }
    const int removed = count() - int(kept.size());
    if (removed == 0)
        return 0;
    if (selection < 0 && m_selection >= 0)
        selection = int(kept.size()) - 1;
    applyWholeList(std::move(kept), std::move(keptLines), selection, Edit::EntriesRemoved, Keys::Recount);
    return removed;
}

int Playlist::changePaths(const QHash<int, QString> &paths)
{
    QStringList fresh;
    QList<KeptLines> freshLines;
    fresh.reserve(count());
    freshLines.reserve(count());
    QHash<QString, int> firstOf;   // key → position in fresh
    firstOf.reserve(count());
    int selection = -1, dropped = 0;
    bool changed = false;
    for (int i = 0; i < count(); ++i) {
        const auto given = paths.constFind(i);
        const bool replaced = given != paths.cend() && *given != m_entries.at(i) && canHold(*given);
        const QString &path = replaced ? *given : m_entries.at(i);
        changed = changed || replaced;
        const QString key = m_rules.key(path);
        const auto first = firstOf.constFind(key);
        const bool isNew = first == firstOf.cend();
        if (i == m_selection)
            selection = isNew ? int(fresh.size()) : *first;   // a dropped entry's goes to the one it became
        if (!isNew) {
            ++dropped;
            continue;
        }
        firstOf.insert(key, int(fresh.size()));
        fresh.append(path);
        freshLines.append(lines(i));
        if (replaced)
            freshLines.last().pathReplaced = true;
    }
    if (!changed)
        return 0;
    applyWholeList(std::move(fresh), std::move(freshLines), selection, Edit::PathsChanged, Keys::Recount);
    return dropped;
}

void Playlist::applyWholeList(QStringList entries, QList<KeptLines> lines, int selection, Edit what, Keys keys)
{
    if (entries == m_entries && selection == m_selection) {
        bool same = true;
        for (int i = 0; same && i < count(); ++i)
            same = lines.value(i) == this->lines(i);
        if (same)
            return;
    }
    QStringList old = m_entries;
    QList<KeptLines> oldLines = allLines();
    const int oldSelection = m_selection;
    resetEntries(std::move(entries), std::move(lines));
    if (keys == Keys::Recount)
        rebuildKeys();
    setSelection(selection);
    m_undoList = std::move(old);
    m_undoLinesList = std::move(oldLines);
    m_undoSelection = oldSelection;
    record(UndoOp::Restore);
    finish(what);
}

void Playlist::rebuildKeys()
{
    QStringList keys;
    keys.reserve(count());
    for (const QString &path : std::as_const(m_entries))
        keys.append(m_rules.key(path));
    m_keys.assign(keys);
}

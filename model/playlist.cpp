#include "model/playlist.h"

#include <algorithm>
#include <utility>

Playlist::Playlist(PathRules rules, QObject *parent) : QObject(parent), m_rules(rules)
{
}

const KeptLines &Playlist::lines(int i) const
{
    static const KeptLines none;
    const quint32 id = m_lineIds.at(i);
    return id ? m_linePool.at(id - 1) : none;
}

QList<KeptLines> Playlist::allLines() const
{
    if (m_linePool.isEmpty())
        return {};
    QList<KeptLines> out;
    out.reserve(count());
    for (int i = 0; i < count(); ++i)
        out.append(lines(i));
    return out;
}

int Playlist::indexOf(const QString &path) const
{
    const QString key = m_rules.key(path);
    if (!m_keys.contains(key))
        return -1;
    for (int i = 0; i < count(); ++i) {
        if (m_rules.key(m_entries.at(i)) == key)
            return i;
    }
    return -1;
}

// ---- the user's own moves ------------------------------------------------------

void Playlist::selectByUser(int index)
{
    if (index == m_selection || index < -1 || index >= count())
        return;
    setSelection(index);
}

void Playlist::selectNone()
{
    setSelection(-1);
}

void Playlist::leftButtonPressed()
{
    m_pressedAt = m_selection;
    m_dragPressed = true;
}

void Playlist::leftButtonReleased()
{
    // Without a press there is no drag origin; moving from a made-up one
    // would shuffle an entry the user never touched.
    if (!m_dragPressed)
        return;
    // Clicking the entry a drag just moved changes no selection, so undo stays
    // on: the drag's record must survive the click, or undo would do nothing.
    if (m_selection == m_pressedAt)
        return;
    m_dragfrom = m_pressedAt;
    m_dragto = m_selection;
    tuodong();
    finish(Edit::Dragged);
}

// ---- list files ----------------------------------------------------------------

void Playlist::replaceEntries(const QStringList &paths, const QList<KeptLines> &lines)
{
    QStringList keys;
    if (m_rules.caseSensitivity == Qt::CaseSensitive) {
        keys = paths;   // each path is its own key: share them
    } else {
        keys.reserve(paths.size());
        for (const QString &path : paths)
            keys.append(m_rules.key(path));
    }
    const std::vector<bool> first = m_keys.assign(keys);
    if (std::find(first.cbegin(), first.cend(), false) == first.cend()) {
        resetEntries(paths, lines);   // no repeats: the lists as they are, shared
    } else {
        // Written in place: an append a time costs more than the copy.
        QStringList fresh(paths.size());
        QList<KeptLines> freshLines(lines.isEmpty() ? 0 : paths.size());
        qsizetype kept = 0;
        for (qsizetype i = 0; i < paths.size(); ++i) {
            if (!first[size_t(i)])
                continue;
            fresh[kept] = paths.at(i);
            if (!lines.isEmpty())
                freshLines[kept] = lines.value(i);
            ++kept;
        }
        fresh.resize(kept);
        freshLines.resize(lines.isEmpty() ? 0 : kept);
        resetEntries(std::move(fresh), std::move(freshLines));
    }
    setSelection(count() - 1);
    finish(Edit::Replaced);
}

int Playlist::appendEntries(const QStringList &paths, const QList<KeptLines> &lines)
{
    m_keys.reserve(count() + paths.size());
    QStringList block;
    QList<KeptLines> blockLines;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (m_keys.claim(m_rules.key(paths.at(i)))) {
            block.append(paths.at(i));
            if (!lines.isEmpty())
                blockLines.append(lines.value(i));
        }
    }
    const int added = int(block.size());
    if (added > 0)
        insertAt(count(), block, blockLines);
    setSelection(count() - 1);
    finish(Edit::Appended);
    return added;
}

// ---- changes of the entries ------------------------------------------------------

ListChange Playlist::change(ListChange::Kind kind, int first, int count, int to)
{
    ListChange c;
    c.kind = kind;
    c.first = first;
    c.count = count;
    c.to = to;
    return c;
}

void Playlist::insertAt(int at, const QStringList &paths, const QList<KeptLines> &lines)
{
    const ListChange c = change(ListChange::Inserted, at, int(paths.size()));
    emit entriesAboutToChange(c);
    if (at == count()) {
        m_entries.append(paths);
    } else {
        m_entries.insert(at, paths.size(), QString());
        std::copy(paths.begin(), paths.end(), m_entries.begin() + at);
    }
    m_lineIds.insert(at, paths.size(), 0);
    for (qsizetype i = 0; i < paths.size() && i < lines.size(); ++i) {
        if (!lines.at(i).isEmpty()) {   // nothing kept: no place in the pool
            m_linePool.append(lines.at(i));
            m_lineIds[at + i] = quint32(m_linePool.size());
        }
    }
    if (m_linePool.size() > 2 * qsizetype(count()) + 1024)
        gatherLinePool();
    emit entriesChanged(c);
}

void Playlist::removeAt(int at)
{
    const ListChange c = change(ListChange::Removed, at, 1);
    emit entriesAboutToChange(c);
    m_keys.remove(m_rules.key(m_entries.at(at)));
    m_entries.removeAt(at);
    m_lineIds.removeAt(at);
    emit entriesChanged(c);
}

void Playlist::moveEntry(int from, int to)
{
    const ListChange c = change(ListChange::Moved, from, 1, to);
    emit entriesAboutToChange(c);
    m_entries.move(from, to);
    m_lineIds.move(from, to);
    emit entriesChanged(c);
}

void Playlist::resetEntries(QStringList entries, QList<KeptLines> lines)
{
    const ListChange c = change(ListChange::Reset, 0, 0);
    emit entriesAboutToChange(c);
    m_entries = std::move(entries);
    // The lines as they came (a list just read shares them), numbered.
    if (lines.size() > m_entries.size())
        lines.resize(m_entries.size());
    m_linePool = std::move(lines);
    m_lineIds.fill(0, m_entries.size());
    for (qsizetype i = 0; i < m_linePool.size(); ++i)
        m_lineIds[i] = quint32(i + 1);
    emit entriesChanged(c);
}

void Playlist::gatherLinePool()
{
    QList<KeptLines> pool;
    pool.reserve(count());
    for (quint32 &id : m_lineIds) {
        if (id) {
            pool.append(m_linePool.at(id - 1));
            id = quint32(pool.size());
        }
    }
    m_linePool = std::move(pool);
}

void Playlist::setSelection(int index)
{
    m_selection = index < -1 || index >= count() ? -1 : index;
    // Any change of the selection ends the undo record's use: several records
    // name no position and rely on the selection marking the entry.
    m_undoValid = false;
    emit selectionChanged(m_selection);
}

void Playlist::record(UndoOp op)
{
    m_undoop = op;
    m_undoValid = true;
    if (op != UndoOp::Restore) {
        m_undoList = {};   // only a whole-list edit needs the old list
        m_undoLinesList = {};
    }
}

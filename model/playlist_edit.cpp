#include "model/playlist.h"

#include "model/entry_rules.h"

// Editing operations: adding, deleting, clearing, moving and dragging entries.
// Each reports its changes of the entries before the selection moves, so a
// view never selects a row it does not have yet.

int Playlist::newEntryPosition() const
{
    return m_selection < 0 ? count() : (m_insertAfter ? m_selection + 1 : m_selection);
}

void Playlist::jiaohuan(const QString &path, const KeptLines &lines)
{
    // Appending the entry and moving it beside the selection, done as one
    // insert. With nothing selected, insert-after moves it to the top (the
    // undo of a delete at the top).
    const int s = m_selection;
    const bool toTop = s < 0 && m_insertAfter;
    insertAt(toTop ? 0 : newEntryPosition(), {path}, {lines});
    m_keys.add(m_rules.key(path));
    if (s >= 0 || toTop)
        setSelection(s + 1);
}

bool Playlist::canHold(const QString &path)
{
    return playlistCanHold(path);
}

Playlist::AddResult Playlist::addClickedFile(const QString &folder, const QString &name)
{
    if (name.isEmpty())
        return AddResult::NoFile;
    const QString path = m_rules.join(folder, name);
    if (!canHold(path))
        return AddResult::LineBreak;
    if (contains(path))
        return AddResult::Duplicate;
    const int s = m_selection;
    insertAt(newEntryPosition(), {path});
    m_keys.add(m_rules.key(path));
    setSelection(s < 0 ? count() - 1 : s + 1);
    finish(Edit::FileAdded);
    return AddResult::Added;
}

int Playlist::addallfiles(const QString &folder, const QStringList &names)
{
    if (names.isEmpty())
        return 0;
    // Adding the files one by one through jiaohuan leaves them as one block in
    // file-list order right after (or before) the entry selected at the start.
    QStringList block;
    int refused = 0;
    for (const QString &name : names) {
        if (name.isEmpty())
            continue;
        const QString path = m_rules.join(folder, name);
        if (!canHold(path))
            ++refused;
        else if (m_keys.claim(m_rules.key(path)))
            block.append(path);
    }
    if (!block.isEmpty())
        insertAt(newEntryPosition(), block);
    setSelection(count() - 1);
    finish(block.isEmpty() ? Edit::NothingAdded : Edit::FilesAdded);
    return refused;
}

Playlist::AddedFiles Playlist::addFiles(const QStringList &paths)
{
    AddedFiles result;
    QStringList block;
    m_keys.reserve(count() + paths.size());
    for (const QString &path : paths) {
        if (!canHold(path))
            ++result.lineBreaks;
        else if (m_keys.claim(m_rules.key(path)))
            block.append(path);
        else
            ++result.duplicates;
    }
    result.added = int(block.size());
    if (block.isEmpty())
        return result;
    // Clicks in a row: with nothing selected each new file goes to the end
    // and is selected; insert-after leaves the last one selected after the
    // old selection; insert-before keeps the old selection, now further down.
    const int s = m_selection;
    insertAt(newEntryPosition(), block);
    setSelection(s < 0 ? count() - 1 : s + result.added);
    finish(Edit::FilesAdded);
    return result;
}

void Playlist::deleteentry()
{
    const int p = m_selection;
    if (p < 0 || p >= count())
        return;
    m_undotext = m_entries.at(p);
    m_undoLines = lines(p);
    removeAt(p);
    if (p < count()) {
        setSelection(p);
        record(UndoOp::Del);
    } else {
        setSelection(p - 1);
        record(UndoOp::DelBottom);
    }
    finish(Edit::Deleted);
}

void Playlist::clearlist()
{
    if (m_entries.isEmpty())
        return;
    m_keys.clear();
    resetEntries({}, {});
    setSelection(-1);
    finish(Edit::Cleared);
}

void Playlist::moveup()
{
    const int p = m_selection;
    if (p <= 0 || p >= count())
        return;
    moveEntry(p, p - 1);
    setSelection(p - 1);
    record(UndoOp::Up);
    finish(Edit::MovedUp);
}

void Playlist::movedown()
{
    const int p = m_selection;
    if (p >= count() - 1 || p < 0)
        return;
    moveEntry(p, p + 1);
    setSelection(p + 1);
    record(UndoOp::Down);
    finish(Edit::MovedDown);
}

void Playlist::movetotop()
{
    const int p = m_selection;
    if (p <= 0 || p >= count())
        return;
    m_undoindex = p;
    moveEntry(p, 0);
    setSelection(0);
    record(UndoOp::MoveFirst);
    finish(Edit::MovedToTop);
}

void Playlist::movetobottom()
{
    const int p = m_selection;
    const int n = count();
    if (p >= n - 1 || p < 0)
        return;
    m_undoindex = p;
    moveEntry(p, n - 1);
    setSelection(n - 1);
    record(UndoOp::MoveLast);
    finish(Edit::MovedToBottom);
}

void Playlist::setInsertAfterMode()
{
    if (!m_insertAfter) {
        m_insertAfter = true;
        emit insertModeChanged(true);
    }
    // A drag record must not be undone under the other mode.
    m_undoValid = false;
    finish(Edit::InsertModeSet);
}

void Playlist::setInsertBeforeMode()
{
    if (m_insertAfter) {
        m_insertAfter = false;
        emit insertModeChanged(false);
    }
    m_undoValid = false;
    finish(Edit::InsertModeSet);
}

void Playlist::tuodong()
{
    const int from = m_dragfrom;
    const int to = m_dragto;
    const int d = from - to;
    const int n = count();
    if (from < 0 || from >= n)
        return;

    if (m_insertAfter) {
        if (d != 0 && d != 1) {
            if (from < to) {
                if (to >= n)
                    return;
                // The entry lands on `to`, where the selection already is.
                moveEntry(from, to);
            } else {
                // to may be -1 when the undo puts an entry back at the top.
                if (to < -1)
                    return;
                moveEntry(from, to + 1);
                if (m_selection < n - 1)
                    setSelection(m_selection + 1);
            }
            record(UndoOp::MoveBack);
        } else if (d == 1 && m_selection + 1 < n) {
            setSelection(m_selection + 1);
        }
    } else {
        if (d != 0 && d != -1) {
            if (from < to) {
                // to may be count() when the undo puts an entry back at the end.
                if (to > n)
                    return;
                moveEntry(from, to - 1);
                if (m_selection < 0)
                    return;
                setSelection(m_selection - 1);
            } else {
                if (to < 0)
                    return;
                moveEntry(from, to);
            }
            record(UndoOp::MoveFront);
        } else if (d == -1 && m_selection >= 0) {
            setSelection(m_selection - 1);
        }
    }
}

#include "list_state.h"

#include <algorithm>

// Editing operations: adding, deleting, clearing, moving and dragging entries.
// Each reports its net effect as one entriesChanged, emitted before the
// selection moves so a view never selects a row it does not have yet.

void ListState::jiaohuan()
{
    const int n = count();
    const int s = m_selection;
    const bool ok = n > 0 && ((s >= 0 && s <= n - 2) || (s == -1 && m_insertAfter));
    if (!ok)
        return;
    const int to = m_insertAfter ? s + 1 : s;
    if (to != n - 1) {
        m_entries.move(n - 1, to);
        changed(ListChange::Moved, n - 1, 1, to);
    }
    applySelection(s + 1);
}

// Same result as appending `path` and running jiaohuan, with a single insert.
void ListState::placeBesideSelection(const QString &path)
{
    const int s = m_selection;
    const int to = m_insertAfter ? s + 1 : s;
    m_entries.insert(to, path);
    addKey(path);
    changed(ListChange::Inserted, to, 1);
    applySelection(s + 1);
}

ListState::AddResult ListState::addClickedFile(const QString &folder, const QString &name)
{
    if (name.isEmpty())
        return AddResult::NoFile;
    const QString path = m_rules.join(folder, name);
    if (contains(path))
        return AddResult::Duplicate;
    if (m_selection >= 0) {
        placeBesideSelection(path);
    } else {
        m_entries.append(path);
        addKey(path);
        changed(ListChange::Inserted, count() - 1, 1);
        applySelection(count() - 1);
    }
    setListchanged(true);
    refresh();
    return AddResult::Added;
}

void ListState::addallfiles(const QString &folder, const QStringList &names)
{
    if (names.isEmpty())
        return;

    // Adding the files one by one through jiaohuan leaves them as one block in
    // file-list order right after (or before) the entry selected at the start.
    QStringList block;
    for (const QString &name : names) {
        if (name.isEmpty())
            continue;
        const QString path = m_rules.join(folder, name);
        if (claimKey(path))
            block.append(path);
    }

    if (!block.isEmpty()) {
        const int s = m_selection;
        const int at = s < 0 ? count() : (m_insertAfter ? s + 1 : s);
        const int k = int(block.size());
        m_entries.insert(at, k, QString());
        std::move(block.begin(), block.end(), m_entries.begin() + at);
        changed(ListChange::Inserted, at, k);
        setListchanged(true);
    }

    applySelection(count() - 1);
    refresh();
}

void ListState::deleteentry()
{
    const int p = m_selection;
    if (p < 0 || p >= count())
        return;
    m_undotext = m_entries.takeAt(p);
    removeKey(m_undotext);
    changed(ListChange::Removed, p, 1);

    const int n = count();
    if (p < n) {
        applySelection(p);
        m_undoop = QStringLiteral("del");
    } else {
        applySelection(p - 1);
        m_undoop = QStringLiteral("delbottom");
    }
    setListchanged(!m_labels.value(QStringLiteral("Label8")).isEmpty() || n != 0);
    undoenabledon();
    comenabled();
    label456();
    label910();
}

void ListState::clearlist()
{
    if (m_entries.isEmpty())
        return;
    clearEntries();
    setListchanged(!m_labels.value(QStringLiteral("Label8")).isEmpty());
    refresh();
}

void ListState::moveup()
{
    const int p = m_selection;
    if (p <= 0 || p >= count())
        return;
    m_entries.swapItemsAt(p, p - 1);
    changed(ListChange::Moved, p, 1, p - 1);
    applySelection(p - 1);
    m_undoop = QStringLiteral("up");
    undoenabledon();
    setListchanged(true);
    comenabled();
    label910();
    form3label4();
}

void ListState::movedown()
{
    const int p = m_selection;
    if (p >= count() - 1 || p < 0)
        return;
    m_entries.swapItemsAt(p, p + 1);
    changed(ListChange::Moved, p, 1, p + 1);
    applySelection(p + 1);
    m_undoop = QStringLiteral("down");
    undoenabledon();
    setListchanged(true);
    comenabled();
    label910();
    form3label4();
}

void ListState::movetotop()
{
    const int p = m_selection;
    if (p <= 0 || p >= count())
        return;
    m_undoindex = p;
    m_entries.move(p, 0);
    changed(ListChange::Moved, p, 1, 0);
    applySelection(0);
    m_undoop = QStringLiteral("MOVEFIRST");
    undoenabledon();
    form3label4();
}

void ListState::movetobottom()
{
    const int p = m_selection;
    const int n = count();
    if (p >= n - 1 || p < 0)
        return;
    m_undoindex = p;
    m_entries.move(p, n - 1);
    changed(ListChange::Moved, p, 1, n - 1);
    applySelection(n - 1);
    m_undoop = QStringLiteral("MOVELAST");
    undoenabledon();
    form3label4();
}

void ListState::setInsertAfterMode()
{
    if (!m_insertAfter) {
        m_insertAfter = true;
        emit insertModeChanged(true);
    }
    undoenabled();
}

void ListState::setInsertBeforeMode()
{
    if (m_insertAfter) {
        m_insertAfter = false;
        emit insertModeChanged(false);
    }
    undoenabled();
}

void ListState::tuodong()
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
                m_entries.move(from, to);
                changed(ListChange::Moved, from, 1, to);
            } else {
                // to may be -1 when the undo puts an entry back at the top.
                if (to < -1)
                    return;
                m_entries.move(from, to + 1);
                changed(ListChange::Moved, from, 1, to + 1);
                if (m_selection < n - 1)
                    applySelection(m_selection + 1);
            }
            m_undoop = QStringLiteral("moveback");
            undoenabledon();
        } else if (d == 1 && m_selection + 1 < n) {
            applySelection(m_selection + 1);
        }
    } else {
        if (d != 0 && d != -1) {
            if (from < to) {
                // to may be count() when the undo puts an entry back at the end.
                if (to > n)
                    return;
                m_entries.move(from, to - 1);
                changed(ListChange::Moved, from, 1, to - 1);
                if (m_selection < 0)
                    return;
                applySelection(m_selection - 1);
            } else {
                if (to < 0)
                    return;
                m_entries.move(from, to);
                changed(ListChange::Moved, from, 1, to);
            }
            m_undoop = QStringLiteral("movefront");
            undoenabledon();
        } else if (d == -1 && m_selection >= 0) {
            applySelection(m_selection - 1);
        }
    }
    form3label4();
}

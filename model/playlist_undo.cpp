#include "model/playlist.h"

#include <utility>

// The one-level undo. Several records name no position: they rely on every
// selection change having ended the record's use, so the selection still
// marks the affected entry.

void Playlist::undo()
{
    if (!m_undoValid)
        return;
    const int n = count();
    const int p = m_selection;
    const auto valid = [this](int i) { return i >= -1 && i < count(); };

    switch (m_undoop) {
    case UndoOp::Del:
        // Back at p, which the selection still marks.
        if (p >= 0 && p < n) {
            if (m_insertAfter)
                setSelection(p - 1);
            jiaohuan(m_undotext, m_undoLines);
            if (!m_insertAfter)
                setSelection(m_selection - 1);
        }
        break;
    case UndoOp::DelBottom:
        insertAt(n, {m_undotext}, {m_undoLines});
        m_keys.add(m_rules.key(m_undotext));
        setSelection(n);
        break;
    case UndoOp::Up:
        movedown();
        break;
    case UndoOp::Down:
        moveup();
        break;
    case UndoOp::MoveBack: {
        const int from = m_dragfrom, to = m_dragto;
        if (from > to) {
            m_dragto = from;
            m_dragfrom = to + 1;
            tuodong();
            if (valid(m_dragto))
                setSelection(m_dragto);
        } else {
            m_dragto = from - 1;
            m_dragfrom = to;
            tuodong();
            if (valid(m_dragto + 1))
                setSelection(m_dragto + 1);
        }
        break;
    }
    case UndoOp::MoveFront: {
        const int from = m_dragfrom, to = m_dragto;
        if (from > to) {
            m_dragto = from + 1;
            m_dragfrom = to;
            tuodong();
            if (valid(m_dragto - 1))
                setSelection(m_dragto - 1);
        } else {
            m_dragto = from;
            m_dragfrom = to - 1;
            tuodong();
            if (valid(m_dragto))
                setSelection(m_dragto);
        }
        break;
    }
    case UndoOp::MoveFirst:
        if (n > 0 && m_undoindex >= 0 && m_undoindex < n) {
            moveEntry(0, m_undoindex);
            setSelection(m_undoindex);
        }
        break;
    case UndoOp::MoveLast:
        if (n > 0 && m_undoindex >= 0 && m_undoindex < n) {
            moveEntry(n - 1, m_undoindex);
            setSelection(m_undoindex);
        }
        break;
    case UndoOp::Restore:
        resetEntries(std::exchange(m_undoList, {}), std::exchange(m_undoLinesList, {}));
        rebuildKeys();
        setSelection(m_undoSelection);
        break;
    case UndoOp::None:
        break;
    }
    // Undo cannot itself be undone.
    m_undoValid = false;
    finish(Edit::Undone);
}

#include "list_state.h"

// The one-level undo. Several records name no position: they rely on every
// selection change having disabled undo, so the selection still marks the
// affected entry.

void ListState::undo()
{
    if (!isEnabled(QStringLiteral("menuundo")))
        return;
    const int n = count();
    const int p = m_selection;
    const auto valid = [this](int i) { return i >= -1 && i < count(); };

    if (m_undoop == QLatin1String("del")) {
        if (p >= 0 && p < n) {
            if (m_insertAfter)
                applySelection(p - 1);
            placeBesideSelection(m_undotext);
            if (!m_insertAfter)
                applySelection(m_selection - 1);
        }
    } else if (m_undoop == QLatin1String("delbottom")) {
        m_entries.append(m_undotext);
        addKey(m_undotext);
        changed(ListChange::Inserted, n, 1);
        applySelection(n);
    } else if (m_undoop == QLatin1String("up")) {
        movedown();
    } else if (m_undoop == QLatin1String("down")) {
        moveup();
    } else if (m_undoop == QLatin1String("moveback")) {
        const int from = m_dragfrom, to = m_dragto;
        if (from > to) {
            m_dragto = from;
            m_dragfrom = to + 1;
            tuodong();
            if (valid(m_dragto))
                applySelection(m_dragto);
        } else {
            m_dragto = from - 1;
            m_dragfrom = to;
            tuodong();
            if (valid(m_dragto + 1))
                applySelection(m_dragto + 1);
        }
    } else if (m_undoop == QLatin1String("movefront")) {
        const int from = m_dragfrom, to = m_dragto;
        if (from > to) {
            m_dragto = from + 1;
            m_dragfrom = to;
            tuodong();
            if (valid(m_dragto - 1))
                applySelection(m_dragto - 1);
        } else {
            m_dragto = from;
            m_dragfrom = to - 1;
            tuodong();
            if (valid(m_dragto))
                applySelection(m_dragto);
        }
    } else if (m_undoop == QLatin1String("MOVEFIRST")) {
        const int k = m_undoindex;
        if (n > 0 && k >= 0 && k < n) {
            m_entries.move(0, k);
            changed(ListChange::Moved, 0, 1, k);
            applySelection(k);
            form3label4();
        }
    } else if (m_undoop == QLatin1String("MOVELAST")) {
        const int k = m_undoindex;
        if (n > 0 && k >= 0 && k < n) {
            m_entries.move(n - 1, k);
            changed(ListChange::Moved, n - 1, 1, k);
            applySelection(k);
            form3label4();
        }
    }

    undoenabled();
    comenabled();
    label456();
    label910();
}

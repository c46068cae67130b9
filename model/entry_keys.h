#pragma once
#include <QHash>
#include <QString>

// The same-entry keys of a list's entries, counted, so duplicate checks need
// no scan. A key may be counted more than once: an entry can come back (undo
// of a delete) while a same entry was added meanwhile.
class EntryKeys {
public:
    void reserve(qsizetype n) { m_counts.reserve(n); }
    void clear() { m_counts.clear(); }
    bool contains(const QString &key) const { return m_counts.contains(key); }
    // Counts `key` unless it is there already; true when it was new.
    bool claim(const QString &key)
    {
        int &n = m_counts[key];   // one lookup per key
        if (n > 0)
            return false;
        n = 1;
        return true;
    }
    void add(const QString &key) { ++m_counts[key]; }
    void remove(const QString &key)
    {
        const auto it = m_counts.find(key);
        if (it != m_counts.end() && --it.value() <= 0)
            m_counts.erase(it);
    }

private:
    QHash<QString, int> m_counts;
};

#pragma once
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The same-entry keys of a list's entries, counted, so duplicate checks need
// no scan. A key may be counted more than once: an entry can come back (undo
// of a delete) while a same entry was added meanwhile.
//
// Opening a list looks up every entry once, so lookups must stay cheap for
// 100,000 paths that share long prefixes and often their length. The table
// holds 8-byte slots (a tag from the key's hash and the key's place in a dense
// array) so that probing stays in cache; the characters of a key are compared
// only when its full hash matches. The hash is seeded per process, so a
// crafted list cannot make every key collide.
//
// Why not QSet<QString> (or QHash<QString, int> for the counts): for 100,000
// keys, half of them repeats (bench/model/bench_entry_keys.cpp, medians on a
// 2.3 GHz two-core machine), counting a whole list takes 8.6 ms here against
// 35 ms in a QSet, claiming them one by one 11.4 ms against 40 ms (QSet) and
// 34 ms (QHash), and 100,000 lookups 7.3 ms against 11.2 ms. Opening a
// 100,000-entry list into the model takes 14.6 ms in all (main_window_bench
// BM_OpenIntoModel), of which counting its keys is 7.2 ms; a QSet's 25 ms
// would make it some 32 ms, 2.2 times as long.
class EntryKeys {
public:
    // Empties the table and counts `keys` into it, each distinct key once.
    // Tells for each key whether it is the first of its kind; the ones that
    // are not repeat an earlier key. Fills the table in the order of its slots,
    // so that a whole list is counted at memory speed.
    std::vector<bool> assign(const QStringList &keys);
    void reserve(qsizetype keys);
    void clear();
    bool contains(const QString &key) const;
    // Counts `key` unless it is there already; true when it was new.
    bool claim(const QString &key);
    void add(const QString &key);
    void remove(const QString &key);

private:
    struct Key {
        QString text;
        uint64_t hash = 0;
        int count = 0;   // 0: a hole left by a removed key
    };
    static constexpr uint64_t kEmpty = 0;
    static constexpr uint64_t kEmptied = 1;   // a removed key's slot: probes go on past it

    static uint64_t hashOf(const QString &key);
    // Slot value for the key at `index` in m_keys.
    // The low half of the hash tags the slot; the high bits choose where its
    // probe starts, so the two tell keys of one probe apart independently.
    static uint64_t slotFor(uint64_t hash, size_t index) { return (hash << 32) | (index + 2); }
    static uint64_t tagOf(uint64_t slot) { return slot >> 32; }
    static size_t indexIn(uint64_t slot) { return size_t(slot & 0xFFFFFFFF) - 2; }
    size_t home(uint64_t hash) const { return size_t(hash >> m_shift); }
    // Index into m_slots of `key`, or of the free slot where it belongs.
    size_t find(const QString &key, uint64_t hash) const;
    void grow(size_t capacity);

    std::vector<uint64_t> m_slots;   // a power of two in size, or empty
    int m_shift = 64;                // 64 - log2 of the slot count
    std::vector<Key> m_keys;
    size_t m_filled = 0;             // slots not empty, emptied ones included
    size_t m_live = 0;               // keys counted at least once
};

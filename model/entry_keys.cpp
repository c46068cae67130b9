#include "model/entry_keys.h"

#include <QHashFunctions>

#include <bit>
#include <cstring>

namespace {
// At most half the slots in use keeps probes short.
size_t capacityFor(size_t keys)
{
    size_t capacity = 16;
    while (capacity < 2 * keys)
        capacity *= 2;
    return capacity;
}

// Plain equality of the characters: Qt's own comparison also orders, and is slower.
bool sameText(const QString &a, const QString &b)
{
    return a.size() == b.size()
        && std::memcmp(a.constData(), b.constData(), size_t(a.size()) * sizeof(QChar)) == 0;
}

uint64_t finalMix(uint64_t h)
{
    h ^= h >> 30;
    h *= 0xbf58476d1ce4e5b9ull;
    h ^= h >> 27;
    h *= 0x94d049bb133111ebull;
    return h ^ (h >> 31);
}
} // namespace

uint64_t EntryKeys::hashOf(const QString &key)
{
    // Eight bytes at a time: Qt's own string hash is several times slower
    // where it cannot use the processor's AES instructions.
    static const uint64_t seed = finalMix(qGlobalQHashSeed() + 1);
    const auto *p = reinterpret_cast<const unsigned char *>(key.constData());
    size_t n = size_t(key.size()) * sizeof(QChar);
    uint64_t h = seed ^ (n * 0x9E3779B97F4A7C15ull);
    for (; n >= 8; n -= 8, p += 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * 0x9E3779B97F4A7C15ull;
        h = (h << 29) | (h >> 35);
    }
    uint64_t w = 0;
    std::memcpy(&w, p, n);
    return finalMix((h ^ w) * 0x9E3779B97F4A7C15ull);
}

std::vector<bool> EntryKeys::assign(const QStringList &keys)
{
    const size_t n = size_t(keys.size());
    m_keys.clear();
    m_keys.reserve(n);
    m_live = 0;
    m_slots.assign(capacityFor(n), kEmpty);
    m_shift = 64 - std::countr_zero(m_slots.size());
    m_filled = 0;

    std::vector<uint64_t> hashes(n);
    for (size_t i = 0; i < n; ++i)
        hashes[i] = hashOf(keys.at(qsizetype(i)));

    // The keys in the order of the slots where their probes start, file order
    // kept among keys with the same start (a stable radix sort), so the first
    // of a repeated key is met first.
    std::vector<uint32_t> order(n), scratch(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = uint32_t(i);
    constexpr int kDigitBits = 11;
    const int bits = 64 - m_shift;
    for (int shift = 0; shift < bits; shift += kDigitBits) {
        std::vector<uint32_t> starts((size_t(1) << kDigitBits) + 1, 0);
        const auto digit = [&](uint32_t i) { return (home(hashes[i]) >> shift) & ((1u << kDigitBits) - 1); };
        for (uint32_t i : order)
            ++starts[digit(i) + 1];
        for (size_t d = 1; d < starts.size(); ++d)
            starts[d] += starts[d - 1];
        for (uint32_t i : order)
            scratch[starts[digit(i)]++] = i;
        order.swap(scratch);
    }

    // Walked in slot order, the table fills almost front to back. Meanwhile a
    // slot names the input key; the characters are compared only for a full
    // hash match, and the keys are copied afterwards in input order, so that
    // both passes read memory in order.
    std::vector<bool> first(n, false);
    const size_t mask = m_slots.size() - 1;
    for (uint32_t i : order) {
        const uint64_t hash = hashes[i];
        const QString &key = keys.at(qsizetype(i));
        size_t at = home(hash);
        bool repeated = false;
        for (; m_slots[at] != kEmpty; at = (at + 1) & mask) {
            const uint64_t s = m_slots[at];
            if (tagOf(s) != (hash & 0xFFFFFFFF))
                continue;
            const size_t other = indexIn(s);
            if (hashes[other] == hash && sameText(keys.at(qsizetype(other)), key)) {
                repeated = true;
                break;
            }
        }
        if (repeated)
            continue;
        m_slots[at] = slotFor(hash, i);
        ++m_filled;
        first[i] = true;
    }
    std::vector<uint32_t> placeOf(n);
    for (size_t i = 0; i < n; ++i) {
        if (!first[i])
            continue;
        placeOf[i] = uint32_t(m_keys.size());
        m_keys.push_back({keys.at(qsizetype(i)), hashes[i], 1});
    }
    m_live = m_keys.size();
    for (uint64_t &s : m_slots) {
        if (s != kEmpty)
            s = slotFor(s >> 32, placeOf[indexIn(s)]);
    }
    return first;
}

void EntryKeys::reserve(qsizetype keys)
{
    m_keys.reserve(size_t(keys));
    if (capacityFor(size_t(keys)) > m_slots.size())
        grow(capacityFor(size_t(keys)));
}

void EntryKeys::clear()
{
    std::fill(m_slots.begin(), m_slots.end(), kEmpty);
    m_keys.clear();
    m_filled = 0;
    m_live = 0;
}

size_t EntryKeys::find(const QString &key, uint64_t hash) const
{
    const size_t mask = m_slots.size() - 1;
    const uint64_t tag = hash & 0xFFFFFFFF;
    size_t emptied = SIZE_MAX;
    for (size_t i = home(hash);; i = (i + 1) & mask) {
        const uint64_t s = m_slots[i];
        if (s == kEmpty)
            return emptied != SIZE_MAX ? emptied : i;
        if (s == kEmptied) {
            if (emptied == SIZE_MAX)
                emptied = i;
            continue;
        }
        if (tagOf(s) != tag)
            continue;
        const Key &k = m_keys[indexIn(s)];
        if (k.hash == hash && sameText(k.text, key))
            return i;
    }
}

bool EntryKeys::contains(const QString &key) const
{
    if (m_slots.empty())
        return false;
    const uint64_t s = m_slots[find(key, hashOf(key))];
    return s != kEmpty && s != kEmptied;
}

bool EntryKeys::claim(const QString &key)
{
    // Grown when half the slots are taken, and compacted when removed keys
    // have left as many holes in the key array as there are keys.
    if (2 * (m_filled + 1) > m_slots.size() || m_keys.size() > 2 * m_live + 16)
        grow(capacityFor(m_live + 1));
    const uint64_t hash = hashOf(key);
    uint64_t &s = m_slots[find(key, hash)];
    if (s != kEmpty && s != kEmptied)
        return false;
    if (s == kEmpty)
        ++m_filled;
    s = slotFor(hash, m_keys.size());
    m_keys.push_back({key, hash, 1});
    ++m_live;
    return true;
}

void EntryKeys::add(const QString &key)
{
    if (claim(key))
        return;
    ++m_keys[indexIn(m_slots[find(key, hashOf(key))])].count;
}

void EntryKeys::remove(const QString &key)
{
    if (m_slots.empty())
        return;
    uint64_t &s = m_slots[find(key, hashOf(key))];
    if (s == kEmpty || s == kEmptied)
        return;
    Key &k = m_keys[indexIn(s)];
    if (--k.count > 0)
        return;
    k.text = QString();
    s = kEmptied;
    --m_live;
}

void EntryKeys::grow(size_t capacity)
{
    // Holes of removed keys go; the live keys move up in their order.
    size_t live = 0;
    for (Key &k : m_keys) {
        if (k.count > 0)
            m_keys[live++] = std::move(k);
    }
    m_keys.resize(live);
    m_live = live;
    m_slots.assign(capacity, kEmpty);
    m_shift = 64 - std::countr_zero(capacity);
    const size_t mask = capacity - 1;
    for (size_t index = 0; index < live; ++index) {
        size_t i = home(m_keys[index].hash);
        while (m_slots[i] != kEmpty)
            i = (i + 1) & mask;
        m_slots[i] = slotFor(m_keys[index].hash, index);
    }
    m_filled = live;
}

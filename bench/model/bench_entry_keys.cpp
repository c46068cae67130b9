// The same-entry keys of a 100,000-entry list, in EntryKeys and in what Qt
// offers (QSet<QString>; QHash<QString, int> where keys are counted): counting
// a whole list at once as opening it does, claiming keys one by one as adding
// files does, and looking keys up. Half the keys repeat an earlier one.
#include "model/entry_keys.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

namespace {

constexpr int kKeys = 100000;

// 50,000 distinct paths with long shared prefixes, each twice, in a fixed
// shuffled order.
const QStringList &keys()
{
    static const QStringList all = [] {
        QStringList out;
        out.reserve(kKeys);
        for (int i = 0; i < kKeys; ++i) {
            const int n = i % (kKeys / 2);
            out << QStringLiteral("/home/user/music/album %1/track %2.mp3").arg(n / 12).arg(n);
        }
        std::shuffle(out.begin(), out.end(), std::mt19937(1));
        return out;
    }();
    return all;
}

// Counting a whole list: which keys are the first of their kind.
void BM_OpenEntryKeys(benchmark::State &state)
{
    const QStringList &all = keys();
    for (auto _ : state) {
        EntryKeys table;
        benchmark::DoNotOptimize(table.assign(all));
    }
}
BENCHMARK(BM_OpenEntryKeys)->Unit(benchmark::kMillisecond);

void BM_OpenQSet(benchmark::State &state)
{
    const QStringList &all = keys();
    for (auto _ : state) {
        QSet<QString> table;
        table.reserve(all.size());
        std::vector<bool> first(size_t(all.size()));
        for (qsizetype i = 0; i < all.size(); ++i) {
            const qsizetype before = table.size();
            table.insert(all.at(i));
            first[size_t(i)] = table.size() != before;
        }
        benchmark::DoNotOptimize(first);
    }
}
BENCHMARK(BM_OpenQSet)->Unit(benchmark::kMillisecond);

// Claiming keys one by one, each counted unless it is there.
void BM_ClaimEntryKeys(benchmark::State &state)
{
    const QStringList &all = keys();
    for (auto _ : state) {
        EntryKeys table;
        table.reserve(all.size());
        int fresh = 0;
        for (const QString &key : all)
            fresh += table.claim(key);
        benchmark::DoNotOptimize(fresh);
    }
}
BENCHMARK(BM_ClaimEntryKeys)->Unit(benchmark::kMillisecond);

void BM_ClaimQSet(benchmark::State &state)
{
    const QStringList &all = keys();
    for (auto _ : state) {
        QSet<QString> table;
        table.reserve(all.size());
        int fresh = 0;
        for (const QString &key : all) {
            const qsizetype before = table.size();
            table.insert(key);
            fresh += table.size() != before;
        }
        benchmark::DoNotOptimize(fresh);
    }
}
BENCHMARK(BM_ClaimQSet)->Unit(benchmark::kMillisecond);

// The counted form EntryKeys is: a removed key stays while a same one is left.
void BM_ClaimQHashCount(benchmark::State &state)
{
    const QStringList &all = keys();
    for (auto _ : state) {
        QHash<QString, int> table;
        table.reserve(all.size());
        int fresh = 0;
        for (const QString &key : all) {
            int &count = table[key];
            fresh += count == 0;
            count = 1;
        }
        benchmark::DoNotOptimize(fresh);
    }
}
BENCHMARK(BM_ClaimQHashCount)->Unit(benchmark::kMillisecond);

// 100,000 lookups in the table of the list, half of them keys it does not hold.
template <typename Table>
void lookups(benchmark::State &state, const Table &table)
{
    QStringList probes = keys();
    for (qsizetype i = 0; i < probes.size(); i += 2)
        probes[i] += QLatin1Char('x');
    for (auto _ : state) {
        int found = 0;
        for (const QString &key : probes)
            found += table.contains(key);
        benchmark::DoNotOptimize(found);
    }
}

void BM_LookupEntryKeys(benchmark::State &state)
{
    EntryKeys table;
    table.assign(keys());
    lookups(state, table);
}
BENCHMARK(BM_LookupEntryKeys)->Unit(benchmark::kMillisecond);

void BM_LookupQSet(benchmark::State &state)
{
    const QSet<QString> table(keys().begin(), keys().end());
    lookups(state, table);
}
BENCHMARK(BM_LookupQSet)->Unit(benchmark::kMillisecond);

} // namespace

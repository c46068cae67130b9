// Putting 100,000 entries in order, each order from the list as it came,
// through the playlist's one edit (goal: within 200 ms each).
#include "model/list_order.h"
#include "model/playlist.h"

#include <benchmark/benchmark.h>

namespace {
// 1,000 artists of 10 albums of 10 tracks, in the order of no sort (the
// artist numbers interleaved), the numbers unpadded so natural order has work to do.
QStringList albumEntries()
{
    QStringList out;
    out.reserve(100000);
    for (int i = 0; i < 100000; ++i) {
        const int track = i % 10, album = (i / 10) % 10, artist = (i / 100 * 7919) % 1000;
        out << QStringLiteral("/home/user/Music/Artist %1/Album %2 (19%3)/%4 - Song Title Number %4.mp3")
                   .arg(artist)
                   .arg(album)
                   .arg(90 + album)
                   .arg(track + 1);
    }
    return out;
}

void BM_SortList(benchmark::State &state)
{
    const auto order = ListOrder(state.range(0));
    const QStringList entries = albumEntries();
    for (auto _ : state) {
        state.PauseTiming();
        Playlist list(PathRules::posix());
        list.replaceEntries(entries);
        state.ResumeTiming();
        list.reorder(listOrder(list.entries(), order, list.rules(), 1));
        benchmark::DoNotOptimize(list.entry(0));
    }
}
BENCHMARK(BM_SortList)
    ->ArgName("order")
    ->DenseRange(int(ListOrder::ByPath), int(ListOrder::Shuffled))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
} // namespace

// Editing costs on a 100,000-entry list, as cost per touched entry: an entry
// is touched when it is added, removed, or changes position. The floor is
// appending 110,000 entries with the duplicate check, the cheapest way to
// touch an entry at all.
#include "bench/common/bench_main.h"
#include "model/playlist.h"
#include "model/window_state.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kList = 100000;
constexpr int kMiddle = kList / 2;

PathRules rulesFor(const benchmark::State &state)
{
    return state.range(0) ? PathRules::windows() : PathRules::posix();
}

QString folderFor(const PathRules &rules)
{
    return rules.separator == QLatin1Char('/') ? QStringLiteral("/home/user/music/album")
                                               : QStringLiteral("D:\\Music\\Album");
}

QStringList names(const QString &prefix, int count)
{
    QStringList out;
    out.reserve(count);
    for (int i = 0; i < count; ++i)
        out << QStringLiteral("%1 track %2.mp3").arg(prefix).arg(i, 6, 10, QLatin1Char('0'));
    return out;
}

QStringList paths(const PathRules &rules, const QString &prefix, int count)
{
    QStringList out;
    const QString folder = folderFor(rules);
    for (const QString &name : names(prefix, count))
        out << rules.join(folder, name);
    return out;
}

// The playlist with its window state, which recomputes labels and enabling
// after every edit, as in the program.
struct Model {
    explicit Model(const PathRules &rules) : list(rules), state(list) {}
    Playlist list;
    WindowState state;
};

std::unique_ptr<Model> bigList(const PathRules &rules, int selection)
{
    auto m = std::make_unique<Model>(rules);
    m->list.replaceEntries(paths(rules, QStringLiteral("base"), kList));
    m->list.selectByUser(selection);
    return m;
}

void perTouched(benchmark::State &state, double touched)
{
    state.counters["per_entry"] = benchmark::Counter(
        touched, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Floor_Append110k(benchmark::State &state)
{
    const PathRules rules = rulesFor(state);
    const QStringList input = paths(rules, QStringLiteral("new"), kList + 10000);
    for (auto _ : state) {
        auto m = std::make_unique<Model>(rules);
        benchmark::DoNotOptimize(m->list.appendEntries(input));
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
    perTouched(state, input.size());
}

void BM_AddAll10kIntoMiddle(benchmark::State &state)
{
    const PathRules rules = rulesFor(state);
    const QStringList added = names(QStringLiteral("new"), 10000);
    const QString folder = folderFor(rules);
    for (auto _ : state) {
        state.PauseTiming();
        auto m = bigList(rules, kMiddle);
        state.ResumeTiming();
        m->list.addallfiles(folder, added);
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
    // 10,000 new entries and the 50,000 that make room for them.
    perTouched(state, 10000 + (kList - kMiddle - 1));
}

void BM_DeleteUndo(benchmark::State &state)
{
    auto m = bigList(rulesFor(state), kMiddle);
    for (auto _ : state) {
        m->list.deleteentry();
        m->list.undo();
    }
    perTouched(state, 2.0 * (kList - kMiddle));
}

// Ctrl+Z alone: the delete before it is left out of the time.
void BM_UndoOfDelete(benchmark::State &state)
{
    auto m = bigList(rulesFor(state), kMiddle);
    for (auto _ : state) {
        state.PauseTiming();
        m->list.deleteentry();
        state.ResumeTiming();
        m->list.undo();
    }
    perTouched(state, double(kList - kMiddle));
}

void BM_MoveToTopUndo(benchmark::State &state)
{
    auto m = bigList(rulesFor(state), kMiddle);
    for (auto _ : state) {
        m->list.movetotop();
        m->list.undo();
    }
    perTouched(state, 2.0 * (kMiddle + 1));
}

void BM_DragUndo(benchmark::State &state)
{
    const int from = kList / 4, to = 3 * kList / 4;
    auto m = bigList(rulesFor(state), from);
    for (auto _ : state) {
        m->list.selectByUser(from);
        m->list.leftButtonPressed();
        m->list.selectByUser(to);
        m->list.leftButtonReleased();
        m->list.undo();
    }
    perTouched(state, 2.0 * (to - from + 1));
}

} // namespace

BENCHMARK(BM_Floor_Append110k)->ArgName("windows")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddAll10kIntoMiddle)->ArgName("windows")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteUndo)->ArgName("windows")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UndoOfDelete)->ArgName("windows")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MoveToTopUndo)->ArgName("windows")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DragUndo)->ArgName("windows")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    return bench::main(argc, argv);
}

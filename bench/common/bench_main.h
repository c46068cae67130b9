#pragma once
// The main() every benchmark program shares: the application object the
// benchmarks need, data made before any timing, then the benchmarks Google
// Benchmark's flags name (an unknown flag ends the program with 1).
//   int main(int argc, char **argv) { return bench::main<QApplication>(argc, argv, prepare); }
#include <QByteArray>
#include <QtGlobal>

#include <benchmark/benchmark.h>

#include <functional>

namespace bench {

// For programs that need no Qt event loop.
struct NoApplication {
    NoApplication(int &, char **) {}
};

// The window benchmarks run on the offscreen platform unless QT_QPA_PLATFORM
// names another; call before the QApplication is made.
inline void offscreenUnlessSet()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

template <typename Application = NoApplication>
int main(int argc, char **argv, const std::function<void()> &prepare = {})
{
    Application app(argc, argv);
    if (prepare)
        prepare();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace bench

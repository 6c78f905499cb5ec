#pragma once
// The main of a window benchmark: a QApplication (offscreen unless the
// environment names a platform), then the benchmarks; prepare runs once the
// application exists.

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>

namespace ostrel {

inline int RunWindowBenchmarks(int argc, char** argv, const std::function<void()>& prepare = {}) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (prepare)
        prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace ostrel

#pragma once

// main() of a benchmark that needs the Qt widgets: offscreen unless told otherwise, then
// `cleanUp` once every benchmark has run.

#include <benchmark/benchmark.h>
#include <functional>

#include <QApplication>

namespace seewolf::bench {

inline int RunWidgetBenchmarks(int argc, char** argv, const std::function<void()>& cleanUp) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cleanUp();
    return 0;
}

}  // namespace seewolf::bench

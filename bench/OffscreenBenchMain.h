#pragma once

// main() of the benchmarks that draw: fonts and image codecs need a GUI application, and no
// window is shown.
#include <QGuiApplication>
#include <benchmark/benchmark.h>

inline int RunOffscreenBenchmarks(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

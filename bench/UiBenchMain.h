#pragma once
// The main of the window benchmarks: an offscreen QApplication, then Google Benchmark.
#include "ui/Application.h"

#include <QApplication>
#include <benchmark/benchmark.h>

/// Runs every registered benchmark with an offscreen application alive.
inline int RunWindowBenchmarks(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qvc::SetUpApplication(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#pragma once
// main() of a benchmark that needs a GUI application (fonts, painting, widgets): offscreen
// unless the caller chose a platform.
#include <QGuiApplication>
#include <benchmark/benchmark.h>

#define KV_GUI_BENCHMARK_MAIN()                                                                    \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QGuiApplication app(argc, argv);                                                           \
        benchmark::Initialize(&argc, argv);                                                        \
        benchmark::RunSpecifiedBenchmarks();                                                       \
        benchmark::Shutdown();                                                                     \
        return 0;                                                                                  \
    }

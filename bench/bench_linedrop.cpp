// The line window's share of a Calculate: building the line from the panel and the table,
// the calculation, and the results table and chart; and the calculation sheet's content.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "LineReport.h"
#include "frmLineDrop.h"
#include "tw/Line.h"

namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "bench_linedrop";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

// Steam at 10 kg/cm2 a and 250 oC, 5000 kg/hr, through 60 m of 4" and 25 m of 3" pipe.
tw::line::Line steamLine() {
    tw::line::Line line;
    line.fluid = tw::line::SteamOrWater{true, 10, 250};
    line.massFlow = 5000;
    tw::line::Segment first{"4", "40", std::nullopt, std::nullopt, tw::line::LengthAndRise{60, 5},
                            {},  {}};
    first.fittings.push_back({30, 3, 1, 0, {}});
    first.fittings.push_back({2, 1, 1, 0, {}});
    line.segments.push_back(first);
    line.segments.push_back(tw::line::Segment{
        "3", "80", std::nullopt, std::nullopt, tw::line::LengthAndRise{25, -2}, {}, {}});
    return line;
}

void BM_WindowCalculate(benchmark::State& state) {
    app();
    tw::linedrop::frmLineDrop window({tw::TW_English, {}, {}});
    window.setLine(steamLine());
    for (auto _ : state) benchmark::DoNotOptimize(window.calculate());
}
BENCHMARK(BM_WindowCalculate)->Unit(benchmark::kMicrosecond);

void BM_LibraryCalculate(benchmark::State& state) {
    const tw::line::Line line = steamLine();
    for (auto _ : state) benchmark::DoNotOptimize(tw::line::calculate(line));
}
BENCHMARK(BM_LibraryCalculate)->Unit(benchmark::kMicrosecond);

void BM_SheetContent(benchmark::State& state) {
    const tw::line::Line line = steamLine();
    const tw::line::LineResult result = tw::line::calculate(line);
    for (auto _ : state)
        benchmark::DoNotOptimize(tw::linedrop::lineReport(line, result, tw::TW_Korean, {}));
}
BENCHMARK(BM_SheetContent)->Unit(benchmark::kMicrosecond);

}  // namespace

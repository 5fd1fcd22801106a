// The pressure drop of a whole line: what an engineer waits for when a line file is
// calculated. A 50-segment steam header: 5 t/hr at 10 kg/cm2 a and 250 oC through NPS 6 and 4
// Sch 40, each segment 20 m with elbows, a valve on every tenth, sub-steps of 1 %.

#include <benchmark/benchmark.h>

#include "tw/Line.h"

namespace {

tw::line::Line steamHeader(int segments) {
    tw::line::Line line;
    line.fluid = tw::line::SteamOrWater{true, 10, 250};
    line.massFlow = 5000;
    for (int i = 0; i < segments; ++i) {
        tw::line::Segment s;
        s.nps = i < segments / 2 ? "6" : "4";
        s.schedule = "40";
        s.route = tw::line::LengthAndRise{20, i % 5 == 0 ? 2.0f : 0.0f};
        s.fittings = {{30, 2, 1, 0, {}}};
        if (i % 10 == 0) s.fittings.push_back({2, 1, 1, 0, {}});
        line.segments.push_back(s);
    }
    return line;
}

void BM_SteamLine50Segments(benchmark::State& state) {
    const tw::line::Line line = steamHeader(50);
    int substeps = 0;
    for (auto _ : state) {
        const tw::line::LineResult result = tw::line::calculate(line);
        benchmark::DoNotOptimize(result.outletPressure);
        substeps = 0;
        for (const auto& s : result.segments) substeps += s.substeps;
        if (result.refused) state.SkipWithError("the line was refused");
    }
    state.counters["substeps"] = substeps;
}
BENCHMARK(BM_SteamLine50Segments)->Unit(benchmark::kMicrosecond);

void BM_WaterLine50Segments(benchmark::State& state) {
    tw::line::Line line = steamHeader(50);
    line.fluid = tw::line::SteamOrWater{false, 10, 50};
    line.massFlow = 36000;
    for (auto _ : state) {
        const tw::line::LineResult result = tw::line::calculate(line);
        benchmark::DoNotOptimize(result.outletPressure);
        if (result.refused) state.SkipWithError("the line was refused");
    }
}
BENCHMARK(BM_WaterLine50Segments)->Unit(benchmark::kMicrosecond);

}  // namespace

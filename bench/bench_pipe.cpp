// What a piping engineer waits for: the gas orifice and nozzle searches (over the 0.001 kg/cm2
// steps up to the inlet pressure) at 10, 100 and 1000 kg/cm2 a, and a whole straight-run
// calculation.
#include <benchmark/benchmark.h>

#include "tw/MessageSink.h"
#include "tw/Pipe.h"
#include "tw/dPCalc.h"

namespace {

// Air-like gas in a 100 mm pipe through a beta 0.5 meter; the specific volume falls with the
// inlet pressure (about 0.85 m3/kg at 1 kg/cm2 a) so that the differential stays realistic.
struct GasCase {
    float inletPressure;
    float specificVolume;
    float flow;
};
GasCase gasCase(float p1) {
    return {p1, 0.85f / p1, 2000 * p1 / 10};
}

void BM_OrificeGasdP(benchmark::State& state) {
    const tw::Pipe pipe;
    const GasCase c = gasCase(static_cast<float>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            pipe.OrificeGasdP(c.flow, c.inletPressure, 100, c.specificVolume, 0.5f, 1.4f));
    }
}
BENCHMARK(BM_OrificeGasdP)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The nozzle search runs on to the critical pressure ratio (about half the inlet pressure).
void BM_NozzleGasdP(benchmark::State& state) {
    const tw::Pipe pipe;
    const GasCase c = gasCase(static_cast<float>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            pipe.NozzleGasdP(c.flow, c.inletPressure, 100, c.specificVolume, 0.5f, 1.4f));
    }
}
BENCHMARK(BM_NozzleGasdP)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// A 50 m water run with a 10 m rise: Reynolds number, Colebrook, fully turbulent friction
// factor, velocity, friction and static drops.
void BM_fun_dPPipe(benchmark::State& state) {
    tw::RecordingMessageSink recorder;
    tw::ScopedMessageSink guard(recorder);
    tw::dPCalc calc;
    calc.seti_MFlow(36000);
    calc.seti_PipeID(100);
    calc.seti_AbsRough(0.0457f);
    calc.seti_SVOLin(0.001f);
    calc.seti_Viscoin(1);
    calc.seti_OutNorth(30);
    calc.seti_OutEast(37.4166f);
    calc.seti_OutUp(10);
    for (auto _ : state) benchmark::DoNotOptimize(calc.fun_dPPipe());
}
BENCHMARK(BM_fun_dPPipe);

}  // namespace

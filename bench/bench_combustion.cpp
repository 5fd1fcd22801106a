// Flue gas from fuel: one whole combustion calculation, flame temperature included, for a
// solid fuel with excess air and a fuel gas with an O2 target and CO. The air moisture is given
// in kg/kg: a relative humidity adds one steam table lookup (see bench_steam).
#include <benchmark/benchmark.h>

#include "Combustion.h"

namespace {

namespace fg = tw::fluegas;

fg::CombustionInput coal() {
    fg::CombustionInput in;
    in.fuel.kind = fg::FuelKind::Solid;
    in.fuel.percent = {65.4, 4.2, 7.8, 1.3, 0.8, 10.5, 10};
    in.airQuantityPercent = 20;
    return in;
}

fg::CombustionInput naturalGas() {
    fg::CombustionInput in;
    in.fuel.kind = fg::FuelKind::Gas;
    in.fuel.percent = {91, 4.5, 1.5, 0.5, 0, 0, 1, 1.5};  // CH4 .. C4H10, H2, CO, CO2, N2
    in.airQuantity = fg::AirQuantity::O2Dry;
    in.airQuantityPercent = 3;
    in.coPpm = 50;
    in.airTemperatureC = 300;
    return in;
}

void BM_CombustionCalculation(benchmark::State& state) {
    const fg::CombustionInput in = state.range(0) == 0 ? coal() : naturalGas();
    double flame = 0;
    for (auto _ : state) {
        const fg::FlueGasFromFuelOutcome outcome = fg::evaluateFlueGasFromFuel(in);
        flame = outcome.result->adiabaticFlameTemperatureC.value_or(0);
        benchmark::DoNotOptimize(outcome);
    }
    state.SetLabel((state.range(0) == 0 ? "coal, flame " : "natural gas, flame ") +
                   std::to_string(flame) + " oC");
}
BENCHMARK(BM_CombustionCalculation)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

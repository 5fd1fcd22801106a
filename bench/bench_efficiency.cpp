// Boiler efficiency: one whole calculation (the combustion, the losses and the flue gas
// calculator's dew points) for a coal with carbon in the refuse and a natural gas, and sweeps of
// 100 points over stack temperature and over dry O2.
#include <benchmark/benchmark.h>

#include "BoilerEfficiency.h"

namespace {

namespace fg = tw::fluegas;

fg::EfficiencyInput coal() {
    fg::EfficiencyInput in;
    in.combustion.fuel.kind = fg::FuelKind::Solid;
    in.combustion.fuel.percent = {65.4, 4.2, 7.8, 1.3, 0.8, 10.5, 10};
    in.combustion.airQuantityPercent = 20;
    in.stackTemperatureC = 150;
    in.carbonInRefusePercent = 5;
    in.radiationLossPercent = 0.8;
    in.fuelFlow = fg::FuelFlow{fg::FuelFlowBasis::KgPerH, 10000};
    return in;
}

fg::EfficiencyInput naturalGas() {
    fg::EfficiencyInput in;
    in.combustion.fuel.kind = fg::FuelKind::Gas;
    in.combustion.fuel.percent = {91, 4.5, 1.5, 0.5,
                                  0,  0,   1,   1.5};  // CH4 .. C4H10, H2, CO, CO2, N2
    in.combustion.airQuantity = fg::AirQuantity::O2Dry;
    in.combustion.airQuantityPercent = 3;
    in.combustion.coPpm = 50;
    in.stackTemperatureC = 180;
    in.analyser = fg::findAnalyserFuel("gas");
    return in;
}

void BM_EfficiencyCalculation(benchmark::State& state) {
    const fg::EfficiencyInput in = state.range(0) == 0 ? coal() : naturalGas();
    double gross = 0;
    for (auto _ : state) {
        const fg::EfficiencyOutcome outcome = fg::evaluateBoilerEfficiency(in);
        gross = outcome.result->efficiencyHhvPercent;
        benchmark::DoNotOptimize(outcome);
    }
    state.SetLabel((state.range(0) == 0 ? "coal, gross " : "natural gas, gross ") +
                   std::to_string(gross) + " %");
}
BENCHMARK(BM_EfficiencyCalculation)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// 100 points: stack 100 to 298 oC by 2 K, or O2 dry 1 to 10.9 % by 0.1 %.
void BM_EfficiencySweep(benchmark::State& state) {
    const bool byStack = state.range(0) == 0;
    const fg::EfficiencyInput in = coal();
    const fg::SweepRange range =
        byStack ? fg::SweepRange{100, 298, 2} : fg::SweepRange{1, 10.9, 0.1};
    const auto variable = byStack ? fg::SweepVariable::StackTemperature : fg::SweepVariable::O2Dry;
    std::size_t points = 0;
    for (auto _ : state) {
        const fg::EfficiencySweepOutcome outcome = fg::sweepBoilerEfficiency(in, variable, range);
        points = outcome.points.size();
        benchmark::DoNotOptimize(outcome);
    }
    state.SetLabel(std::string(byStack ? "stack temperature, " : "O2 dry, ") +
                   std::to_string(points) + " points");
}
BENCHMARK(BM_EfficiencySweep)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

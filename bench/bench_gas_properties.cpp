// The gas properties' wait: one property set of a coal flue gas (viscosity, conductivity, cp
// and the rest at 150 oC, 1 atm), a 1000-point table over temperature, and the twcalc command
// with its dew points.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "Commands.h"
#include "GasProperties.h"
#include "tw/MessageSink.h"

namespace {

namespace gp = tw::gasprops;

gp::GasMixture flueGas() {
    const std::array<double, tw::kGasComponentCount> percent{74.0, 4.0, 13.5, 0.0, 0.1, 7.5, 0.9};
    return *gp::normaliseComposition(true, percent);
}

void BM_OnePropertySet(benchmark::State& state) {
    const gp::GasMixture gas = flueGas();
    for (auto _ : state) {
        benchmark::DoNotOptimize(gp::gasProperties(gas, 423.15, 101325.0));
    }
}
BENCHMARK(BM_OnePropertySet);

void BM_SweepOf1000Temperatures(benchmark::State& state) {
    const gp::GasMixture gas = flueGas();
    for (auto _ : state) {
        for (int k = 0; k < 1000; ++k) {
            benchmark::DoNotOptimize(gp::gasPropertiesUnchecked(gas, 300.0 + 1.5 * k, 101325.0));
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_SweepOf1000Temperatures);

// The whole command line: parsing, the state, the dew points (a steam table lookup) and the
// JSON text; with --sweep, 1000 rows.
void BM_TwcalcGasProperties(benchmark::State& state) {
    std::vector<std::string> args = {
        "twcalc", "gas-properties", "--n2", "74",   "--o2", "4",   "--co2", "13.5",  "--so2",
        "0.1",    "--h2o",          "7.5",  "--ar", "0.9",  "--t", "150",   "--json"};
    if (state.range(0) != 0) {
        args.insert(args.end(), {"--sweep", "t", "30:1028:1"});
    }
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    for (auto _ : state) {
        std::ostringstream out, err;
        benchmark::DoNotOptimize(twcalc::run(static_cast<int>(argv.size()), argv.data(), out, err));
    }
}
BENCHMARK(BM_TwcalcGasProperties)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

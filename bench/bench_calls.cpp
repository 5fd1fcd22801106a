// Single calls of the command layer as the Python module makes them: a command made ready once
// and run with its arguments as texts, against a run of the whole command line, and the
// calculation alone behind each.

#include <benchmark/benchmark.h>

#include <array>

#include "CommandLayer.h"
#include "FlueGasBatch.h"
#include "FlueGasCalculator.h"
#include "JsonWriter.h"
#include "tw/MessageSink.h"
#include "tw/Stable.h"

namespace {

using Given = twcalc::PreparedCommand::Given;

void runPrepared(benchmark::State& state, const std::vector<std::string>& path,
                 const std::vector<Given>& given) {
    twcalc::PreparedCommand command(path);
    for (auto _ : state) {
        auto outcome = command.run(given);
        benchmark::DoNotOptimize(outcome);
        twcalc::dismantle(outcome->value);  // as the Python module lets go of it
    }
}

void BM_PreparedSteamSat(benchmark::State& state) {
    runPrepared(state, {"steam", "sat"}, {{1, "100"}});
}
BENCHMARK(BM_PreparedSteamSat);

void BM_PreparedConvert(benchmark::State& state) {
    runPrepared(state, {"convert"}, {{0, "PR"}, {1, "0"}, {2, "1"}, {3, "10"}});
}
BENCHMARK(BM_PreparedConvert);

void BM_PreparedFlueGas(benchmark::State& state) {
    // n2 ar o2 co2 co so2 h2o t tref: the typical request
    runPrepared(state, {"fluegas"},
                {{0, "76"},
                 {1, "0.9"},
                 {2, "4"},
                 {3, "12"},
                 {4, "0"},
                 {5, "0.1"},
                 {6, "7"},
                 {7, "300"},
                 {8, "25"}});
}
BENCHMARK(BM_PreparedFlueGas);

void BM_CommandLineSteamSat(benchmark::State& state) {
    const std::vector<std::string> line{"steam", "sat", "--tp=100"};
    for (auto _ : state) {
        auto outcome = twcalc::evaluate(line);
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(BM_CommandLineSteamSat);

// The lookup behind steam sat.
void BM_SSTABLE(benchmark::State& state) {
    tw::Stable st;
    for (auto _ : state) {
        st.SSTABLE(tw::ktoSStable_TP, 100.0f);
        benchmark::DoNotOptimize(st.PSAT());
    }
}
BENCHMARK(BM_SSTABLE);

// What the flue gas command's work is made of: the table of the case with its captions, and the
// calculation of a table.
tw::fluegas::FlueGasCase typicalCase() {
    return tw::fluegas::parseFlueGasCase({{"n2", "76"},
                                          {"ar", "0.9"},
                                          {"o2", "4"},
                                          {"co2", "12"},
                                          {"co", "0"},
                                          {"so2", "0.1"},
                                          {"h2o", "7"},
                                          {"t", "300"},
                                          {"tref", "25"}});
}

void BM_FlueGasTableForCase(benchmark::State& state) {
    const tw::fluegas::FlueGasCase c = typicalCase();
    for (auto _ : state) benchmark::DoNotOptimize(tw::fluegas::tableForCase(c));
}
BENCHMARK(BM_FlueGasTableForCase);

void BM_FlueGasCalculateTable(benchmark::State& state) {
    tw::RecordingMessageSink sink;
    const tw::ScopedMessageSink guard(sink);
    const tw::fluegas::CalculatorTable typed = tw::fluegas::tableForCase(typicalCase());
    for (auto _ : state) {
        tw::fluegas::CalculatorTable table = typed;
        benchmark::DoNotOptimize(tw::fluegas::Calculate(table));
        sink.clear();
    }
}
BENCHMARK(BM_FlueGasCalculateTable);

}  // namespace

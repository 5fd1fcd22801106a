// The flue gas calculator's wait: one Calculate of the typical request (76, 0.9, 4, 12, 0, 0.1,
// 7; 300 oC against 25 oC), and cases per second of a CSV batch.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "FlueGasBatch.h"
#include "FlueGasCalculator.h"
#include "mdlTW_FlueGas.h"
#include "tw/MessageSink.h"

namespace {

namespace fg = tw::fluegas;

void typeTypical(fg::CalculatorTable& table) {
    const char* typed[] = {"76", "0.9", "4", "12", "0", "0.1", "7"};
    for (int row = 1; row <= 7; ++row) table.setValue(row, typed[row - 1]);
    table.setValue(fg::rowGasTemperature, "300");
    table.setValue(fg::rowReferenceTemperature, "25");
}

void BM_CalculateTypicalRequest(benchmark::State& state) {
    tw::TW_Language = tw::TW_English;
    tw::RecordingMessageSink sink;
    tw::ScopedMessageSink guard(sink);
    fg::CalculatorTable table;
    table.SelectFormula(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        typeTypical(table);
        benchmark::DoNotOptimize(fg::Calculate(table));
    }
    state.SetLabel(table.value(fg::rowGasEnthalpy) + " " + table.text(fg::rowGasEnthalpy, 1));
}
BENCHMARK(BM_CalculateTypicalRequest)->Arg(fg::NasaGlenn)->Arg(fg::AsmePtc44)->Arg(fg::BnWSteam);

// A batch of gases around the typical one, every formula, some refused.
std::string batchCsv(int cases) {
    std::ostringstream csv;
    csv << "n2,ar,o2,co2,co,so2,h2o,t,tref,formula,so3\n";
    for (int i = 0; i < cases; ++i) {
        const int o2 = 2 + i % 6;
        csv << 80 - o2 << ",0.9," << o2 << ",12,0,0." << 1 + i % 3 << ",7.1," << 150 + i % 500
            << ",25," << i % 3 << ',' << (i % 4 == 0 ? "2" : "") << '\n';
    }
    return csv.str();
}

void BM_BatchCasesPerSecond(benchmark::State& state) {
    tw::TW_Language = tw::TW_English;
    const std::string csv = batchCsv(static_cast<int>(state.range(0)));
    std::size_t cases = 0;
    for (auto _ : state) {
        std::istringstream in(csv);
        std::ostringstream out;
        cases += fg::runFlueGasBatch(in, out);
        benchmark::DoNotOptimize(out.str());
    }
    state.counters["cases/s"] =
        benchmark::Counter(static_cast<double>(cases), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchCasesPerSecond)->Arg(1000);

}  // namespace

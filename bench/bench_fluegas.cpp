// The flue gas calculator's wait: one Calculate of the typical request (76, 0.9, 4, 12, 0, 0.1,
// 7; 300 oC against 25 oC), the NASA polynomials of one calculation, and cases per second of a
// CSV batch on one and on two threads.
#include <benchmark/benchmark.h>

#include <sstream>
#include <streambuf>
#include <string>

#include "FlueGasBatch.h"
#include "FlueGasCalculator.h"
#include "mdlTW_FlueGas.h"
#include "mdlTW_NASA_TP.h"
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

// The fourteen species evaluations of one NASA calculation (seven species at two temperatures).
void BM_NasaPolynomialsOfOneCalculation(benchmark::State& state) {
    const auto& species = tw::nasaGlennSpecies();
    double t = 573.15;
    for (auto _ : state) {
        for (double T : {t, 298.15}) {
            for (const tw::NasaSpeciesTable& s : species) {
                benchmark::DoNotOptimize(tw::nasaPolynomials(s.intervals[0], T, s.M));
            }
        }
        t = t < 999.0 ? t + 1.0 : 573.15;
    }
}
BENCHMARK(BM_NasaPolynomialsOfOneCalculation);

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

// Output that is only counted, as a fast disk would take it.
class CountingBuffer : public std::streambuf {
  public:
    std::size_t bytes = 0;

  protected:
    std::streamsize xsputn(const char*, std::streamsize n) override {
        bytes += static_cast<std::size_t>(n);
        return n;
    }
    int_type overflow(int_type c) override {
        ++bytes;
        return c;
    }
};

// Cases per second of a batch of 20,000 cases on one and on two threads (real time).
void BM_BatchCasesPerSecond(benchmark::State& state) {
    tw::TW_Language = tw::TW_English;
    const std::string csv = batchCsv(20000);
    const auto jobs = static_cast<unsigned>(state.range(0));
    std::size_t cases = 0;
    for (auto _ : state) {
        std::istringstream in(csv);
        CountingBuffer counted;
        std::ostream out(&counted);
        cases += fg::runFlueGasBatch(in, out, jobs).cases;
        benchmark::DoNotOptimize(counted.bytes);
    }
    state.counters["cases/s"] =
        benchmark::Counter(static_cast<double>(cases), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchCasesPerSecond)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

// What the window's ways out cost after a Calculate: the calculation sheet's content, the
// stale check that runs after every edit (the inputs shown against those calculated), and the
// spreadsheet table of Save results, for the typical request.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "CalculationRecord.h"
#include "CalculationReport.h"
#include "FlueGasCalculator.h"
#include "mdlTW_FlueGas.h"
#include "tw/MessageSink.h"

namespace {

namespace fg = tw::fluegas;

fg::CalculatorTable typicalTable() {
    fg::CalculatorTable table;
    const char* typed[] = {"76", "0.9", "4", "12", "0", "0.1", "6"};
    for (int row = 1; row <= 7; ++row) table.setValue(row, typed[row - 1]);
    table.setValue(fg::rowGasTemperature, "300");
    table.setValue(fg::rowReferenceTemperature, "25");
    return table;
}

fg::CalculationRecord typicalRecord() {
    tw::TW_Language = tw::TW_English;
    tw::RecordingMessageSink sink;
    tw::ScopedMessageSink guard(sink);
    fg::CalculatorTable table = typicalTable();
    return *fg::CalculateAndRecord(table);
}

void BM_CalculationSheet(benchmark::State& state) {
    const fg::CalculationRecord record = typicalRecord();
    const fg::ReportHeader header{"Unit 3", "Full load", "J. Kim", "M. Lee", "2026-12-09"};
    const auto language = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            fg::buildCalculationReport(record, "TW_FlueGas Ver. 1", language, header));
    }
}
BENCHMARK(BM_CalculationSheet)->Arg(tw::TW_Korean)->Arg(tw::TW_English);

void BM_StaleCheckAfterAnEdit(benchmark::State& state) {
    const fg::CalculatorTable table = typicalTable();
    const auto calculated = fg::caseOptions(fg::caseOfTable(table));
    for (auto _ : state) {
        benchmark::DoNotOptimize(fg::caseOptions(fg::caseOfTable(table)) == calculated);
    }
}
BENCHMARK(BM_StaleCheckAfterAnEdit);

void BM_SpreadsheetTable(benchmark::State& state) {
    const fg::CalculationRecord record = typicalRecord();
    for (auto _ : state) {
        benchmark::DoNotOptimize(fg::resultsSpreadsheetCsv(record, tw::TW_English));
    }
}
BENCHMARK(BM_SpreadsheetTable);

}  // namespace

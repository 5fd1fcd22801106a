#pragma once
// The last completed calculation, as the ways out of the calculator need it (the calculation
// report, the results CSV): the inputs as the calculation read them, its results and the
// messages it showed. It is built from the table model and the driver's results, never from
// the texts a window shows, so that a report or a file says exactly what was calculated.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CalculatorTable.h"
#include "Combustion.h"
#include "FlueGasBatch.h"
#include "FlueGasCalculator.h"
#include "tw/MessageSink.h"

namespace tw::fluegas {

struct CalculationRecord {
    // The inputs read, as a case that types them into a fresh table; with the units in force.
    FlueGasCase inputs;
    FlueGasResults results;
    // Every message the run showed, in order.
    std::vector<RecordedMessage> messages;
    // When the calculation ran, as the caller writes it ("2026-05-04 14:30").
    std::string dateTime;
    // The fuel, air and result the composition came from, when it came from the fuel
    // calculation unchanged.
    struct FuelOrigin {
        CombustionInput input;
        FlueGasFromFuelResult result;
    };
    std::optional<FuelOrigin> fuel;
};

// "Calculate" as the button runs it, keeping what it read, what it found and a copy of every
// message it showed (the messages still reach the installed sink). Nothing when the run ended
// at a message.
std::optional<CalculationRecord> CalculateAndRecord(CalculatorTable& table);

// The case that types `input` into a fresh table with the units of `unit`: each number in the
// shortest form that reads back to the same single (without "+" in an exponent, so that the
// table's editor would take it too).
FlueGasCase caseOfInput(const FlueGasInput& input, const Unit& unit);
// The case a table shows: the texts of rows 1 to 7, 9 and 10 as they stand, its basis,
// formula and SO3 mode (with the text of row 13 in user-input mode, unless it is "N/A") and
// its temperature, enthalpy and pressure units.
FlueGasCase caseOfTable(const CalculatorTable& table);
// The case as option names and values, in the order of kCellOptionNames and
// kSettingOptionNames, such that parseFlueGasCase reads the same case back.
std::vector<std::pair<std::string, std::string>> caseOptions(const FlueGasCase& flueGasCase);

// A table in the program language holding the record's inputs and its results as the
// calculation wrote them.
CalculatorTable resultTable(const CalculationRecord& record);

// The record as the CSV that `twcalc fluegas --csv` writes for this case (header line and one
// row), UTF-8 with a byte order mark so that spreadsheets show Korean text.
std::string resultsCsv(const CalculationRecord& record);

// The record as a table for a spreadsheet: one header row of the quantity names in `language`
// with their units ("N2 [Volume %]"), one row of their numbers; a cell that holds no number
// ("N/A") stays empty. Comma separated with a decimal point, UTF-8 with a byte order mark.
std::string resultsSpreadsheetCsv(const CalculationRecord& record, std::int32_t language);

}  // namespace tw::fluegas

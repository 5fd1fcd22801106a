#pragma once
// The calculation driver of the flue gas calculator and the composition tools, as operations
// on the calculator table. They run the same with or without a window: the window fills in the
// table's editor and menu hooks, the driver's messages go to tw::messageSink().

#include <array>
#include <functional>
#include <optional>

#include "CalculatorTable.h"

namespace tw::fluegas {

// Caption of the driver's messages.
inline constexpr const char* kApplicationTitle = "TW_FlueGas";
// The text of a result that is not available.
inline constexpr const char* kNotAvailable = "N/A";
// The standard atmosphere, kg/cm2 a: the total pressure of the water dew point.
inline constexpr float kStandardAtmosphereKgPerCm2 = 1.0332f;

// What one calculation reads from the table (numbers by the leading-number rule, single).
struct FlueGasInput {
    std::array<float, kSpeciesCount> composition{};  // calculation order N2, O2, ..., Ar
    CompositionBasis basis = CompositionBasis::Volume;
    float gasTemperature = 0;        // current temperature unit
    float referenceTemperature = 0;  // current temperature unit
    int formula = NasaGlenn;
    So3Mode so3Mode = So3Mode::Automatic;
    float userSo3ConversionRate = 0;  // percent, row 13; read only in user-input mode
};

// What one calculation produced. A run that ends at a message leaves `complete` false and
// every field after the point where it stopped empty.
struct FlueGasResults {
    bool complete = false;
    // Row 8 as first written ("0.000"); empty when the input was refused before the sum.
    std::optional<float> componentTotal;
    // Only when the total is not exactly 100: the composition scaled to 100 percent in the
    // table's basis (calculation order) and its sum, rewritten into rows 1 to 8.
    std::optional<std::array<float, kSpeciesCount>> normalisedComposition;
    float normalisedTotal = 0;
    float moleWeight = 0;
    float gasEnthalpy = 0;  // current enthalpy unit
    // Acid and water dew points in the current temperature unit; empty is "N/A". In user-input
    // mode the rate is the user's and row 13 keeps its text.
    std::optional<float> so3ConversionRate;
    bool so3RateFromUser = false;
    std::optional<float> okkesDewPoint;
    std::optional<float> verhoffDewPoint;
    std::optional<float> waterDewPoint;
};

// Reads the composition (table rows mapped to calculation order), the two temperatures, the
// SO3 rate and the window state.
FlueGasInput ReadFlueGasInput(const CalculatorTable& table);
// The same, with the value cells' texts given by `valueOf(row)` and the window state (units,
// basis, formula, SO3 mode) from `table`: a case read without typing it into a table first.
FlueGasInput ReadFlueGasInput(const CalculatorTable& table,
                              const std::function<std::string_view(int row)>& valueOf);
// The same with the value cells' numbers, as cellNumber reads them, given by `numberOf(row)`.
FlueGasInput ReadFlueGasNumbers(const CalculatorTable& table,
                                const std::function<float(int row)>& numberOf);

// Rows 1 to 7 in calculation order (N2, O2, CO2, CO, SO2, H2O, Ar), their numbers given by
// `numberOf(row)`: any callable, called directly, for the readers of many cases.
template <class NumberOf>
std::array<float, kSpeciesCount> compositionNumbersOf(const NumberOf& numberOf) {
    std::array<float, kSpeciesCount> composition{};
    const auto& rows = rowDefinitions();
    for (int row = kFirstCompositionRow; row <= kLastCompositionRow; ++row) {
        const int slot = rows[static_cast<std::size_t>(row)].speciesSlot;
        composition[static_cast<std::size_t>(slot)] = numberOf(row);
    }
    return composition;
}

// ReadFlueGasNumbers with any callable, called directly.
template <class NumberOf>
FlueGasInput flueGasNumbersOf(const CalculatorTable& table, const NumberOf& numberOf) {
    FlueGasInput input;
    input.composition = compositionNumbersOf(numberOf);
    input.basis = table.compositionBasis();
    input.gasTemperature = numberOf(rowGasTemperature);
    input.referenceTemperature = numberOf(rowReferenceTemperature);
    input.formula = table.enthalpyFormula();
    input.so3Mode = table.so3Mode();
    if (input.so3Mode == So3Mode::UserInput) {
        input.userSo3ConversionRate = numberOf(rowSo3ConversionRate);
    }
    return input;
}

// Checks the input and runs the flue gas routines in their fixed order with `unit` giving the
// user's units; messages in the program language. A refused input or an arithmetic fault
// (shown as "Error #" + number) ends the run; the partial results say how far it came.
// The NASA Glenn enthalpy fills the NASA routines' records (NasaResult, SpeciesProperties) as
// those routines do, or, for callers that only want the results (a batch), works out only the
// species' enthalpies: the results are the same bits either way.
enum class NasaRecords { Kept, NotKept };
FlueGasResults CalculateFlueGas(const FlueGasInput& input, const Unit& unit,
                                NasaRecords records = NasaRecords::Kept);

// Writes the results into the table: row 8, and for a complete run rows 11 to 16 and, when the
// composition was normalised, rows 1 to 8 again.
void WriteFlueGasResults(CalculatorTable& table, const FlueGasResults& results);
// The same, handing each value cell's new text to `setValue(row, text)`.
void WriteFlueGasResults(const FlueGasResults& results,
                         const std::function<void(int row, std::string text)>& setValue);
// What WriteFlueGasResults puts in value cell `row`: nothing (the cell stays as it was), "N/A",
// or a value in the pattern of so many decimals.
struct ResultCell {
    enum class Shows : unsigned char { Nothing, NotAvailable, Value };
    Shows shows = Shows::Nothing;
    float value = 0;
    int decimals = 0;
};
ResultCell resultCell(const FlueGasResults& results, int row);
// The text WriteFlueGasResults leaves in value cell `row`, appended to `out`; false, with
// nothing appended, for a row it leaves as it was.
bool appendResultText(std::string& out, const FlueGasResults& results, int row);

// "Calculate": commits the editor, reads, calculates, writes, and reloads the editor after a
// complete run.
FlueGasResults Calculate(CalculatorTable& table);

// "Make 100% by H2O": row 7 := 100 minus the sum of rows 1 to 6 ("0.000"), without any limit.
void MakeHundredByH2O(CalculatorTable& table);
// "Component total": row 8 := the sum of rows 1 to 7 ("0.000").
void ShowComponentTotal(CalculatorTable& table);
// The volume / weight percent switch: converts the composition shown into the other basis
// (rows 1 to 7 "0.000", total in row 8 "0.00", mole weight in row 11 "0.00"). Choosing the
// basis in force changes nothing; an empty composition only changes the unit texts.
void SetCompositionBasis(CalculatorTable& table, CompositionBasis basis);

}  // namespace tw::fluegas

#pragma once
// Reading the composition from the calculator table and refusing numbers that no calculation
// can take (negative percents, numbers beyond the single-precision range). Shared by the
// driver and the composition tools.

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "CalculatorTable.h"
#include "FlueGasCalculator.h"

namespace tw::fluegas {

// A refusal of the driver or a tool, in both languages.
struct Refusal {
    std::string korean;
    std::string english;
};

// Shows the refusal in the program language (none for another language value), critical icon,
// with the application title as caption.
void showRefusal(const Refusal& refusal);

// Rows 1 to 7 in calculation order (N2, O2, CO2, CO, SO2, H2O, Ar).
std::array<float, kSpeciesCount> readComposition(const CalculatorTable& table);
// The same from the value cells' texts by row.
std::array<float, kSpeciesCount> readCompositionNumbers(
    const std::function<float(int row)>& numberOf);
std::array<float, kSpeciesCount> readComposition(
    const std::function<std::string_view(int row)>& valueOf);

// N2 + O2 + CO2 + CO + SO2 + H2O + Ar in calculation order, rounded to single.
float compositionTotal(const std::array<float, kSpeciesCount>& composition);

// A number of row `row` that is not finite, as a refusal naming the row.
std::optional<Refusal> refuseNonFinite(int row, float value);
// A percent below zero in row `row`.
std::optional<Refusal> refuseNegative(int row, float value);
// Every number the driver reads: negative or non-finite composition entries, non-finite
// temperatures, a non-finite user SO3 rate.
std::optional<Refusal> refuseUnreadableInput(const FlueGasInput& input);
// A total that overflowed the single-precision range.
std::optional<Refusal> refuseUnreadableTotal(float total);

}  // namespace tw::fluegas

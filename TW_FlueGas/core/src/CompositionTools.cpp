// The composition tools of the calculator table: "Make 100% by H2O", "Component total" and the
// switch between volume and weight percent.

#include <cmath>
#include <optional>
#include <span>

#include "CalculatorInput.h"
#include "FlueGasCalculator.h"
#include "mdlTW_FlueGas.h"
#include "tw/Format.h"

namespace tw::fluegas {
namespace {

// Rows first..last read as numbers, in table order; empty when a number is beyond the single
// range (the refusal has been shown).
template <int First, int Last>
std::optional<std::array<float, Last - First + 1>> readRows(const CalculatorTable& table) {
    std::array<float, Last - First + 1> values{};
    for (int row = First; row <= Last; ++row) {
        const float x = table.number(row);
        if (auto refusal = refuseNonFinite(row, x)) {
            showRefusal(*refusal);
            return std::nullopt;
        }
        values[static_cast<std::size_t>(row - First)] = x;
    }
    return values;
}

double sum(std::span<const float> values) {
    double s = 0;
    for (float v : values) s += v;
    return s;
}

}  // namespace

void MakeHundredByH2O(CalculatorTable& table) {
    table.commitEditor();
    const auto others = readRows<rowN2, rowSO2>(table);
    if (!others) return;
    // No limit: a sum above 100 gives a negative H2O, which tells the user the rest is too much.
    const double h2o = 100.0 - sum(*others);
    if (auto refusal = refuseNonFinite(rowH2O, static_cast<float>(h2o))) {
        showRefusal(*refusal);
        return;
    }
    table.setValue(rowH2O, format000(static_cast<float>(h2o)));
    table.loadEditor();
}

void ShowComponentTotal(CalculatorTable& table) {
    table.commitEditor();
    const auto species = readRows<rowN2, rowH2O>(table);
    if (!species) return;
    const float total = static_cast<float>(sum(*species));
    if (auto refusal = refuseUnreadableTotal(total)) {
        showRefusal(*refusal);
        return;
    }
    table.setValue(rowComponentTotal, format000(total));
}

void SetCompositionBasis(CalculatorTable& table, CompositionBasis basis) {
    if (basis == table.compositionBasis()) return;
    table.commitEditor();
    // A composition that cannot be converted is refused before anything changes, so that the
    // unit texts never claim a basis the numbers are not in.
    const std::array<float, kSpeciesCount> c = readComposition(table);
    for (int row = kFirstCompositionRow; row <= kLastCompositionRow; ++row) {
        const float x = c[static_cast<std::size_t>(
            rowDefinitions()[static_cast<std::size_t>(row)].speciesSlot)];
        auto refusal = refuseNonFinite(row, x);
        if (!refusal) refusal = refuseNegative(row, x);
        if (refusal) {
            showRefusal(*refusal);
            return;
        }
    }
    if (auto refusal = refuseUnreadableTotal(compositionTotal(c))) {
        showRefusal(*refusal);
        return;
    }
    const bool wasVolume = table.compositionBasis() == CompositionBasis::Volume;
    table.setBasisOnly(basis);
    // An empty composition has nothing to convert: the record of an earlier gas must not be
    // written into the table in its place.
    if (tryFlueGasMoleWeight(wasVolume, c[0], c[1], c[2], c[3], c[4], c[5], c[6])) {
        const auto& converted = basis == CompositionBasis::Volume ? FlueGasComposition.VolPercent
                                                                  : FlueGasComposition.WtPercent;
        for (int slot = 0; slot < kSpeciesCount; ++slot) {
            table.setValue(rowOfSpecies(slot),
                           format000(converted[static_cast<std::size_t>(slot)]));
        }
        table.setValue(rowComponentTotal, format00(static_cast<float>(sum(converted))));
        table.setValue(rowMoleWeight, format00(FlueGasComposition.MoleWeight));
    }
    table.loadEditor();
}

}  // namespace tw::fluegas

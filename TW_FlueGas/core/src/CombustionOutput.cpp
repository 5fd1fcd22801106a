// The flue gas from fuel as it is shown, and written into the calculator table.

#include <algorithm>
#include <cmath>

#include "Combustion.h"
#include "tw/Format.h"

namespace tw::fluegas {

const std::array<CombustionResultLine, kCombustionResultLineCount>& combustionResultLines() {
    using R = FlueGasFromFuelResult;
    using V = std::optional<double>;
    static constexpr std::array<CombustionResultLine, kCombustionResultLineCount> kLines{{
        {{"고위발열량 (HHV)", "Higher heating value (HHV)"},
         {"kJ/kg", "kJ/kg"},
         1,
         [](const R& r) -> V { return r.hhvKJPerKg; }},
        {{"저위발열량 (LHV)", "Lower heating value (LHV)"},
         {"kJ/kg", "kJ/kg"},
         1,
         [](const R& r) -> V { return r.lhvKJPerKg; }},
        {{"고위발열량 (HHV)", "Higher heating value (HHV)"},
         {"kJ/Nm3", "kJ/Nm3"},
         1,
         [](const R& r) -> V { return r.hhvKJPerNm3; },
         true},
        {{"저위발열량 (LHV)", "Lower heating value (LHV)"},
         {"kJ/Nm3", "kJ/Nm3"},
         1,
         [](const R& r) -> V { return r.lhvKJPerNm3; },
         true},
        {{"이론 공기량 (건공기)", "Stoichiometric air (dry)"},
         {"kg/kg 연료", "kg/kg fuel"},
         4,
         [](const R& r) -> V { return r.stoichiometricAirKgPerKg; }},
        {{"공기량 (건공기)", "Air (dry)"},
         {"kg/kg 연료", "kg/kg fuel"},
         4,
         [](const R& r) -> V { return r.airKgPerKg; }},
        {{"공기량 (건공기)", "Air (dry)"},
         {"Nm3/kg 연료", "Nm3/kg fuel"},
         4,
         [](const R& r) -> V { return r.airNm3PerKg; }},
        {{"공기량 (건공기)", "Air (dry)"},
         {"Nm3/Nm3 연료", "Nm3/Nm3 fuel"},
         4,
         [](const R& r) -> V { return r.airNm3PerNm3; },
         true},
        {{"과잉 공기", "Excess air"},
         {"%", "%"},
         2,
         [](const R& r) -> V { return r.excessAirPercent; }},
        {{"공기 습도", "Air humidity"},
         {"kg/kg 건공기", "kg/kg dry air"},
         4,
         [](const R& r) -> V { return r.humidityKgPerKg; }},
        {{"배기가스량", "Flue gas"},
         {"kg/kg 연료", "kg/kg fuel"},
         4,
         [](const R& r) -> V { return r.flueGasKgPerKg; }},
        {{"배기가스량", "Flue gas"},
         {"Nm3/kg 연료", "Nm3/kg fuel"},
         4,
         [](const R& r) -> V { return r.flueGasNm3PerKg; }},
        {{"배기가스량", "Flue gas"},
         {"Nm3/Nm3 연료", "Nm3/Nm3 fuel"},
         4,
         [](const R& r) -> V { return r.flueGasNm3PerNm3; },
         true},
        {{"배기가스 몰 중량", "Flue gas mole weight"},
         {"kg/kmol", "kg/kmol"},
         3,
         [](const R& r) -> V { return r.moleWeight; }},
        {{"최대 CO2 (건가스, 이론 공기)", "CO2 max (dry, stoichiometric)"},
         {"%", "%"},
         2,
         [](const R& r) -> V { return r.co2MaxDryPercent; }},
        {{"단열 화염 온도", "Adiabatic flame temperature"},
         {"oC", "oC"},
         1,
         [](const R& r) -> V { return r.adiabaticFlameTemperatureC; }},
        {{"단열 화염 온도", "Adiabatic flame temperature"},
         {"K", "K"},
         1,
         [](const R& r) -> V {
             if (!r.adiabaticFlameTemperatureC) return std::nullopt;
             return *r.adiabaticFlameTemperatureC + kKelvinAtZeroCelsius;
         }},
    }};
    return kLines;
}

namespace {

// Thousandths of a percent, so that the texts add up to 100.000 exactly and the calculator takes
// the composition as it stands, without normalising it.
std::array<long long, kSpeciesCount> compositionThousandths(const FlueGasFromFuelResult& result,
                                                            CompositionBasis basis) {
    const auto& percent =
        basis == CompositionBasis::Volume ? result.wetVolPercent : result.wetWtPercent;
    constexpr long long kHundredPercent = 100000;
    std::array<long long, kSpeciesCount> milli{};
    long long sum = 0;
    for (std::size_t i = 0; i < milli.size(); ++i) {
        milli[i] = std::llround(percent[i] * 1000);
        sum += milli[i];
    }
    *std::max_element(milli.begin(), milli.end()) += kHundredPercent - sum;
    return milli;
}

}  // namespace

std::array<std::string, kSpeciesCount> flueGasCompositionTexts(const FlueGasFromFuelResult& result,
                                                               CompositionBasis basis) {
    const auto milli = compositionThousandths(result, basis);
    std::array<std::string, kSpeciesCount> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i] = fixedDecimals(static_cast<double>(milli[i]) / 1000, 3);
    }
    return texts;
}

std::array<float, kSpeciesCount> flueGasCompositionCells(const FlueGasFromFuelResult& result,
                                                         CompositionBasis basis) {
    // The text of n / 1000 with three decimals is that decimal exactly, and the table reads it
    // to the double nearest to it: the correctly rounded quotient n / 1000 itself.
    const auto milli = compositionThousandths(result, basis);
    std::array<float, kSpeciesCount> cells{};
    for (std::size_t i = 0; i < cells.size(); ++i) {
        cells[i] = static_cast<float>(static_cast<double>(milli[i]) / 1000);
    }
    return cells;
}

void ApplyFlueGasFromFuel(CalculatorTable& table, const FlueGasFromFuelResult& result) {
    table.commitEditor();
    const auto texts = flueGasCompositionTexts(result, table.compositionBasis());
    double total = 0;
    for (int slot = 0; slot < kSpeciesCount; ++slot) {
        const std::string& text = texts[static_cast<std::size_t>(slot)];
        table.setValue(rowOfSpecies(slot), text);
        total += cellNumber(text);
    }
    table.setValue(rowComponentTotal, format000(static_cast<float>(total)));
    table.loadEditor();
}

}  // namespace tw::fluegas

#pragma once
// Flue gas from fuel: the flue gas composition, air and flue gas quantities, heating values and
// adiabatic flame temperature of a fuel burnt completely with a given excess air or to a given
// O2 in the flue gas. In double precision, without any window; the chosen composition can be
// written into the calculator table.
//
// Fuel: a solid or liquid fuel by ultimate analysis (mass percent as fired) or a fuel gas by
// volume percent, keys in CombustionData.h. Products: all C to CO2 (less an optional CO in ppm
// of the dry flue gas), H to H2O, S to SO2; the fuel's N2, O2, H2O, CO2 and Ar are carried
// through. Combustion short of stoichiometric air and dissociation are not modelled.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "CalculatorTable.h"
#include "CombustionData.h"

namespace tw::fluegas {

// Caption of the messages of the calculation.
inline constexpr const char* kFlueGasFromFuelCaption = "Function FlueGasFromFuel";

struct FuelAnalysis {
    FuelKind kind = FuelKind::Solid;
    // Percent of each key of the kind (fuelKeys order); keys left out are 0.
    std::array<double, kMaxFuelKeys> percent{};
};

// The sum of the analysis, percent.
double analysisTotal(const FuelAnalysis& fuel) noexcept;
// The higher heating value of an ultimate analysis by the correlation of Channiwala and Parikh,
// kJ/kg as fired: what the calculation takes for a solid or liquid fuel without a measured one.
double correlatedHhvKJPerKg(const FuelAnalysis& fuel) noexcept;

// How the air quantity is given: excess air in percent of stoichiometric, or the O2 volume
// percent of the dry or the wet flue gas.
enum class AirQuantity { ExcessAir, O2Dry, O2Wet };
// How the air moisture is given: kg water per kg dry air, or relative humidity in percent at
// the air temperature and the standard atmosphere.
enum class AirMoisture { Ratio, RelativeHumidity };

struct CombustionInput {
    FuelAnalysis fuel;
    AirQuantity airQuantity = AirQuantity::ExcessAir;
    double airQuantityPercent = 0;
    AirMoisture moisture = AirMoisture::Ratio;
    double moistureValue = kDefaultAirHumidity;
    double airTemperatureC = 25;
    double coPpm = 0;  // CO in the dry flue gas
    // Measured higher heating value as fired, kJ/kg (solid or liquid fuels); without it the
    // correlation of Channiwala and Parikh gives it.
    std::optional<double> measuredHhvKJPerKg;
};

// A text of the calculation in both languages.
struct CombustionMessage {
    std::string korean;
    std::string english;
    // The text of `language`; English for a value that is neither Korean nor English.
    const std::string& in(std::int32_t language) const noexcept {
        return language == TW_Korean ? korean : english;
    }
};

struct FlueGasFromFuelResult {
    FuelKind kind = FuelKind::Solid;
    // Heating values per kg as fired and, for a fuel gas, per Nm3.
    double hhvKJPerKg = 0;
    double lhvKJPerKg = 0;
    std::optional<double> hhvKJPerNm3;
    std::optional<double> lhvKJPerNm3;
    // Dry air per kg fuel (and per Nm3 of a fuel gas), excess air, the moisture used.
    double stoichiometricAirKgPerKg = 0;
    double airKgPerKg = 0;
    double airNm3PerKg = 0;
    std::optional<double> airNm3PerNm3;
    double excessAirPercent = 0;
    double humidityKgPerKg = 0;
    // Flue gas in GasComponent order: volume percent wet and dry (H2O 0), weight percent wet,
    // and kmol per kg fuel.
    std::array<double, kGasComponentCount> wetVolPercent{};
    std::array<double, kGasComponentCount> dryVolPercent{};
    std::array<double, kGasComponentCount> wetWtPercent{};
    std::array<double, kGasComponentCount> kmolPerKg{};
    double flueGasKgPerKg = 0;
    double flueGasNm3PerKg = 0;
    std::optional<double> flueGasNm3PerNm3;
    double moleWeight = 0;        // wet flue gas, kg/kmol
    double co2MaxDryPercent = 0;  // dry, stoichiometric air, no CO
    // Without dissociation; empty when it lies outside the enthalpy data (flameNote says why).
    std::optional<double> adiabaticFlameTemperatureC;
    std::optional<CombustionMessage> flameNote;
};

// Either a result or the reason the input was refused.
struct FlueGasFromFuelOutcome {
    std::optional<FlueGasFromFuelResult> result;
    std::optional<CombustionMessage> refusal;
};

// The calculation without any message: a refusal comes back in the outcome (for a dialog that
// recalculates as the user types). The steam table of a relative humidity reports its own
// faults.
FlueGasFromFuelOutcome evaluateFlueGasFromFuel(const CombustionInput& input);
// The same, showing a refusal (critical) or the flame note (information) through the message
// sink in the program language, caption "Function FlueGasFromFuel".
FlueGasFromFuelOutcome FlueGasFromFuel(const CombustionInput& input);

// The relative humidity, percent, of air at `airTemperatureC` and the standard atmosphere that
// holds `humidityKgPerKg` kg water per kg dry air; nothing where relative humidity is not
// defined there (outside 1 oC to below 100 oC, or no saturation pressure).
std::optional<double> relativeHumidityOf(double humidityKgPerKg, double airTemperatureC);

// One line of the results as they are shown (the dialog, twcalc's text output): caption, unit,
// decimals of the number and the value, empty where the line does not apply (the per Nm3 lines
// of a solid fuel, a flame temperature outside the data).
struct CombustionResultLine {
    BilingualText caption;
    BilingualText unit;
    int decimals;
    std::optional<double> (*value)(const FlueGasFromFuelResult&);
    bool fuelGasOnly = false;  // per Nm3 of fuel
};
inline constexpr std::size_t kCombustionResultLineCount = 17;
const std::array<CombustionResultLine, kCombustionResultLineCount>& combustionResultLines();

// Captions of the three composition columns: wet volume, dry volume, wet weight percent.
inline constexpr std::array<BilingualText, 3> kFlueGasCompositionColumns{{
    {"습가스 Vol %", "Wet vol %"},
    {"건가스 Vol %", "Dry vol %"},
    {"습가스 Wt %", "Wet wt %"},
}};
// Decimals of the composition percents as shown.
inline constexpr int kCompositionDecimals = 3;

// The wet composition as the calculator table's rows take it, in calculation order: volume or
// weight percent with three decimals that add up to exactly 100.000 (the rounding remainder
// goes to the largest species).
std::array<std::string, kSpeciesCount> flueGasCompositionTexts(const FlueGasFromFuelResult& result,
                                                               CompositionBasis basis);
// The same composition as the table's cells read it from those texts (cellNumber), bit for bit,
// without writing and reading the texts.
std::array<float, kSpeciesCount> flueGasCompositionCells(const FlueGasFromFuelResult& result,
                                                         CompositionBasis basis);
// Writes the wet composition into rows 1 to 7 in the table's basis and their total into row 8
// ("0.000"), committing the editor first and reloading it afterwards.
void ApplyFlueGasFromFuel(CalculatorTable& table, const FlueGasFromFuelResult& result);

}  // namespace tw::fluegas

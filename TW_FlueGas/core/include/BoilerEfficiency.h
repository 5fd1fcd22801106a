#pragma once
// Boiler efficiency by the heat-loss method from a stack measurement: the losses of the flue
// gas, the unburnt fuel, radiation and the rest, the credit of warm combustion air, the gross
// (HHV) and net (LHV) efficiency, the field analysers' empirical stack loss beside them, and the
// acid and water dew points of the flue gas with the stack's margin above them. Double
// precision, without any window.
//
// Everything is counted per kg of fuel as fired against 25 oC, the temperature the heating
// values refer to; the sensible heats come from the NASA Glenn coefficients. The fuel's own
// sensible heat (fuel at 25 oC) and the sensible heat of the ash are not counted.

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "CalculationReport.h"
#include "Combustion.h"
#include "tw/Language.h"

namespace tw::fluegas {

// Caption of the messages of the calculation.
inline constexpr const char* kBoilerEfficiencyCaption = "Function BoilerEfficiency";

// The losses, in the order they are reported.
enum class Loss : int {
    DryFlueGas = 0,
    WaterFromFuel,
    MoistureInAir,
    CarbonMonoxide,
    UnburntCarbon,
    RadiationAndConvection,
    Other
};
inline constexpr std::size_t kLossCount = 7;

struct LossDefinition {
    Loss loss;
    const char* key;  // JSON key and CSV column part
    BilingualText caption;
    bool flueGas;  // part of the stack loss
};
inline constexpr std::array<LossDefinition, kLossCount> kLossDefinitions{{
    {Loss::DryFlueGas, "dry_flue_gas", {"건배기가스 손실", "Dry flue gas"}, true},
    {Loss::WaterFromFuel,
     "water_from_fuel",
     {"연료 수분과 수소에서 생긴 수분 손실", "Water from the fuel"},
     true},
    {Loss::MoistureInAir, "moisture_in_air", {"공기 중 수분 손실", "Moisture in the air"}, true},
    {Loss::CarbonMonoxide, "carbon_monoxide", {"CO 손실", "Carbon monoxide"}, true},
    {Loss::UnburntCarbon, "unburnt_carbon", {"미연 탄소 손실", "Unburnt carbon"}, false},
    {Loss::RadiationAndConvection,
     "radiation_and_convection",
     {"방사 및 대류 손실", "Radiation and convection"},
     false},
    {Loss::Other, "other", {"기타 손실", "Other losses"}, false},
}};

// Heat of combustion of carbon to CO2 at 25 oC, kJ/mol: the loss of each mole left unburnt.
inline constexpr double kCarbonHhvKJPerMol = 393.51;
// The same per kg of carbon (32,763 kJ/kg).
inline constexpr double kCarbonHhvKJPerKg = kCarbonHhvKJPerMol / (kAtomicWeightC / 1000);
// The margin of the stack above the acid dew point below which a message warns, K.
inline constexpr double kAcidDewPointMarginWarningK = 10;
// A sweep holds at most this many points.
inline constexpr std::size_t kMaxSweepPoints = 10000;

// The analysers' empirical stack loss q = (T_stack - T_air) (A2 / (21 - O2 dry) + B), percent.
struct AnalyserCoefficients {
    double a2 = 0;
    double b = 0;
};
struct AnalyserFuel {
    const char* name;
    AnalyserCoefficients coefficients;
};
inline constexpr std::array<AnalyserFuel, 3> kAnalyserFuels{{
    {"gas", {0.66, 0.009}},
    {"oil", {0.68, 0.007}},
    {"lpg", {0.63, 0.008}},
}};
// The coefficients of an analyser fuel named in any case; empty when unknown.
std::optional<AnalyserCoefficients> findAnalyserFuel(std::string_view name) noexcept;

// How the fuel flow is given: mass as fired, or normal volume of a fuel gas.
enum class FuelFlowBasis { KgPerH, Nm3PerH };
struct FuelFlow {
    FuelFlowBasis basis = FuelFlowBasis::KgPerH;
    double value = 0;
};

struct EfficiencyInput {
    CombustionInput combustion;
    double stackTemperatureC = 0;
    // Carbon in the refuse (ash), percent of the refuse mass; solid or liquid fuels only.
    double carbonInRefusePercent = 0;
    // Percent of the HHV input.
    double radiationLossPercent = 0;
    double otherLossPercent = 0;
    std::optional<FuelFlow> fuelFlow;
    std::optional<AnalyserCoefficients> analyser;
};

struct EfficiencyResult {
    // The combustion of the carbon that burns (all of it, when nothing is left in the refuse),
    // with the heating values of the fuel as fired.
    FlueGasFromFuelResult combustion;
    double efficiencyHhvPercent = 0;
    double efficiencyLhvPercent = 0;
    double stackLossHhvPercent = 0;
    std::array<double, kLossCount> lossPercentOfHhv{};  // Loss order
    double combustionAirCreditPercentOfHhv = 0;
    double o2DryPercent = 0;
    double excessAirPercent = 0;
    std::optional<double> analyserStackLossPercent;
    // oC; empty where the flue gas calculator gives "N/A" (no SO2, no water).
    std::optional<double> okkesDewPointC;
    std::optional<double> verhoffDewPointC;
    std::optional<double> waterDewPointC;
    std::optional<double> acidDewPointMarginK;  // stack less the higher acid dew point
    // With a fuel flow: heat input (flow x HHV), the losses in kW, the wet flue gas flow.
    std::optional<double> heatInputKW;
    std::optional<std::array<double, kLossCount>> lossKW;
    std::optional<double> flueGasKgPerH;
    std::optional<double> flueGasM3PerHAtStack;  // wet, at the stack and 101.325 kPa
    // Notes of the calculation in both languages (the combustion's flame note stays with it).
    std::vector<CombustionMessage> messages;
};

struct EfficiencyOutcome {
    std::optional<EfficiencyResult> result;
    std::optional<CombustionMessage> refusal;
};

// The calculation without any message: a refusal comes back in the outcome.
EfficiencyOutcome evaluateBoilerEfficiency(const EfficiencyInput& input);

// The same case over a range of stack temperatures (oC) or of dry flue gas O2 (percent).
enum class SweepVariable { StackTemperature, O2Dry };
struct SweepRange {
    double from = 0;
    double to = 0;
    double step = 0;
};
struct EfficiencySweepPoint {
    double value = 0;
    double efficiencyHhvPercent = 0;
    double efficiencyLhvPercent = 0;
    double stackLossHhvPercent = 0;
};
struct EfficiencySweepOutcome {
    std::vector<EfficiencySweepPoint> points;
    std::optional<CombustionMessage> refusal;
};
// FROM, FROM + STEP, ... up to TO (included when it falls on a step, within a millionth of a
// step); STEP above 0, at most kMaxSweepPoints points, and every point a valid case, or the
// whole sweep is refused.
EfficiencySweepOutcome sweepBoilerEfficiency(const EfficiencyInput& input, SweepVariable variable,
                                             const SweepRange& range);

// One line of the results as they are shown (the window, twcalc's text output), empty where
// the line does not apply (no analyser fuel, no fuel flow, a dew point "N/A").
struct EfficiencyResultLine {
    BilingualText caption;
    BilingualText unit;
    int decimals;
    std::optional<double> (*value)(const EfficiencyResult&);
};
inline constexpr std::size_t kEfficiencyResultLineCount = 14;
const std::array<EfficiencyResultLine, kEfficiencyResultLineCount>& efficiencyResultLines();

// The ranges of the efficiency charts: the stack temperature from the water dew point (the air
// temperature where that is higher, or where there is none) to 150 K above the measured stack,
// and the dry O2 from 1 % to 5 % above the measured one (10 % at least, 18 % at most), 100
// steps each.
struct EfficiencyChartRanges {
    SweepRange stackTemperature;
    SweepRange o2Dry;
};
inline constexpr double kChartStackSpanAboveK = 150;
EfficiencyChartRanges efficiencyChartRanges(const EfficiencyInput& input,
                                            const EfficiencyResult& result);

// The calculation sheet of one case in `language` (Korean, or English for any other value):
// the fuel, the stack measurement, the results, the losses and the notes. `dateTime` and
// `program` fill the lines under the title.
CalculationReport buildEfficiencyReport(const EfficiencyInput& input,
                                        const EfficiencyResult& result, std::string_view dateTime,
                                        std::string_view program, std::int32_t language);

}  // namespace tw::fluegas

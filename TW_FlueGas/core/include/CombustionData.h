#pragma once
// Constants of the combustion calculation, stated once: atomic weights, dry air, the normal
// molar volume, the latent heat of water, and the two fuel key tables (ultimate analysis of a
// solid or liquid fuel, volume analysis of a fuel gas) with what one unit of each key brings
// into the flame.

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "mdlTW_FlueGas.h"

namespace tw::fluegas {

// The elements a fuel is made of, as counted in the balances.
enum class Element : int { C = 0, H, O, N, S, Ar };
inline constexpr std::size_t kElementCount = 6;
using ElementCounts = std::array<double, kElementCount>;  // in Element order

// Atomic weights, kg/kmol.
inline constexpr double kAtomicWeightC = 12.011;
inline constexpr double kAtomicWeightH = 1.008;
inline constexpr double kAtomicWeightO = 15.999;
inline constexpr double kAtomicWeightN = 14.007;
inline constexpr double kAtomicWeightS = 32.065;

// Flue gas mole weights, kg/kmol, GasComponent order: the calculator's own, as decimals.
inline constexpr std::array<double, kGasComponentCount> kFlueGasMoleWeight{
    28.013, 31.999, 44.01, 28.0104, 64.065, 18.015, 39.948};
constexpr bool sameAsTheCalculator() {
    for (std::size_t i = 0; i < kGasComponentCount; ++i) {
        if (static_cast<float>(kFlueGasMoleWeight[i]) != kGasMolarMass[i]) return false;
    }
    return true;
}
static_assert(sameAsTheCalculator(), "the calculator's mole weights");

constexpr double moleWeight(GasComponent c) noexcept {
    return kFlueGasMoleWeight[index(c)];
}

// Dry air, volume percent, GasComponent order (N2, O2, CO2, CO, SO2, H2O, Ar).
inline constexpr std::array<double, kGasComponentCount> kDryAirVolPercent{78.084, 20.946, 0.036, 0,
                                                                          0,      0,      0.934};
// Mole weight of dry air from the composition above and the flue gas mole weights (28.965).
constexpr double dryAirMoleWeight() noexcept {
    double m = 0;
    for (std::size_t i = 0; i < kGasComponentCount; ++i) {
        m += kDryAirVolPercent[i] / 100 * kFlueGasMoleWeight[i];
    }
    return m;
}

// Volume of one kmol of ideal gas at 0 oC and 101.325 kPa, Nm3/kmol.
inline constexpr double kNormalMolarVolume = 22.414;
// Latent heat of evaporation of water at 25 oC, kJ/kg.
inline constexpr double kLatentHeatOfWater = 2442.0;
// Higher heating value of CO, kJ/mol: the heat lost for each mole of carbon left as CO.
inline constexpr double kCarbonMonoxideHhv = 282.98;
// The standard atmosphere, kPa: the total pressure of humid air given by relative humidity.
inline constexpr double kStandardAtmosphereKPa = 101.325;
// Heating values, fuel and the zero of sensible heats: 25 oC.
inline constexpr double kReferenceTemperatureK = 298.15;
inline constexpr double kKelvinAtZeroCelsius = 273.15;
// The NASA Glenn data hold from 200 K to 6000 K for every flue gas species.
inline constexpr double kLowestDataTemperatureK = 200.0;
inline constexpr double kHighestDataTemperatureK = 6000.0;
// Air moisture when none is given, kg water per kg dry air.
inline constexpr double kDefaultAirHumidity = 0.013;
// The most water the combustion air may carry, kg per kg dry air: saturated air at the standard
// atmosphere holds 5 kg/kg at about 97 oC. Beyond it the "air" is mostly steam, and the balance
// of its oxygen loses every digit to the water's.
inline constexpr double kMaxAirHumidity = 5.0;
// An analysis must add up to 100 percent within this.
inline constexpr double kAnalysisSumTolerance = 0.05;

// Channiwala and Parikh, Fuel 81 (2002), unified correlation: HHV in MJ/kg from the ultimate
// analysis in mass percent as fired.
struct ChanniwalaParikh {
    double C, H, S, O, N, Ash;
};
inline constexpr ChanniwalaParikh kChanniwalaParikh{0.3491,  1.1783,  0.1005,
                                                    -0.1034, -0.0151, -0.0211};

enum class FuelKind { Solid, Gas };

// One key of a fuel analysis. A solid fuel's keys are mass percent as fired, a fuel gas's keys
// volume percent; one unit of a key is one kmol of it (an atom for the elements of a solid).
struct FuelKeyDefinition {
    const char* key;      // as typed; matched without regard to case
    ElementCounts atoms;  // atoms in one unit (C, H, O, N, S, Ar)
    double moleWeight;    // kg/kmol; 0 for ash, which only carries mass
    double hhvKJPerMol;   // higher heating value at 25 oC (fuel gas components), kJ/mol
};

constexpr double hydrocarbonMoleWeight(int carbon, int hydrogen) noexcept {
    return carbon * kAtomicWeightC + hydrogen * kAtomicWeightH;
}

// Ultimate analysis: C, H, O, N, S, moisture and ash.
inline constexpr std::array<FuelKeyDefinition, 7> kSolidFuelKeys{{
    {"C", {1, 0, 0, 0, 0, 0}, kAtomicWeightC, 0},
    {"H", {0, 1, 0, 0, 0, 0}, kAtomicWeightH, 0},
    {"O", {0, 0, 1, 0, 0, 0}, kAtomicWeightO, 0},
    {"N", {0, 0, 0, 1, 0, 0}, kAtomicWeightN, 0},
    {"S", {0, 0, 0, 0, 1, 0}, kAtomicWeightS, 0},
    {"H2O", {0, 2, 1, 0, 0, 0}, moleWeight(GasComponent::H2O), 0},
    {"Ash", {0, 0, 0, 0, 0, 0}, 0, 0},
}};

// Fuel gas: molar higher heating values at 25 oC from the standard enthalpies of formation.
// Components that are flue gas species carry the calculator's mole weights.
inline constexpr std::array<FuelKeyDefinition, 12> kGasFuelKeys{{
    {"CH4", {1, 4, 0, 0, 0, 0}, hydrocarbonMoleWeight(1, 4), 890.30},
    {"C2H6", {2, 6, 0, 0, 0, 0}, hydrocarbonMoleWeight(2, 6), 1560.66},
    {"C3H8", {3, 8, 0, 0, 0, 0}, hydrocarbonMoleWeight(3, 8), 2219.15},
    {"C4H10", {4, 10, 0, 0, 0, 0}, hydrocarbonMoleWeight(4, 10), 2877.40},  // n-butane
    {"H2", {0, 2, 0, 0, 0, 0}, hydrocarbonMoleWeight(0, 2), 285.83},
    {"CO", {1, 0, 1, 0, 0, 0}, moleWeight(GasComponent::CO), kCarbonMonoxideHhv},
    {"CO2", {1, 0, 2, 0, 0, 0}, moleWeight(GasComponent::CO2), 0},
    {"N2", {0, 0, 0, 2, 0, 0}, moleWeight(GasComponent::N2), 0},
    {"O2", {0, 0, 2, 0, 0, 0}, moleWeight(GasComponent::O2), 0},
    {"H2S", {0, 2, 0, 0, 1, 0}, 2 * kAtomicWeightH + kAtomicWeightS, 562.14},
    {"H2O", {0, 2, 1, 0, 0, 0}, moleWeight(GasComponent::H2O), 0},
    {"Ar", {0, 0, 0, 0, 0, 1}, moleWeight(GasComponent::Ar), 0},
}};

inline constexpr std::size_t kMaxFuelKeys = kGasFuelKeys.size();

// The keys of a fuel kind, in the order of FuelAnalysis::percent.
std::span<const FuelKeyDefinition> fuelKeys(FuelKind kind) noexcept;
// Index of `key` among the keys of `kind`, compared without regard to case; -1 when unknown.
int findFuelKey(FuelKind kind, std::string_view key) noexcept;

}  // namespace tw::fluegas

#pragma once
// mdlTW_FlueGas: the flue gas of the calculator. Seven species, the normalised composition and
// mole weight, the gas enthalpy by three correlations, the SO3 conversion rate and the sulfuric
// acid dew points.
//
// Calling conventions:
// - Species amounts are always passed in GasComponent order (N2, O2, CO2, CO, SO2, H2O, Ar).
// - The Unit passed first gives the user's units: temperatures come in and go out in its uTP,
//   enthalpies in its uENTH, pressures in its uPR.
// - Each routine shows its own messages through tw::messageSink(), in the program-wide
//   language TW_Language (values other than TW_Korean and TW_English show none), and returns 0
//   when it refuses its input.
//
// For the calculation driver: a 0 of the published routines cannot be told from a real 0, so
// call the try... variant beside each routine instead. It makes the same checks and shows the
// same messages, and returns std::nullopt when the value is unavailable:
// - tryFlueGasEnthbyNASATP / tryFlueGasEnthbyPTC4_4 / tryFlueGasEnthbyBnW: nullopt when the
//   temperature or the composition was refused (a message was shown); FlueGasComposition is
//   then as it was before the call, so end the run there.
// - trySO3ConversionRate, tryOkkesAcidDewPoint, tryVerhoffAcidDewPoint (automatic SO3 mode) and
//   tryOkkesAcidDewPointAtConversion, tryVerhoffAcidDewPointAtConversion (user-input SO3 mode,
//   both with the user's rate) and tryAirWaterDewPoint: nullopt means "N/A" in that row.
// - An enthalpy past the single precision range (a PTC 4.4 or B&W temperature near 1e13 and
//   above) raises tw::AutomationError 6 (Overflow), like every arithmetic fault of the suite.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "tw/Language.h"
#include "tw/Unit.h"

namespace tw {

// The seven species in calculation order.
enum class GasComponent : int { N2 = 0, O2, CO2, CO, SO2, H2O, Ar };
inline constexpr int kGasComponentCount = 7;
constexpr std::size_t index(GasComponent c) noexcept {
    return static_cast<std::size_t>(c);
}

// "N2", "O2", "CO2", "CO", "SO2", "H2O", "Ar".
std::string_view gasComponentName(GasComponent c) noexcept;

// Molar masses for composition and mole weight, kg/kmol, in GasComponent order (the NASA
// enthalpy routines carry their own, more precise values).
inline constexpr std::array<float, kGasComponentCount> kGasMolarMass = {
    28.013f, 31.999f, 44.01f, 28.0104f, 64.065f, 18.015f, 39.948f};

// The normalised gas left by the last accepted FlueGasMoleWeight call; all zero at start.
struct FlueGasCompositionRecord {
    float MoleWeight = 0.0f;                             // kg/kmol
    std::array<float, kGasComponentCount> VolPercent{};  // sums to 100
    std::array<float, kGasComponentCount> WtPercent{};   // sums to 100

    float vol(GasComponent c) const noexcept { return VolPercent[index(c)]; }
    float wt(GasComponent c) const noexcept { return WtPercent[index(c)]; }
};

// Module-level state of the program. Each thread has its own record, so that the cases of a
// batch can be calculated on several threads at once; the window uses that of its thread.
extern thread_local FlueGasCompositionRecord FlueGasComposition;
// The program-wide language of captions and messages; the window sets it at start. Every
// calculation reads it: it must not be changed while calculations run on other threads (a
// batch sets it before it starts its workers).
extern enmLanguage TW_Language;

// Normalises the composition to 100 percent, derives the other basis and the mole weight into
// FlueGasComposition. Shows a notice when the total is not exactly 100. A total not greater
// than 0 leaves the record as it was without a message; negative or non-finite amounts are
// refused with a message and leave it as well.
void FlueGasMoleWeight(bool isVolumeBasis, float N2, float O2, float CO2, float CO, float SO2,
                       float H2O, float Ar);
// As FlueGasMoleWeight; true when FlueGasComposition was rewritten.
bool tryFlueGasMoleWeight(bool isVolumeBasis, float N2, float O2, float CO2, float CO, float SO2,
                          float H2O, float Ar);

// Gas enthalpy at T (the Unit's temperature unit) in the Unit's enthalpy unit, on each
// correlation's own zero: only the difference of two temperatures means anything.
// NASA Glenn coefficients, 200 K < T < 6000 K.
float FlueGasEnthbyNASATP(const Unit& unit, float T, bool isVolumeBasis, float N2, float O2,
                          float CO2, float CO, float SO2, float H2O, float Ar);
std::optional<float> tryFlueGasEnthbyNASATP(const Unit& unit, float T, bool isVolumeBasis, float N2,
                                            float O2, float CO2, float CO, float SO2, float H2O,
                                            float Ar);
// The same value and messages with the composition in GasComponent order, leaving NasaResult
// and SpeciesProperties as they were: only the species' enthalpies are worked out.
std::optional<float> tryNasaGasEnthalpy(const Unit& unit, float T, bool isVolumeBasis,
                                        const std::array<float, kGasComponentCount>& composition);
// ASME PTC 4.4 - 1981 curves, T above absolute zero.
float FlueGasEnthbyPTC4_4(const Unit& unit, float T, bool isVolumeBasis, float N2, float O2,
                          float CO2, float CO, float SO2, float H2O, float Ar);
std::optional<float> tryFlueGasEnthbyPTC4_4(const Unit& unit, float T, bool isVolumeBasis, float N2,
                                            float O2, float CO2, float CO, float SO2, float H2O,
                                            float Ar);
// B&W STEAM curves, T above 0 oF.
float FlueGasEnthbyBnW(const Unit& unit, float T, bool isVolumeBasis, float N2, float O2, float CO2,
                       float CO, float SO2, float H2O, float Ar);
std::optional<float> tryFlueGasEnthbyBnW(const Unit& unit, float T, bool isVolumeBasis, float N2,
                                         float O2, float CO2, float CO, float SO2, float H2O,
                                         float Ar);

// Water dew point (AirWaterDewPoint.cpp).
// Saturation temperature of water at the partial pressure of H2O (volume percent) in a gas at
// total pressure P (the Unit's uPR), in the Unit's uTP; 0 with a warning below about 1 oC.
// When the steam table cannot answer (a table file missing or damaged; it shows why), the try
// variant gives nullopt ("N/A"); the published routine returns the table's TSAT as it is.
float AirWaterDewPoint(const Unit& unit, float H2O, float P);
std::optional<float> tryAirWaterDewPoint(const Unit& unit, float H2O, float P);

// Equilibrium constant of SO2 + 1/2 O2 = SO3 at 1273 K (0.1722791).
float SO3EquilibriumConstant();
// Percent of the SO2 present as SO3 at equilibrium, from volume percents. No messages; 0 (or
// nullopt) where the rate is undefined (SO2 = 0, O2 negative, non-finite inputs).
float SO3ConversionRate(float SO2, float O2);
std::optional<float> trySO3ConversionRate(float SO2, float O2);

// Sulfuric acid dew points in the Unit's temperature unit, from volume percents (and an SO3
// conversion rate in percent for the ...AtConversion forms), rounded to 0.1 oC.
float OkkesAcidDewPoint(const Unit& unit, float SO2, float H2O, float O2);
std::optional<float> tryOkkesAcidDewPoint(const Unit& unit, float SO2, float H2O, float O2);
float OkkesAcidDewPointAtConversion(const Unit& unit, float SO2, float H2O, float Rate);
std::optional<float> tryOkkesAcidDewPointAtConversion(const Unit& unit, float SO2, float H2O,
                                                      float Rate);
float VerhoffAcidDewPoint(const Unit& unit, float SO2, float H2O, float O2);
std::optional<float> tryVerhoffAcidDewPoint(const Unit& unit, float SO2, float H2O, float O2);
float VerhoffAcidDewPointAtConversion(const Unit& unit, float SO2, float H2O, float Rate);
std::optional<float> tryVerhoffAcidDewPointAtConversion(const Unit& unit, float SO2, float H2O,
                                                        float Rate);
// The SO3 conversion rate of a gas and, when the rate is a number, its two acid dew points, as
// trySO3ConversionRate, tryOkkesAcidDewPoint and tryVerhoffAcidDewPoint give them one after
// the other (same values, same messages), with the SO2/SO3 equilibrium worked out once.
struct AcidDewPoints {
    std::optional<float> so3ConversionRate, okkes, verhoff;
};
AcidDewPoints tryAcidDewPoints(const Unit& unit, float SO2, float H2O, float O2);
// The two acid dew points of a gas at an absolute pressure of P atm: the partial pressures of
// H2O and of SO3 (the automatic conversion rate, an equilibrium at 1 atm) are P times those of
// the gas at 1 atm. Same checks and messages as the forms above.
std::optional<float> tryOkkesAcidDewPointAtPressure(const Unit& unit, float SO2, float H2O,
                                                    float O2, double P);
std::optional<float> tryVerhoffAcidDewPointAtPressure(const Unit& unit, float SO2, float H2O,
                                                      float O2, double P);

}  // namespace tw

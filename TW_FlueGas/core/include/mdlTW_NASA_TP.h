#pragma once
// mdlTW_NASA_TP: species properties from the NASA Glenn 9-coefficient polynomials
// (McBride, Zehe and Gordon, NASA/TP-2002-211556), ideal gas.

#include <array>
#include <span>
#include <string_view>

#include "mdlTW_FlueGas.h"
#include "tw/Unit.h"

namespace tw {

// Coefficients of one temperature interval: a1..a7 of cp/R, b1 and b2 the integration
// constants of h/RT and s/R.
struct NasaInterval {
    std::array<double, 7> a;
    std::array<double, 2> b;
};

// One species: n breakpoints (K, lowest first) bound n - 1 intervals.
struct NasaSpeciesTable {
    const char* name;  // as shown in messages
    double M;          // g/mol
    std::span<const float> breakpoints;
    std::span<const NasaInterval> intervals;
};

// The seven flue gas species, in GasComponent order.
const std::array<NasaSpeciesTable, kGasComponentCount>& nasaGlennSpecies();

// cp and s in kJ/(kg K), h in kJ/kg (absolute: h includes the enthalpy of formation).
struct NasaProperties {
    double cp = 0.0;
    double h = 0.0;
    double s = 0.0;
};

// Universal gas constant of the NASA Glenn data, J/(mol K).
inline constexpr double kNasaGasConstant = 8.31451;

// Left by the last NASA_TP call of the thread; -999999999 in all three after a refused
// temperature.
extern thread_local NasaProperties NasaResult;

// Species properties in the current units of the last Unit passed to a species routine (cp and
// s in uENTRO, h in uENTH), in GasComponent order; all zero at start. Like NasaResult, one
// record per thread.
struct SpeciesPropertyValues {
    float cp = 0.0f;
    float h = 0.0f;
    float s = 0.0f;
};
extern thread_local std::array<SpeciesPropertyValues, kGasComponentCount> SpeciesProperties;

// Evaluates the species at T kelvin into NasaResult. The first and last breakpoints are
// accepted; outside them a message (caption "Function NASA_TP", English) is shown. A
// temperature on an interior breakpoint uses the lower interval. `intervals` holds one entry
// less than `breakpoints`.
void NASA_TP(std::string_view name, double T, double M, std::span<const float> breakpoints,
             std::span<const NasaInterval> intervals);

// The polynomials of one interval at T kelvin, for a species of molar mass M g/mol.
NasaProperties nasaPolynomials(const NasaInterval& coefficients, double T, double M);

// Properties of one species at T kelvin in double precision, without the messages of NASA_TP
// and without rounding to single: for calculations that integrate heat balances (the flame
// temperature). T must lie within the species' breakpoints; an interior breakpoint uses the
// lower interval.
NasaProperties nasaSpeciesProperties(GasComponent species, double T);

// One routine per species: T in the Unit's temperature unit; fills its SpeciesProperties entry.
void NASA_CO2(const Unit& unit, float T);
void NASA_CO(const Unit& unit, float T);
void NASA_Ar(const Unit& unit, float T);
void NASA_H2O(const Unit& unit, float T);
void NASA_N2(const Unit& unit, float T);
void NASA_O2(const Unit& unit, float T);
void NASA_SO2(const Unit& unit, float T);

}  // namespace tw

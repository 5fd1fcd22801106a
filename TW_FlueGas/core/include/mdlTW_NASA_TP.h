#pragma once
// mdlTW_NASA_TP: species properties from the NASA Glenn 9-coefficient polynomials
// (McBride, Zehe and Gordon, NASA/TP-2002-211556), ideal gas.

#include <array>
#include <cmath>
#include <cstddef>
#include <span>
#include <string_view>

#include "mdlTW_FlueGas.h"
#include "tw/Unit.h"

namespace tw {

// Coefficients of one temperature interval: a1..a7 of cp/R, b1 and b2 the integration
// constants of h/RT and s/R.
struct NasaInterval {
    constexpr NasaInterval(const std::array<double, 7>& cp, const std::array<double, 2>& constants)
        : a(cp), b(constants), a5Over3(cp[4] / 3) {}
    std::array<double, 7> a;
    std::array<double, 2> b;
    // a5 / 3 of the enthalpy polynomial, divided once for every evaluation: a division rounds
    // alike whenever it is made.
    double a5Over3;
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

// A temperature in kelvin with what the polynomials take of it besides T itself: ln T and 1/T.
// Worked out once and shared by every species evaluated at that temperature (a mixture's
// enthalpy, each step of the flame temperature), it gives each species the same values it
// would work out alone.
struct NasaTemperature {
    explicit NasaTemperature(double kelvin) noexcept
        : T(kelvin), lnT(std::log(kelvin)), inverse(1.0 / kelvin) {}
    double T;
    double lnT;
    double inverse;
};

// The interval of a species that holds T kelvin: T within the breakpoints, an interior
// breakpoint in the lower interval.
inline const NasaInterval& nasaInterval(const NasaSpeciesTable& table, double T) noexcept {
    std::size_t interval = 0;
    while (interval + 2 < table.breakpoints.size() && T > table.breakpoints[interval + 1]) {
        ++interval;
    }
    return table.intervals[interval];
}

// NASA/TP-2002-211556, eqs. 4 and 5, in Horner form: cp/R and H/R of one interval.
//   cp/R = a1 T^-2 + a2 T^-1 + a3 + a4 T + a5 T^2 + a6 T^3 + a7 T^4
//   H/R  = -a1 T^-1 + a2 ln T + a3 T + a4 T^2/2 + a5 T^3/3 + a6 T^4/4 + a7 T^5/5 + b1
inline double nasaCpOverR(const NasaInterval& c, const NasaTemperature& t) noexcept {
    const auto& a = c.a;
    const double T = t.T;
    const double inv = t.inverse;
    return (a[0] * inv + a[1]) * inv + a[2] + T * (a[3] + T * (a[4] + T * (a[5] + T * a[6])));
}
inline double nasaHOverR(const NasaInterval& c, const NasaTemperature& t) noexcept {
    const auto& a = c.a;
    const double T = t.T;
    return -a[0] * t.inverse + a[1] * t.lnT + c.b[0] +
           T * (a[2] + T * (a[3] / 2 + T * (c.a5Over3 + T * (a[5] / 4 + T * a[6] / 5))));
}

// The polynomials of one interval at T kelvin, for a species of molar mass M g/mol.
NasaProperties nasaPolynomials(const NasaInterval& coefficients, const NasaTemperature& T,
                               double M);
NasaProperties nasaPolynomials(const NasaInterval& coefficients, double T, double M);

// Properties of one species at T kelvin in double precision, without the messages of NASA_TP
// and without rounding to single: for calculations that integrate heat balances (the flame
// temperature). T must lie within the species' breakpoints; an interior breakpoint uses the
// lower interval.
NasaProperties nasaSpeciesProperties(GasComponent species, const NasaTemperature& T);
NasaProperties nasaSpeciesProperties(GasComponent species, double T);

// One routine per species: T in the Unit's temperature unit; fills its SpeciesProperties entry.
void NASA_CO2(const Unit& unit, float T);
void NASA_CO(const Unit& unit, float T);
void NASA_Ar(const Unit& unit, float T);
void NASA_H2O(const Unit& unit, float T);
void NASA_N2(const Unit& unit, float T);
void NASA_O2(const Unit& unit, float T);
void NASA_SO2(const Unit& unit, float T);

// The seven routines above in the order of a mixture's enthalpy (CO2, CO, SO2, H2O, Ar, N2,
// O2), all at one temperature already converted to kelvin (tK, as CvtTP gives it), so that
// the conversion and ln T and 1/T are worked out once for the seven.
void nasaMixtureSpecies(const Unit& unit, float tK);
// Only the enthalpies of those seven, in GasComponent order, without filling NasaResult and
// SpeciesProperties: each is the h its species routine stores. tK must lie inside every
// species' breakpoints (200 to 6000 K), where the routines show no message.
std::array<float, kGasComponentCount> nasaMixtureEnthalpies(const Unit& unit, float tK);

}  // namespace tw

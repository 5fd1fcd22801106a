#pragma once
// IAPWS-IF97 (revised release 2007) for the range of the steam table: regions 1, 2 and 3, the
// saturation line (region 4) and the boundary between regions 2 and 3. SI units throughout:
// MPa, K, kg/m3, m3/kg, kJ/kg, kJ/(kg K). Enthalpy and entropy are zero where IF97 puts them
// (internal energy and entropy of the saturated liquid at the triple point).

#include <optional>

namespace tw::if97 {

inline constexpr double kR = 0.461526;         // specific gas constant, kJ/(kg K)
inline constexpr double kCriticalT = 647.096;  // K
inline constexpr double kCriticalP = 22.064;   // MPa
inline constexpr double kCriticalRho = 322.0;  // kg/m3

struct Properties {
    double p = 0;  // MPa
    double T = 0;  // K
    double v = 0;  // m3/kg
    double h = 0;  // kJ/kg
    double s = 0;  // kJ/(kg K)
};

// Basic equations at a given state (no check of the region's range).
Properties region1(double p, double T);        // eq. 7, Gibbs free energy
Properties region2(double p, double T);        // eq. 15, Gibbs free energy
Properties region3(double rho, double T);      // eq. 28, Helmholtz free energy
double region3Pressure(double rho, double T);  // p = rho^2 (df/drho)_T

// Boundary between regions 2 and 3, eqs. 5 and 6.
double b23Pressure(double T);
double b23Temperature(double p);

// Saturation line, eqs. 30 and 31 (273.15 K to the critical point).
double saturationPressure(double T);
double saturationTemperature(double p);

// Region 3 density at (p, T): the root of p(rho, T) = p on the liquid-like branch (approached
// from high densities) or on the vapour-like branch (from low densities). Above the critical
// temperature both branches are the same single root.
std::optional<double> region3Density(double p, double T, bool liquidSide);

// The single-phase state at (p, T), from the region that IF97 assigns: 1 below 623.15 K and
// above the saturation pressure, 2 below the saturation pressure or above the B23 line, 3 in
// between. Exactly on the saturation line below 623.15 K the liquid (region 1) is returned.
Properties stateAt(double p, double T);

// Saturated liquid and vapour at temperature T (273.15 K .. critical temperature). Above
// 623.15 K both come from region 3 at the saturation pressure.
Properties saturatedLiquid(double T);
Properties saturatedVapour(double T);

}  // namespace tw::if97

#pragma once
// Molecular data of the seven flue gas species for the transport properties.

#include <array>

#include "mdlTW_FlueGas.h"

namespace tw::gasprops::detail {

struct SpeciesTransportData {
    GasComponent species;
    double sigma;         // collision diameter, angstrom
    double epsilonOverK;  // potential well depth / Boltzmann constant, K
    double delta;         // Stockmayer polar parameter mu^2 / (2 epsilon sigma^3); 0 non-polar
    double criticalTemperature;  // K
    double acentricFactor;
};

// In GasComponent order.
extern const std::array<SpeciesTransportData, kGasComponentCount> kSpeciesTransport;

// IAPWS 2008 viscosity, dilute-gas term: H0 .. H3.
extern const std::array<double, 4> kIapwsViscosityH;
// IAPWS 2011 thermal conductivity, dilute-gas term: L0 .. L4.
extern const std::array<double, 5> kIapwsConductivityL;
inline constexpr double kWaterCriticalTemperature = 647.096;  // K, IAPWS R2-83

}  // namespace tw::gasprops::detail

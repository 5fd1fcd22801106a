#pragma once
// Physical properties of a flue gas of the calculator's seven species, ideal gas, in double
// precision and SI units: the thermodynamic properties from the NASA Glenn coefficients, the
// transport properties from kinetic theory (IAPWS dilute-gas terms for water vapour), and the
// water and acid dew points at the gas pressure.
//
// The routines show their refusals and notices through tw::messageSink() in the program-wide
// language TW_Language, like the other flue gas modules, and return std::nullopt when they
// refuse their input.

#include <array>
#include <optional>
#include <span>

#include "mdlTW_FlueGas.h"

namespace tw::gasprops {

// The temperature range of the properties, kelvin: above the lowest, up to the highest.
inline constexpr double kLowestTemperatureK = 200.0;
inline constexpr double kHighestTemperatureK = 3000.0;
// Above this absolute pressure (Pa) the ideal-gas treatment loses accuracy; a notice says so.
inline constexpr double kIdealGasPressureLimitPa = 3.0e6;
inline constexpr double kStandardAtmospherePa = 101325.0;
// Reference of the entropy's pressure term, Pa (that of the NASA Glenn data).
inline constexpr double kEntropyReferencePressurePa = 1.0e5;
// Zero of the specific enthalpy, kelvin (25 oC).
inline constexpr double kEnthalpyReferenceK = 298.15;

// A normalised gas: mole fractions summing to 1, in GasComponent order, and the mole weight by
// the calculator's molar masses.
struct GasMixture {
    std::array<double, kGasComponentCount> moleFraction{};
    double moleWeight = 0.0;  // kg/kmol
};

// Normalises a composition in volume or weight percent (GasComponent order) as the calculator
// does, without its notice for a total other than 100. Negative or non-finite amounts, and a
// total not above 0, are refused with a message.
std::optional<GasMixture> normaliseComposition(bool isVolumeBasis,
                                               std::span<const double, kGasComponentCount> percent);

// A mixture of one species only.
GasMixture pureSpecies(GasComponent species);

struct GasProperties {
    double moleWeight = 0.0;           // kg/kmol
    double density = 0.0;              // kg/m3
    double cp = 0.0;                   // J/(kg K)
    double cv = 0.0;                   // J/(kg K)
    double gamma = 0.0;                // cp / cv
    double enthalpy = 0.0;             // J/kg, sensible, zero at 25 oC
    double entropy = 0.0;              // J/(kg K), NASA Glenn zero, mixing and pressure terms
    double speedOfSound = 0.0;         // m/s
    double viscosity = 0.0;            // Pa s
    double kinematicViscosity = 0.0;   // m2/s
    double thermalConductivity = 0.0;  // W/(m K)
    double thermalDiffusivity = 0.0;   // m2/s
    double prandtl = 0.0;
};

// The properties at T kelvin and the absolute pressure p in Pa. A temperature outside
// (kLowestTemperatureK, kHighestTemperatureK], a pressure not above 0, and values that are not
// finite are refused with a message; above kIdealGasPressureLimitPa a notice is shown and the
// properties are given.
std::optional<GasProperties> gasProperties(const GasMixture& gas, double T, double p);

// The checks of gasProperties alone, with its messages: true when T and p are accepted.
// acceptTemperature makes the temperature's check alone (for a table over temperature at an
// accepted pressure).
bool acceptState(double T, double p);
bool acceptTemperature(double T);
// The properties without the checks or messages, for a state acceptState accepted.
GasProperties gasPropertiesUnchecked(const GasMixture& gas, double T, double p);

// Dew points at the absolute pressure p in Pa, oC. water: the saturation temperature of the
// steam table at the H2O partial pressure, nullopt below the table's range (about 1 oC) and
// above the critical pressure. okkes, verhoff: the sulfuric acid dew points of the calculator's
// correlations with the partial pressures at p and the calculator's automatic SO3 conversion
// rate; nullopt (with the correlation's message) where they are undefined.
struct DewPoints {
    std::optional<double> water;
    std::optional<double> okkes;
    std::optional<double> verhoff;
};
DewPoints dewPoints(const GasMixture& gas, double p);

// Dilute-gas transport properties of one species at T kelvin: Pa s and W/(m K).
double speciesViscosity(GasComponent species, double T);
double speciesThermalConductivity(GasComponent species, double T);

}  // namespace tw::gasprops

// Physical properties of the flue gas: thermodynamic properties of the ideal-gas mixture from
// the NASA Glenn coefficients, dilute-gas viscosity and thermal conductivity of each species,
// the mixing rules of Wilke and of Mason and Saxena, and the dew points at the gas pressure.

#include "GasProperties.h"

#include <charconv>
#include <cmath>
#include <string>

#include "FlueGasInternal.h"
#include "GasTransportData.h"
#include "mdlTW_NASA_TP.h"
#include "tw/Format.h"
#include "tw/Stable.h"

namespace tw::gasprops {

namespace {

constexpr std::size_t kCount = kGasComponentCount;
constexpr double kR = kNasaGasConstant;  // J/(mol K)

constexpr std::string_view kCaption = "Gas Properties";

constexpr BilingualText kInvalidComposition = {
    "가스 물성 계산을 위해 입력한 성분 값이 올바르지 않습니다.\n"
    "각 성분은 0 이상의 유한한 값이어야 하므로, 계산하지 않습니다.",
    "Component percent input for the gas properties is not valid.\n"
    "Each component should be a finite value not less than 0, so the calculation is not "
    "performed."};
constexpr BilingualText kEmptyComposition = {
    "가스 물성 계산을 위해 입력한 성분 합계가 0 입니다.\n"
    "적어도 한 성분이 0 보다 커야 합니다.",
    "Total of component percent input for the gas properties is 0.\n"
    "At least one component should be greater than 0."};
constexpr BilingualText kInvalidPressure = {
    "가스 압력은 0 보다 큰 유한한 절대 압력이어야 합니다.",
    "The gas pressure should be a finite absolute pressure greater than 0."};
constexpr BilingualText kHighPressure = {
    "가스 압력이 3 MPa 보다 높습니다. 이 압력에서는 이상 기체 가정에 따른 물성의 정확도가 "
    "떨어집니다.",
    "The gas pressure is above 3 MPa; there the ideal-gas treatment of the gas properties loses "
    "accuracy."};

std::string temperatureRangeText(bool korean, double T) {
    const std::string t = std::isfinite(T) ? generalNumberNoBlank(T) : std::string("N/A");
    if (korean) {
        return "가스 온도 " + t +
               " K 는 물성 계산 범위를 벗어납니다. 200 K 보다 높고 3000 K "
               "이하여야 합니다.";
    }
    return "The gas temperature of " + t +
           " K is outside the range of the gas properties; it should be above 200 K and not "
           "above 3000 K.";
}

// ----- transport properties of one species ------------------------------------------------

// Collision integral Omega(2,2)* of the Lennard-Jones 12-6 potential: P. D. Neufeld,
// A. R. Janzen and R. A. Aziz, J. Chem. Phys. 57, 1100 (1972); Poling et al. (2001) eq. 9-4.3.
double collisionIntegral(double Tstar) {
    return 1.16145 * std::pow(Tstar, -0.14874) + 0.52487 * std::exp(-0.77320 * Tstar) +
           2.16178 * std::exp(-2.43787 * Tstar);
}

// Chapman-Enskog viscosity, Pa s: mu = 26.69 sqrt(M T) / (sigma^2 Omega) micropoise with M in
// g/mol and sigma in angstrom. A polar molecule's Stockmayer integral is approximated after
// Brokaw (Poling et al. eq. 9-4.4): Omega = Omega_LJ + 0.2 delta^2 / T*.
double chapmanEnskogViscosity(const detail::SpeciesTransportData& d, double M, double T) {
    const double Tstar = T / d.epsilonOverK;
    const double omega = collisionIntegral(Tstar) + 0.2 * d.delta * d.delta / Tstar;
    return 26.69e-7 * std::sqrt(M * T) / (d.sigma * d.sigma * omega);
}

// Water vapour, IAPWS 2008 dilute-gas term, Pa s.
double waterViscosity(double T) {
    const double Tr = T / detail::kWaterCriticalTemperature;
    double sum = 0.0;
    double power = 1.0;
    for (const double H : detail::kIapwsViscosityH) {
        sum += H / power;
        power *= Tr;
    }
    return 1.0e-6 * 100.0 * std::sqrt(Tr) / sum;
}

// Water vapour, IAPWS 2011 dilute-gas term, W/(m K).
double waterConductivity(double T) {
    const double Tr = T / detail::kWaterCriticalTemperature;
    double sum = 0.0;
    double power = 1.0;
    for (const double L : detail::kIapwsConductivityL) {
        sum += L / power;
        power *= Tr;
    }
    return 1.0e-3 * std::sqrt(Tr) / sum;
}

// Eucken-type conductivity, W/(m K): lambda M / (mu Cv) = 3.75 Psi / (Cv / R). The Eucken
// factor is corrected for the slow exchange of internal energy by T. H. Chung, L. L. Lee and
// K. E. Starling, Ind. Eng. Chem. Fundam. 23, 8 (1984); Poling et al. eq. 10-3.14:
//   Psi = 1 + alpha (0.215 + 0.28288 alpha - 1.061 beta + 0.26665 Z)
//                   / (0.6366 + beta Z + 1.061 alpha beta),
//   alpha = Cv/R - 3/2, beta = 0.7862 - 0.7109 omega + 1.3168 omega^2, Z = 2 + 10.5 Tr^2.
// The plain modified Eucken factor 1.32 + 1.77 R/Cv is 4-8 % high for N2 and CO2; this one
// stays within the measured values' scatter for the flue gas species. A monatomic gas
// (alpha = 0) gets the exact 15/4 mu R / M.
double euckenConductivity(const detail::SpeciesTransportData& d, double M, double T, double mu,
                          double cvOverR) {
    const double alpha = cvOverR - 1.5;
    const double w = d.acentricFactor;
    const double beta = 0.7862 - 0.7109 * w + 1.3168 * w * w;
    const double Tr = T / d.criticalTemperature;
    const double Z = 2.0 + 10.5 * Tr * Tr;
    const double psi = 1.0 + alpha * (0.215 + 0.28288 * alpha - 1.061 * beta + 0.26665 * Z) /
                                 (0.6366 + beta * Z + 1.061 * alpha * beta);
    return 3.75 * psi * mu * kR * 1000.0 / M;
}

// A single-precision figure as the double of its shortest text (40.539146, not
// 40.539146423339844): the figure the steam table, the dew point correlations and the
// calculator's molar masses give.
double fromSingle(float v) {
    const std::string text = shortestFloat(v);
    double d = v;
    std::from_chars(text.data(), text.data() + text.size(), d);
    return d;
}

// The calculator's molar masses (28.013 for N2, ...), kg/kmol.
double molarMass(std::size_t i) {
    static const std::array<double, kCount> masses = [] {
        std::array<double, kCount> m{};
        for (std::size_t k = 0; k < kCount; ++k) m[k] = fromSingle(kGasMolarMass[k]);
        return m;
    }();
    return masses[i];
}

// Molar cp / R of species i at T.
double cpOverR(std::size_t i, double T) {
    const NasaProperties n = nasaSpeciesProperties(static_cast<GasComponent>(i), T);
    return n.cp * nasaGlennSpecies()[i].M / kR;
}

// The factors of Wilke's rule that depend on the molar masses only:
// (Mj / Mi)^(1/4) and 1 / sqrt(8 (1 + Mi / Mj)).
struct WilkeFactors {
    std::array<std::array<double, kCount>, kCount> massRatio4{};
    std::array<std::array<double, kCount>, kCount> scale{};
};

const WilkeFactors& wilkeFactors() {
    static const WilkeFactors factors = [] {
        WilkeFactors f;
        for (std::size_t i = 0; i < kCount; ++i) {
            for (std::size_t j = 0; j < kCount; ++j) {
                f.massRatio4[i][j] = std::pow(molarMass(j) / molarMass(i), 0.25);
                f.scale[i][j] = 1.0 / std::sqrt(8.0 * (1.0 + molarMass(i) / molarMass(j)));
            }
        }
        return f;
    }();
    return factors;
}

// Molar enthalpy of each species at 25 oC, J/mol (NASA Glenn, with the heat of formation).
const std::array<double, kCount>& referenceEnthalpies() {
    static const std::array<double, kCount> h = [] {
        std::array<double, kCount> r{};
        for (std::size_t i = 0; i < kCount; ++i) {
            r[i] = nasaSpeciesProperties(static_cast<GasComponent>(i), kEnthalpyReferenceK).h *
                   nasaGlennSpecies()[i].M;
        }
        return r;
    }();
    return h;
}

std::optional<double> waterDewPoint(double xH2O, double p) {
    // About the saturation pressure of water at 1 oC, where the steam table starts, and the
    // critical pressure, where it ends; kg/cm2 a.
    constexpr double kLowest = 0.0067;
    constexpr double kCritical = 225.5;
    constexpr double kPaPerKgPerCm2 = 98066.5;
    const double pw = xH2O * p / kPaPerKgPerCm2;
    if (!(pw >= kLowest) || !(pw < kCritical)) return std::nullopt;
    Stable steam;
    steam.setTW_Language(TW_Language);
    steam.setuPR(ktounit_kgpercm2a);
    steam.setuTP(ktounit_degC);
    steam.SSTABLE(ktoSStable_PR, static_cast<float>(pw));
    if (steam.StableError() != 0) return std::nullopt;
    return fromSingle(steam.TSAT());
}

}  // namespace

std::optional<GasMixture> normaliseComposition(
    bool isVolumeBasis, std::span<const double, kGasComponentCount> percent) {
    double total = 0.0;
    bool valid = true;
    for (const double v : percent) {
        valid = valid && std::isfinite(v) && v >= 0.0;
        total += v;
    }
    if (!valid || !std::isfinite(total)) {
        tw::detail::showInLanguage(kInvalidComposition, kCaption);
        return std::nullopt;
    }
    if (!(total > 0.0)) {
        tw::detail::showInLanguage(kEmptyComposition, kCaption);
        return std::nullopt;
    }
    GasMixture gas;
    if (isVolumeBasis) {
        for (std::size_t i = 0; i < kCount; ++i) gas.moleFraction[i] = percent[i] / total;
    } else {
        double moles = 0.0;
        for (std::size_t i = 0; i < kCount; ++i) {
            gas.moleFraction[i] = percent[i] / total / molarMass(i);
            moles += gas.moleFraction[i];
        }
        for (double& x : gas.moleFraction) x /= moles;
    }
    for (std::size_t i = 0; i < kCount; ++i) gas.moleWeight += gas.moleFraction[i] * molarMass(i);
    // Amounts far below double precision vanish in the divisions.
    if (!(gas.moleWeight > 0.0) || !std::isfinite(gas.moleWeight)) {
        tw::detail::showInLanguage(kEmptyComposition, kCaption);
        return std::nullopt;
    }
    return gas;
}

GasMixture pureSpecies(GasComponent species) {
    GasMixture gas;
    gas.moleFraction[index(species)] = 1.0;
    gas.moleWeight = molarMass(index(species));
    return gas;
}

double speciesViscosity(GasComponent species, double T) {
    if (species == GasComponent::H2O) return waterViscosity(T);
    const std::size_t i = index(species);
    return chapmanEnskogViscosity(detail::kSpeciesTransport[i], molarMass(i), T);
}

double speciesThermalConductivity(GasComponent species, double T) {
    if (species == GasComponent::H2O) return waterConductivity(T);
    const std::size_t i = index(species);
    return euckenConductivity(detail::kSpeciesTransport[i], molarMass(i), T,
                              speciesViscosity(species, T), cpOverR(i, T) - 1.0);
}

bool acceptTemperature(double T) {
    if (T > kLowestTemperatureK && T <= kHighestTemperatureK) return true;
    tw::detail::showInLanguage(temperatureRangeText(true, T), temperatureRangeText(false, T),
                               kCaption);
    return false;
}

bool acceptState(double T, double p) {
    if (!acceptTemperature(T)) return false;
    if (!(p > 0.0) || !std::isfinite(p)) {
        tw::detail::showInLanguage(kInvalidPressure, kCaption);
        return false;
    }
    if (p > kIdealGasPressureLimitPa) {
        tw::detail::showInLanguage(kHighPressure, kCaption, MessageIcon::Exclamation);
    }
    return true;
}

GasProperties gasPropertiesUnchecked(const GasMixture& gas, double T, double p) {
    const std::array<double, kCount>& h298 = referenceEnthalpies();
    // The species present, with their molar properties and transport properties.
    std::array<std::size_t, kCount> present{};
    std::size_t n = 0;
    std::array<double, kCount> mu{}, sqrtMu{}, lambda{};
    double cpMolar = 0.0, hMolar = 0.0, sMolar = 0.0;
    const NasaTemperature nasaT(T);  // ln T and 1/T once for the species present
    for (std::size_t i = 0; i < kCount; ++i) {
        const double x = gas.moleFraction[i];
        if (!(x > 0.0)) continue;
        present[n++] = i;
        const auto species = static_cast<GasComponent>(i);
        const NasaProperties nasa = nasaSpeciesProperties(species, nasaT);
        const double M = nasaGlennSpecies()[i].M;
        const double cpi = nasa.cp * M;  // J/(mol K)
        cpMolar += x * cpi;
        hMolar += x * (nasa.h * M - h298[i]);
        sMolar += x * (nasa.s * M - kR * std::log(x));
        mu[i] = speciesViscosity(species, T);
        sqrtMu[i] = std::sqrt(mu[i]);
        lambda[i] = species == GasComponent::H2O
                        ? waterConductivity(T)
                        : euckenConductivity(detail::kSpeciesTransport[i], molarMass(i), T, mu[i],
                                             cpi / kR - 1.0);
    }
    sMolar -= kR * std::log(p / kEntropyReferencePressurePa);

    // Wilke's rule for the viscosity; the Mason-Saxena form of Wassiljewa's equation, with
    // epsilon = 1, has the same interaction factors phi_ij for the conductivity.
    const WilkeFactors& f = wilkeFactors();
    double viscosity = 0.0, conductivity = 0.0;
    for (std::size_t a = 0; a < n; ++a) {
        const std::size_t i = present[a];
        double denominator = 0.0;
        for (std::size_t b = 0; b < n; ++b) {
            const std::size_t j = present[b];
            const double root = 1.0 + sqrtMu[i] / sqrtMu[j] * f.massRatio4[i][j];
            denominator += gas.moleFraction[j] * root * root * f.scale[i][j];
        }
        viscosity += gas.moleFraction[i] * mu[i] / denominator;
        conductivity += gas.moleFraction[i] * lambda[i] / denominator;
    }

    GasProperties r;
    const double M = gas.moleWeight;
    const double perKg = 1000.0 / M;  // mol per kg
    const double specificR = kR * perKg;
    r.moleWeight = M;
    r.density = p / (specificR * T);
    r.cp = cpMolar * perKg;
    r.cv = r.cp - specificR;
    r.gamma = r.cp / r.cv;
    r.enthalpy = hMolar * perKg;
    r.entropy = sMolar * perKg;
    r.speedOfSound = std::sqrt(r.gamma * specificR * T);
    r.viscosity = viscosity;
    r.kinematicViscosity = viscosity / r.density;
    r.thermalConductivity = conductivity;
    r.thermalDiffusivity = conductivity / (r.density * r.cp);
    r.prandtl = viscosity * r.cp / conductivity;
    return r;
}

std::optional<GasProperties> gasProperties(const GasMixture& gas, double T, double p) {
    if (!acceptState(T, p)) return std::nullopt;
    return gasPropertiesUnchecked(gas, T, p);
}

DewPoints dewPoints(const GasMixture& gas, double p) {
    DewPoints d;
    if (!(p > 0.0) || !std::isfinite(p)) {
        tw::detail::showInLanguage(kInvalidPressure, kCaption);
        return d;
    }
    d.water = waterDewPoint(gas.moleFraction[index(GasComponent::H2O)], p);
    const auto percent = [&gas](GasComponent c) {
        return static_cast<float>(gas.moleFraction[index(c)] * 100.0);
    };
    Unit celsius;  // oC, the first temperature unit
    const double atm = p / kStandardAtmospherePa;
    const float SO2 = percent(GasComponent::SO2);
    const float H2O = percent(GasComponent::H2O);
    const float O2 = percent(GasComponent::O2);
    if (auto t = tryOkkesAcidDewPointAtPressure(celsius, SO2, H2O, O2, atm)) {
        d.okkes = fromSingle(*t);
    }
    if (auto t = tryVerhoffAcidDewPointAtPressure(celsius, SO2, H2O, O2, atm)) {
        d.verhoff = fromSingle(*t);
    }
    return d;
}

}  // namespace tw::gasprops

// Gas enthalpy by the three correlations of the calculator: NASA Glenn coefficients, ASME PTC 4.4
// - 1981 and B&W STEAM. Each weights its species enthalpies with the weight percents of the
// normalised composition.

#include <cmath>
#include <optional>

#include "BritishCurveTables.h"
#include "FlueGasInternal.h"
#include "mdlTW_FlueGas.h"
#include "mdlTW_NASA_TP.h"
#include "tw/AutomationError.h"
#include "tw/Format.h"

namespace tw {

namespace {

using namespace detail;
using G = GasComponent;

// A temperature in the check unit; one that is not finite goes on as it is, so that the range
// tests (written to fail for NaN) refuse it with their message.
float temperatureIn(const Unit& unit, int checkUnit, float T) {
    return std::isfinite(T) ? unit.CvtTP(unit.uTP(), checkUnit, T) : T;
}

// ---------------------------------------------------------------------------------------------
// NASA Glenn coefficients

constexpr std::string_view kNasaCaption = "Function FlueGasEnthbyNASATP";
constexpr BilingualText kNasaTooLow = {
    "NASA Glenn Coefficients에 따른 엔탈피 계산에서, 가스 온도가 200 oK 보다 커야 합니다.",
    "In enthalpy calculation acc. to NASA Glenn Coefficients, the gas temperature be greater "
    "than 200 oK."};
constexpr BilingualText kNasaTooHigh = {
    "NASA Glenn Coefficients에 따른 엔탈피 계산에서, 가스 온도가 6000 oK 보다 작아야 합니다.",
    "In enthalpy calculation acc. to NASA Glenn Coefficients, the gas temperature be less than "
    "6000 oK."};

// ---------------------------------------------------------------------------------------------
// Curves in British units (PTC 4.4 and B&W): six species, argon on the nitrogen curve.

using CurveValues = std::array<float, kCurveCount>;

// Btu/lb: the mass-weighted sum of the six curve values.
float weightedByMass(const CurveValues& h) {
    const auto& w = FlueGasComposition.WtPercent;
    const auto wt = [&w](G c) { return static_cast<double>(w[index(c)]); };
    const double H =
        (wt(G::CO2) * h[cCO2] + wt(G::SO2) * h[cSO2] + wt(G::O2) * h[cO2] +
         (wt(G::Ar) + wt(G::N2)) * h[cN2] + wt(G::H2O) * h[cH2O] + wt(G::CO) * h[cCO]) /
        100.0;
    return checkedFloat(H);
}

float ptc44Enthalpy(const Ptc44Curve& k, float tR) {
    const double T = tR;
    const double x = T / 100.0;
    return checkedFloat(k.A * std::pow(x, 2) + T * k.B / 100.0 + k.C * std::pow(x, 3) + k.D / T);
}

constexpr std::string_view kPtc44Caption = "Function FlueGasEnthbyPTC4_4";
constexpr BilingualText kPtc44TooLow = {
    "ASME PTC 4.4에 따른 엔탈피 계산에서, 가스 온도가 절대 0 도 보다 커야 합니다.",
    "In enthalpy calculation acc. to ASME PTC 4.4, the gas temperature be greater than absolute "
    "zero degree."};

float bnwEnthalpy(const BnWCoefficients& k, float tF) {
    const double T = tF;
    return checkedFloat(std::pow(T, 2) * k.a + T * k.b + k.c);
}

constexpr std::string_view kBnWCaption = "Function FlueGasEnthbyBnW";

}  // namespace

namespace {

// FlueGasEnthbyNASATP with the species' enthalpies (GasComponent order, the Unit's enthalpy
// unit) from `speciesEnthalpies(tK)`, called once the temperature is inside 200 to 6000 K.
template <class SpeciesEnthalpies>
std::optional<float> nasaGasEnthalpy(const Unit& unit, float T, bool isVolumeBasis,
                                     const std::array<float, kGasComponentCount>& x,
                                     SpeciesEnthalpies speciesEnthalpies) {
    const float tK = temperatureIn(unit, ktounit_degK, T);
    if (!(tK > 200.0f)) {
        detail::showInLanguage(kNasaTooLow, kNasaCaption);
        return std::nullopt;
    }
    if (!(tK < 6000.0f)) {
        detail::showInLanguage(kNasaTooHigh, kNasaCaption);
        return std::nullopt;
    }
    if (!tryFlueGasMoleWeight(isVolumeBasis, x[index(G::N2)], x[index(G::O2)], x[index(G::CO2)],
                              x[index(G::CO)], x[index(G::SO2)], x[index(G::H2O)],
                              x[index(G::Ar)])) {
        return std::nullopt;
    }
    // tK is the kelvin temperature each species routine would convert T to.
    const std::array<float, kGasComponentCount> h = speciesEnthalpies(tK);
    const FlueGasCompositionRecord& gas = FlueGasComposition;
    const auto term = [&](G c) { return static_cast<double>(gas.wt(c)) * h[index(c)]; };
    const double H = (term(G::SO2) + term(G::CO2) + term(G::O2) + term(G::N2) + term(G::Ar) +
                      term(G::H2O) + term(G::CO)) /
                     100.0;
    return checkedFloat(H);
}

}  // namespace

std::optional<float> tryFlueGasEnthbyNASATP(const Unit& unit, float T, bool isVolumeBasis, float N2,
                                            float O2, float CO2, float CO, float SO2, float H2O,
                                            float Ar) {
    return nasaGasEnthalpy(unit, T, isVolumeBasis, {N2, O2, CO2, CO, SO2, H2O, Ar},
                           [&unit](float tK) {
                               nasaMixtureSpecies(unit, tK);
                               std::array<float, kGasComponentCount> h{};
                               const auto& species = SpeciesProperties;
                               for (std::size_t i = 0; i < h.size(); ++i) h[i] = species[i].h;
                               return h;
                           });
}

std::optional<float> tryNasaGasEnthalpy(const Unit& unit, float T, bool isVolumeBasis,
                                        const std::array<float, kGasComponentCount>& x) {
    return nasaGasEnthalpy(unit, T, isVolumeBasis, x,
                           [&unit](float tK) { return nasaMixtureEnthalpies(unit, tK); });
}

float FlueGasEnthbyNASATP(const Unit& unit, float T, bool isVolumeBasis, float N2, float O2,
                          float CO2, float CO, float SO2, float H2O, float Ar) {
    return tryFlueGasEnthbyNASATP(unit, T, isVolumeBasis, N2, O2, CO2, CO, SO2, H2O, Ar)
        .value_or(0.0f);
}

std::optional<float> tryFlueGasEnthbyPTC4_4(const Unit& unit, float T, bool isVolumeBasis, float N2,
                                            float O2, float CO2, float CO, float SO2, float H2O,
                                            float Ar) {
    const float tR = temperatureIn(unit, ktounit_degR, T);
    if (!(std::isfinite(tR) && tR > 0.0f)) {  // no upper limit: infinity is refused here
        detail::showInLanguage(kPtc44TooLow, kPtc44Caption);
        return std::nullopt;
    }
    if (!tryFlueGasMoleWeight(isVolumeBasis, N2, O2, CO2, CO, SO2, H2O, Ar)) return std::nullopt;
    CurveValues h{};
    for (std::size_t i = 0; i < h.size(); ++i) h[i] = ptc44Enthalpy(kPtc44Curves[i], tR);
    return unit.CvtENTH(ktounit_Btuperlb, unit.uENTH(), weightedByMass(h));
}

float FlueGasEnthbyPTC4_4(const Unit& unit, float T, bool isVolumeBasis, float N2, float O2,
                          float CO2, float CO, float SO2, float H2O, float Ar) {
    return tryFlueGasEnthbyPTC4_4(unit, T, isVolumeBasis, N2, O2, CO2, CO, SO2, H2O, Ar)
        .value_or(0.0f);
}

std::optional<float> tryFlueGasEnthbyBnW(const Unit& unit, float T, bool isVolumeBasis, float N2,
                                         float O2, float CO2, float CO, float SO2, float H2O,
                                         float Ar) {
    const float tF = temperatureIn(unit, ktounit_degF, T);
    if (!(std::isfinite(tF) && tF > 0.0f)) {  // no upper limit: infinity is refused here
        const std::string v = generalNumber(unit.CvtTP(ktounit_degF, unit.uTP(), 0.0f));
        detail::showInLanguage(
            "B&W STEAM에 따른 엔탈피 계산에서, 가스 온도가 " + v + " 도 보다 커야 합니다.",
            "In enthalpy calculation acc. to B&W STEAM, the gas temperature be greater than " + v +
                ".",
            kBnWCaption);
        return std::nullopt;
    }
    if (!tryFlueGasMoleWeight(isVolumeBasis, N2, O2, CO2, CO, SO2, H2O, Ar)) return std::nullopt;
    const std::size_t band = bnwBand(tF);
    CurveValues h{};
    for (std::size_t i = 0; i < h.size(); ++i) h[i] = bnwEnthalpy(kBnWCurveTable[i][band], tF);
    return unit.CvtENTH(ktounit_Btuperlb, unit.uENTH(), weightedByMass(h));
}

float FlueGasEnthbyBnW(const Unit& unit, float T, bool isVolumeBasis, float N2, float O2, float CO2,
                       float CO, float SO2, float H2O, float Ar) {
    return tryFlueGasEnthbyBnW(unit, T, isVolumeBasis, N2, O2, CO2, CO, SO2, H2O, Ar)
        .value_or(0.0f);
}

}  // namespace tw

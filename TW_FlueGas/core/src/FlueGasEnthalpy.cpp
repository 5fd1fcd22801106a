// Gas enthalpy by the three correlations of the calculator: NASA Glenn coefficients, ASME PTC 4.4
// - 1981 and B&W STEAM. Each weights its species enthalpies with the weight percents of the
// normalised composition.

#include <cmath>
#include <optional>

#include "FlueGasInternal.h"
#include "mdlTW_FlueGas.h"
#include "mdlTW_NASA_TP.h"
#include "tw/AutomationError.h"
#include "tw/Format.h"

namespace tw {

namespace {

using detail::single;
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

enum Curve { cCO2, cSO2, cO2, cN2, cH2O, cCO, kCurveCount };
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

// ASME PTC 4.4 - 1981: h = A x^2 + B x + C x^3 + D / T, T in oR, x = T / 100, h in Btu/lb.
struct Ptc44Curve {
    double A, B, C, D;
};
constexpr std::array<Ptc44Curve, kCurveCount> kPtc44Curves = {{
    {0.67027, 14.00137, -0.0087505, -857.364},  // CO2
    {0.42328, 11.10611, -0.0060594, 67.88},     // SO2
    {0.24852, 19.75583, -0.0027109, 1886.205},  // O2
    {0.09764, 23.69959, 0.0005949, 1560.296},   // N2 (also Ar)
    {0.3671, 40.83193, 0.000616, 3442.356},     // H2O
    {0.13848, 23.39643, -0.000164, 1889.712},   // CO
}};

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

// B&W STEAM: h = a T^2 + b T + c, T in oF, h in Btu/lb, by band of T.
struct BnWCoefficients {
    float a, b, c;
};
constexpr std::array<float, 3> kBnWBandLimits = {500.0f, 1500.0f, 2500.0f};  // oF
// Bands: T < 500, 500 <= T < 1500, 1500 <= T < 2500, T >= 2500.
constexpr std::array<std::array<BnWCoefficients, 4>, kCurveCount> kBnWCurveTable = {{
    {{{5.544506e-05f, 0.1943114f, -15.2317f},  // CO2
      {2.560224e-05f, 0.227006f, -24.11829f},
      {1.045045e-05f, 0.2695022f, -53.77107f},
      {4.595554e-06f, 0.2989397f, -90.77172f}}},
    {{{3.420275e-05f, 0.1439724f, -11.25959f},  // SO2
      {1.366242e-05f, 0.1672132f, -17.74491f},
      {4.470094e-06f, 0.1923931f, -34.83202f},
      {2.012353e-06f, 0.2047152f, -50.27639f}}},
    {{{1.764672e-05f, 0.2162331f, -16.78533f},  // O2
      {1.403084e-05f, 0.2232213f, -19.37546f},
      {6.424422e-06f, 0.2438557f, -33.21262f},
      {4.86489e-06f, 0.2517422f, -43.18179f}}},
    {{{5.484935e-06f, 0.2450592f, -18.9332f},  // N2 (also Ar)
      {1.496168e-05f, 0.2362762f, -16.91089f},
      {8.654128e-06f, 0.2552508f, -31.18079f},
      {3.953408e-06f, 0.2789019f, -60.92904f}}},
    {{{2.998261e-05f, 0.4400434f, -34.11883f},  // H2O
      {4.575975e-05f, 0.4246434f, -30.36311f},
      {3.947132e-05f, 0.4475365f, -50.5538f},
      {2.413208e-05f, 0.5252888f, -149.0643f}}},
    {{{5.544506e-05f, 0.1943114f, -15.2317f},  // CO
      {2.559673e-05f, 0.2269866f, -24.10722f},
      {1.044809e-05f, 0.269504f, -53.79888f},
      {4.630355e-06f, 0.2987122f, -90.45853f}}},
}};

std::size_t bnwBand(float tF) {
    std::size_t band = 0;
    while (band < kBnWBandLimits.size() && tF >= kBnWBandLimits[band]) ++band;
    return band;
}

float bnwEnthalpy(const BnWCoefficients& k, float tF) {
    const double T = tF;
    return checkedFloat(std::pow(T, 2) * k.a + T * k.b + k.c);
}

constexpr std::string_view kBnWCaption = "Function FlueGasEnthbyBnW";

}  // namespace

std::optional<float> tryFlueGasEnthbyNASATP(const Unit& unit, float T, bool isVolumeBasis, float N2,
                                            float O2, float CO2, float CO, float SO2, float H2O,
                                            float Ar) {
    const float tK = temperatureIn(unit, ktounit_degK, T);
    if (!(tK > 200.0f)) {
        detail::showInLanguage(kNasaTooLow, kNasaCaption);
        return std::nullopt;
    }
    if (!(tK < 6000.0f)) {
        detail::showInLanguage(kNasaTooHigh, kNasaCaption);
        return std::nullopt;
    }
    if (!tryFlueGasMoleWeight(isVolumeBasis, N2, O2, CO2, CO, SO2, H2O, Ar)) return std::nullopt;
    NASA_CO2(unit, T);
    NASA_CO(unit, T);
    NASA_SO2(unit, T);
    NASA_H2O(unit, T);
    NASA_Ar(unit, T);
    NASA_N2(unit, T);
    NASA_O2(unit, T);
    const auto term = [](G c) {
        return static_cast<double>(FlueGasComposition.wt(c)) * SpeciesProperties[index(c)].h;
    };
    const double H = (term(G::SO2) + term(G::CO2) + term(G::O2) + term(G::N2) + term(G::Ar) +
                      term(G::H2O) + term(G::CO)) /
                     100.0;
    return checkedFloat(H);
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
    if (!(tR > 0.0f)) {
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
    if (!(tF > 0.0f)) {
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

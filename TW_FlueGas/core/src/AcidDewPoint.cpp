// SO3 conversion rate from the SO2/SO3 equilibrium and the sulfuric acid dew points by the
// correlations of Okkes and of Verhoff and Banchero.

#include <cmath>
#include <optional>

#include "FlueGasInternal.h"
#include "mdlTW_FlueGas.h"
#include "tw/Format.h"

namespace tw {

namespace {

using detail::single;

constexpr double kMmHgPerAtm = 760.0;

constexpr std::string_view kCaption = "Acid Dew Point by Verhoff and Banchero Method";
constexpr BilingualText kZeroInput = {"입력한 SO2, H2O 혹은 O2 Vol. % 값이 0 보다 커야 합니다.",
                                      "Volume percent of SO2, H2O and O2 each should be greater "
                                      "than 0."};
constexpr BilingualText kInvalidInput = {
    "입력한 SO2, H2O 혹은 O2 Vol. % 값이 0 보다 큰 유한한 값이어야 합니다.",
    "Volume percent of SO2, H2O and O2 each should be a finite number greater than 0."};
constexpr BilingualText kInvalidInputAtConversion = {
    "입력한 SO2, H2O Vol. % 값과 SO3 변환율이 0 보다 큰 유한한 값이어야 합니다.",
    "Volume percent of SO2 and H2O and the SO3 conversion rate each should be a finite number "
    "greater than 0."};
constexpr BilingualText kUndefined = {
    "입력한 가스의 SO3 및 H2O 분압에 대해서는 산 이슬점을 계산할 수 없습니다.",
    "The acid dew point cannot be calculated for the SO3 and H2O partial pressures of this gas."};

// Equilibrium SO3 partial pressure in atm of a gas at 1 atm: (O2 / 100)^0.5 K SO2 / 100.
double equilibriumSO3(float SO2, float O2) {
    return std::pow(O2 / 100.0, 0.5) *
           (static_cast<double>(SO3EquilibriumConstant()) * SO2 / 100.0);
}

// SO3 partial pressure in atm for a conversion rate in percent.
double convertedSO3(float SO2, float Rate) {
    return SO2 / 100.0 * Rate / 100.0;
}

// The zero tests first (as the calculator always made them), then the values where the
// formulas are undefined: negative or non-finite inputs.
bool acceptInputs(float a, float b, float c, const BilingualText& invalidText) {
    if (a == 0.0f || b == 0.0f || c == 0.0f) {
        detail::showInLanguage(kZeroInput, kCaption);
        return false;
    }
    for (float v : {a, b, c}) {
        if (!std::isfinite(v) || v < 0.0f) {
            detail::showInLanguage(invalidText, kCaption);
            return false;
        }
    }
    return true;
}

// Okkes: T = 1.06 (log pSO3 + 8)^2.19 + (27.6 log pH2O + 203.25) + 10.83 log pSO3, oC, with the
// partial pressures in atm. Defined for pSO3 above 1e-8 atm only.
std::optional<double> okkes(float pSO3, float pH2O) {
    if (!(pSO3 > 1e-8)) {
        const std::string v = generalNumber(pSO3);
        detail::showInLanguage(
            "SO3 분압" + v + " atm 은 Okkes 방법에 따른 산 이슬점 계산에 너무 작습니다. " +
                "1E-08 atm 보다 커야 합니다.",
            "The SO3 partial pressure of" + v +
                " atm is too low for the acid dew point by Okkes; it should be greater than "
                "1E-08 atm.",
            kCaption);
        return std::nullopt;
    }
    if (!(pH2O > 0.0f)) {
        detail::showInLanguage(kUndefined, kCaption);
        return std::nullopt;
    }
    const auto log10 = [](double x) { return std::log(x) / std::log(10.0); };
    const double logSO3 = log10(pSO3);
    return 1.06 * std::pow(logSO3 + 8, 2.19) + (27.6 * log10(pH2O) + 203.25) + 10.83 * logSO3;
}

// Verhoff and Banchero: 1 / T = 0.002276 - 2.943e-5 ln pH2O - 8.58e-5 ln pSO3
// + 6.2e-6 ln pH2O ln pSO3, T in K (273, not 273.15, to oC), partial pressures in mmHg.
std::optional<double> verhoff(float pSO3, float pH2O) {
    if (!(pSO3 > 0.0f) || !(pH2O > 0.0f)) {
        detail::showInLanguage(kUndefined, kCaption);
        return std::nullopt;
    }
    const double lnH2O = std::log(pH2O);
    const double lnSO3 = std::log(pSO3);
    const double inverseT = 0.002276 - 2.943e-5 * lnH2O - 8.58e-5 * lnSO3 + 6.2e-6 * lnH2O * lnSO3;
    if (!(inverseT > 0.0)) {
        detail::showInLanguage(kUndefined, kCaption);
        return std::nullopt;
    }
    return 1.0 / inverseT - 273.0;
}

// A dew point in oC rounded to 0.1 as the pattern "0.0" does, in the Unit's temperature unit.
std::optional<float> dewPointResult(const Unit& unit, std::optional<double> tDp) {
    if (!tDp) return std::nullopt;
    if (!std::isfinite(*tDp)) {
        detail::showInLanguage(kUndefined, kCaption);
        return std::nullopt;
    }
    return unit.CvtTP(ktounit_degC, unit.uTP(), fixedDecimalsValue(*tDp, 1));
}

// The rate of SO3 conversion at the equilibrium SO3 partial pressure `equilibrium` (atm).
std::optional<float> conversionRate(float SO2, double equilibrium) {
    const float pSO3 = single(equilibrium);
    const float s = single(SO2 / 100.0);
    const float rate = single(static_cast<double>(pSO3) / s * 100.0);
    if (!std::isfinite(rate)) return std::nullopt;
    return rate;
}

// The dew points at the equilibrium SO3 partial pressure `equilibrium` (atm) of the gas.
std::optional<float> okkesAtEquilibrium(const Unit& unit, float SO2, float H2O, float O2,
                                        double equilibrium) {
    if (!acceptInputs(O2, SO2, H2O, kInvalidInput)) return std::nullopt;
    const float pSO3 = single(equilibrium);
    const float pH2O = single(H2O / 100.0);
    return dewPointResult(unit, okkes(pSO3, pH2O));
}

std::optional<float> verhoffAtEquilibrium(const Unit& unit, float SO2, float H2O, float O2,
                                          double equilibrium) {
    if (!acceptInputs(O2, SO2, H2O, kInvalidInput)) return std::nullopt;
    const float pSO3 = single(equilibrium * kMmHgPerAtm);
    const float pH2O = single(H2O / 100.0 * kMmHgPerAtm);
    return dewPointResult(unit, verhoff(pSO3, pH2O));
}

}  // namespace

AcidDewPoints tryAcidDewPoints(const Unit& unit, float SO2, float H2O, float O2) {
    const double equilibrium = equilibriumSO3(SO2, O2);
    AcidDewPoints d;
    d.so3ConversionRate = conversionRate(SO2, equilibrium);
    if (d.so3ConversionRate) {
        d.okkes = okkesAtEquilibrium(unit, SO2, H2O, O2, equilibrium);
        d.verhoff = verhoffAtEquilibrium(unit, SO2, H2O, O2, equilibrium);
    }
    return d;
}

float SO3EquilibriumConstant() {
    const float t = 1.273f;  // 1273 K / 1000
    const double X =
        (std::pow(t, 2) * 0.0702 - 0.199166f - 0.0137484f * std::log(1273.0) - 0.0013 / t) *
        (12.12 / t);
    return single(std::exp(X));
}

std::optional<float> trySO3ConversionRate(float SO2, float O2) {
    return conversionRate(SO2, equilibriumSO3(SO2, O2));
}

float SO3ConversionRate(float SO2, float O2) {
    return trySO3ConversionRate(SO2, O2).value_or(0.0f);
}

std::optional<float> tryOkkesAcidDewPoint(const Unit& unit, float SO2, float H2O, float O2) {
    return okkesAtEquilibrium(unit, SO2, H2O, O2, equilibriumSO3(SO2, O2));
}

float OkkesAcidDewPoint(const Unit& unit, float SO2, float H2O, float O2) {
    return tryOkkesAcidDewPoint(unit, SO2, H2O, O2).value_or(0.0f);
}

std::optional<float> tryOkkesAcidDewPointAtConversion(const Unit& unit, float SO2, float H2O,
                                                      float Rate) {
    if (!acceptInputs(Rate, SO2, H2O, kInvalidInputAtConversion)) return std::nullopt;
    const float pSO3 = single(convertedSO3(SO2, Rate));
    const float pH2O = single(H2O / 100.0);
    return dewPointResult(unit, okkes(pSO3, pH2O));
}

float OkkesAcidDewPointAtConversion(const Unit& unit, float SO2, float H2O, float Rate) {
    return tryOkkesAcidDewPointAtConversion(unit, SO2, H2O, Rate).value_or(0.0f);
}

std::optional<float> tryVerhoffAcidDewPoint(const Unit& unit, float SO2, float H2O, float O2) {
    return verhoffAtEquilibrium(unit, SO2, H2O, O2, equilibriumSO3(SO2, O2));
}

float VerhoffAcidDewPoint(const Unit& unit, float SO2, float H2O, float O2) {
    return tryVerhoffAcidDewPoint(unit, SO2, H2O, O2).value_or(0.0f);
}

std::optional<float> tryVerhoffAcidDewPointAtConversion(const Unit& unit, float SO2, float H2O,
                                                        float Rate) {
    if (!acceptInputs(Rate, SO2, H2O, kInvalidInputAtConversion)) return std::nullopt;
    const float pSO3 = single(convertedSO3(SO2, Rate) * kMmHgPerAtm);
    const float pH2O = single(H2O / 100.0 * kMmHgPerAtm);
    return dewPointResult(unit, verhoff(pSO3, pH2O));
}

float VerhoffAcidDewPointAtConversion(const Unit& unit, float SO2, float H2O, float Rate) {
    return tryVerhoffAcidDewPointAtConversion(unit, SO2, H2O, Rate).value_or(0.0f);
}

std::optional<float> tryOkkesAcidDewPointAtPressure(const Unit& unit, float SO2, float H2O,
                                                    float O2, double P) {
    if (!acceptInputs(O2, SO2, H2O, kInvalidInput)) return std::nullopt;
    const float pSO3 = single(equilibriumSO3(SO2, O2) * P);
    const float pH2O = single(H2O / 100.0 * P);
    return dewPointResult(unit, okkes(pSO3, pH2O));
}

std::optional<float> tryVerhoffAcidDewPointAtPressure(const Unit& unit, float SO2, float H2O,
                                                      float O2, double P) {
    if (!acceptInputs(O2, SO2, H2O, kInvalidInput)) return std::nullopt;
    const float pSO3 = single(equilibriumSO3(SO2, O2) * P * kMmHgPerAtm);
    const float pH2O = single(H2O / 100.0 * P * kMmHgPerAtm);
    return dewPointResult(unit, verhoff(pSO3, pH2O));
}

}  // namespace tw

// Flue gas from fuel: element balances of complete combustion, the air quantity from excess air
// or an O2 target, heating values and the adiabatic flame temperature.
//
// Everything is counted per unit of fuel: 1 kg of a solid or liquid fuel, 1 kmol of a fuel gas.
// Amounts are kmol; the dry air is the mixture of kDryAirVolPercent.

#include "Combustion.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "FlueGasInternal.h"
#include "mdlTW_NASA_TP.h"
#include "tw/Format.h"
#include "tw/Stable.h"

namespace tw::fluegas {
namespace {

using GC = GasComponent;

constexpr double kAirMoleWeight = dryAirMoleWeight();
constexpr double kWaterToAirMoleWeight = moleWeight(GC::H2O) / kAirMoleWeight;
constexpr double kMaxPpm = 1e6;

double element(const ElementCounts& e, Element which) {
    return e[static_cast<std::size_t>(which)];
}
double airFraction(GC c) {
    return kDryAirVolPercent[index(c)] / 100;
}
constexpr double airFractionSum() {
    double s = 0;
    for (double x : kDryAirVolPercent) s += x / 100;
    return s;
}

std::string number(double value) {
    return generalNumberNoBlank(value);
}

CombustionMessage message(std::string korean, std::string english) {
    return {std::move(korean), std::move(english)};
}

// What one unit of fuel brings: atoms, mass and, for a fuel gas, the heating value of its
// components.
struct FuelUnit {
    ElementCounts atoms{};
    double massKg = 0;
    double componentHhvKJ = 0;  // fuel gas only
};

struct Refused {
    CombustionMessage message;
};

// The analysis checked and scaled to a total of exactly 100 %, so that every result (per kg and
// per Nm3, and the heating value from the analysis) comes from the same fuel.
FuelAnalysis normalisedAnalysis(const FuelAnalysis& fuel) {
    const auto keys = fuelKeys(fuel.kind);
    double sum = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const double p = fuel.percent[i];
        if (!std::isfinite(p) || p < 0) {
            throw Refused{message(std::string("연료 분석의 ") + keys[i].key +
                                      " 값이 음수이거나 계산할 수 있는 수가 아닙니다.",
                                  std::string("The fuel analysis holds a value for ") +
                                      keys[i].key + " that is negative or not a number.")};
        }
        sum += p;
    }
    if (!(std::abs(sum - 100) <= kAnalysisSumTolerance)) {
        throw Refused{message(
            "연료 분석의 합계가 " + number(sum) + " % 입니다. 합계는 100 % (허용 오차 " +
                number(kAnalysisSumTolerance) + " %) 이어야 합니다.",
            "The fuel analysis adds up to " + number(sum) + " %; it must add up to 100 % within " +
                number(kAnalysisSumTolerance) + " %.")};
    }
    FuelAnalysis normalised = fuel;
    for (std::size_t i = 0; i < keys.size(); ++i) normalised.percent[i] *= 100 / sum;
    return normalised;
}

// `fuel` adds up to 100 %.
FuelUnit fuelUnit(const FuelAnalysis& fuel) {
    const auto keys = fuelKeys(fuel.kind);
    FuelUnit unit;
    unit.massKg = fuel.kind == FuelKind::Solid ? 1.0 : 0.0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const double fraction = fuel.percent[i] / 100;
        // kmol of the key per unit fuel: mass fraction over mole weight for a solid (ash has
        // none), the volume fraction itself for a gas.
        double kmol = fraction;
        if (fuel.kind == FuelKind::Solid) {
            kmol = keys[i].moleWeight > 0 ? fraction / keys[i].moleWeight : 0;
        } else {
            unit.massKg += fraction * keys[i].moleWeight;
            unit.componentHhvKJ += fraction * keys[i].hhvKJPerMol * 1000;  // kJ/kmol
        }
        for (std::size_t e = 0; e < kElementCount; ++e) unit.atoms[e] += kmol * keys[i].atoms[e];
    }
    return unit;
}

// Oxygen needed to burn the unit completely, its own oxygen credited.
double oxygenDemand(const ElementCounts& a) {
    return element(a, Element::C) + element(a, Element::H) / 4 + element(a, Element::S) -
           element(a, Element::O) / 2;
}

double higherHeatingValue(const CombustionInput& input, const FuelUnit& unit) {
    if (input.fuel.kind == FuelKind::Gas) {
        if (input.measuredHhvKJPerKg) {
            throw Refused{message(
                "측정한 고위발열량은 고체 또는 액체 연료에만 입력합니다. 기체 연료의 발열량은 "
                "성분으로부터 계산합니다.",
                "A measured heating value belongs to a solid or liquid fuel; a fuel gas takes its "
                "heating value from its components.")};
        }
        return unit.componentHhvKJ / unit.massKg;
    }
    if (input.measuredHhvKJPerKg) {
        const double hhv = *input.measuredHhvKJPerKg;
        if (!std::isfinite(hhv) || hhv <= 0) {
            throw Refused{message("측정한 고위발열량은 0 kJ/kg 보다 큰 수이어야 합니다.",
                                  "The measured higher heating value must be a number greater "
                                  "than 0 kJ/kg.")};
        }
        return hhv;
    }
    const double mj = correlatedHhvKJPerKg(input.fuel) / 1000;
    if (!(mj > 0)) {
        throw Refused{message(
            "원소 분석으로 구한 고위발열량(Channiwala-Parikh)이 " + number(mj) +
                " MJ/kg 으로 0 보다 크지 않습니다. 측정한 발열량을 입력하십시오.",
            "The higher heating value from the ultimate analysis (Channiwala and Parikh) is " +
                number(mj) + " MJ/kg, not above 0; give a measured heating value.")};
    }
    return mj * 1000;
}

void checkAirTemperature(double tC) {
    const double tK = tC + kKelvinAtZeroCelsius;
    if (std::isfinite(tK) && tK > kLowestDataTemperatureK && tK < kHighestDataTemperatureK) return;
    const std::string low = number(kLowestDataTemperatureK - kKelvinAtZeroCelsius);
    const std::string high = number(kHighestDataTemperatureK - kKelvinAtZeroCelsius);
    throw Refused{message("공기 온도는 " + low + " oC 와 " + high +
                              " oC 사이(엔탈피 자료의 범위인 200 K ~ 6000 K)이어야 합니다.",
                          "The air temperature must lie between " + low + " oC and " + high +
                              " oC (200 K and 6000 K, the range of the enthalpy data).")};
}

// Air moisture in kg water per kg dry air.
double airHumidity(const CombustionInput& input) {
    const double value = input.moistureValue;
    if (input.moisture == AirMoisture::Ratio) {
        if (std::isfinite(value) && value >= 0 && value <= kMaxAirHumidity) return value;
        throw Refused{message("공기 습도는 0 kg/kg 에서 " + number(kMaxAirHumidity) +
                                  " kg/kg 사이의 수이어야 합니다.",
                              "The air humidity must be a number from 0 kg/kg to " +
                                  number(kMaxAirHumidity) + " kg/kg.")};
    }
    if (!(value >= 0 && value <= 100)) {
        throw Refused{message("상대 습도는 0 % 에서 100 % 사이이어야 합니다.",
                              "The relative humidity must lie between 0 % and 100 %.")};
    }
    // The steam table holds saturation from 1 oC; at 100 oC the saturation pressure reaches the
    // standard atmosphere and the air could hold any amount of water.
    constexpr double kLowest = 1;
    constexpr double kBoiling = 100;
    const double tC = input.airTemperatureC;
    if (!(tC >= kLowest && tC < kBoiling)) {
        throw Refused{message(
            "상대 습도를 쓰려면 공기 온도가 1 oC 이상 100 oC 미만이어야 합니다(물의 포화 압력이 "
            "표준 대기압보다 낮은 범위). 대신 습도를 kg/kg 으로 입력하십시오.",
            "Relative humidity needs an air temperature from 1 oC to below 100 oC, where the "
            "saturation pressure of water stays below the standard atmosphere; give the humidity "
            "in kg/kg instead.")};
    }
    Stable steam;
    steam.setTW_Language(TW_Language);
    steam.setuPR(ktounit_kPaa);
    steam.setuTP(ktounit_degC);
    steam.SSTABLE(ktoSStable_TP, static_cast<float>(tC));
    const double saturation = steam.PSAT();
    if (steam.StableError() != 0 || !(saturation > 0 && saturation < kStandardAtmosphereKPa)) {
        throw Refused{message(
            "증기표에서 " + number(tC) + " oC 의 물 포화 압력을 구할 수 없습니다.",
            "The steam table gives no saturation pressure of water at " + number(tC) + " oC.")};
    }
    const double vapour = value / 100 * saturation;
    const double humidity = kWaterToAirMoleWeight * vapour / (kStandardAtmosphereKPa - vapour);
    if (humidity > kMaxAirHumidity) {
        throw Refused{message("상대 습도 " + number(value) + " %, " + number(tC) +
                                  " oC 의 공기 습도는 " + number(humidity) + " kg/kg 으로 " +
                                  number(kMaxAirHumidity) + " kg/kg 을 넘습니다.",
                              "A relative humidity of " + number(value) + " % at " + number(tC) +
                                  " oC gives an air humidity of " + number(humidity) +
                                  " kg/kg, beyond " + number(kMaxAirHumidity) + " kg/kg.")};
    }
    return humidity;
}

}  // namespace

std::optional<double> relativeHumidityOf(double humidityKgPerKg, double airTemperatureC) {
    if (!(std::isfinite(humidityKgPerKg) && humidityKgPerKg >= 0)) return std::nullopt;
    CombustionInput saturated;
    saturated.moisture = AirMoisture::RelativeHumidity;
    saturated.moistureValue = 100;
    saturated.airTemperatureC = airTemperatureC;
    double saturation = 0;
    try {
        saturation = airHumidity(saturated);
    } catch (const Refused&) {
        return std::nullopt;
    }
    // Partial pressures of the vapour, as shares of the atmosphere: x / (k + x).
    const auto share = [](double x) { return x / (kWaterToAirMoleWeight + x); };
    if (!(saturation > 0)) return std::nullopt;
    return share(humidityKgPerKg) / share(saturation) * 100;
}

namespace {

// The flue gas of one unit of fuel at an air quantity A (kmol dry air), kmol by species, and the
// carbon left as CO.
struct Products {
    std::array<double, kGasComponentCount> kmol{};
    double coKmol = 0;
};

// The gas quantities of the balance: with D the oxygen demand, dry flue gas without CO is
// K0 + s A and its water W0 + w A; a CO of k (fraction of the dry gas) takes x = k c (K0 + s A)
// of carbon, c = 1 / (1 - k/2), and leaves x/2 of O2.
struct Balance {
    ElementCounts atoms{};
    double demand = 0;          // D, kmol O2
    double stoichiometric = 0;  // kmol dry air
    double k0 = 0, s = 0, w0 = 0, w = 0, k = 0, c = 1;

    double dryWithoutCo(double air) const { return k0 + s * air; }
    double coKmol(double air) const { return k * c * dryWithoutCo(air); }
    double o2(double air) const { return airFraction(GC::O2) * air - demand + coKmol(air) / 2; }
    double dryTotal(double air) const { return c * dryWithoutCo(air); }
    double wetTotal(double air) const { return dryTotal(air) + w0 + w * air; }

    Products products(double air) const {
        Products p;
        auto& n = p.kmol;
        p.coKmol = coKmol(air);
        n[index(GC::N2)] = element(atoms, Element::N) / 2 + airFraction(GC::N2) * air;
        // Never below zero: at stoichiometric air the balance may leave a rounding residue.
        n[index(GC::O2)] = std::max(0.0, o2(air));
        n[index(GC::CO2)] = element(atoms, Element::C) + airFraction(GC::CO2) * air - p.coKmol;
        n[index(GC::CO)] = p.coKmol;
        n[index(GC::SO2)] = element(atoms, Element::S);
        n[index(GC::H2O)] = w0 + w * air;
        n[index(GC::Ar)] = element(atoms, Element::Ar) + airFraction(GC::Ar) * air;
        return p;
    }
};

// The air quantity (kmol dry air per unit fuel) that gives an O2 fraction `target` in the dry
// or wet flue gas. The fraction is (n1 A + n0) / (d1 A + d0), so the inversion is exact.
double airForOxygen(const Balance& b, double targetPercent, bool wet) {
    const char* basisKo = wet ? "습가스" : "건가스";
    const char* basisEn = wet ? "wet" : "dry";
    if (!(std::isfinite(targetPercent) && targetPercent > 0)) {
        throw Refused{message("배기가스 중 O2 는 0 % 보다 큰 수이어야 합니다.",
                              "The O2 in the flue gas must be a number greater than 0 %.")};
    }
    const double t = targetPercent / 100;
    const double n1 = airFraction(GC::O2) + b.k * b.c * b.s / 2;
    const double n0 = -b.demand + b.k * b.c * b.k0 / 2;
    const double d1 = b.c * b.s + (wet ? b.w : 0);
    const double d0 = b.c * b.k0 + (wet ? b.w0 : 0);
    const double limit = n1 / d1;
    const bool rising = n1 * d0 - n0 * d1 > 0;
    if (rising && t >= limit) {
        throw Refused{message("O2 " + number(targetPercent) + " % (" + basisKo +
                                  " 기준)는 도달할 수 없습니다. 공기가 무한히 많아도 " +
                                  number(limit * 100) + " % 보다 작습니다.",
                              "An O2 of " + number(targetPercent) + " % (" + basisEn +
                                  ") cannot be reached: even infinite air gives less than " +
                                  number(limit * 100) + " %.")};
    }
    const double air = (n0 - t * d0) / (t * d1 - n1);
    // At the stoichiometric quantity itself the quotient may come out a rounding below it.
    const double tolerance = 1e-12 * b.stoichiometric;
    if (!(std::isfinite(air) && air >= b.stoichiometric - tolerance)) {
        const double atStoichiometric =
            b.o2(b.stoichiometric) /
            (wet ? b.wetTotal(b.stoichiometric) : b.dryTotal(b.stoichiometric)) * 100;
        throw Refused{message(
            "O2 " + number(targetPercent) + " % (" + basisKo +
                " 기준)는 이론 공기량보다 적은 공기를 뜻합니다(이론 공기량에서 O2 " +
                number(atStoichiometric) + " %). 이론 공기량 미만의 연소는 계산하지 않습니다.",
            "An O2 of " + number(targetPercent) + " % (" + basisEn +
                ") means less air than stoichiometric (stoichiometric air gives " +
                number(atStoichiometric) +
                " % O2); combustion short of stoichiometric air is not modelled.")};
    }
    return std::max(air, b.stoichiometric);
}

double airForExcess(const Balance& b, double excessPercent) {
    if (!(std::isfinite(excessPercent) && excessPercent >= 0)) {
        throw Refused{message(
            "과잉 공기는 0 % 이상의 수이어야 합니다. 이론 공기량 미만의 연소는 계산하지 않습니다.",
            "The excess air must be a number of 0 % or more: combustion short of stoichiometric "
            "air is not modelled.")};
    }
    return b.stoichiometric * (1 + excessPercent / 100);
}

// The flame temperature in kelvin at which the products hold `heat` kJ above 25 oC; empty
// with a note outside the data.
std::optional<double> flameTemperature(const std::array<double, kGasComponentCount>& n, double heat,
                                       std::optional<CombustionMessage>& note) {
    const auto excess = [&](double T, double* slope) {
        const NasaTemperature t(T);
        double h = 0;
        double cp = 0;
        for (std::size_t i = 0; i < n.size(); ++i) {
            if (n[i] == 0) continue;
            const MolarSensibleHeat s = molarSensibleHeat(static_cast<GC>(i), t);
            h += n[i] * s.h;
            cp += n[i] * s.cp;
        }
        if (slope) *slope = cp;
        return h - heat;
    };
    double lo = kReferenceTemperatureK;
    double hi = kHighestDataTemperatureK;
    if (!(heat >= 0)) {
        note = message(
            "연료와 공기의 열로는 배기가스를 25 oC 이상으로 가열할 수 없어 단열 화염 온도를 "
            "구하지 않았습니다.",
            "The heat of the fuel and the air does not raise the flue gas above 25 oC; no "
            "adiabatic flame temperature is given.");
        return std::nullopt;
    }
    if (excess(hi, nullptr) < 0) {
        note = message(
            "단열 화염 온도가 엔탈피 자료의 한계인 6000 K 보다 높아 구하지 않았습니다.",
            "The adiabatic flame temperature lies above 6000 K, the limit of the enthalpy data; "
            "it is not given.");
        return std::nullopt;
    }
    // Newton's method on the sensible heat, kept inside a bracket that bisection narrows when
    // a step would leave it.
    // The enthalpy is convex in T, so a first guess above the root converges from above.
    double slope = 0;
    excess(lo, &slope);
    double T = std::clamp(lo + heat / slope, lo, hi);
    for (int iteration = 0; iteration < 60; ++iteration) {
        const double f = excess(T, &slope);
        if (f < 0) {
            lo = T;
        } else {
            hi = T;
        }
        double next = T - f / slope;
        if (!(next > lo && next < hi)) next = (lo + hi) / 2;
        if (std::abs(next - T) < 1e-9 * T) return next;
        T = next;
    }
    return T;
}

FlueGasFromFuelResult calculate(const CombustionInput& given) {
    CombustionInput input = given;
    input.fuel = normalisedAnalysis(given.fuel);
    const FuelUnit unit = fuelUnit(input.fuel);
    Balance b;
    b.atoms = unit.atoms;
    b.demand = oxygenDemand(unit.atoms);
    if (!(b.demand > 0)) {
        throw Refused{message(
            "이 연료는 연소에 공기가 필요하지 않습니다. 자체 산소로 태울 수 있는 것 이외에 연소할 "
            "성분이 없습니다.",
            "The fuel needs no air to burn: it holds nothing combustible beyond what its own "
            "oxygen burns.")};
    }
    const double hhv = higherHeatingValue(input, unit);
    checkAirTemperature(input.airTemperatureC);
    const double humidity = airHumidity(input);
    if (!(std::isfinite(input.coPpm) && input.coPpm >= 0 && input.coPpm < kMaxPpm)) {
        throw Refused{message("CO 는 0 ppm 이상 1000000 ppm 미만의 수이어야 합니다.",
                              "The CO must be a number from 0 ppm to below 1000000 ppm.")};
    }

    b.stoichiometric = b.demand / airFraction(GC::O2);
    b.s = airFractionSum();
    b.k0 = element(unit.atoms, Element::C) + element(unit.atoms, Element::S) +
           element(unit.atoms, Element::N) / 2 + element(unit.atoms, Element::Ar) - b.demand;
    b.w0 = element(unit.atoms, Element::H) / 2;
    b.w = humidity / kWaterToAirMoleWeight;  // kmol water per kmol dry air
    b.k = input.coPpm / kMaxPpm;
    b.c = 1 / (1 - b.k / 2);

    double air = 0;
    switch (input.airQuantity) {
        case AirQuantity::ExcessAir:
            air = airForExcess(b, input.airQuantityPercent);
            break;
        case AirQuantity::O2Dry:
            air = airForOxygen(b, input.airQuantityPercent, false);
            break;
        case AirQuantity::O2Wet:
            air = airForOxygen(b, input.airQuantityPercent, true);
            break;
    }
    const Products products = b.products(air);
    if (products.coKmol > element(unit.atoms, Element::C)) {
        throw Refused{message(
            "CO " + number(input.coPpm) + " ppm 에는 연료에 포함된 것보다 많은 탄소가 필요합니다.",
            "A CO of " + number(input.coPpm) + " ppm needs more carbon than the fuel holds.")};
    }

    FlueGasFromFuelResult r;
    r.kind = input.fuel.kind;
    const double kg = unit.massKg;
    // Water formed from the fuel's hydrogen and the fuel's own water, kg per kg fuel.
    const double fuelWaterKg = b.w0 * moleWeight(GC::H2O) / kg;
    r.hhvKJPerKg = hhv;
    r.lhvKJPerKg = hhv - kLatentHeatOfWater * fuelWaterKg;
    if (!(r.lhvKJPerKg > 0)) {
        throw Refused{message(
            "고위발열량 " + number(hhv) +
                " kJ/kg 에서 연료의 수분과 수소가 만드는 물의 증발열을 "
                "빼면 저위발열량이 " +
                number(r.lhvKJPerKg) + " kJ/kg 으로 0 보다 크지 않습니다. 발열량을 확인하십시오.",
            "A higher heating value of " + number(hhv) + " kJ/kg leaves a lower heating value of " +
                number(r.lhvKJPerKg) +
                " kJ/kg, not above 0, once the water of the fuel and of its hydrogen is "
                "evaporated; check the heating value.")};
    }
    r.stoichiometricAirKgPerKg = b.stoichiometric * kAirMoleWeight / kg;
    r.airKgPerKg = air * kAirMoleWeight / kg;
    r.airNm3PerKg = air * kNormalMolarVolume / kg;
    r.excessAirPercent = (air / b.stoichiometric - 1) * 100;
    r.humidityKgPerKg = humidity;

    const auto& n = products.kmol;
    double wet = 0;
    double mass = 0;
    for (std::size_t i = 0; i < n.size(); ++i) {
        wet += n[i];
        mass += n[i] * kFlueGasMoleWeight[i];
    }
    const double dry = wet - n[index(GC::H2O)];
    for (std::size_t i = 0; i < n.size(); ++i) {
        r.kmolPerKg[i] = n[i] / kg;
        r.wetVolPercent[i] = n[i] / wet * 100;
        r.dryVolPercent[i] = i == index(GC::H2O) ? 0 : n[i] / dry * 100;
        r.wetWtPercent[i] = n[i] * kFlueGasMoleWeight[i] / mass * 100;
    }
    r.flueGasKgPerKg = mass / kg;
    r.flueGasNm3PerKg = wet * kNormalMolarVolume / kg;
    r.moleWeight = mass / wet;
    r.co2MaxDryPercent =
        (element(unit.atoms, Element::C) + airFraction(GC::CO2) * b.stoichiometric) /
        b.dryWithoutCo(b.stoichiometric) * 100;
    if (r.kind == FuelKind::Gas) {
        // One unit of a fuel gas is one kmol, kNormalMolarVolume Nm3.
        r.hhvKJPerNm3 = hhv * kg / kNormalMolarVolume;
        r.lhvKJPerNm3 = r.lhvKJPerKg * kg / kNormalMolarVolume;
        r.airNm3PerNm3 = air;
        r.flueGasNm3PerNm3 = wet;
    }

    // Heat into the products above 25 oC: the lower heating value less the carbon left as CO,
    // and the sensible heat of the air and its moisture; the fuel enters at 25 oC.
    const NasaTemperature airK(input.airTemperatureC + kKelvinAtZeroCelsius);
    double heat = r.lhvKJPerKg * kg - kCarbonMonoxideHhv * 1000 * products.coKmol;
    for (GC c : {GC::N2, GC::O2, GC::CO2, GC::Ar})
        heat += airFraction(c) * air * molarSensibleHeat(c, airK).h;
    heat += b.w * air * molarSensibleHeat(GC::H2O, airK).h;
    if (const auto T = flameTemperature(n, heat, r.flameNote)) {
        r.adiabaticFlameTemperatureC = *T - kKelvinAtZeroCelsius;
    }

    const double checks[] = {
        r.lhvKJPerKg, r.airKgPerKg, r.flueGasKgPerKg, r.flueGasNm3PerKg, r.moleWeight, wet, mass};
    if (!std::all_of(std::begin(checks), std::end(checks),
                     [](double v) { return std::isfinite(v); }) ||
        !std::all_of(r.wetVolPercent.begin(), r.wetVolPercent.end(),
                     [](double v) { return std::isfinite(v); }) ||
        !std::all_of(r.dryVolPercent.begin(), r.dryVolPercent.end(),
                     [](double v) { return std::isfinite(v); }) ||
        !std::all_of(r.wetWtPercent.begin(), r.wetWtPercent.end(),
                     [](double v) { return std::isfinite(v); }) ||
        !std::isfinite(r.co2MaxDryPercent) || !std::isfinite(r.excessAirPercent)) {
        throw Refused{message(
            "계산 결과가 계산할 수 있는 수의 범위를 벗어났습니다. 공기량과 습도를 확인하십시오.",
            "The result lies beyond the range of calculation; check the air quantity and the "
            "humidity.")};
    }
    return r;
}

}  // namespace

MolarSensibleHeat molarSensibleHeat(GasComponent species, const NasaTemperature& T) {
    static const std::array<double, kGasComponentCount> kAtReference = [] {
        std::array<double, kGasComponentCount> h{};
        for (std::size_t i = 0; i < h.size(); ++i) {
            h[i] = nasaSpeciesProperties(static_cast<GC>(i), kReferenceTemperatureK).h *
                   nasaGlennSpecies()[i].M;
        }
        return h;
    }();
    const NasaSpeciesTable& table = nasaGlennSpecies()[index(species)];
    const NasaInterval& c = nasaInterval(table, T.T);
    const double M = table.M;
    // h and cp per kg as nasaSpeciesProperties gives them, without the entropy; then per kmol.
    const double h = kNasaGasConstant * nasaHOverR(c, T) / M;
    const double cp = kNasaGasConstant * nasaCpOverR(c, T) / M;
    return {h * M - kAtReference[index(species)], cp * M};
}

double correlatedHhvKJPerKg(const FuelAnalysis& fuel) noexcept {
    const auto& p = fuel.percent;
    const auto& k = kChanniwalaParikh;
    return (k.C * p[0] + k.H * p[1] + k.O * p[2] + k.N * p[3] + k.S * p[4] + k.Ash * p[6]) * 1000;
}

double analysisTotal(const FuelAnalysis& fuel) noexcept {
    double total = 0;
    for (std::size_t i = 0; i < fuelKeys(fuel.kind).size(); ++i) total += fuel.percent[i];
    return total;
}

std::span<const FuelKeyDefinition> fuelKeys(FuelKind kind) noexcept {
    if (kind == FuelKind::Gas) return kGasFuelKeys;
    return kSolidFuelKeys;
}

int findFuelKey(FuelKind kind, std::string_view key) noexcept {
    const auto keys = fuelKeys(kind);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string_view name = keys[i].key;
        if (name.size() == key.size() &&
            std::equal(name.begin(), name.end(), key.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

FlueGasFromFuelOutcome evaluateFlueGasFromFuel(const CombustionInput& input) {
    try {
        return {calculate(input), std::nullopt};
    } catch (const Refused& refused) {
        return {std::nullopt, refused.message};
    }
}

FlueGasFromFuelOutcome FlueGasFromFuel(const CombustionInput& input) {
    FlueGasFromFuelOutcome outcome = evaluateFlueGasFromFuel(input);
    if (outcome.refusal) {
        detail::showInLanguage(outcome.refusal->korean, outcome.refusal->english,
                               kFlueGasFromFuelCaption, MessageIcon::Critical);
    } else if (outcome.result && outcome.result->flameNote) {
        const CombustionMessage& note = *outcome.result->flameNote;
        detail::showInLanguage(note.korean, note.english, kFlueGasFromFuelCaption,
                               MessageIcon::Information);
    }
    return outcome;
}

}  // namespace tw::fluegas

// Boiler efficiency by the heat-loss method: the combustion of the carbon that burns, the
// losses and the air credit per kg of fuel at the stack temperature, and the flue gas
// calculator's dew points of the wet flue gas.

#include "BoilerEfficiency.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "FlueGasCalculator.h"
#include "FlueGasInternal.h"
#include "tw/Format.h"
#include "tw/MessageSink.h"
#include "tw/Stable.h"

namespace tw::fluegas {
namespace {

using GC = GasComponent;

constexpr double kWaterMoleWeight = moleWeight(GC::H2O);
constexpr double kAirMoleWeight = dryAirMoleWeight();
constexpr double kSecondsPerHour = 3600;

constexpr std::size_t solidKey(std::string_view key) {
    for (std::size_t i = 0; i < kSolidFuelKeys.size(); ++i) {
        if (std::string_view(kSolidFuelKeys[i].key) == key) return i;
    }
    return kSolidFuelKeys.size();
}
constexpr std::size_t kCarbonKey = solidKey("C");
constexpr std::size_t kAshKey = solidKey("Ash");
static_assert(kCarbonKey < kSolidFuelKeys.size() && kAshKey < kSolidFuelKeys.size());

std::string number(double value) {
    return generalNumberNoBlank(value);
}

struct Refused {
    CombustionMessage message;
};

[[noreturn]] void refuse(std::string korean, std::string english) {
    throw Refused{{std::move(korean), std::move(english)}};
}

double kelvin(double celsius) {
    return celsius + kKelvinAtZeroCelsius;
}

// The combustion of one case and what the losses need of it, independent of the stack
// temperature.
struct Prepared {
    FlueGasFromFuelResult combustion;
    double hhv = 0;  // kJ/kg as fired
    double lhv = 0;
    double unburntCarbonKg = 0;  // per kg fuel
    double airWaterKmol = 0;     // moisture of the air, per kg fuel
    double fuelWaterKmol = 0;    // fuel moisture and water from its hydrogen, per kg fuel
    double airCreditKJ = 0;      // sensible heat of the air and its moisture above 25 oC
    double airTemperatureC = 0;
    std::vector<CombustionMessage> notes;
};

// The losses of one stack temperature, kJ per kg fuel, and the efficiencies.
struct Breakdown {
    std::array<double, kLossCount> lossPercent{};
    double creditPercent = 0;
    double gross = 0;
    double net = 0;
    double stackLoss = 0;
};

void checkPercentLoss(double value, const char* korean, const char* english) {
    if (std::isfinite(value) && value >= 0 && value < 100) return;
    refuse(std::string(korean) + " 손실은 0 % 이상 100 % 미만의 수이어야 합니다.",
           std::string("The ") + english + " loss must be a number from 0 % to below 100 %.");
}

void checkStackTemperature(double stackC, double airC) {
    const double tK = kelvin(stackC);
    if (!(std::isfinite(tK) && tK > kLowestDataTemperatureK && tK < kHighestDataTemperatureK)) {
        const std::string low = number(kLowestDataTemperatureK - kKelvinAtZeroCelsius);
        const std::string high = number(kHighestDataTemperatureK - kKelvinAtZeroCelsius);
        refuse("배기가스 온도는 " + low + " oC 와 " + high +
                   " oC 사이(엔탈피 자료의 범위인 200 K ~ 6000 K)이어야 합니다.",
               "The stack temperature must lie between " + low + " oC and " + high +
                   " oC (200 K and 6000 K, the range of the enthalpy data).");
    }
    if (stackC < airC) {
        refuse("배기가스 온도 " + number(stackC) + " oC 가 공기 온도 " + number(airC) +
                   " oC 보다 낮습니다.",
               "The stack temperature of " + number(stackC) +
                   " oC lies below the air temperature of " + number(airC) + " oC.");
    }
}

// The inputs beyond the combustion's own, checked before anything is calculated.
void checkInput(const EfficiencyInput& input) {
    const CombustionInput& c = input.combustion;
    const double uc = input.carbonInRefusePercent;
    if (!std::isfinite(uc) || uc < 0 || uc >= 100) {
        refuse("회분 중 탄소는 0 % 이상 100 % 미만의 수이어야 합니다.",
               "The carbon in the refuse must be a number from 0 % to below 100 %.");
    }
    if (uc > 0 && c.fuel.kind == FuelKind::Gas) {
        refuse("회분 중 탄소는 고체 또는 액체 연료에만 입력합니다. 기체 연료에는 회분이 없습니다.",
               "Carbon in the refuse belongs to a solid or liquid fuel; a fuel gas leaves no "
               "refuse.");
    }
    checkPercentLoss(input.radiationLossPercent, "방사 및 대류", "radiation and convection");
    checkPercentLoss(input.otherLossPercent, "기타", "other");
    if (!(input.radiationLossPercent + input.otherLossPercent < 100)) {
        refuse("방사 및 대류 손실과 기타 손실의 합은 100 % 미만이어야 합니다.",
               "The radiation and convection loss and the other losses must add up to less than "
               "100 %.");
    }
    if (input.fuelFlow) {
        const FuelFlow& flow = *input.fuelFlow;
        if (!(std::isfinite(flow.value) && flow.value > 0)) {
            refuse("연료 유량은 0 보다 큰 수이어야 합니다.",
                   "The fuel flow must be a number greater than 0.");
        }
        if (flow.basis == FuelFlowBasis::Nm3PerH && c.fuel.kind != FuelKind::Gas) {
            refuse(
                "Nm3/h 의 연료 유량은 기체 연료에만 입력합니다. 고체 또는 액체 연료는 kg/h 로 "
                "입력하십시오.",
                "A fuel flow in Nm3/h belongs to a fuel gas; give a solid or liquid fuel's "
                "flow in kg/h.");
        }
    }
    if (input.analyser) {
        const AnalyserCoefficients& a = *input.analyser;
        if (!(std::isfinite(a.a2) && std::isfinite(a.b) && a.a2 >= 0 && a.b >= 0)) {
            refuse("분석계 식의 계수 A2 와 B 는 0 이상의 수이어야 합니다.",
                   "The analyser formula's coefficients A2 and B must be numbers of 0 or more.");
        }
    }
    const double stack = input.stackTemperatureC;
    if (!std::isfinite(stack)) {
        refuse("배기가스 온도가 계산할 수 있는 수가 아닙니다.",
               "The stack temperature is not a number.");
    }
}

FlueGasFromFuelResult combust(const CombustionInput& input) {
    FlueGasFromFuelOutcome outcome = evaluateFlueGasFromFuel(input);
    if (!outcome.result) throw Refused{*outcome.refusal};
    return std::move(*outcome.result);
}

// The combustion of the case: the carbon left in the refuse takes no part in it, so it burns
// the fuel with that carbon counted as refuse, at the heating value of the fuel as fired.
Prepared prepare(const EfficiencyInput& input) {
    Prepared p;
    p.airTemperatureC = input.combustion.airTemperatureC;
    const double uc = input.carbonInRefusePercent;
    const auto& percent = input.combustion.fuel.percent;
    if (uc > 0) {
        p.unburntCarbonKg = percent[kAshKey] / 100 * uc / (100 - uc);
        if (p.unburntCarbonKg * 100 > percent[kCarbonKey]) {
            refuse("회분 중 탄소 " + number(uc) + " % 는 연료 1 kg 당 미연 탄소 " +
                       number(p.unburntCarbonKg) + " kg 으로 연료의 탄소 " +
                       number(percent[kCarbonKey] / 100) + " kg 보다 많습니다.",
                   "A carbon in the refuse of " + number(uc) + " % means " +
                       number(p.unburntCarbonKg) +
                       " kg unburnt carbon per kg fuel, more than the " +
                       number(percent[kCarbonKey] / 100) + " kg the fuel holds.");
        }
        if (percent[kAshKey] == 0) {
            p.notes.push_back({"연료에 회분이 없어 회분 중 탄소에 의한 미연 탄소 손실은 0 입니다.",
                               "The fuel holds no ash: the carbon in the refuse leaves no "
                               "unburnt carbon."});
        }
    }
    if (p.unburntCarbonKg > 0) {
        // The heating value stays that of the fuel as fired; the hydrogen and the water, and so
        // the latent heat between HHV and LHV, are the same in both.
        CombustionInput burnt = input.combustion;
        if (!burnt.measuredHhvKJPerKg) {
            const double hhv = correlatedHhvKJPerKg(input.combustion.fuel);
            // The calculation of the fuel as fired says why it cannot take the correlation.
            if (!(hhv > 0)) combust(input.combustion);
            burnt.measuredHhvKJPerKg = hhv;
        }
        burnt.fuel.percent[kCarbonKey] -= p.unburntCarbonKg * 100;
        burnt.fuel.percent[kAshKey] += p.unburntCarbonKg * 100;
        p.combustion = combust(burnt);
    } else {
        p.combustion = combust(input.combustion);
    }
    p.hhv = p.combustion.hhvKJPerKg;
    p.lhv = p.combustion.lhvKJPerKg;
    if (!(p.lhv > 0)) {
        refuse("저위발열량이 " + number(p.lhv) +
                   " kJ/kg 으로 0 보다 크지 않아 효율을 구할 수 없습니다.",
               "The lower heating value is " + number(p.lhv) +
                   " kJ/kg, not above 0; no efficiency can be given.");
    }
    const FlueGasFromFuelResult& r = p.combustion;

    // The air's moisture and, the rest of the flue gas water, what the fuel brings and forms.
    p.airWaterKmol = r.humidityKgPerKg * r.airKgPerKg / kWaterMoleWeight;
    p.fuelWaterKmol = std::max(0.0, r.kmolPerKg[index(GC::H2O)] - p.airWaterKmol);
    const NasaTemperature airK(kelvin(p.airTemperatureC));
    const double airKmol = r.airKgPerKg / kAirMoleWeight;
    for (std::size_t i = 0; i < kGasComponentCount; ++i) {
        if (kDryAirVolPercent[i] == 0) continue;
        p.airCreditKJ +=
            airKmol * kDryAirVolPercent[i] / 100 * molarSensibleHeat(static_cast<GC>(i), airK).h;
    }
    p.airCreditKJ += p.airWaterKmol * molarSensibleHeat(GC::H2O, airK).h;
    return p;
}

Breakdown breakdown(const Prepared& p, const EfficiencyInput& input, double stackC) {
    const NasaTemperature T(kelvin(stackC));
    const auto& n = p.combustion.kmolPerKg;
    double dry = 0;
    for (std::size_t i = 0; i < kGasComponentCount; ++i) {
        if (i == index(GC::H2O) || n[i] == 0) continue;
        dry += n[i] * molarSensibleHeat(static_cast<GC>(i), T).h;
    }
    const double water = molarSensibleHeat(GC::H2O, T).h;
    const double latent = p.fuelWaterKmol * kWaterMoleWeight * kLatentHeatOfWater;
    const double fuelWaterSensible = p.fuelWaterKmol * water;
    const double airWater = p.airWaterKmol * water;
    const double co = n[index(GC::CO)] * kCarbonMonoxideHhv * 1000;
    const double unburnt = p.unburntCarbonKg * kCarbonHhvKJPerKg;

    Breakdown b;
    const auto set = [&](Loss loss, double kJ) {
        b.lossPercent[static_cast<std::size_t>(loss)] = kJ / p.hhv * 100;
    };
    set(Loss::DryFlueGas, dry);
    set(Loss::WaterFromFuel, latent + fuelWaterSensible);
    set(Loss::MoistureInAir, airWater);
    set(Loss::CarbonMonoxide, co);
    set(Loss::UnburntCarbon, unburnt);
    b.lossPercent[static_cast<std::size_t>(Loss::RadiationAndConvection)] =
        input.radiationLossPercent;
    b.lossPercent[static_cast<std::size_t>(Loss::Other)] = input.otherLossPercent;
    b.creditPercent = p.airCreditKJ / p.hhv * 100;

    const double fixedPercent = input.radiationLossPercent + input.otherLossPercent;
    const double grossKJ = dry + latent + fuelWaterSensible + airWater + co + unburnt;
    const double netKJ = grossKJ - latent;
    b.gross = 100 - 100 * (grossKJ - p.airCreditKJ) / p.hhv - fixedPercent;
    b.net = 100 - 100 * (netKJ - p.airCreditKJ) / p.lhv - fixedPercent * p.hhv / p.lhv;
    b.stackLoss = (dry + latent + fuelWaterSensible + airWater + co) / p.hhv * 100;
    if (!(std::isfinite(b.gross) && std::isfinite(b.net))) {
        refuse("계산 결과가 계산할 수 있는 수의 범위를 벗어났습니다.",
               "The result lies beyond the range of calculation.");
    }
    return b;
}

std::optional<double> celsius(const std::optional<float>& value) {
    if (!value) return std::nullopt;
    return static_cast<double>(*value);
}

// The dew points of the flue gas calculator for the wet composition as the calculator table
// takes it (volume percent, three decimals adding up to 100.000), SO3 automatic: the
// calculator's own routines in its order, without the gas enthalpy that the calculator works
// out first and that is of no use here.
void addDewPoints(EfficiencyResult& r) {
    const auto c = flueGasCompositionCells(r.combustion, CompositionBasis::Volume);
    // The calculator's notices (a dew point below the steam table's range) concern its table,
    // not this case: kept out of the way.
    RecordingMessageSink quiet;
    const ScopedThreadMessageSink guard(quiet);
    if (!tryFlueGasMoleWeight(true, c[0], c[1], c[2], c[3], c[4], c[5], c[6])) return;
    Unit unit;
    unit.setuTP(ktounit_degC);
    const float o2 = FlueGasComposition.vol(GC::O2);
    const float so2 = FlueGasComposition.vol(GC::SO2);
    const float h2o = FlueGasComposition.vol(GC::H2O);
    if (o2 != 0 && so2 != 0 && h2o != 0) {
        const AcidDewPoints d = tryAcidDewPoints(unit, so2, h2o, o2);
        if (d.so3ConversionRate) {
            r.okkesDewPointC = celsius(d.okkes);
            r.verhoffDewPointC = celsius(d.verhoff);
        }
    }
    if (h2o != 0) {
        const float p = unit.CvtPR(ktounit_kgpercm2a, unit.uPR(), kStandardAtmosphereKgPerCm2);
        r.waterDewPointC = celsius(tryAirWaterDewPoint(unit, h2o, p));
    }
}

EfficiencyResult calculate(const EfficiencyInput& input) {
    // The air's saturation pressure and the water dew point from one state of the steam table
    // files: the change watch is asked once for the whole case.
    const ScopedSteamTableState oneState;
    checkInput(input);
    Prepared p = prepare(input);
    checkStackTemperature(input.stackTemperatureC, p.airTemperatureC);
    const Breakdown b = breakdown(p, input, input.stackTemperatureC);

    EfficiencyResult r;
    r.efficiencyHhvPercent = b.gross;
    r.efficiencyLhvPercent = b.net;
    r.stackLossHhvPercent = b.stackLoss;
    r.lossPercentOfHhv = b.lossPercent;
    r.combustionAirCreditPercentOfHhv = b.creditPercent;
    r.o2DryPercent = p.combustion.dryVolPercent[index(GC::O2)];
    r.excessAirPercent = p.combustion.excessAirPercent;
    if (input.analyser) {
        const AnalyserCoefficients& a = *input.analyser;
        r.analyserStackLossPercent =
            (input.stackTemperatureC - p.airTemperatureC) * (a.a2 / (21 - r.o2DryPercent) + a.b);
    }
    r.combustion = std::move(p.combustion);
    r.messages = std::move(p.notes);

    addDewPoints(r);
    const double stack = input.stackTemperatureC;
    if (r.waterDewPointC && stack < *r.waterDewPointC) {
        // The dew points come rounded to 0.1 oC.
        const std::string dew = fixedDecimals(*r.waterDewPointC, 1);
        r.messages.push_back(
            {"배기가스 온도가 배기가스의 수분 이슬점 " + dew +
                 " oC 보다 낮습니다. 응축열은 계산에 넣지 않았습니다.",
             "The stack temperature lies below the water dew point of the flue gas, " + dew +
                 " oC: the heat of condensation is not counted."});
    }
    if (r.okkesDewPointC || r.verhoffDewPointC) {
        const double acid =
            std::max(r.okkesDewPointC.value_or(-HUGE_VAL), r.verhoffDewPointC.value_or(-HUGE_VAL));
        r.acidDewPointMarginK = stack - acid;
        if (*r.acidDewPointMarginK < kAcidDewPointMarginWarningK) {
            const std::string dew = fixedDecimals(acid, 1);
            const std::string margin = fixedDecimals(*r.acidDewPointMarginK, 1);
            const std::string limit = fixedDecimals(kAcidDewPointMarginWarningK, 0);
            r.messages.push_back(
                {"배기가스 온도가 산 이슬점 " + dew + " oC 보다 " + margin + " K 높을 뿐입니다(" +
                     limit + " K 미만). 저온 부식에 주의하십시오.",
                 "The stack temperature lies only " + margin + " K above the acid dew point of " +
                     dew + " oC (less than " + limit + " K): mind cold-end corrosion."});
        }
    }

    if (input.fuelFlow) {
        const FuelFlow& flow = *input.fuelFlow;
        const FlueGasFromFuelResult& c = r.combustion;
        // A fuel gas's normal volume to mass: one Nm3 holds hhvKJPerNm3 / hhvKJPerKg kg.
        const double kgPerH = flow.basis == FuelFlowBasis::KgPerH
                                  ? flow.value
                                  : flow.value * c.hhvKJPerNm3.value_or(0) / c.hhvKJPerKg;
        const double heatKW = kgPerH * c.hhvKJPerKg / kSecondsPerHour;
        std::array<double, kLossCount> kw{};
        for (std::size_t i = 0; i < kw.size(); ++i) kw[i] = r.lossPercentOfHhv[i] / 100 * heatKW;
        r.heatInputKW = heatKW;
        r.lossKW = kw;
        r.flueGasKgPerH = kgPerH * c.flueGasKgPerKg;
        r.flueGasM3PerHAtStack = kgPerH * c.flueGasNm3PerKg * kelvin(stack) / kKelvinAtZeroCelsius;
        if (!std::isfinite(heatKW) || !std::isfinite(*r.flueGasM3PerHAtStack)) {
            refuse("연료 유량이 계산할 수 있는 범위를 벗어났습니다.",
                   "The fuel flow lies beyond the range of calculation.");
        }
    }
    return r;
}

// The sweep's values, each point computed from the first by its index so that no rounding
// accumulates.
std::vector<double> sweepValues(const SweepRange& range) {
    if (!(std::isfinite(range.from) && std::isfinite(range.to) && std::isfinite(range.step) &&
          range.step > 0)) {
        refuse("범위는 FROM:TO:STEP 의 수이고 STEP 은 0 보다 커야 합니다.",
               "The range must be numbers FROM:TO:STEP with STEP greater than 0.");
    }
    if (range.to < range.from) {
        refuse("범위의 끝 TO 가 시작 FROM 보다 작습니다.",
               "The end of the range, TO, lies below its start, FROM.");
    }
    const double steps = std::floor((range.to - range.from) / range.step + 1e-6);
    if (!(steps + 1 <= static_cast<double>(kMaxSweepPoints))) {
        refuse("범위의 점이 " + number(kMaxSweepPoints) + " 개보다 많습니다.",
               "The range holds more than " + number(kMaxSweepPoints) + " points.");
    }
    std::vector<double> values(static_cast<std::size_t>(steps) + 1);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = range.from + static_cast<double>(i) * range.step;
    }
    return values;
}

std::vector<EfficiencySweepPoint> sweep(const EfficiencyInput& input, SweepVariable variable,
                                        const SweepRange& range) {
    const std::vector<double> values = sweepValues(range);
    checkInput(input);
    const ScopedSteamTableState oneState;  // every point from the same steam table files
    std::vector<EfficiencySweepPoint> points;
    points.reserve(values.size());
    const auto add = [&points](double value, const Breakdown& b) {
        points.push_back({value, b.gross, b.net, b.stackLoss});
    };
    if (variable == SweepVariable::StackTemperature) {
        const Prepared p = prepare(input);
        for (double t : values) {
            try {
                checkStackTemperature(t, p.airTemperatureC);
                add(t, breakdown(p, input, t));
            } catch (Refused& refused) {
                refused.message.korean =
                    "배기가스 온도 " + number(t) + " oC 에서: " + refused.message.korean;
                refused.message.english =
                    "At the stack temperature of " + number(t) + " oC: " + refused.message.english;
                throw;
            }
        }
        return points;
    }
    EfficiencyInput point = input;
    point.combustion.airQuantity = AirQuantity::O2Dry;
    for (double o2 : values) {
        try {
            point.combustion.airQuantityPercent = o2;
            const Prepared p = prepare(point);
            checkStackTemperature(input.stackTemperatureC, p.airTemperatureC);
            add(o2, breakdown(p, point, input.stackTemperatureC));
        } catch (Refused& refused) {
            refused.message.korean =
                "건가스 O2 " + number(o2) + " % 에서: " + refused.message.korean;
            refused.message.english =
                "At a dry flue gas O2 of " + number(o2) + " %: " + refused.message.english;
            throw;
        }
    }
    return points;
}

}  // namespace

std::optional<AnalyserCoefficients> findAnalyserFuel(std::string_view name) noexcept {
    for (const AnalyserFuel& fuel : kAnalyserFuels) {
        const std::string_view key = fuel.name;
        if (key.size() == name.size() &&
            std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return fuel.coefficients;
        }
    }
    return std::nullopt;
}

EfficiencyOutcome evaluateBoilerEfficiency(const EfficiencyInput& input) {
    try {
        return {calculate(input), std::nullopt};
    } catch (const Refused& refused) {
        return {std::nullopt, refused.message};
    }
}

EfficiencySweepOutcome sweepBoilerEfficiency(const EfficiencyInput& input, SweepVariable variable,
                                             const SweepRange& range) {
    try {
        return {sweep(input, variable, range), std::nullopt};
    } catch (const Refused& refused) {
        return {{}, refused.message};
    }
}

}  // namespace tw::fluegas

// Boiler efficiency by the heat-loss method: the identities at 25 oC and at the flame
// temperature, the methane anchor, the trends, the unburnt carbon, the dew points, the sweep
// and the refusals.

#include <functional>
#include <string>
#include <vector>

#include "BoilerEfficiency.h"
#include "FlueGasCalculator.h"
#include "FlueGasTestSupport.h"
#include "tw/Format.h"

namespace {

using namespace tw::fluegas;
using tw::GasComponent;
using tw::index;

FuelAnalysis fuel(FuelKind kind, const std::vector<std::pair<const char*, double>>& percents) {
    FuelAnalysis f;
    f.kind = kind;
    for (const auto& [key, percent] : percents) {
        f.percent[static_cast<std::size_t>(findFuelKey(kind, key))] = percent;
    }
    return f;
}

const FuelAnalysis kMethane = fuel(FuelKind::Gas, {{"CH4", 100}});
const FuelAnalysis kNaturalGas =
    fuel(FuelKind::Gas,
         {{"CH4", 91}, {"C2H6", 4.5}, {"C3H8", 1.5}, {"C4H10", 0.5}, {"N2", 1.5}, {"CO2", 1}});
const FuelAnalysis kCoal =
    fuel(FuelKind::Solid,
         {{"C", 65.4}, {"H", 4.2}, {"O", 7.8}, {"N", 1.3}, {"S", 0.8}, {"H2O", 10.5}, {"Ash", 10}});
const FuelAnalysis kFuelOil = fuel(
    FuelKind::Solid,
    {{"C", 86.2}, {"H", 11.6}, {"O", 0.4}, {"N", 0.3}, {"S", 1.3}, {"H2O", 0.1}, {"Ash", 0.1}});

EfficiencyInput input(const FuelAnalysis& f, double stackC, double excess = 20,
                      double humidity = 0.013, double airC = 25) {
    EfficiencyInput in;
    in.combustion.fuel = f;
    in.combustion.airQuantity = AirQuantity::ExcessAir;
    in.combustion.airQuantityPercent = excess;
    in.combustion.moistureValue = humidity;
    in.combustion.airTemperatureC = airC;
    in.stackTemperatureC = stackC;
    return in;
}

EfficiencyResult calculated(const EfficiencyInput& in) {
    const EfficiencyOutcome outcome = evaluateBoilerEfficiency(in);
    EXPECT_TRUE(outcome.result) << (outcome.refusal ? outcome.refusal->english : "");
    return outcome.result.value_or(EfficiencyResult{});
}

double loss(const EfficiencyResult& r, Loss which) {
    return r.lossPercentOfHhv[static_cast<std::size_t>(which)];
}

class BoilerEfficiency : public tw::testing::FlueGasTest {};

// With the stack and the air at 25 oC the only loss is the water of the fuel, whose latent
// heat is exactly the difference of the two heating values.
TEST_F(BoilerEfficiency, AtTwentyFiveDegreesGrossIsLhvOverHhvAndNetIsHundred) {
    struct Case {
        const char* name;
        FuelAnalysis fuel;
        double excess, humidity;
    };
    for (const Case& c :
         {Case{"methane", kMethane, 0, 0}, Case{"natural gas", kNaturalGas, 15, 0.02},
          Case{"coal", kCoal, 20, 0.013}, Case{"fuel oil", kFuelOil, 40, 0.005}}) {
        SCOPED_TRACE(c.name);
        const EfficiencyResult r = calculated(input(c.fuel, 25, c.excess, c.humidity));
        const double lhvOverHhv = 100 * r.combustion.lhvKJPerKg / r.combustion.hhvKJPerKg;
        EXPECT_NEAR(r.efficiencyHhvPercent, lhvOverHhv, 1e-12 * lhvOverHhv);
        EXPECT_NEAR(r.efficiencyLhvPercent, 100, 1e-12 * 100);
        EXPECT_EQ(loss(r, Loss::DryFlueGas), 0);
        EXPECT_EQ(r.combustionAirCreditPercentOfHhv, 0);
    }
}

// At the adiabatic flame temperature the flue gas carries off all the heat the lower heating
// value and the warm air brought in.
TEST_F(BoilerEfficiency, AtTheFlameTemperatureNetEfficiencyIsZero) {
    struct Case {
        const char* name;
        FuelAnalysis fuel;
        double excess, airC;
    };
    for (const Case& c : {Case{"methane", kMethane, 10, 25}, Case{"coal, warm air", kCoal, 20, 300},
                          Case{"fuel oil", kFuelOil, 50, 120}}) {
        SCOPED_TRACE(c.name);
        EfficiencyInput in = input(c.fuel, c.airC, c.excess, 0.013, c.airC);
        const EfficiencyResult atAir = calculated(in);
        ASSERT_TRUE(atAir.combustion.adiabaticFlameTemperatureC);
        in.stackTemperatureC = *atAir.combustion.adiabaticFlameTemperatureC;
        EXPECT_NEAR(calculated(in).efficiencyLhvPercent, 0, 0.05);
    }
}

TEST_F(BoilerEfficiency, MethaneAtThreePercentO2AndAStackOf180Degrees) {
    EfficiencyInput in = input(kMethane, 180, 0, 0, 20);
    in.combustion.airQuantity = AirQuantity::O2Dry;
    in.combustion.airQuantityPercent = 3;
    in.analyser = findAnalyserFuel("Gas");
    const EfficiencyResult r = calculated(in);
    EXPECT_NEAR(r.efficiencyHhvPercent, 83.49, 0.03);
    EXPECT_NEAR(r.efficiencyLhvPercent, 92.65, 0.03);
    ASSERT_TRUE(r.analyserStackLossPercent);
    EXPECT_TRUE(tw::testing::toDigits(*r.analyserStackLossPercent, "7.31"));
    EXPECT_NEAR(r.o2DryPercent, 3, 1e-12);
    // No SO2: no acid dew point and no margin; the water dew point of natural gas flue gas.
    EXPECT_FALSE(r.okkesDewPointC || r.verhoffDewPointC || r.acidDewPointMarginK);
    ASSERT_TRUE(r.waterDewPointC);
    EXPECT_NEAR(*r.waterDewPointC, 58, 2);
    EXPECT_TRUE(r.messages.empty());
}

TEST_F(BoilerEfficiency, EfficiencyFallsWithAHotterStackAndWithMoreAir) {
    for (const FuelAnalysis& f : {kNaturalGas, kCoal}) {
        EfficiencyInput in = input(f, 150);
        for (const auto& [variable, range] :
             {std::pair{SweepVariable::StackTemperature, SweepRange{60, 400, 10}},
              std::pair{SweepVariable::O2Dry, SweepRange{1, 12, 0.5}}}) {
            const EfficiencySweepOutcome s = sweepBoilerEfficiency(in, variable, range);
            ASSERT_FALSE(s.refusal) << s.refusal->english;
            for (std::size_t i = 1; i < s.points.size(); ++i) {
                EXPECT_LT(s.points[i].efficiencyHhvPercent, s.points[i - 1].efficiencyHhvPercent);
                EXPECT_LT(s.points[i].efficiencyLhvPercent, s.points[i - 1].efficiencyLhvPercent);
                EXPECT_GT(s.points[i].stackLossHhvPercent, s.points[i - 1].stackLossHhvPercent);
            }
        }
    }
}

TEST_F(BoilerEfficiency, TheSweepPointIsTheSingleCase) {
    EfficiencyInput in = input(kCoal, 150);
    in.radiationLossPercent = 0.8;
    const EfficiencySweepOutcome s =
        sweepBoilerEfficiency(in, SweepVariable::StackTemperature, {100, 200, 25});
    ASSERT_EQ(s.points.size(), 5u);  // TO included
    EXPECT_EQ(s.points[2].value, 150);
    const EfficiencyResult r = calculated(in);
    EXPECT_DOUBLE_EQ(s.points[2].efficiencyHhvPercent, r.efficiencyHhvPercent);
    EXPECT_DOUBLE_EQ(s.points[2].efficiencyLhvPercent, r.efficiencyLhvPercent);
    EXPECT_DOUBLE_EQ(s.points[2].stackLossHhvPercent, r.stackLossHhvPercent);
    // TO off the steps is left out; 0.1 steps reach their end despite the binary fractions.
    EXPECT_EQ(
        sweepBoilerEfficiency(in, SweepVariable::StackTemperature, {100, 210, 25}).points.size(),
        5u);
    EXPECT_EQ(sweepBoilerEfficiency(in, SweepVariable::O2Dry, {2, 3, 0.1}).points.size(), 11u);
}

// The carbon left in the refuse burns no air and makes no flue gas; the heat it would have
// given is the unburnt carbon loss.
TEST_F(BoilerEfficiency, UnburntCarbonTakesNoPartInTheCombustion) {
    EfficiencyInput in = input(kCoal, 150, 20);
    in.carbonInRefusePercent = 20;
    const EfficiencyResult r = calculated(in);
    const EfficiencyResult clean = calculated(input(kCoal, 150, 20));
    const double unburntKg = 0.10 * 20 / 80;
    const FlueGasFromFuelResult& c = r.combustion;
    const double airKmol = c.airKgPerKg / dryAirMoleWeight();
    const double carbonKmol = c.kmolPerKg[index(GasComponent::CO2)] +
                              c.kmolPerKg[index(GasComponent::CO)] -
                              kDryAirVolPercent[index(GasComponent::CO2)] / 100 * airKmol;
    EXPECT_NEAR(carbonKmol * kAtomicWeightC, 0.654 - unburntKg, 1e-12);
    EXPECT_NEAR(c.excessAirPercent, 20, 1e-9);  // of the carbon that burns
    EXPECT_LT(c.stoichiometricAirKgPerKg, clean.combustion.stoichiometricAirKgPerKg);
    EXPECT_EQ(c.hhvKJPerKg, clean.combustion.hhvKJPerKg);
    EXPECT_EQ(c.lhvKJPerKg, clean.combustion.lhvKJPerKg);
    EXPECT_NEAR(loss(r, Loss::UnburntCarbon), unburntKg * 32763 / c.hhvKJPerKg * 100, 1e-3);
    EXPECT_LT(r.efficiencyHhvPercent,
              clean.efficiencyHhvPercent - 0.8 * loss(r, Loss::UnburntCarbon));
    EXPECT_EQ(loss(clean, Loss::UnburntCarbon), 0);
}

TEST_F(BoilerEfficiency, CarbonInTheRefuseOfAFuelWithoutAshIsANote) {
    EfficiencyInput in = input(fuel(FuelKind::Solid, {{"C", 86}, {"H", 14}}), 200);
    in.carbonInRefusePercent = 10;
    const EfficiencyResult r = calculated(in);
    EXPECT_EQ(loss(r, Loss::UnburntCarbon), 0);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_NE(r.messages[0].english.find("holds no ash"), std::string::npos);
}

TEST_F(BoilerEfficiency, GrossAndNetEfficiencyAddUpTheLossesAndTheCredit) {
    EfficiencyInput in = input(kCoal, 160, 25, 0.013, 35);
    in.combustion.coPpm = 200;
    in.carbonInRefusePercent = 5;
    in.radiationLossPercent = 0.6;
    in.otherLossPercent = 1.5;
    const EfficiencyResult r = calculated(in);
    double losses = 0;
    for (double l : r.lossPercentOfHhv) losses += l;
    EXPECT_NEAR(r.efficiencyHhvPercent, 100 - losses + r.combustionAirCreditPercentOfHhv, 1e-10);
    EXPECT_GT(r.combustionAirCreditPercentOfHhv, 0);
    EXPECT_GT(loss(r, Loss::CarbonMonoxide), 0);
    EXPECT_NEAR(r.stackLossHhvPercent,
                loss(r, Loss::DryFlueGas) + loss(r, Loss::WaterFromFuel) +
                    loss(r, Loss::MoistureInAir) + loss(r, Loss::CarbonMonoxide),
                1e-12);
    // The net figure counts the water without its latent heat against the lower heating value.
    const double hhv = r.combustion.hhvKJPerKg;
    const double lhv = r.combustion.lhvKJPerKg;
    const double latentPercent = (hhv - lhv) / hhv * 100;
    EXPECT_NEAR(100 - r.efficiencyLhvPercent,
                (100 - r.efficiencyHhvPercent - latentPercent) * hhv / lhv, 1e-9);
}

TEST_F(BoilerEfficiency, DewPointsMarginAndTheirMessages) {
    // Coal with sulfur: both acid dew points; the margin is to the higher of them.
    const EfficiencyResult hot = calculated(input(kCoal, 200));
    ASSERT_TRUE(hot.okkesDewPointC && hot.verhoffDewPointC && hot.acidDewPointMarginK);
    EXPECT_DOUBLE_EQ(*hot.acidDewPointMarginK,
                     200 - std::max(*hot.okkesDewPointC, *hot.verhoffDewPointC));
    EXPECT_TRUE(hot.messages.empty());

    const EfficiencyResult near = calculated(input(kCoal, *hot.okkesDewPointC + 5));
    ASSERT_EQ(near.messages.size(), 1u);
    EXPECT_NE(near.messages[0].english.find("above the acid dew point"), std::string::npos);

    const EfficiencyResult wet = calculated(input(kNaturalGas, 40));
    ASSERT_EQ(wet.messages.size(), 1u);
    EXPECT_NE(wet.messages[0].english.find("the heat of condensation is not counted"),
              std::string::npos);
}

// The dew points are those the calculator shows for the composition typed into its table.
TEST_F(BoilerEfficiency, DewPointsAreTheCalculatorsForTheTypedComposition) {
    const FuelAnalysis sourGas =
        fuel(FuelKind::Gas, {{"H2", 40}, {"CO", 20}, {"CH4", 30}, {"H2S", 5}, {"N2", 5}});
    const FuelAnalysis dry = fuel(FuelKind::Solid, {{"C", 95}, {"S", 5}});
    for (const FuelAnalysis& f : {kCoal, kFuelOil, kNaturalGas, sourGas, dry}) {
        const EfficiencyResult r = calculated(input(f, 150, 20, 0));
        FlueGasInput gas;
        const auto texts = flueGasCompositionTexts(r.combustion, CompositionBasis::Volume);
        for (std::size_t i = 0; i < texts.size(); ++i) gas.composition[i] = cellNumber(texts[i]);
        gas.gasTemperature = 150;
        gas.referenceTemperature = 25;
        tw::Unit unit;
        unit.setuTP(tw::ktounit_degC);
        const FlueGasResults table = CalculateFlueGas(gas, unit);
        ASSERT_TRUE(table.complete);
        const auto same = [](std::optional<double> a, std::optional<float> b) {
            return a.has_value() == b.has_value() && (!a || *a == static_cast<double>(*b));
        };
        EXPECT_TRUE(same(r.okkesDewPointC, table.okkesDewPoint));
        EXPECT_TRUE(same(r.verhoffDewPointC, table.verhoffDewPoint));
        EXPECT_TRUE(same(r.waterDewPointC, table.waterDewPoint));
    }
}

TEST_F(BoilerEfficiency, FuelFlowGivesKilowattsAndTheFlueGasFlow) {
    EfficiencyInput in = input(kNaturalGas, 150);
    in.radiationLossPercent = 1;
    in.fuelFlow = FuelFlow{FuelFlowBasis::Nm3PerH, 1000};
    const EfficiencyResult r = calculated(in);
    ASSERT_TRUE(r.heatInputKW && r.lossKW && r.flueGasKgPerH && r.flueGasM3PerHAtStack);
    EXPECT_NEAR(*r.heatInputKW, 1000 * *r.combustion.hhvKJPerNm3 / 3600, 1e-9 * *r.heatInputKW);
    EXPECT_NEAR((*r.lossKW)[static_cast<std::size_t>(Loss::RadiationAndConvection)],
                *r.heatInputKW / 100, 1e-9);
    EXPECT_NEAR(*r.flueGasM3PerHAtStack, 1000 * *r.combustion.flueGasNm3PerNm3 * 423.15 / 273.15,
                1e-6);
    // The same fuel by mass gives the same figures.
    in.fuelFlow = FuelFlow{FuelFlowBasis::KgPerH, *r.heatInputKW * 3600 / r.combustion.hhvKJPerKg};
    EXPECT_NEAR(*calculated(in).flueGasKgPerH, *r.flueGasKgPerH, 1e-9 * *r.flueGasKgPerH);
    EXPECT_FALSE(calculated(input(kNaturalGas, 150)).heatInputKW);
}

TEST_F(BoilerEfficiency, RefusesWhatCannotBeCalculated) {
    const double nan = std::nan("");
    struct Case {
        const char* what;
        std::function<void(EfficiencyInput&)> change;
        const char* refusal;
    };
    const std::vector<Case> cases{
        {"stack below the air", [](auto& in) { in.stackTemperatureC = 20; }, "below the air"},
        {"stack not a number", [&](auto& in) { in.stackTemperatureC = nan; }, "not a number"},
        {"stack beyond the data", [](auto& in) { in.stackTemperatureC = 6000; },
         "200 K and 6000 K"},
        {"refuse carbon 100", [](auto& in) { in.carbonInRefusePercent = 100; }, "below 100 %"},
        {"refuse carbon negative", [](auto& in) { in.carbonInRefusePercent = -1; }, "below 100 %"},
        {"refuse carbon with a gas",
         [](auto& in) {
             in.combustion.fuel = kNaturalGas;
             in.carbonInRefusePercent = 5;
         },
         "a fuel gas leaves no refuse"},
        {"more unburnt carbon than the fuel holds",
         [](auto& in) {
             in.combustion.fuel = fuel(FuelKind::Solid, {{"C", 10}, {"H", 5}, {"Ash", 85}});
             in.carbonInRefusePercent = 20;
         },
         "more than the"},
        {"radiation negative", [](auto& in) { in.radiationLossPercent = -0.5; }, "radiation"},
        {"other infinite", [](auto& in) { in.otherLossPercent = HUGE_VAL; }, "other loss"},
        {"fixed losses of 100",
         [](auto& in) {
             in.radiationLossPercent = 50;
             in.otherLossPercent = 50;
         },
         "add up to less than 100"},
        {"flow zero",
         [](auto& in) {
             in.fuelFlow = FuelFlow{FuelFlowBasis::KgPerH, 0};
         },
         "fuel flow must be"},
        {"Nm3 of a solid",
         [](auto& in) {
             in.fuelFlow = FuelFlow{FuelFlowBasis::Nm3PerH, 10};
         },
         "belongs to a fuel gas"},
        {"analyser not a number",
         [&](auto& in) {
             in.analyser = AnalyserCoefficients{nan, 0.01};
         },
         "A2 and B"},
        {"lower heating value not above 0",
         [](auto& in) { in.combustion.measuredHhvKJPerKg = 1000; }, "lower heating value of"},
        {"refuse carbon of a fuel whose correlation fails",
         [](auto& in) {
             in.combustion.fuel = fuel(FuelKind::Solid, {{"C", 2}, {"Ash", 98}});
             in.carbonInRefusePercent = 1;
         },
         "Channiwala and Parikh"},
        {"combustion refusal", [](auto& in) { in.combustion.airQuantityPercent = -5; },
         "excess air"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EfficiencyInput in = input(kCoal, 150);
        c.change(in);
        const EfficiencyOutcome outcome = evaluateBoilerEfficiency(in);
        EXPECT_FALSE(outcome.result);
        ASSERT_TRUE(outcome.refusal);
        EXPECT_NE(outcome.refusal->english.find(c.refusal), std::string::npos)
            << outcome.refusal->english;
        EXPECT_FALSE(outcome.refusal->korean.empty());
    }
}

TEST_F(BoilerEfficiency, RefusesASweepWithABadRangeOrAPointOutsideTheValidRange) {
    struct Case {
        SweepVariable variable;
        SweepRange range;
        const char* refusal;
    };
    const double nan = std::nan("");
    for (const Case& c : {
             Case{SweepVariable::StackTemperature, {100, 200, 0}, "STEP greater than 0"},
             Case{SweepVariable::StackTemperature, {100, 200, -5}, "STEP greater than 0"},
             Case{SweepVariable::StackTemperature, {nan, 200, 5}, "FROM:TO:STEP"},
             Case{SweepVariable::StackTemperature, {200, 100, 5}, "lies below its start"},
             Case{SweepVariable::StackTemperature, {100, 1100, 0.1}, "more than 10000 points"},
             Case{SweepVariable::StackTemperature, {0, 1e300, 1e-300}, "more than 10000 points"},
             Case{SweepVariable::StackTemperature, {10, 100, 10}, "At the stack temperature of 10"},
             Case{SweepVariable::O2Dry, {0, 5, 1}, "At a dry flue gas O2 of 0 %"},
             Case{SweepVariable::O2Dry, {15, 25, 1}, "cannot be reached"},
         }) {
        SCOPED_TRACE(c.refusal);
        const EfficiencySweepOutcome s =
            sweepBoilerEfficiency(input(kCoal, 150), c.variable, c.range);
        EXPECT_TRUE(s.points.empty());
        ASSERT_TRUE(s.refusal);
        EXPECT_NE(s.refusal->english.find(c.refusal), std::string::npos) << s.refusal->english;
    }
    EXPECT_EQ(sweepBoilerEfficiency(input(kCoal, 150), SweepVariable::StackTemperature,
                                    {100, 100 + 9999 * 0.1, 0.1})
                  .points.size(),
              kMaxSweepPoints);
}

TEST_F(BoilerEfficiency, ChartRangesRunFromTheWaterDewPointAndCoverTheMeasuredO2) {
    struct Case {
        const char* name;
        EfficiencyInput in;
        double stackFrom, o2To;
    };
    EfficiencyInput dryAir = input(fuel(FuelKind::Solid, {{"C", 100}}), 200, 20, 0, 60);
    EfficiencyInput lean = input(kNaturalGas, 150, 200);  // about 14 % O2
    for (const Case& c : {Case{"gas", input(kNaturalGas, 150), 0, 10},
                          Case{"no water, warm air", dryAir, 60, 10}, Case{"lean", lean, 0, 18}}) {
        SCOPED_TRACE(c.name);
        const EfficiencyResult r = calculated(c.in);
        const EfficiencyChartRanges ranges = efficiencyChartRanges(c.in, r);
        EXPECT_DOUBLE_EQ(ranges.stackTemperature.from,
                         c.stackFrom ? c.stackFrom : r.waterDewPointC.value_or(-1));
        EXPECT_DOUBLE_EQ(ranges.stackTemperature.to, c.in.stackTemperatureC + 150);
        EXPECT_EQ(ranges.o2Dry.to, c.o2To);
        // Every point of both ranges is a valid case.
        EXPECT_EQ(
            sweepBoilerEfficiency(c.in, SweepVariable::StackTemperature, ranges.stackTemperature)
                .points.size(),
            101u);
        EXPECT_EQ(sweepBoilerEfficiency(c.in, SweepVariable::O2Dry, ranges.o2Dry).points.size(),
                  101u);
    }
}

TEST_F(BoilerEfficiency, TheCalculationSheetHoldsTheFiguresAndWhatIsNotCounted) {
    EfficiencyInput in = input(kCoal, 150);
    in.fuelFlow = FuelFlow{FuelFlowBasis::KgPerH, 1000};
    const EfficiencyResult r = calculated(in);
    for (const auto language : {tw::TW_English, tw::TW_Korean}) {
        const CalculationReport sheet =
            buildEfficiencyReport(in, r, "2026-12-09 03:30:00", "TW_FlueGas", language);
        ASSERT_EQ(sheet.sections.size(), 5u);
        const auto& results = sheet.sections[2].rows;
        ASSERT_FALSE(results.empty());
        EXPECT_EQ(results[0].value, tw::fixedDecimals(r.efficiencyHhvPercent, 2));
        EXPECT_EQ(sheet.sections[3].rows.size(), kLossCount);
        EXPECT_NE(sheet.sections[3].rows[0].unit.find("kW"), std::string::npos);
        // The note on what is not counted, then the margin note of this case.
        ASSERT_EQ(sheet.sections[4].lines.size(), 2u);
    }
    EXPECT_NE(buildEfficiencyReport(in, r, "", "", tw::TW_English)
                  .sections[4]
                  .lines[0]
                  .find("sensible heat of the ash are not counted"),
              std::string::npos);
}

TEST_F(BoilerEfficiency, AnalyserFuelsAreFoundWithoutRegardToCase) {
    ASSERT_TRUE(findAnalyserFuel("OIL"));
    EXPECT_EQ(findAnalyserFuel("oil")->a2, 0.68);
    EXPECT_EQ(findAnalyserFuel("lpg")->b, 0.008);
    EXPECT_FALSE(findAnalyserFuel("coal"));
    EXPECT_FALSE(findAnalyserFuel(""));
}

}  // namespace

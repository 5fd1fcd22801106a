// Flue gas from fuel: hand-worked anchors, balances of elements and mass, the O2 target, the
// refusals and notes, and the composition written into the calculator table.

#include "Combustion.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "FlueGasCalculator.h"
#include "FlueGasTestSupport.h"

namespace {

using namespace tw::fluegas;
using tw::GasComponent;
using tw::index;

// Dry air, kg/kmol: N2, O2, Ar and CO2 of air with the calculator's mole weights (28.965).
constexpr double kAir = 0.78084 * 28.013 + 0.20946 * 31.999 + 0.00934 * 39.948 + 0.00036 * 44.01;

FuelAnalysis fuel(FuelKind kind, const std::vector<std::pair<const char*, double>>& percents) {
    FuelAnalysis f;
    f.kind = kind;
    for (const auto& [key, percent] : percents) {
        const int i = findFuelKey(kind, key);
        EXPECT_GE(i, 0) << key;
        f.percent[static_cast<std::size_t>(i)] = percent;
    }
    return f;
}

const FuelAnalysis kMethane = fuel(FuelKind::Gas, {{"CH4", 100}});
const FuelAnalysis kCoal =
    fuel(FuelKind::Solid,
         {{"C", 65.4}, {"H", 4.2}, {"O", 7.8}, {"N", 1.3}, {"S", 0.8}, {"H2O", 10.5}, {"Ash", 10}});
const FuelAnalysis kNaturalGas =
    fuel(FuelKind::Gas,
         {{"CH4", 91}, {"C2H6", 4.5}, {"C3H8", 1.5}, {"C4H10", 0.5}, {"N2", 1.5}, {"CO2", 1}});
const FuelAnalysis kSourGas = fuel(
    FuelKind::Gas,
    {{"H2", 40}, {"CO", 20}, {"CH4", 20}, {"H2S", 5}, {"O2", 1}, {"H2O", 4}, {"Ar", 1}, {"N2", 9}});
const FuelAnalysis kFuelOil = fuel(
    FuelKind::Solid,
    {{"C", 86.2}, {"H", 11.6}, {"O", 0.4}, {"N", 0.3}, {"S", 1.3}, {"H2O", 0.1}, {"Ash", 0.1}});

CombustionInput input(const FuelAnalysis& f, double excess = 0, double humidity = 0) {
    CombustionInput in;
    in.fuel = f;
    in.airQuantity = AirQuantity::ExcessAir;
    in.airQuantityPercent = excess;
    in.moistureValue = humidity;
    return in;
}

FlueGasFromFuelResult calculated(const CombustionInput& in) {
    const FlueGasFromFuelOutcome outcome = evaluateFlueGasFromFuel(in);
    EXPECT_TRUE(outcome.result) << (outcome.refusal ? outcome.refusal->english : "");
    return outcome.result.value_or(FlueGasFromFuelResult{});
}

double of(const std::array<double, tw::kGasComponentCount>& a, GasComponent c) {
    return a[index(c)];
}

class Combustion : public tw::testing::FlueGasTest {};

// Methane with dry stoichiometric air at 25 oC, each figure worked by hand from the
// stoichiometry CH4 + 2 O2 -> CO2 + 2 H2O.
TEST_F(Combustion, MethaneWithStoichiometricDryAirMeetsTheHandWorkedAnchors) {
    const FlueGasFromFuelResult r = calculated(input(kMethane));
    const double airPerFuel = 2 / 0.20946;  // kmol dry air per kmol CH4
    EXPECT_NEAR(*r.airNm3PerNm3, 9.55, 0.005);
    EXPECT_NEAR(*r.airNm3PerNm3, airPerFuel, 1e-9);
    // Dry products per kmol: CO2 from the fuel and the air, N2 and Ar of the air.
    const double co2 = 1 + 0.00036 * airPerFuel;
    const double dry = co2 + (0.78084 + 0.00934) * airPerFuel;
    EXPECT_NEAR(r.co2MaxDryPercent, 11.7, 0.05);
    EXPECT_NEAR(r.co2MaxDryPercent, co2 / dry * 100, 1e-9);
    EXPECT_NEAR(of(r.dryVolPercent, GasComponent::CO2), co2 / dry * 100, 1e-9);
    const double molarMass = 12.011 + 4 * 1.008;
    EXPECT_NEAR(r.hhvKJPerKg / 1000, 55.5, 0.05);
    EXPECT_NEAR(r.hhvKJPerKg, 890300 / molarMass, 1e-6);
    EXPECT_NEAR(r.lhvKJPerKg / 1000, 50.0, 0.05);
    EXPECT_NEAR(r.lhvKJPerKg, (890300 - 2442 * 2 * 18.015) / molarMass, 1e-6);
    EXPECT_NEAR(*r.hhvKJPerNm3, 890300 / 22.414, 1e-6);
    EXPECT_NEAR(*r.flueGasNm3PerNm3, dry + 2, 1e-9);
    EXPECT_DOUBLE_EQ(of(r.wetVolPercent, GasComponent::O2), 0);
    // About 2326 K without dissociation; 2325.63 K by tools/flame_temperature_check.py, which
    // integrates cp of the NASA Glenn records numerically.
    ASSERT_TRUE(r.adiabaticFlameTemperatureC);
    EXPECT_NEAR(*r.adiabaticFlameTemperatureC + 273.15, 2325.63, 0.05);
}

TEST_F(Combustion, ThreePercentDryO2OnMethaneIsAboutFifteenPercentExcessAir) {
    CombustionInput in = input(kMethane);
    in.airQuantity = AirQuantity::O2Dry;
    in.airQuantityPercent = 3;
    const FlueGasFromFuelResult r = calculated(in);
    // Dry flue gas per kmol CH4 with A kmol air is A - 1; its O2 is 0.20946 A - 2.
    const double air = (2 - 0.03) / (0.20946 - 0.03);
    EXPECT_NEAR(r.excessAirPercent, 15, 0.1);
    EXPECT_NEAR(r.excessAirPercent, (air / (2 / 0.20946) - 1) * 100, 1e-9);
    EXPECT_NEAR(of(r.dryVolPercent, GasComponent::O2), 3, 1e-12);
}

// Flame temperatures of tools/flame_temperature_check.py (independent numerical integration).
TEST_F(Combustion, FlameTemperatureAgreesWithAnIndependentIntegration) {
    struct Case {
        double airC;
        double kelvin;
    };
    for (const Case c : {Case{25, 2096.08}, Case{300, 2284.45}}) {
        CombustionInput in = input(kCoal, 20, 0.013);
        in.airTemperatureC = c.airC;
        const FlueGasFromFuelResult r = calculated(in);
        ASSERT_TRUE(r.adiabaticFlameTemperatureC);
        EXPECT_NEAR(*r.adiabaticFlameTemperatureC + 273.15, c.kelvin, 0.05) << c.airC;
    }
}

TEST_F(Combustion, HeatingValuesOfASolidFuel) {
    // Channiwala and Parikh: 0.3491 C + 1.1783 H + 0.1005 S - 0.1034 O - 0.0151 N - 0.0211 Ash.
    const FlueGasFromFuelResult r = calculated(input(kCoal, 20, 0.013));
    const double hhv =
        0.3491 * 65.4 + 1.1783 * 4.2 + 0.1005 * 0.8 - 0.1034 * 7.8 - 0.0151 * 1.3 - 0.0211 * 10;
    EXPECT_NEAR(r.hhvKJPerKg, hhv * 1000, 1e-6);
    // Water: from 4.2 % hydrogen and 10.5 % moisture, kg per kg coal.
    const double water = 0.042 / 1.008 / 2 * 18.015 + 0.105;
    EXPECT_NEAR(r.lhvKJPerKg, hhv * 1000 - 2442 * water, 1e-6);
    EXPECT_FALSE(r.hhvKJPerNm3 || r.airNm3PerNm3 || r.flueGasNm3PerNm3);

    CombustionInput measured = input(kCoal, 20, 0.013);
    measured.measuredHhvKJPerKg = 27500;
    const FlueGasFromFuelResult m = calculated(measured);
    EXPECT_DOUBLE_EQ(m.hhvKJPerKg, 27500);
    EXPECT_NEAR(m.lhvKJPerKg, 27500 - 2442 * water, 1e-6);
    // More heat, same gas: only the flame is hotter.
    EXPECT_GT(*m.adiabaticFlameTemperatureC, *r.adiabaticFlameTemperatureC);
    EXPECT_DOUBLE_EQ(m.flueGasKgPerKg, r.flueGasKgPerKg);
}

// Every atom of the fuel and the air leaves in the flue gas, and the mass with it.
TEST_F(Combustion, ElementsAndMassBalance) {
    struct Case {
        const char* name;
        FuelAnalysis fuel;
        double excess, humidity, coPpm;
    };
    const std::vector<Case> cases = {
        {"coal", kCoal, 20, 0.013, 0},         {"coal with CO", kCoal, 35, 0.02, 400},
        {"fuel oil", kFuelOil, 10, 0.01, 150}, {"natural gas", kNaturalGas, 5, 0, 0},
        {"sour gas", kSourGas, 15, 0.013, 80}, {"methane", kMethane, 0, 0.013, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CombustionInput in = input(c.fuel, c.excess, c.humidity);
        in.coPpm = c.coPpm;
        const FlueGasFromFuelResult r = calculated(in);
        // Atoms per kg fuel from the analysis, kmol.
        const bool gas = c.fuel.kind == FuelKind::Gas;
        double fuelKg = 1;
        std::array<double, 6> atoms{};  // C, H, O, N, S, Ar
        const auto keys = fuelKeys(c.fuel.kind);
        if (gas) {
            fuelKg = 0;
            for (std::size_t i = 0; i < keys.size(); ++i) {
                fuelKg += c.fuel.percent[i] / 100 * keys[i].moleWeight;
            }
        }
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const double kmol =
                gas ? c.fuel.percent[i] / 100 / fuelKg
                    : (keys[i].moleWeight > 0 ? c.fuel.percent[i] / 100 / keys[i].moleWeight : 0);
            for (std::size_t e = 0; e < atoms.size(); ++e) atoms[e] += kmol * keys[i].atoms[e];
        }
        const double air = r.airKgPerKg / kAir;  // kmol dry air per kg fuel
        const double airWater = r.humidityKgPerKg * r.airKgPerKg / 18.015;
        const auto& n = r.kmolPerKg;
        const auto at = [&](GasComponent g) { return n[index(g)]; };
        EXPECT_NEAR(at(GasComponent::CO2) + at(GasComponent::CO), atoms[0] + 0.00036 * air,
                    1e-6 * atoms[0]);
        EXPECT_NEAR(2 * at(GasComponent::H2O), atoms[1] + 2 * airWater, 1e-9);
        EXPECT_NEAR(2 * at(GasComponent::O2) + 2 * at(GasComponent::CO2) + at(GasComponent::CO) +
                        2 * at(GasComponent::SO2) + at(GasComponent::H2O),
                    atoms[2] + 2 * (0.20946 + 0.00036) * air + airWater, 1e-6);
        EXPECT_NEAR(2 * at(GasComponent::N2), atoms[3] + 2 * 0.78084 * air, 1e-6);
        EXPECT_NEAR(at(GasComponent::SO2), atoms[4], 1e-12);
        EXPECT_NEAR(at(GasComponent::Ar), atoms[5] + 0.00934 * air, 1e-6);
        // Mass: fuel less its ash, and the humid air. Mole weights of fuel species built from
        // atomic weights differ from the flue gas ones in the fifth digit.
        const double ash = gas ? 0 : c.fuel.percent[6] / 100;
        EXPECT_NEAR(r.flueGasKgPerKg, 1 - ash + r.airKgPerKg * (1 + r.humidityKgPerKg),
                    2e-5 * r.flueGasKgPerKg);
        EXPECT_NEAR(r.flueGasNm3PerKg / 22.414 * r.moleWeight, r.flueGasKgPerKg, 1e-9);
        // Excess air as asked; each composition adds up to 100.
        EXPECT_NEAR(r.excessAirPercent, c.excess, 1e-9);
        EXPECT_NEAR(r.airKgPerKg, r.stoichiometricAirKgPerKg * (1 + c.excess / 100), 1e-9);
        for (const auto* composition : {&r.wetVolPercent, &r.dryVolPercent, &r.wetWtPercent}) {
            double sum = 0;
            for (double x : *composition) sum += x;
            EXPECT_NEAR(sum, 100, 1e-9);
        }
        EXPECT_DOUBLE_EQ(of(r.dryVolPercent, GasComponent::H2O), 0);
        EXPECT_NEAR(of(r.dryVolPercent, GasComponent::CO), c.coPpm * 1e-4, 1e-10);
    }
}

// An O2 target gives the air that an excess air gives the same O2 with, dry or wet, with or
// without CO, and the excess air is reported either way.
TEST_F(Combustion, O2TargetInvertsExcessAir) {
    struct Case {
        const char* name;
        FuelAnalysis fuel;
        double humidity, coPpm;
    };
    const std::vector<Case> cases = {{"coal", kCoal, 0.013, 0},
                                     {"coal with CO", kCoal, 0.013, 300},
                                     {"sour gas", kSourGas, 0.02, 1000},
                                     {"methane", kMethane, 0, 0}};
    for (const Case& c : cases) {
        for (double excess : {0.0, 3.0, 25.0, 400.0}) {
            // Stoichiometric air leaves O2 only beside CO.
            if (excess == 0 && c.coPpm == 0) continue;
            for (const AirQuantity basis : {AirQuantity::O2Dry, AirQuantity::O2Wet}) {
                SCOPED_TRACE(std::string(c.name) + " " + std::to_string(excess));
                CombustionInput in = input(c.fuel, excess, c.humidity);
                in.coPpm = c.coPpm;
                const FlueGasFromFuelResult byExcess = calculated(in);
                in.airQuantity = basis;
                in.airQuantityPercent = basis == AirQuantity::O2Dry
                                            ? of(byExcess.dryVolPercent, GasComponent::O2)
                                            : of(byExcess.wetVolPercent, GasComponent::O2);
                const FlueGasFromFuelResult byOxygen = calculated(in);
                EXPECT_NEAR(byOxygen.excessAirPercent, excess, 1e-7);
                EXPECT_NEAR(of(byOxygen.wetVolPercent, GasComponent::CO2),
                            of(byExcess.wetVolPercent, GasComponent::CO2), 1e-9);
            }
        }
    }
}

TEST_F(Combustion, CarbonMonoxideTakesCarbonAndLeavesItsOxygen) {
    const FlueGasFromFuelResult clean = calculated(input(kCoal, 20, 0.013));
    CombustionInput in = input(kCoal, 20, 0.013);
    in.coPpm = 2000;
    const FlueGasFromFuelResult r = calculated(in);
    const auto before = [&](GasComponent g) { return clean.kmolPerKg[index(g)]; };
    const auto after = [&](GasComponent g) { return r.kmolPerKg[index(g)]; };
    const double co = after(GasComponent::CO);
    EXPECT_NEAR(after(GasComponent::CO2), before(GasComponent::CO2) - co, 1e-12);
    EXPECT_NEAR(after(GasComponent::O2), before(GasComponent::O2) + co / 2, 1e-12);
    EXPECT_DOUBLE_EQ(after(GasComponent::N2), before(GasComponent::N2));
    // The heat of the unburnt CO is missing from the flame.
    EXPECT_LT(*r.adiabaticFlameTemperatureC, *clean.adiabaticFlameTemperatureC);
}

TEST_F(Combustion, RelativeHumidityUsesTheSteamTableSaturationPressure) {
    CombustionInput in = input(kNaturalGas, 10);
    in.moisture = AirMoisture::RelativeHumidity;
    in.airTemperatureC = 20;
    in.moistureValue = 60;
    // Saturation pressure of water at 20 oC: 2.3393 kPa (IAPWS-IF97).
    const double vapour = 0.6 * 2.3393;
    EXPECT_NEAR(calculated(in).humidityKgPerKg, 18.015 / kAir * vapour / (101.325 - vapour), 2e-5);
    in.moistureValue = 0;
    EXPECT_EQ(calculated(in).humidityKgPerKg, 0);
    in.airTemperatureC = 90;
    in.moistureValue = 100;
    EXPECT_GT(calculated(in).humidityKgPerKg, 1.3);  // saturated at 90 oC: more steam than air
}

TEST_F(Combustion, RefusedInputsGiveNoResultAndOneMessage) {
    struct Case {
        const char* what;
        std::function<void(CombustionInput&)> change;
        const char* english;  // a piece of the message
    };
    const double nan = std::nan("");
    const auto set = [](FuelAnalysis f) { return [f](CombustionInput& in) { in.fuel = f; }; };
    const std::vector<Case> cases = {
        {"negative key", set(fuel(FuelKind::Solid, {{"C", 101}, {"Ash", -1}})),
         "value for Ash that is negative"},
        {"not a number", set(fuel(FuelKind::Gas, {{"CH4", nan}})), "value for CH4"},
        {"short sum", set(fuel(FuelKind::Gas, {{"CH4", 99.9}})), "adds up to 99.9 %"},
        {"long sum", set(fuel(FuelKind::Solid, {{"C", 90}, {"H", 10.06}})), "adds up to 100.06 %"},
        {"nothing to burn", set(fuel(FuelKind::Gas, {{"N2", 79}, {"O2", 21}})), "needs no air"},
        {"only ash", set(fuel(FuelKind::Solid, {{"Ash", 100}})), "needs no air"},
        {"HHV of a gas", [](CombustionInput& in) { in.measuredHhvKJPerKg = 50000; },
         "belongs to a solid or liquid fuel"},
        {"HHV of zero",
         [](CombustionInput& in) {
             in.fuel = kCoal;
             in.measuredHhvKJPerKg = 0;
         },
         "greater than 0 kJ/kg"},
        {"correlation below zero", set(fuel(FuelKind::Solid, {{"C", 5}, {"Ash", 95}})),
         "give a measured heating value"},
        {"cold air", [](CombustionInput& in) { in.airTemperatureC = -80; }, "-73.15 oC"},
        {"air too hot", [](CombustionInput& in) { in.airTemperatureC = 6000; }, "5726.85 oC"},
        {"air temperature not a number", [nan](CombustionInput& in) { in.airTemperatureC = nan; },
         "air temperature"},
        {"negative humidity", [](CombustionInput& in) { in.moistureValue = -0.001; },
         "humidity must be"},
        {"humidity beyond the bound", [](CombustionInput& in) { in.moistureValue = 1e14; },
         "from 0 kg/kg to 5 kg/kg"},
        {"RH whose humidity is beyond the bound",
         [](CombustionInput& in) {
             in.moisture = AirMoisture::RelativeHumidity;
             in.moistureValue = 100;
             in.airTemperatureC = 99;
         },
         "beyond 5 kg/kg"},
        {"HHV below the latent heat of the fuel's water",
         [](CombustionInput& in) {
             in.fuel = fuel(FuelKind::Solid, {{"C", 80}, {"H", 5}, {"O", 5}, {"Ash", 10}});
             in.measuredHhvKJPerKg = 5;
         },
         "not above 0, once the water"},
        {"RH above 100",
         [](CombustionInput& in) {
             in.moisture = AirMoisture::RelativeHumidity;
             in.moistureValue = 100.5;
         },
         "between 0 % and 100 %"},
        {"RH at the boiling point",
         [](CombustionInput& in) {
             in.moisture = AirMoisture::RelativeHumidity;
             in.moistureValue = 50;
             in.airTemperatureC = 100;
         },
         "below 100 oC"},
        {"RH below the steam table",
         [](CombustionInput& in) {
             in.moisture = AirMoisture::RelativeHumidity;
             in.moistureValue = 50;
             in.airTemperatureC = 0.5;
         },
         "from 1 oC"},
        {"too little air", [](CombustionInput& in) { in.airQuantityPercent = -5; },
         "short of stoichiometric"},
        {"excess air not a number", [nan](CombustionInput& in) { in.airQuantityPercent = nan; },
         "excess air must be"},
        {"no O2",
         [](CombustionInput& in) {
             in.airQuantity = AirQuantity::O2Dry;
             in.airQuantityPercent = 0;
         },
         "greater than 0 %"},
        {"O2 of air",
         [](CombustionInput& in) {
             in.airQuantity = AirQuantity::O2Dry;
             in.airQuantityPercent = 20.946;
         },
         "even infinite air gives less than"},
        // Humid air of 0.05 kg/kg holds 20.946 / (1 + 0.05 / 0.62196) = 19.387 % O2.
        {"wet O2 beyond humid air",
         [](CombustionInput& in) {
             in.airQuantity = AirQuantity::O2Wet;
             in.moistureValue = 0.05;
             in.airQuantityPercent = 19.4;
         },
         "(wet) cannot be reached"},
        {"O2 below what CO leaves at stoichiometric air",
         [](CombustionInput& in) {
             in.coPpm = 10000;
             in.airQuantity = AirQuantity::O2Dry;
             in.airQuantityPercent = 0.1;
         },
         "less air than stoichiometric"},
        {"negative CO", [](CombustionInput& in) { in.coPpm = -1; }, "from 0 ppm"},
        {"CO of a million ppm", [](CombustionInput& in) { in.coPpm = 1e6; }, "below 1000000 ppm"},
        {"more CO than carbon",
         [](CombustionInput& in) {
             in.fuel = fuel(FuelKind::Gas, {{"H2", 99}, {"CH4", 1}});
             in.coPpm = 50000;
         },
         "more carbon than the fuel holds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CombustionInput in = input(kMethane, 10, 0.013);
        c.change(in);
        recorder_.clear();
        const FlueGasFromFuelOutcome outcome = FlueGasFromFuel(in);
        EXPECT_FALSE(outcome.result);
        ASSERT_TRUE(outcome.refusal);
        EXPECT_NE(outcome.refusal->english.find(c.english), std::string::npos)
            << outcome.refusal->english;
        EXPECT_FALSE(outcome.refusal->korean.empty());
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].text, outcome.refusal->english);
        EXPECT_EQ(messages()[0].caption, "Function FlueGasFromFuel");
        EXPECT_EQ(messages()[0].icon, tw::MessageIcon::Critical);
    }
}

TEST_F(Combustion, AnAnalysisWithinTheToleranceOfHundredIsTaken) {
    for (double ch4 : {99.951, 100.049}) {
        EXPECT_TRUE(evaluateFlueGasFromFuel(input(fuel(FuelKind::Gas, {{"CH4", ch4}}))).result);
    }
}

// One normalisation for every result: an analysis within the tolerance is the fuel scaled to
// 100 %, per kg and per Nm3 alike.
TEST_F(Combustion, AnAnalysisWithinTheToleranceIsScaledToHundredForEveryResult) {
    const FlueGasFromFuelResult pure = calculated(input(kMethane, 20, 0.01));
    const FlueGasFromFuelResult near =
        calculated(input(fuel(FuelKind::Gas, {{"CH4", 99.96}}), 20, 0.01));
    const std::pair<const char*, double FlueGasFromFuelResult::*> perKg[] = {
        {"hhv", &FlueGasFromFuelResult::hhvKJPerKg},
        {"lhv", &FlueGasFromFuelResult::lhvKJPerKg},
        {"air", &FlueGasFromFuelResult::airKgPerKg},
        {"flue gas", &FlueGasFromFuelResult::flueGasKgPerKg}};
    for (const auto& [what, field] : perKg)
        EXPECT_NEAR(near.*field, pure.*field, 1e-9 * pure.*field) << what;
    ASSERT_TRUE(near.hhvKJPerNm3 && pure.hhvKJPerNm3);
    EXPECT_NEAR(*near.hhvKJPerNm3, *pure.hhvKJPerNm3, 1e-9 * *pure.hhvKJPerNm3);
    EXPECT_NEAR(*near.airNm3PerNm3, *pure.airNm3PerNm3, 1e-12);
    EXPECT_NEAR(*near.flueGasNm3PerNm3, *pure.flueGasNm3PerNm3, 1e-12);
    // A solid: the correlation's heating value is the scaled analysis's.
    const FuelAnalysis coal = fuel(FuelKind::Solid, {{"C", 65.4},
                                                     {"H", 4.2},
                                                     {"O", 7.8},
                                                     {"N", 1.3},
                                                     {"S", 0.8},
                                                     {"H2O", 10.5},
                                                     {"Ash", 9.96}});
    FuelAnalysis scaled = coal;
    for (double& p : scaled.percent) p *= 100 / 99.96;
    EXPECT_NEAR(calculated(input(coal, 20)).hhvKJPerKg, calculated(input(scaled, 20)).hhvKJPerKg,
                1e-8);
}

TEST_F(Combustion, RefusalsAreShownInTheProgramLanguage) {
    tw::TW_Language = tw::TW_Korean;
    FlueGasFromFuel(input(fuel(FuelKind::Gas, {{"CH4", 90}})));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text,
              "연료 분석의 합계가 90 % 입니다. 합계는 100 % (허용 오차 0.05 %) 이어야 합니다.");
    tw::TW_Language = static_cast<tw::enmLanguage>(5);
    recorder_.clear();
    EXPECT_TRUE(FlueGasFromFuel(input(fuel(FuelKind::Gas, {{"CH4", 90}}))).refusal);
    EXPECT_TRUE(messages().empty());
}

// Outside the enthalpy data the result stands without a flame temperature, with a note.
TEST_F(Combustion, FlameTemperatureOutsideTheDataIsANote) {
    // A fuel that is mostly water, burnt with much cold air: the air takes more heat to warm
    // than the fuel gives.
    CombustionInput wet = input(fuel(FuelKind::Solid, {{"C", 10}, {"H2O", 90}}), 2000);
    wet.airTemperatureC = -70;
    CombustionInput hot = input(kMethane);
    hot.airTemperatureC = 5000;
    struct Case {
        CombustionInput in;
        const char* english;
    };
    for (const Case& c :
         {Case{wet, "does not raise the flue gas above 25 oC"}, Case{hot, "above 6000 K"}}) {
        recorder_.clear();
        const FlueGasFromFuelOutcome outcome = FlueGasFromFuel(c.in);
        ASSERT_TRUE(outcome.result);
        EXPECT_FALSE(outcome.result->adiabaticFlameTemperatureC);
        ASSERT_TRUE(outcome.result->flameNote);
        EXPECT_NE(outcome.result->flameNote->english.find(c.english), std::string::npos);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].icon, tw::MessageIcon::Information);
    }
    EXPECT_GT(calculated(wet).lhvKJPerKg, 0);
}

TEST_F(Combustion, FuelKeysAreFoundWithoutRegardToCase) {
    EXPECT_EQ(findFuelKey(FuelKind::Gas, "ch4"), 0);
    EXPECT_EQ(findFuelKey(FuelKind::Gas, "c4h10"), 3);
    EXPECT_EQ(findFuelKey(FuelKind::Solid, "ASH"), 6);
    EXPECT_EQ(findFuelKey(FuelKind::Solid, "h2o"), 5);
    EXPECT_EQ(findFuelKey(FuelKind::Solid, "CH4"), -1);
    EXPECT_EQ(findFuelKey(FuelKind::Gas, "Ash"), -1);
    EXPECT_EQ(findFuelKey(FuelKind::Gas, ""), -1);
    EXPECT_NEAR(dryAirMoleWeight(), kAir, 5e-4);
}

// --- the composition in the calculator table -----------------------------------------------

TEST_F(Combustion, CompositionTextsAddUpToExactlyHundred) {
    for (const FuelAnalysis& f : {kCoal, kNaturalGas, kSourGas, kFuelOil}) {
        const FlueGasFromFuelResult r = calculated(input(f, 17, 0.011));
        for (CompositionBasis basis : {CompositionBasis::Volume, CompositionBasis::Weight}) {
            const auto& percent =
                basis == CompositionBasis::Volume ? r.wetVolPercent : r.wetWtPercent;
            const auto texts = flueGasCompositionTexts(r, basis);
            const auto cells = flueGasCompositionCells(r, basis);
            double total = 0;
            for (std::size_t i = 0; i < texts.size(); ++i) {
                EXPECT_NEAR(std::stod(texts[i]), percent[i], 0.0035) << texts[i];
                EXPECT_EQ(texts[i].size() - texts[i].find('.'), 4u) << texts[i];
                // The numbers are the cells as the table reads them, to the last bit.
                EXPECT_EQ(std::bit_cast<std::uint32_t>(cells[i]),
                          std::bit_cast<std::uint32_t>(cellNumber(texts[i])))
                    << texts[i];
                total += std::stod(texts[i]);
            }
            EXPECT_NEAR(total, 100, 1e-9);
        }
    }
}

TEST_F(Combustion, ApplyWritesTheCompositionInTheTablesBasis) {
    const FlueGasFromFuelResult r = calculated(input(kCoal, 20, 0.013));
    for (CompositionBasis basis : {CompositionBasis::Volume, CompositionBasis::Weight}) {
        CalculatorTable table;
        table.setBasisOnly(basis);
        table.setValue(rowGasTemperature, "300");
        std::string editor = "123";  // what the user typed into the current cell (row 1)
        table.onCommitEditor = [&] { table.setCurrentText(editor); };
        table.onLoadEditor = [&] { editor = table.currentText(); };
        ApplyFlueGasFromFuel(table, r);
        const auto texts = flueGasCompositionTexts(r, basis);
        for (int slot = 0; slot < kSpeciesCount; ++slot) {
            EXPECT_EQ(table.value(rowOfSpecies(slot)), texts[static_cast<std::size_t>(slot)]);
        }
        EXPECT_EQ(table.value(rowComponentTotal), "100.000");
        EXPECT_EQ(editor, texts[index(GasComponent::N2)]);  // the editor shows the new row 1
        EXPECT_EQ(table.value(rowGasTemperature), "300");

        // Calculated, the composition stands as written: it adds up to 100.
        table.onCommitEditor = nullptr;
        table.setValue(rowReferenceTemperature, "25");
        const FlueGasResults results = Calculate(table);
        EXPECT_TRUE(results.complete);
        EXPECT_FALSE(results.normalisedComposition);
        EXPECT_TRUE(messages().empty()) << lastText();
        EXPECT_NEAR(results.moleWeight, r.moleWeight, 2e-3);
    }
}

}  // namespace

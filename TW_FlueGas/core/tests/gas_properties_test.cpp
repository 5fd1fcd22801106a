#include <limits>

#include "FlueGasTestSupport.h"
#include "GasProperties.h"
#include "GasPropertiesReport.h"
#include "mdlTW_NASA_TP.h"

using namespace tw;
using namespace tw::gasprops;

namespace {

class GasPropertiesTest : public tw::testing::FlueGasTest {};

constexpr double kAtm = 101325.0;

GasMixture mixture(std::array<double, kGasComponentCount> percent, bool volume = true) {
    auto gas = normaliseComposition(volume, percent);
    EXPECT_TRUE(gas.has_value());
    return gas.value_or(GasMixture{});
}

// Dry air of Lemmon et al. (2000): N2 78.12, O2 20.96, Ar 0.92 mole percent.
GasMixture air() {
    return mixture({78.12, 20.96, 0, 0, 0, 0, 0.92});
}

// A coal flue gas.
GasMixture flueGas() {
    return mixture({74.0, 4.0, 13.5, 0.01, 0.1, 7.5, 0.89});
}

double relative(double value, double reference) {
    return std::fabs(value / reference - 1.0);
}

// Dry air at 101.325 kPa: viscosity and thermal conductivity of E. W. Lemmon and
// R. T. Jacobsen, Int. J. Thermophys. 25, 21-69 (2004), cp of E. W. Lemmon et al., J. Phys.
// Chem. Ref. Data 29, 331 (2000); evaluated with python3-iapws 1.5.3 (humidAir.Air).
TEST_F(GasPropertiesTest, DryAirMatchesLemmonAndJacobsen) {
    struct Row {
        double T, mu, lambda, cp;  // K, uPa s, mW/(m K), kJ/(kg K)
    };
    const Row rows[] = {
        {250, 16.038, 22.564, 1.00554},  {300, 18.537, 26.384, 1.00637},
        {400, 23.055, 33.453, 1.01414},  {500, 27.090, 39.945, 1.02987},
        {600, 30.769, 46.011, 1.05120},  {800, 37.370, 57.249, 1.09869},
        {1000, 43.280, 67.677, 1.14100},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.T);
        const auto g = gasProperties(air(), r.T, kAtm);
        ASSERT_TRUE(g);
        EXPECT_LT(relative(g->viscosity, r.mu * 1e-6), 0.025);
        EXPECT_LT(relative(g->thermalConductivity, r.lambda * 1e-3), 0.04);
        EXPECT_LT(relative(g->cp, r.cp * 1e3), 0.005);
    }
}

// Steam at 10 kPa by the full IAPWS 2008 viscosity and IAPWS 2011 conductivity formulations
// (IAPWS-95 density), evaluated with python3-iapws 1.5.3.
TEST_F(GasPropertiesTest, LowPressureSteamMatchesIapws) {
    struct Row {
        double T, mu, lambda;  // K, uPa s, mW/(m K)
    };
    const Row rows[] = {{373.15, 12.3268, 24.1958}, {400, 13.3469, 26.4702},
                        {500, 17.3236, 35.8053},    {600, 21.4325, 46.2908},
                        {700, 25.5626, 57.6954},    {800, 29.6549, 69.8404},
                        {1000, 37.6112, 95.8118}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.T);
        const auto g = gasProperties(pureSpecies(GasComponent::H2O), r.T, 10e3);
        ASSERT_TRUE(g);
        EXPECT_LT(relative(g->viscosity, r.mu * 1e-6), 0.02);
        EXPECT_LT(relative(g->thermalConductivity, r.lambda * 1e-3), 0.02);
    }
}

// Measured values at 1 atm compiled in F. P. Incropera et al., "Fundamentals of Heat and Mass
// Transfer", 6th ed., Wiley (2007), Table A.4.
TEST_F(GasPropertiesTest, NitrogenAndCarbonDioxideMatchMeasuredData) {
    struct Row {
        GasComponent species;
        double T, mu, lambda;  // K, 1e-7 Pa s, 1e-3 W/(m K)
    };
    const Row rows[] = {
        {GasComponent::N2, 300, 178.2, 25.9},   {GasComponent::N2, 350, 200.0, 29.3},
        {GasComponent::N2, 400, 220.4, 32.7},   {GasComponent::CO2, 300, 149.0, 16.55},
        {GasComponent::CO2, 350, 172.0, 20.47}, {GasComponent::CO2, 400, 193.0, 24.3},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(gasComponentName(r.species)) + " " + std::to_string(r.T));
        const auto g = gasProperties(pureSpecies(r.species), r.T, kAtm);
        ASSERT_TRUE(g);
        EXPECT_LT(relative(g->viscosity, r.mu * 1e-7), 0.03);
        EXPECT_LT(relative(g->thermalConductivity, r.lambda * 1e-3), 0.08);
    }
}

TEST_F(GasPropertiesTest, IdealGasIdentities) {
    struct Case {
        const char* name;
        GasMixture gas;
        double T, p;
    };
    const Case cases[] = {{"air", air(), 250, kAtm},
                          {"flue gas", flueGas(), 420, 95e3},
                          {"flue gas, hot", flueGas(), 1800, 2.5e6},
                          {"argon", pureSpecies(GasComponent::Ar), 3000, kAtm}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto g = gasProperties(c.gas, c.T, c.p);
        const auto hotter =
            gasProperties(c.gas, 1.25 * c.T > 3000 ? c.T / 1.25 : c.T * 1.25, 3 * c.p);
        ASSERT_TRUE(g && hotter);
        const double specificR = kNasaGasConstant * 1000 / g->moleWeight;
        EXPECT_NEAR(g->cp - g->cv, specificR, 1e-9 * specificR);
        EXPECT_NEAR(g->gamma, g->cp / g->cv, 1e-12);
        EXPECT_NEAR(g->density * specificR * c.T, c.p, 1e-9 * c.p);
        const double ratio = 1.25 * c.T > 3000 ? 3 * 1.25 : 3 / 1.25;
        EXPECT_NEAR(hotter->density / g->density, ratio, 1e-9);
        EXPECT_NEAR(g->speedOfSound * g->speedOfSound, g->gamma * c.p / g->density,
                    1e-9 * g->gamma * c.p / g->density);
        // The dilute-gas transport properties do not depend on the pressure.
        const auto compressed = gasProperties(c.gas, c.T, 2 * c.p);
        EXPECT_DOUBLE_EQ(compressed->viscosity, g->viscosity);
        EXPECT_NEAR(compressed->kinematicViscosity, g->kinematicViscosity / 2,
                    1e-12 * g->kinematicViscosity);
    }
    // A monatomic gas: gamma 5/3 exactly enough, and the pressure term of the entropy.
    const auto ar = gasProperties(pureSpecies(GasComponent::Ar), 500, 1e5);
    const auto ar10 = gasProperties(pureSpecies(GasComponent::Ar), 500, 1e6);
    EXPECT_NEAR(ar->gamma, 5.0 / 3.0, 1e-4);
    const double arR = kNasaGasConstant * 1000 / 39.948;
    EXPECT_NEAR(ar10->entropy - ar->entropy, -arR * std::log(10.0), 1e-9);
}

// A gas of one species has that species' own values, whatever the basis, and a trace of
// another species changes them only by its trace.
TEST_F(GasPropertiesTest, PureSpeciesHaveTheirOwnValues) {
    for (int i = 0; i < kGasComponentCount; ++i) {
        const auto species = static_cast<GasComponent>(i);
        SCOPED_TRACE(std::string(gasComponentName(species)));
        std::array<double, kGasComponentCount> percent{};
        percent[static_cast<std::size_t>(i)] = 100.0;
        for (const bool volume : {true, false}) {
            const auto g = gasProperties(mixture(percent, volume), 700, kAtm);
            ASSERT_TRUE(g);
            EXPECT_NEAR(g->moleWeight, kGasMolarMass[static_cast<std::size_t>(i)], 1e-5);
            EXPECT_DOUBLE_EQ(g->viscosity, speciesViscosity(species, 700));
            EXPECT_DOUBLE_EQ(g->thermalConductivity, speciesThermalConductivity(species, 700));
        }
        percent[(static_cast<std::size_t>(i) + 1) % kGasComponentCount] = 1e-6;
        const auto traced = gasProperties(mixture(percent), 700, kAtm);
        EXPECT_LT(relative(traced->viscosity, speciesViscosity(species, 700)), 1e-7);
        EXPECT_LT(relative(traced->thermalConductivity, speciesThermalConductivity(species, 700)),
                  1e-7);
    }
}

// Enthalpy from 25 oC; entropy on the NASA Glenn (third-law) zero at 1 bar, S(298.15 K) of
// the JANAF tables (M. W. Chase, J. Phys. Chem. Ref. Data Monograph 9, 1998), J/(mol K).
TEST_F(GasPropertiesTest, EnthalpyAndEntropyZeros) {
    struct Row {
        GasComponent species;
        double S298;
    };
    const Row rows[] = {{GasComponent::N2, 191.609},
                        {GasComponent::CO2, 213.795},
                        {GasComponent::H2O, 188.834},
                        {GasComponent::Ar, 154.845}};
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(gasComponentName(r.species)));
        const auto g = gasProperties(pureSpecies(r.species), 298.15, 1e5);
        EXPECT_NEAR(g->enthalpy, 0.0, 1e-6);
        EXPECT_NEAR(g->entropy * g->moleWeight / 1000, r.S298, 0.01);
    }
    // Ideal mixing: an equimolar N2 + CO mixture gains R ln 2 per mole over its parts.
    const auto both = gasProperties(mixture({50, 0, 0, 50, 0, 0, 0}), 600, 1e5);
    const auto n2 = gasProperties(pureSpecies(GasComponent::N2), 600, 1e5);
    const auto co = gasProperties(pureSpecies(GasComponent::CO), 600, 1e5);
    const double partsMolar = (n2->entropy * n2->moleWeight + co->entropy * co->moleWeight) / 2;
    EXPECT_NEAR(both->entropy * both->moleWeight - partsMolar,
                1000 * kNasaGasConstant * std::log(2.0), 1e-6);
}

TEST_F(GasPropertiesTest, WeightBasisGivesTheSameGas) {
    // Air by weight: 75.52 N2, 23.14 O2, 1.29 Ar (approximately the mole fractions above).
    const GasMixture byWeight = mixture({75.52, 23.14, 0, 0, 0, 0, 1.29}, false);
    EXPECT_NEAR(byWeight.moleFraction[index(GasComponent::N2)], 0.781, 1e-3);
    EXPECT_NEAR(byWeight.moleWeight, air().moleWeight, 0.01);
    // Amounts that do not sum to 100 are normalised without a notice.
    const GasMixture doubled = mixture({156.24, 41.92, 0, 0, 0, 0, 1.84});
    EXPECT_NEAR(doubled.moleFraction[0], air().moleFraction[0], 1e-15);
    EXPECT_TRUE(messages().empty());
}

TEST_F(GasPropertiesTest, RefusesStatesOutsideTheRange) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double T, p;
        const char* message;
    };
    const Case cases[] = {
        {200, kAtm, "temperature of 200 K is outside"},
        {150, kAtm, "temperature of 150 K"},
        {3000.001, kAtm, "not above 3000 K"},
        {nan, kAtm, "temperature of N/A K"},
        {inf, kAtm, "temperature of N/A K"},
        {-inf, kAtm, "temperature of N/A K"},
        {500, 0, "finite absolute pressure greater than 0"},
        {500, -1, "finite absolute pressure greater than 0"},
        {500, nan, "finite absolute pressure greater than 0"},
        {500, inf, "finite absolute pressure greater than 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.T) + " " + std::to_string(c.p));
        const std::size_t before = messages().size();
        EXPECT_FALSE(gasProperties(air(), c.T, c.p));
        ASSERT_EQ(messages().size(), before + 1);
        EXPECT_NE(lastText().find(c.message), std::string::npos) << lastText();
    }
    // The range's own ends.
    EXPECT_TRUE(gasProperties(air(), 200.0001, kAtm));
    EXPECT_TRUE(gasProperties(air(), 3000, kAtm));
}

TEST_F(GasPropertiesTest, HighPressureIsCalculatedWithANotice) {
    EXPECT_TRUE(gasProperties(air(), 500, 3e6));
    EXPECT_TRUE(messages().empty());
    const auto g = gasProperties(air(), 500, 3.1e6);
    ASSERT_TRUE(g);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(lastText().find("above 3 MPa"), std::string::npos);
    // Huge but finite pressures give finite figures.
    const auto huge = gasProperties(air(), 500, 1e300);
    ASSERT_TRUE(huge);
    EXPECT_TRUE(std::isfinite(huge->density) && std::isfinite(huge->entropy));
}

TEST_F(GasPropertiesTest, RefusesCompositionsThatAreNoGas) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::array<double, kGasComponentCount> percent;
        const char* message;
    };
    const Case cases[] = {
        {{80, 21, -1, 0, 0, 0, 0}, "should be a finite value not less than 0"},
        {{nan, 21, 0, 0, 0, 0, 0}, "should be a finite value not less than 0"},
        {{inf, 21, 0, 0, 0, 0, 0}, "should be a finite value not less than 0"},
        {{1.7e308, 1.7e308, 0, 0, 0, 0, 0}, "should be a finite value not less than 0"},
        {{0, 0, 0, 0, 0, 0, 0}, "At least one component should be greater than 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_FALSE(normaliseComposition(true, c.percent));
        EXPECT_NE(lastText().find(c.message), std::string::npos) << lastText();
    }
}

TEST_F(GasPropertiesTest, DewPointsAtTheGasPressure) {
    Unit celsius;
    const GasMixture gas = flueGas();
    const DewPoints atm = dewPoints(gas, kAtm);
    // 7.5 % H2O at 1 atm: saturation at 7.6 kPa, 40.4 oC (IAPWS-IF97).
    ASSERT_TRUE(atm.water);
    EXPECT_NEAR(*atm.water, 40.4, 0.2);
    // At 1 atm the acid dew points are the calculator's own.
    const auto okkes = tryOkkesAcidDewPoint(celsius, 0.1f, 7.5f, 4.0f);
    const auto verhoff = tryVerhoffAcidDewPoint(celsius, 0.1f, 7.5f, 4.0f);
    ASSERT_TRUE(atm.okkes && atm.verhoff && okkes && verhoff);
    EXPECT_NEAR(*atm.okkes, *okkes, 0.051);
    EXPECT_NEAR(*atm.verhoff, *verhoff, 0.051);
    // A pressurised gas condenses its water and its acid at higher temperatures, a gas under
    // draft at lower ones.
    const DewPoints pressurised = dewPoints(gas, 5 * kAtm);
    const DewPoints draft = dewPoints(gas, 0.9 * kAtm);
    EXPECT_GT(*pressurised.water, *atm.water + 30);
    EXPECT_GT(*pressurised.okkes, *atm.okkes);
    EXPECT_GT(*pressurised.verhoff, *atm.verhoff);
    EXPECT_LT(*draft.water, *atm.water);
    EXPECT_LT(*draft.verhoff, *atm.verhoff);
    EXPECT_TRUE(messages().empty());
}

TEST_F(GasPropertiesTest, DewPointsThatDoNotExist) {
    // Dry air: no water dew point; the acid correlations say why they have none.
    const DewPoints dry = dewPoints(air(), kAtm);
    EXPECT_FALSE(dry.water || dry.okkes || dry.verhoff);
    EXPECT_EQ(messages().size(), 2u);
    // A trace of water below the steam table's range, and steam above its critical pressure.
    EXPECT_FALSE(dewPoints(mixture({99.9, 0, 0, 0, 0, 0.1, 0}), kAtm).water);
    EXPECT_FALSE(dewPoints(pureSpecies(GasComponent::H2O), 30e6).water);
    EXPECT_NEAR(*dewPoints(pureSpecies(GasComponent::H2O), kAtm).water, 100.0, 0.05);
}

}  // namespace

namespace {

TEST_F(GasPropertiesTest, ReportSectionShowsTheFiguresInTheirUnits) {
    GasPropertiesShown shown;
    shown.temperatureK = 423.15;
    shown.pressurePa = kAtm;
    shown.properties = *gasProperties(air(), shown.temperatureK, shown.pressurePa);
    shown.dewPoints = dewPoints(air(), kAtm);
    shown.units.uTP = ktounit_degK;
    shown.units.uVisco = ktounit_Pasec;
    shown.units.uPR = ktounit_kPaa;
    struct Case {
        std::int32_t language;
        const char* heading;
        const char* firstRow;
        const char* waterDewPoint;
    };
    const Case cases[] = {{TW_English, "Gas properties", "Gas temperature", "Water dew point"},
                          {TW_Korean, "가스 물성", "가스 온도", "물 이슬점"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.heading);
        const fluegas::ReportSection s = gasPropertiesReportSection(shown, c.language);
        EXPECT_EQ(s.heading, c.heading);
        ASSERT_EQ(s.rows.size(), 2u + kPropertyColumns.size() + 3u);
        EXPECT_EQ(s.rows[0].label, c.firstRow);
        EXPECT_EQ(s.rows[0].value, "423.15");
        EXPECT_EQ(s.rows[0].unit, "K");
        EXPECT_EQ(s.rows[1].value, "101.325");
        EXPECT_EQ(s.rows[1].unit, "kPa a");
        const fluegas::ReportRow& viscosity = s.rows[2 + 8];
        EXPECT_NEAR(std::stod(viscosity.value), shown.properties.viscosity, 1e-9);
        EXPECT_EQ(viscosity.unit, "Pa-s");
        // Dry air has no dew points.
        EXPECT_EQ(s.rows[2 + kPropertyColumns.size()].label, c.waterDewPoint);
        EXPECT_EQ(s.rows[2 + kPropertyColumns.size()].value, "N/A");
    }
}

}  // namespace

#include <bit>
#include <cstdint>
#include <limits>
#include <optional>

#include "FlueGasTestSupport.h"
#include "mdlTW_NASA_TP.h"

using namespace tw;
using tw::testing::toDigits;

namespace {

class NasaGlenn : public tw::testing::FlueGasTest {
  protected:
    NasaGlenn() {
        kelvin_.setuTP(ktounit_degK);
        kelvin_.setuENTH(ktounit_kJperkg);
        kelvin_.setuENTRO(ktounit_kJperkgK);
    }
    static const NasaSpeciesTable& species(GasComponent c) { return nasaGlennSpecies()[index(c)]; }
    static NasaProperties at(GasComponent c, double T) {
        const NasaSpeciesTable& s = species(c);
        NASA_TP(s.name, T, s.M, s.breakpoints, s.intervals);
        return NasaResult;
    }
    float gasEnthalpy(float T) {
        return FlueGasEnthbyNASATP(kelvin_, T, true, 76, 4, 12, 0, 0.1f, 7, 0.9f);
    }
    Unit kelvin_;
};

TEST_F(NasaGlenn, TablesMatchTheDatabaseLayout) {
    struct Row {
        GasComponent c;
        const char* name;
        double M;
        std::size_t breakpoints;
    };
    const Row rows[] = {
        {GasComponent::CO2, "CO2", 44.0095, 4}, {GasComponent::CO, "CO", 28.0101, 4},
        {GasComponent::Ar, "Ar", 39.948, 4},    {GasComponent::H2O, "H2O", 18.01528, 3},
        {GasComponent::N2, "N2", 28.0134, 4},   {GasComponent::O2, "O2", 31.9988, 4},
        {GasComponent::SO2, "SO2", 64.0638, 3},
    };
    for (const auto& r : rows) {
        const NasaSpeciesTable& s = species(r.c);
        EXPECT_STREQ(s.name, r.name);
        EXPECT_EQ(s.M, r.M);
        ASSERT_EQ(s.breakpoints.size(), r.breakpoints) << r.name;
        EXPECT_EQ(s.intervals.size() + 1, s.breakpoints.size());
        EXPECT_EQ(s.breakpoints[0], 200.0f);
        EXPECT_EQ(s.breakpoints[1], 1000.0f);
        EXPECT_EQ(s.breakpoints[2], 6000.0f);
    }
    // The N2 row of 6000-20000 K and argon's monatomic 200-1000 K interval.
    const NasaInterval& n2 = species(GasComponent::N2).intervals[2];
    EXPECT_EQ(n2.a[0], 8.310139160e+08);
    EXPECT_EQ(n2.a[6], 1.437538881e-15);
    EXPECT_EQ(n2.b[1], -1.672099740e+03);
    const NasaInterval& ar = species(GasComponent::Ar).intervals[0];
    EXPECT_EQ(ar.a, (std::array<double, 7>{0, 0, 2.5, 0, 0, 0, 0}));
}

TEST_F(NasaGlenn, WorkedSpeciesValues) {
    struct Case {
        GasComponent c;
        double T;
        const char* cp;  // nullptr: not given
        const char* h;
        const char* s;
    };
    const Case cases[] = {
        {GasComponent::N2, 298.15, "1.039658", nullptr, "6.839931"},
        {GasComponent::N2, 500, "1.055995", "210.9986", "7.380029"},
        {GasComponent::CO2, 298.15, nullptr, "-8941.479", nullptr},
        {GasComponent::CO2, 500, nullptr, "-8752.726", nullptr},
        {GasComponent::H2O, 298.15, nullptr, "-13423.38", nullptr},
        {GasComponent::SO2, 298.15, nullptr, "-4633.038", nullptr},
        {GasComponent::CO, 298.15, nullptr, "-3946.262", nullptr},
        {GasComponent::Ar, 500, "0.5203333", "105.0293", nullptr},
        {GasComponent::Ar, 200, "0.5203333", nullptr, nullptr},
        {GasComponent::Ar, 1000, "0.5203333", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(gasComponentName(c.c)) + " at " + std::to_string(c.T));
        const NasaProperties p = at(c.c, c.T);
        if (c.cp) {
            EXPECT_TRUE(toDigits(p.cp, c.cp));
        }
        if (c.h) {
            EXPECT_TRUE(toDigits(p.h, c.h));
        }
        if (c.s) {
            EXPECT_TRUE(toDigits(p.s, c.s));
        }
    }
    EXPECT_NEAR(at(GasComponent::N2, 298.15).h, 2.2e-07, 1e-8);
}

TEST_F(NasaGlenn, SpeciesEnthalpyRisesFromTheReferenceTemperature) {
    struct Case {
        GasComponent c;
        const char* to500;
        const char* to1500;
    };
    const Case cases[] = {
        {GasComponent::CO2, "188.753", "1402.18"}, {GasComponent::CO, "211.738", "1386.84"},
        {GasComponent::Ar, "105.029", "625.363"},  {GasComponent::H2O, "384.382", "2675.87"},
        {GasComponent::N2, "210.999", "1370.94"},  {GasComponent::O2, "190.179", "1269.21"},
        {GasComponent::SO2, "136.493", "970.969"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(gasComponentName(c.c));
        const double h0 = at(c.c, 298.15).h;
        EXPECT_TRUE(toDigits(at(c.c, 500).h - h0, c.to500));
        EXPECT_TRUE(toDigits(at(c.c, 1500).h - h0, c.to1500));
    }
}

TEST_F(NasaGlenn, SpeciesAreContinuousAcross1000KAndIntervalChoice) {
    for (const NasaSpeciesTable& s : nasaGlennSpecies()) {
        SCOPED_TRACE(s.name);
        const NasaProperties below = nasaPolynomials(s.intervals[0], 1000.0, s.M);
        const NasaProperties above = nasaPolynomials(s.intervals[1], 1000.0, s.M);
        EXPECT_NEAR(below.h, above.h, 1e-4);
        // 1000 K itself belongs to the lower interval, 1000.01 K to the upper one.
        NASA_TP(s.name, 1000.0, s.M, s.breakpoints, s.intervals);
        EXPECT_EQ(NasaResult.h, below.h);
        NASA_TP(s.name, 1000.01, s.M, s.breakpoints, s.intervals);
        EXPECT_EQ(NasaResult.h, nasaPolynomials(s.intervals[1], 1000.01, s.M).h);
        NASA_TP(s.name, 5999.9, s.M, s.breakpoints, s.intervals);
        EXPECT_EQ(NasaResult.h, nasaPolynomials(s.intervals[1], 5999.9, s.M).h);
    }
}

TEST_F(NasaGlenn, TemperatureOutsideTheTableIsRefused) {
    const NasaSpeciesTable& h2o = species(GasComponent::H2O);
    struct Case {
        double T;
        const char* text;  // nullptr: accepted without message
    };
    const Case cases[] = {
        {150, "The temperature for H2O calculation should be higher than  200 oK."},
        {7000, "The temperature for H2O calculation should be lower than  6000 oK."},
        {std::numeric_limits<double>::quiet_NaN(),
         "The temperature for H2O calculation should be higher than  200 oK."},
        {std::numeric_limits<double>::infinity(),
         "The temperature for H2O calculation should be lower than  6000 oK."},
        {1e300, "The temperature for H2O calculation should be lower than  6000 oK."},
        {200, nullptr},
        {6000, nullptr},
    };
    TW_Language = TW_Korean;  // these texts are English whatever the language
    for (const auto& c : cases) {
        SCOPED_TRACE(c.T);
        recorder_.clear();
        NASA_TP(h2o.name, c.T, h2o.M, h2o.breakpoints, h2o.intervals);
        if (c.text) {
            ASSERT_EQ(messages().size(), 1u);
            EXPECT_EQ(messages()[0].text, c.text);
            EXPECT_EQ(messages()[0].caption, "Function NASA_TP");
            EXPECT_EQ(NasaResult.cp, -999999999.0);
            EXPECT_EQ(NasaResult.h, -999999999.0);
            EXPECT_EQ(NasaResult.s, -999999999.0);
        } else {
            EXPECT_TRUE(messages().empty());
            EXPECT_GT(NasaResult.cp, 0.0);
        }
    }
}

TEST_F(NasaGlenn, WorkedGasEnthalpies) {
    EXPECT_TRUE(toDigits(gasEnthalpy(298.15f), "-2181.974"));
    EXPECT_TRUE(toDigits(gasEnthalpy(500), "-1969.904"));
    EXPECT_TRUE(toDigits(gasEnthalpy(1000), "-1396.035"));
    EXPECT_TRUE(toDigits(gasEnthalpy(500) - gasEnthalpy(298.15f), "212.070"));
    EXPECT_TRUE(toDigits(gasEnthalpy(1000) - gasEnthalpy(298.15f), "785.939"));
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(toDigits(FlueGasComposition.MoleWeight, "29.53569"));
}

TEST_F(NasaGlenn, PureGasesAtTheReferenceTemperature) {
    // 298.15 as a single is 298.149994 K, which puts N2 6e-6 kJ/kg below zero.
    EXPECT_NEAR(FlueGasEnthbyNASATP(kelvin_, 298.15f, true, 100, 0, 0, 0, 0, 0, 0), 0.0, 1e-5);
    EXPECT_TRUE(
        toDigits(FlueGasEnthbyNASATP(kelvin_, 298.15f, true, 0, 0, 100, 0, 0, 0, 0), "-8941.48"));
}

TEST_F(NasaGlenn, TemperatureLimitsOfTheGasEnthalpy) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::string low =
        "In enthalpy calculation acc. to NASA Glenn Coefficients, the gas temperature be greater "
        "than 200 oK.";
    const std::string high =
        "In enthalpy calculation acc. to NASA Glenn Coefficients, the gas temperature be less "
        "than 6000 oK.";
    struct Case {
        float T;
        const std::string* text;
    };
    const Case cases[] = {{200, &low},    {200.01f, nullptr}, {6000, &high}, {5999.9f, nullptr},
                          {-1e30f, &low}, {nan, &low},        {inf, &high},  {-inf, &low}};
    ASSERT_TRUE(tryFlueGasMoleWeight(true, 79, 21, 0, 0, 0, 0, 0));
    const FlueGasCompositionRecord air = FlueGasComposition;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.T);
        recorder_.clear();
        FlueGasComposition = air;
        const auto h = tryFlueGasEnthbyNASATP(kelvin_, c.T, true, 76, 4, 12, 0, 0.1f, 7, 0.9f);
        if (c.text) {
            EXPECT_FALSE(h.has_value());
            EXPECT_EQ(FlueGasEnthbyNASATP(kelvin_, c.T, true, 76, 4, 12, 0, 0.1f, 7, 0.9f), 0.0f);
            ASSERT_EQ(messages().size(), 2u);
            EXPECT_EQ(messages()[0].text, *c.text);
            EXPECT_EQ(messages()[0].caption, "Function FlueGasEnthbyNASATP");
            EXPECT_EQ(FlueGasComposition.MoleWeight, air.MoleWeight);  // untouched
        } else {
            ASSERT_TRUE(h.has_value());
            EXPECT_TRUE(std::isfinite(*h));
            EXPECT_TRUE(messages().empty());
        }
    }
    // The same limits hold in oC, and Korean has its own text.
    TW_Language = TW_Korean;
    recorder_.clear();
    EXPECT_EQ(FlueGasEnthbyNASATP(Unit(), -100.0f, true, 79, 21, 0, 0, 0, 0, 0), 0.0f);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(lastText(),
              "NASA Glenn Coefficients에 따른 엔탈피 계산에서, 가스 온도가 200 oK 보다 커야 "
              "합니다.");
}

TEST_F(NasaGlenn, OtherUnitsConvertSpeciesBySpecies) {
    const float kJ = gasEnthalpy(500);
    Unit metric;  // oC and kcal/kg
    const float kcal = FlueGasEnthbyNASATP(metric, 226.85f, true, 76, 4, 12, 0, 0.1f, 7, 0.9f);
    EXPECT_NEAR(kcal, kJ / 4.1868, 2e-4);
    EXPECT_NEAR(SpeciesProperties[index(GasComponent::N2)].cp, 1.055995 / 4.1868, 1e-6);
}

TEST_F(NasaGlenn, RefusedCompositionGivesNoEnthalpy) {
    EXPECT_FALSE(tryFlueGasEnthbyNASATP(kelvin_, 500, true, 80, 21, 0, -1, 0, 0, 0).has_value());
    EXPECT_EQ(FlueGasEnthbyNASATP(kelvin_, 500, true, 0, 0, 0, 0, 0, 0, 0), 0.0f);
}

}  // namespace

namespace {

// A mixture's seven species at one temperature leave SpeciesProperties bit for bit as the seven
// species routines do, each converting the temperature itself, in British and metric units; the
// enthalpies alone, and the gas enthalpy from them, are the same bits without the records.
TEST(NasaMixtureSpecies, MatchesTheSpeciesRoutinesOneByOne) {
    using Routine = void (*)(const Unit&, float);
    const std::array<Routine, 7> routines{NASA_CO2, NASA_CO, NASA_SO2, NASA_H2O,
                                          NASA_Ar,  NASA_N2, NASA_O2};
    struct Case {
        int uTP, uENTH, uENTRO;
        float T;
    };
    const Case cases[] = {{ktounit_degC, ktounit_kcalperkg, ktounit_kcalperkgK, 300.0f},
                          {ktounit_degF, ktounit_Btuperlb, ktounit_BtuperlbR, 77.0f},
                          {ktounit_degK, ktounit_kJperkg, ktounit_kJperkgK, 999.99f},
                          {ktounit_degR, ktounit_kcalperkg, ktounit_kJperkgK, 2700.3f},
                          {ktounit_degC, ktounit_kJperkg, ktounit_kcalperkgK, 5726.8f}};
    for (const Case& c : cases) {
        Unit unit;
        unit.setuTP(c.uTP);
        unit.setuENTH(c.uENTH);
        unit.setuENTRO(c.uENTRO);
        for (Routine r : routines) r(unit, c.T);
        const auto oneByOne = SpeciesProperties;
        // The enthalpies alone are the same bits, and leave the records untouched.
        const std::array<float, kGasComponentCount> h =
            nasaMixtureEnthalpies(unit, unit.CvtTP(c.uTP, ktounit_degK, c.T));
        for (std::size_t i = 0; i < oneByOne.size(); ++i) {
            EXPECT_EQ(std::bit_cast<std::uint32_t>(h[i]),
                      std::bit_cast<std::uint32_t>(oneByOne[i].h))
                << "T " << c.T << " species " << i;
        }
        // So is the gas enthalpy worked out from them, in both bases.
        for (const bool volume : {true, false}) {
            const std::array<float, kGasComponentCount> x{74.5f, 3.5f, 12, 0.02f, 0.1f, 9, 0.9f};
            const std::optional<float> full =
                tryFlueGasEnthbyNASATP(unit, c.T, volume, x[0], x[1], x[2], x[3], x[4], x[5], x[6]);
            const auto records = SpeciesProperties;
            SpeciesProperties = {};
            const std::optional<float> lean = tryNasaGasEnthalpy(unit, c.T, volume, x);
            ASSERT_TRUE(full && lean);
            EXPECT_EQ(std::bit_cast<std::uint32_t>(*lean), std::bit_cast<std::uint32_t>(*full));
            EXPECT_EQ(SpeciesProperties[0].cp, 0.0f);
            SpeciesProperties = records;
        }
        SpeciesProperties = {};
        nasaMixtureSpecies(unit, unit.CvtTP(c.uTP, ktounit_degK, c.T));
        for (std::size_t i = 0; i < oneByOne.size(); ++i) {
            SCOPED_TRACE(::testing::Message() << "T " << c.T << " species " << i);
            EXPECT_EQ(std::bit_cast<std::uint32_t>(SpeciesProperties[i].cp),
                      std::bit_cast<std::uint32_t>(oneByOne[i].cp));
            EXPECT_EQ(std::bit_cast<std::uint32_t>(SpeciesProperties[i].h),
                      std::bit_cast<std::uint32_t>(oneByOne[i].h));
            EXPECT_EQ(std::bit_cast<std::uint32_t>(SpeciesProperties[i].s),
                      std::bit_cast<std::uint32_t>(oneByOne[i].s));
        }
    }
}

}  // namespace

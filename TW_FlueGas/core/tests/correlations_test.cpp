// Enthalpy by ASME PTC 4.4 - 1981 and by B&W STEAM.

#include <limits>

#include "../src/BritishCurveTables.h"
#include "FlueGasTestSupport.h"
#include "tw/AutomationError.h"

using namespace tw;
using tw::testing::toDigits;

namespace {

using Enthalpy = float (*)(const Unit&, float, bool, float, float, float, float, float, float,
                           float);

class BritishCurves : public tw::testing::FlueGasTest {
  protected:
    BritishCurves() { unit_.setuENTH(ktounit_Btuperlb); }
    // The curve of one species: the gas of that species alone.
    float pure(Enthalpy f, GasComponent c, float T) {
        std::array<float, kGasComponentCount> x{};
        x[index(c)] = 100;
        return f(unit_, T, true, x[0], x[1], x[2], x[3], x[4], x[5], x[6]);
    }
    float flueGas(Enthalpy f, float T) { return f(unit_, T, true, 76, 4, 12, 0, 0.1f, 7, 0.9f); }
    Unit unit_;
};

struct CurveRow {
    float T;
    std::array<const char*, 6> h;  // CO2, SO2, O2, N2, H2O, CO
};
constexpr std::array<GasComponent, 6> kCurveSpecies = {GasComponent::CO2, GasComponent::SO2,
                                                       GasComponent::O2,  GasComponent::N2,
                                                       GasComponent::H2O, GasComponent::CO};

TEST_F(BritishCurves, Ptc44WorkedSpeciesValues) {
    unit_.setuTP(ktounit_degR);
    const CurveRow rows[] = {
        {536.67f, {"91.4958", "70.9841", "116.277", "133.0001", "236.2152", "133.0459"}},
        {1000, {"197.4328", "147.3976", "221.5856", "248.9151", "449.0876", "249.538"}},
        // H2O and CO at 2000 oR: the curves give 970.127778 and 522.953456, whose singles
        // are 970.1278 and 522.9534.
        {2000, {"477.7027", "342.993", "473.7805", "518.5872", "970.1278", "522.9534"}},
    };
    for (const auto& r : rows) {
        for (std::size_t i = 0; i < kCurveSpecies.size(); ++i) {
            SCOPED_TRACE(std::string(gasComponentName(kCurveSpecies[i])) + " at " +
                         std::to_string(r.T));
            EXPECT_TRUE(toDigits(pure(FlueGasEnthbyPTC4_4, kCurveSpecies[i], r.T), r.h[i]));
        }
    }
}

TEST_F(BritishCurves, Ptc44WorkedGasValues) {
    unit_.setuTP(ktounit_degR);
    EXPECT_TRUE(toDigits(flueGas(FlueGasEnthbyPTC4_4, 536.67f), "129.1264"));
    EXPECT_TRUE(toDigits(flueGas(FlueGasEnthbyPTC4_4, 900), "220.6657"));
    EXPECT_TRUE(toDigits(flueGas(FlueGasEnthbyPTC4_4, 1000), "246.8517"));
    EXPECT_TRUE(toDigits(flueGas(FlueGasEnthbyPTC4_4, 900) - flueGas(FlueGasEnthbyPTC4_4, 536.67f),
                         "91.539"));
    // In kJ/kg close to the NASA result for the same gas (212.07 kJ/kg).
    unit_.setuENTH(ktounit_kJperkg);
    EXPECT_NEAR(flueGas(FlueGasEnthbyPTC4_4, 900) - flueGas(FlueGasEnthbyPTC4_4, 536.67f), 212.9,
                0.05);
    EXPECT_TRUE(messages().empty());
}

TEST_F(BritishCurves, BnWWorkedSpeciesValues) {
    unit_.setuTP(ktounit_degF);
    const CurveRow rows[] = {
        {77, {"0.059", "0.0291", "-0.0308", "-0.0311", "-0.0577", "0.059"}},
        {440.33f, {"81.0797", "58.7674", "81.8501", "90.0372", "165.4588", "81.0797"}},
        {1000, {"228.49", "163.1307", "217.8767", "234.327", "440.04", "228.4761"}},
        {2000, {"527.0351", "367.8345", "480.1965", "513.9373", "1002.4045", "527.0015"}},
    };
    for (const auto& r : rows) {
        for (std::size_t i = 0; i < kCurveSpecies.size(); ++i) {
            SCOPED_TRACE(std::string(gasComponentName(kCurveSpecies[i])) + " at " +
                         std::to_string(r.T));
            EXPECT_TRUE(toDigits(pure(FlueGasEnthbyBnW, kCurveSpecies[i], r.T), r.h[i]));
        }
    }
}

TEST_F(BritishCurves, BnWWorkedGasValues) {
    unit_.setuTP(ktounit_degF);
    EXPECT_TRUE(toDigits(flueGas(FlueGasEnthbyBnW, 77), "-0.01599"));
    EXPECT_TRUE(toDigits(flueGas(FlueGasEnthbyBnW, 440.33f), "91.23309"));
    EXPECT_TRUE(
        toDigits(flueGas(FlueGasEnthbyBnW, 440.33f) - flueGas(FlueGasEnthbyBnW, 77), "91.249"));
}

TEST_F(BritishCurves, BnWBandsMeetAtTheirLimits) {
    unit_.setuTP(ktounit_degF);
    EXPECT_TRUE(toDigits(pure(FlueGasEnthbyBnW, GasComponent::N2, 499.9f), "104.9426"));
    EXPECT_TRUE(toDigits(pure(FlueGasEnthbyBnW, GasComponent::N2, 500), "104.9676"));
    // The curves of neighbouring bands meet at the band limits.
    for (std::size_t band = 0; band < detail::kBnWBandLimits.size(); ++band) {
        const double T = detail::kBnWBandLimits[band];
        for (const auto& curve : detail::kBnWCurveTable) {
            const auto h = [T](const detail::BnWCoefficients& k) {
                return T * T * k.a + T * k.b + k.c;
            };
            EXPECT_NEAR(h(curve[band]), h(curve[band + 1]), 1e-4) << "limit " << T;
        }
    }
}

TEST_F(BritishCurves, ArgonTakesTheNitrogenCurve) {
    for (Enthalpy f : {FlueGasEnthbyPTC4_4, FlueGasEnthbyBnW}) {
        for (float T : {80.0f, 400.0f, 1200.0f, 3000.0f}) {
            EXPECT_EQ(pure(f, GasComponent::Ar, T), pure(f, GasComponent::N2, T));
            EXPECT_EQ(f(unit_, T, false, 70, 10, 10, 0, 0, 5, 5),
                      f(unit_, T, false, 75, 10, 10, 0, 0, 5, 0));
        }
    }
    unit_.setuTP(ktounit_degF);
    EXPECT_EQ(pure(FlueGasEnthbyBnW, GasComponent::CO, 300),
              pure(FlueGasEnthbyBnW, GasComponent::CO2, 300));
}

TEST_F(BritishCurves, TemperatureLimits) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::string ptc =
        "In enthalpy calculation acc. to ASME PTC 4.4, the gas temperature be greater than "
        "absolute zero degree.";
    const std::string bnwC =
        "In enthalpy calculation acc. to B&W STEAM, the gas temperature be greater than "
        "-17.77778.";
    const std::string bnwK =
        "In enthalpy calculation acc. to B&W STEAM, the gas temperature be greater than  "
        "255.3722.";
    struct Case {
        Enthalpy f;
        int uTP;
        float T;
        const std::string* text;
        const char* caption;
    };
    const Case cases[] = {
        {FlueGasEnthbyPTC4_4, ktounit_degR, 0, &ptc, "Function FlueGasEnthbyPTC4_4"},
        {FlueGasEnthbyPTC4_4, ktounit_degC, -273.2f, &ptc, "Function FlueGasEnthbyPTC4_4"},
        {FlueGasEnthbyPTC4_4, ktounit_degF, -460, &ptc, "Function FlueGasEnthbyPTC4_4"},
        {FlueGasEnthbyPTC4_4, ktounit_degR, nan, &ptc, "Function FlueGasEnthbyPTC4_4"},
        {FlueGasEnthbyPTC4_4, ktounit_degC, -inf, &ptc, "Function FlueGasEnthbyPTC4_4"},
        {FlueGasEnthbyPTC4_4, ktounit_degR, inf, &ptc, "Function FlueGasEnthbyPTC4_4"},
        {FlueGasEnthbyPTC4_4, ktounit_degR, 0.01f, nullptr, nullptr},
        {FlueGasEnthbyBnW, ktounit_degC, -17.77778f, &bnwC, "Function FlueGasEnthbyBnW"},
        {FlueGasEnthbyBnW, ktounit_degK, 0, &bnwK, "Function FlueGasEnthbyBnW"},
        {FlueGasEnthbyBnW, ktounit_degC, nan, &bnwC, "Function FlueGasEnthbyBnW"},
        {FlueGasEnthbyBnW, ktounit_degC, inf, &bnwC, "Function FlueGasEnthbyBnW"},
        {FlueGasEnthbyBnW, ktounit_degF, 0.1f, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.caption ? c.caption : "accepted") + " " + std::to_string(c.T));
        recorder_.clear();
        FlueGasComposition = {};
        unit_.setuTP(c.uTP);
        const float h = c.f(unit_, c.T, true, 79, 21, 0, 0, 0, 0, 0);
        if (c.text) {
            EXPECT_EQ(h, 0.0f);
            ASSERT_EQ(messages().size(), 1u);
            EXPECT_EQ(messages()[0].text, *c.text);
            EXPECT_EQ(messages()[0].caption, c.caption);
            EXPECT_EQ(messages()[0].icon, MessageIcon::Critical);
            EXPECT_EQ(FlueGasComposition.MoleWeight, 0.0f);  // not normalised
        } else {
            EXPECT_TRUE(std::isfinite(h));
            EXPECT_NE(h, 0.0f);
            EXPECT_TRUE(messages().empty());
        }
    }
    // A finite temperature whose enthalpy is past the single range is an overflow.
    unit_.setuTP(ktounit_degF);
    EXPECT_THROW(flueGas(FlueGasEnthbyBnW, 1e30f), AutomationError);
    EXPECT_THROW(flueGas(FlueGasEnthbyPTC4_4, 1e30f), AutomationError);
}

TEST_F(BritishCurves, KoreanMessages) {
    TW_Language = TW_Korean;
    unit_.setuTP(ktounit_degC);
    EXPECT_EQ(flueGas(FlueGasEnthbyBnW, -20), 0.0f);
    EXPECT_EQ(lastText(),
              "B&W STEAM에 따른 엔탈피 계산에서, 가스 온도가 -17.77778 도 보다 커야 합니다.");
    EXPECT_EQ(flueGas(FlueGasEnthbyPTC4_4, -300), 0.0f);
    EXPECT_EQ(lastText(),
              "ASME PTC 4.4에 따른 엔탈피 계산에서, 가스 온도가 절대 0 도 보다 커야 합니다.");
    TW_Language = static_cast<enmLanguage>(2);
    recorder_.clear();
    EXPECT_EQ(flueGas(FlueGasEnthbyPTC4_4, -300), 0.0f);
    EXPECT_TRUE(messages().empty());
}

}  // namespace

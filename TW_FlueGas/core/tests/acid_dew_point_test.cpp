#include <limits>

#include "FlueGasTestSupport.h"

using namespace tw;
using tw::testing::toDigits;

namespace {

class AcidDewPoint : public tw::testing::FlueGasTest {
  protected:
    Unit celsius_;
};

TEST_F(AcidDewPoint, EquilibriumConversionRate) {
    EXPECT_TRUE(toDigits(SO3EquilibriumConstant(), "0.1722791"));
    struct Case {
        float SO2, O2;
        const char* rate;
    };
    const Case cases[] = {
        {0.1f, 4, "3.445581"},
        {0.1f, 3, "2.983961"},
        {0.1f, 100, "17.22791"},
        {0.05f, 4, "3.445581"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.O2);
        EXPECT_TRUE(toDigits(SO3ConversionRate(c.SO2, c.O2), c.rate));
    }
    // O2 21: the rate is K (0.21)^0.5 100 = 7.8948190; through the single roundings of pSO3
    // and SO2 / 100 it comes out as 7.894818 or 7.894819 depending on SO2.
    EXPECT_NEAR(SO3ConversionRate(0.1f, 21), 7.894818, 1.5e-6);
}

TEST_F(AcidDewPoint, ConversionRateUndefinedGivesNoValue) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, float> cases[] = {{0, 4}, {0.1f, -4}, {nan, 4}, {0.1f, inf}, {inf, 4}};
    for (auto [so2, o2] : cases) {
        SCOPED_TRACE(std::to_string(so2) + " " + std::to_string(o2));
        EXPECT_FALSE(trySO3ConversionRate(so2, o2).has_value());
        EXPECT_EQ(SO3ConversionRate(so2, o2), 0.0f);
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(AcidDewPoint, WorkedDewPoints) {
    EXPECT_EQ(OkkesAcidDewPoint(celsius_, 0.1f, 7, 4), 139.9f);
    EXPECT_EQ(VerhoffAcidDewPoint(celsius_, 0.1f, 7, 4), 146.8f);
    EXPECT_EQ(OkkesAcidDewPointAtConversion(celsius_, 0.1f, 7, 2), 135.0f);
    EXPECT_EQ(OkkesAcidDewPointAtConversion(celsius_, 0.1f, 7, 3.445581f), 139.9f);
    EXPECT_EQ(OkkesAcidDewPoint(celsius_, 0.05f, 10, 3), 136.7f);
    EXPECT_EQ(VerhoffAcidDewPoint(celsius_, 0.05f, 10, 3), 141.5f);
    // The user's rate feeds Verhoff and Banchero as it feeds Okkes.
    EXPECT_EQ(VerhoffAcidDewPointAtConversion(celsius_, 0.1f, 7, 3.445581f), 146.8f);
    EXPECT_LT(VerhoffAcidDewPointAtConversion(celsius_, 0.1f, 7, 2), 146.8f);
    EXPECT_TRUE(messages().empty());
}

TEST_F(AcidDewPoint, ResultsFollowTheTemperatureUnit) {
    Unit fahrenheit;
    fahrenheit.setuTP(ktounit_degF);
    EXPECT_NEAR(OkkesAcidDewPoint(fahrenheit, 0.1f, 7, 4), 283.82f, 1e-4);
    Unit kelvin;
    kelvin.setuTP(ktounit_degK);
    EXPECT_NEAR(VerhoffAcidDewPoint(kelvin, 0.1f, 7, 4), 146.8f + 273.15f, 1e-3);
}

TEST_F(AcidDewPoint, RefusedInputsGiveNoValue) {
    const std::string zero = "Volume percent of SO2, H2O and O2 each should be greater than 0.";
    const std::string invalid =
        "Volume percent of SO2, H2O and O2 each should be a finite number greater than 0.";
    const std::string invalidRate =
        "Volume percent of SO2 and H2O and the SO3 conversion rate each should be a finite "
        "number greater than 0.";
    const float nan = std::numeric_limits<float>::quiet_NaN();
    using Try = std::optional<float> (*)(const Unit&, float, float, float);
    struct Case {
        const char* what;
        Try f;
        float SO2, H2O, third;
        std::string expected;  // beginning of the message
    };
    const Case cases[] = {
        {"Okkes SO2 0", tryOkkesAcidDewPoint, 0, 7, 4, zero},
        {"Okkes O2 0", tryOkkesAcidDewPoint, 0.1f, 7, 0, zero},
        {"Verhoff H2O 0", tryVerhoffAcidDewPoint, 0.1f, 0, 4, zero},
        {"Okkes rate 0", tryOkkesAcidDewPointAtConversion, 0.1f, 7, 0, zero},
        {"Verhoff rate 0", tryVerhoffAcidDewPointAtConversion, 0.1f, 7, 0, zero},
        {"Okkes O2 negative", tryOkkesAcidDewPoint, 0.1f, 7, -4, invalid},
        {"Verhoff SO2 negative", tryVerhoffAcidDewPoint, -0.1f, 7, 4, invalid},
        {"Verhoff H2O NaN", tryVerhoffAcidDewPoint, 0.1f, nan, 4, invalid},
        {"Okkes rate negative", tryOkkesAcidDewPointAtConversion, 0.1f, 7, -2, invalidRate},
        {"Verhoff H2O negative", tryVerhoffAcidDewPointAtConversion, 0.1f, -7, 2, invalidRate},
        {"Okkes SO3 too low", tryOkkesAcidDewPoint, 0.00002f, 7, 4,
         "The SO3 partial pressure of 6.89"},
        {"Okkes SO3 too low at conversion", tryOkkesAcidDewPointAtConversion, 0.0001f, 7, 0.001f,
         "The SO3 partial pressure of"},
        {"Verhoff SO3 vanishes", tryVerhoffAcidDewPoint, 1e-45f, 7, 4,
         "The acid dew point cannot be calculated"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        recorder_.clear();
        EXPECT_FALSE(c.f(celsius_, c.SO2, c.H2O, c.third).has_value());
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].text.substr(0, c.expected.size()), c.expected);
        EXPECT_EQ(messages()[0].caption, "Acid Dew Point by Verhoff and Banchero Method");
        EXPECT_EQ(messages()[0].icon, MessageIcon::Critical);
    }
    // The published forms give 0 for the same inputs.
    EXPECT_EQ(OkkesAcidDewPoint(celsius_, 0.00002f, 7, 4), 0.0f);
    EXPECT_EQ(VerhoffAcidDewPoint(celsius_, -0.1f, 7, 4), 0.0f);
    // Just above the Okkes limit of 1e-8 atm (O2 4: SO2 above about 0.000029 %).
    EXPECT_TRUE(tryOkkesAcidDewPoint(celsius_, 0.00003f, 7, 4).has_value());
}

// The rate and both dew points at once give what the three calls give one after the other, on
// ordinary gases and on each refusal.
TEST_F(AcidDewPoint, AllAtOnceAsOneAfterTheOther) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float SO2, H2O, O2;
    };
    const Case cases[] = {{0.1f, 7, 4},      {0.05f, 10, 3}, {0.3f, 12, 21},   {0.00002f, 7, 4},
                          {1e-45f, 7, 4},    {0, 7, 4},      {0.1f, 0, 4},     {0.1f, -7, 4},
                          {0.1f, nan, 4},    {0.1f, 7, inf}, {3e38f, 7, 100},  {0.1f, 7, -4},
                          {0.1f, 1e-30f, 4}, {-0.0f, 7, 4},  {0.1f, 7, 1e-40f}};
    for (const Unit& unit : {celsius_, [] {
                                 Unit u;
                                 u.setuTP(ktounit_degF);
                                 return u;
                             }()}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.SO2) + " " + std::to_string(c.H2O) + " " +
                         std::to_string(c.O2));
            recorder_.clear();
            const AcidDewPoints d = tryAcidDewPoints(unit, c.SO2, c.H2O, c.O2);
            const auto together = messages();
            recorder_.clear();
            const auto rate = trySO3ConversionRate(c.SO2, c.O2);
            std::optional<float> okkes, verhoff;
            if (rate) {
                okkes = tryOkkesAcidDewPoint(unit, c.SO2, c.H2O, c.O2);
                verhoff = tryVerhoffAcidDewPoint(unit, c.SO2, c.H2O, c.O2);
            }
            EXPECT_EQ(d.so3ConversionRate, rate);
            EXPECT_EQ(d.okkes, okkes);
            EXPECT_EQ(d.verhoff, verhoff);
            ASSERT_EQ(together.size(), messages().size());
            for (std::size_t i = 0; i < together.size(); ++i) {
                EXPECT_EQ(together[i].text, messages()[i].text);
            }
        }
    }
}

TEST_F(AcidDewPoint, MessagesInTheProgramLanguage) {
    TW_Language = TW_Korean;
    EXPECT_EQ(OkkesAcidDewPoint(celsius_, 0, 7, 4), 0.0f);
    EXPECT_EQ(lastText(), "입력한 SO2, H2O 혹은 O2 Vol. % 값이 0 보다 커야 합니다.");
    recorder_.clear();
    TW_Language = static_cast<enmLanguage>(-1);
    EXPECT_EQ(VerhoffAcidDewPoint(celsius_, 0, 7, 4), 0.0f);
    EXPECT_TRUE(messages().empty());
}

}  // namespace

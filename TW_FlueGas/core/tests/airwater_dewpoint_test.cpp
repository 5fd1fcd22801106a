// Water dew point: saturation temperature at the partial pressure of H2O, in the user's units.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "mdlTW_FlueGas.h"
#include "tw/IF97.h"
#include "tw/MessageSink.h"

namespace {

using namespace tw;

class WaterDewPoint : public ::testing::Test {
  protected:
    void SetUp() override { saved = TW_Language; }
    void TearDown() override { TW_Language = saved; }
    RecordingMessageSink sink;
    ScopedMessageSink guard{sink};
    enmLanguage saved{};
};

TEST_F(WaterDewPoint, SevenPercentAtTheStandardAtmosphereIsTheIF97SaturationTemperature) {
    Unit unit;
    const float t = AirWaterDewPoint(unit, 7.0f, 1.0332f);
    const double ref = if97::saturationTemperature(0.072324 * 0.0980665) - 273.15;
    EXPECT_NEAR(t, ref, 0.02);
    EXPECT_TRUE(sink.messages().empty());
    std::printf("dew point at 7 %% H2O: %.5f oC, IF97 %.5f oC\n", t, ref);
}

TEST_F(WaterDewPoint, FollowsTheUsersUnitsIncludingGaugePressure) {
    Unit base;
    const float c = AirWaterDewPoint(base, 12.0f, 1.0332f);
    Unit unit;
    unit.setuTP(ktounit_degF);
    unit.setuPR(ktounit_psig);
    const float p = unit.CvtPR(ktounit_kgpercm2a, ktounit_psig, 1.0332f);  // about 0 psi g
    const float f = AirWaterDewPoint(unit, 12.0f, p);
    EXPECT_NEAR(f, unit.CvtTP(ktounit_degC, ktounit_degF, c), 0.01);
    unit.setuPR(ktounit_kPaa);
    EXPECT_NEAR(AirWaterDewPoint(unit, 12.0f, 101.325f), f, 0.01);
}

TEST_F(WaterDewPoint, BelowTheLimitWarnsAndReturnsZero) {
    struct Case {
        int unit;
        enmLanguage language;
        const char* text;
    };
    const Case cases[] = {
        {ktounit_degC, TW_English,
         "Water dew point of flue gas is lower than  1 oC, the minimum to be calculated by this "
         "sub-procedure.\nSince the water dew point is set at zero, please check the results."},
        {ktounit_degF, TW_English,
         "Water dew point of flue gas is lower than  33.8 oF, the minimum to be calculated by "
         "this sub-procedure.\nSince the water dew point is set at zero, please check the "
         "results."},
        {ktounit_degK, TW_Korean,
         "Flue Gas의 Water Dew Point가 본 프로그램의 계산 최저 온도인   274.15 K 보다 "
         "작습니다.\nFlue Gas의 Water Dew Point 값이 0 으로 설정되므로 계산 결과를 확인하시기 "
         "바랍니다."},
    };
    for (const Case& c : cases) {
        sink.clear();
        TW_Language = c.language;
        Unit unit;
        unit.setuTP(c.unit);
        EXPECT_EQ(AirWaterDewPoint(unit, 0.6f, 1.0332f), 0.0f);
        ASSERT_EQ(sink.messages().size(), 1u);
        EXPECT_EQ(sink.messages()[0].text, c.text);
        EXPECT_EQ(sink.messages()[0].caption, "Sub-procedure AirWaterDewPoint");
    }
    sink.clear();
    TW_Language = TW_English;
    Unit unit;
    EXPECT_GT(AirWaterDewPoint(unit, 0.65f, 1.0332f), 0.9f);  // just above the limit
    EXPECT_EQ(AirWaterDewPoint(unit, 0.0f, 1.0332f), 0.0f);
    EXPECT_EQ(AirWaterDewPoint(unit, NAN, 1.0332f), 0.0f);
    EXPECT_EQ(sink.messages().size(), 2u);
}

}  // namespace

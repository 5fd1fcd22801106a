#include "Units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "tw/AutomationError.h"

using namespace tw;
using namespace tw::units;

namespace {

int errorNumberOf(QuantityId q, int s, int t, float v) {
    try {
        convert(q, s, t, v);
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

TEST(UnitCatalogue, ListsHaveTheirPublishedLengths) {
    const std::pair<const char*, int> expected[] = {
        {"PR", 16},    {"dP", 16},     {"TP", 4},       {"SVOL", 6},     {"ENTH", 5},
        {"ENTRO", 5},  {"MFlow", 7},   {"VFlow", 9},    {"Vel", 6},      {"PDia", 2},
        {"Len", 9},    {"Visco", 6},   {"ViscoX", 6},   {"Area", 9},     {"Vol", 9},
        {"Mass", 10},  {"Force", 8},   {"Energy", 8},   {"Power", 10},   {"Density", 6},
        {"ThCond", 7}, {"HtTrans", 7}, {"HtResist", 7}, {"HtDensity", 7}};
    ASSERT_EQ(quantities().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_STREQ(quantities()[i].key, expected[i].first);
        EXPECT_EQ(quantities()[i].count(), expected[i].second) << expected[i].first;
    }
}

TEST(UnitCatalogue, EnumerationsMatchListIndexes) {
    EXPECT_EQ(ktounit_psig, 7);
    EXPECT_EQ(ktounit_ftH2Og, 15);
    EXPECT_EQ(ktounit_degK, 2);
    EXPECT_EQ(ktounit_K, 2);  // the selection control's spelling of the same value
    EXPECT_EQ(ktounit_psi, 6);
    EXPECT_EQ(ktounit_ftH2O, 14);
    EXPECT_EQ(ktounit_Btuperhr, 9);
    EXPECT_EQ(ktounit_UKton, 9);
    EXPECT_EQ(ktounit_inch_PDia, 1);
    // Every named row's constant name is kept beside its display string.
    EXPECT_STREQ(quantity(QuantityId::Mass).units[ktounit_slug].constant, "ktounit_slug");
    EXPECT_STREQ(quantity(QuantityId::dP).units[7].constant, "");
}

TEST(UnitCatalogue, DisplayStringsAndPresets) {
    EXPECT_STREQ(quantity(QuantityId::TP).units[0].display, "oC");
    EXPECT_STREQ(quantity(QuantityId::TP).units[3].display, "oR");
    EXPECT_STREQ(quantity(QuantityId::PR).units[8].display, "mmHg a(0 oC)");
    EXPECT_STREQ(quantity(QuantityId::dP).units[7].display, "psi");
    EXPECT_STREQ(quantity(QuantityId::ViscoX).units[5].display, "Redwood(30 oC)");
    EXPECT_EQ(findUnit(QuantityId::TP, "oF"), 1);
    EXPECT_EQ(findUnit(QuantityId::TP, "deg C"), std::nullopt);
    EXPECT_EQ(findQuantity("HtDensity"), QuantityId::HtDensity);
    EXPECT_EQ(findQuantity("pr"), std::nullopt);
    EXPECT_STREQ(systemNames()[3], "Mixed Units");
    // British keeps kW and the centipoise units; SI takes kN and the per-second flows.
    EXPECT_EQ(quantity(QuantityId::Power).presets, (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(quantity(QuantityId::Visco).presets, (std::array<int, 3>{0, 1, 0}));
    EXPECT_EQ(quantity(QuantityId::Force).presets, (std::array<int, 3>{0, 3, 1}));
    EXPECT_EQ(quantity(QuantityId::MFlow).presets, (std::array<int, 3>{0, 2, 1}));
}

TEST(UnitConversion, EqualIndexesReturnTheInputBitForBit) {
    const float odd = std::nextafter(1.0f / 3.0f, 1.0f);
    for (const QuantityInfo& q : quantities()) {
        for (int i = 0; i < q.count(); ++i) {
            const float r = convert(q.id, i, i, odd);
            EXPECT_EQ(std::memcmp(&r, &odd, sizeof r), 0) << q.key << " " << i;
        }
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(std::isnan(CvtTP(1, 1, nan)));
}

TEST(UnitConversion, InvalidIndexesGiveZero) {
    for (const QuantityInfo& q : quantities()) {
        EXPECT_EQ(convert(q.id, -1, 0, 5.0f), 0.0f) << q.key;
        EXPECT_EQ(convert(q.id, 0, q.count(), 5.0f), 0.0f) << q.key;
    }
    EXPECT_EQ(CvtPR(16, 0, 1.0f), 0.0f);
}

TEST(UnitConversion, PressureFamilies) {
    EXPECT_EQ(CvtPR(0, 1, 0), static_cast<float>(-1.0332274527998857));
    EXPECT_EQ(CvtPR(5, 4, 0), 101.325f);
    EXPECT_EQ(CvtPR(1, 3, 1), 0.980665f);  // gauge to gauge: no atmospheric term
    EXPECT_EQ(CvtPR(0, 7, 1.0332274527998857f),
              static_cast<float>(1.0332274527998857f * 14.223343307119562 - 14.69595));
    EXPECT_EQ(CvtPR(2, 4, 1), 100.0f);
    EXPECT_EQ(CvtPR(8, 10, 25.4f), 1.0f);
    EXPECT_EQ(CvtPR(15, 12, 0), static_cast<float>(33.95700286073792 * 0.3048));
    EXPECT_EQ(CvtdP(6, 7, 3.5f), 3.5f);
    EXPECT_EQ(CvtdP(0, 4, 1), 98.0665f);
    EXPECT_EQ(CvtdP(1, 5, 1), 98.0665f);  // slots 2k and 2k+1 alike
}

TEST(UnitConversion, Temperature) {
    EXPECT_EQ(CvtTP(0, 1, 100), 212.0f);
    EXPECT_EQ(CvtTP(3, 2, 491.67f), 273.15f);
    EXPECT_EQ(CvtTP(1, 0, 0), static_cast<float>(-32 / 1.8));
    EXPECT_EQ(CvtTP(2, 1, 0), -459.67f);
    EXPECT_EQ(CvtTP(0, 3, 0), static_cast<float>(273.15 * 1.8));
}

TEST(UnitConversion, LinearFactorsAndDirectRatios) {
    EXPECT_EQ(CvtHtTrans(0, 2, 1), 1.163f);
    EXPECT_EQ(CvtHtTrans(0, 2, 1), CvtThCond(0, 2, 1));
    EXPECT_EQ(CvtHtResist(0, 2, 1), static_cast<float>(1 / 1.163));
    EXPECT_EQ(CvtENTH(1, 2, 2.326f), 1.0f);
    EXPECT_EQ(CvtEnergy(1, 2, 1), 1.05505585262f);
    EXPECT_EQ(CvtSVOL(1, 3, 1), 1728.0f);
    EXPECT_EQ(CvtVol(6, 4, 1), 231.0f);
    EXPECT_EQ(CvtLen(1, 5, 1), 12.0f);
    EXPECT_EQ(CvtArea(8, 1, 1), 43560.0f);
    EXPECT_EQ(CvtMass(0, 1, 0.45359237f), 1.0f);
    EXPECT_EQ(CvtPDia(1, 0, 2), 50.8f);
    EXPECT_EQ(CvtVisco(0, 1, 1), 0.001f);
    EXPECT_EQ(CvtViscoX(1, 2, 1), static_cast<float>(1 / (0.3048 * 0.3048)));
}

TEST(UnitConversion, EmpiricalViscosityScales) {
    EXPECT_EQ(CvtViscoX(0, 3, 1), 17.783f);
    EXPECT_EQ(CvtViscoX(0, 4, 60),
              static_cast<float>(60 * 4.6347 * static_cast<float>(1 + 0.000064 * 110)));
    EXPECT_EQ(CvtViscoX(0, 5, 60), 244.8f);
    EXPECT_EQ(CvtViscoX(0, 5, 2), 31.0f);
    EXPECT_EQ(CvtViscoX(0, 3, 1.8f),
              1.8f * 17.783f);  // the float threshold itself is in the first band
    // Thresholds follow the value being converted: 31 Redwood seconds sit in the top band.
    EXPECT_EQ(CvtViscoX(5, 0, 31), static_cast<float>(31 / 4.13));
    // m2/s reaches an empirical scale through cSt rounded to single.
    EXPECT_EQ(CvtViscoX(1, 5, 0.000002f), 31.0f);
    // Between two empirical scales the value passes through cSt in single precision.
    const float cst = static_cast<float>(100 / 4.6347 / 1.0);
    EXPECT_EQ(CvtViscoX(3, 5, 100), static_cast<float>(cst * 4.3));
}

TEST(UnitConversion, FloatingPointFaultsRaiseTheAutomationError) {
    const float big = std::numeric_limits<float>::max() / 2;
    EXPECT_EQ(errorNumberOf(QuantityId::Mass, 0, 2, big), 6);
    EXPECT_EQ(errorNumberOf(QuantityId::TP, 0, 1, std::numeric_limits<float>::infinity()), 6);
    EXPECT_EQ(errorNumberOf(QuantityId::Len, 0, 1, std::numeric_limits<float>::quiet_NaN()), 5);
    EXPECT_EQ(errorNumberOf(QuantityId::Mass, 2, 0, big), 0);  // to a smaller unit is fine
}

// The double conversion is the float one without its last rounding: the same figure to float
// precision, exact decimal figures where the arithmetic gives them, and no overflow.
TEST(UnitConversion, DoubleConversionKeepsDoublePrecision) {
    struct Case {
        QuantityId q;
        int from, to;
        double value, expected;
    };
    const Case cases[] = {
        {QuantityId::TP, ktounit_degC, ktounit_degK, 25, 298.15},
        {QuantityId::TP, ktounit_degF, ktounit_degC, 212, 100},
        {QuantityId::PR, ktounit_kPag, ktounit_kPaa, 0, 101.325},
        {QuantityId::PR, ktounit_bara, ktounit_kPaa, 1.5, 150},
        {QuantityId::Visco, ktounit_Pasec, ktounit_cP, 1.8e-5, 0.018},
        {QuantityId::ENTH, ktounit_kJperkg, ktounit_kcalperkg, 4.1868, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(quantity(c.q).key);
        const double d = convertDouble(c.q, c.from, c.to, c.value);
        EXPECT_NEAR(d, c.expected, 1e-12 * std::fabs(c.expected) + 1e-13);
        EXPECT_FLOAT_EQ(static_cast<float>(d),
                        convert(c.q, c.from, c.to, static_cast<float>(c.value)));
    }
    EXPECT_GT(convertDouble(QuantityId::Mass, 0, 2, 1e300), 1e300);  // no float overflow
    EXPECT_EQ(convertDouble(QuantityId::TP, 0, 99, 1), 0.0);
    EXPECT_TRUE(std::isnan(convertDouble(QuantityId::TP, 0, 2, std::nan(""))));
}

// A conversion looked up once gives what convert gives for every quantity and pair of indexes
// (one outside each list included), bit for bit, and raises the same faults.
TEST(UnitConversion, ConversionLookedUpOnceMatchesConvert) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    const float values[] = {0.0f,   -0.0f,   1.0f,     -17.5f, 123.456f, 2.675f,
                            1e-30f, 3.4e38f, -3.4e38f, kInf,   -kInf,    std::nanf("")};
    for (const QuantityInfo& q : quantities()) {
        for (int s = -1; s <= q.count(); ++s) {
            for (int t = -1; t <= q.count(); ++t) {
                const Conversion once(q.id, s, t);
                for (float v : values) {
                    SCOPED_TRACE(::testing::Message()
                                 << q.key << " " << s << " -> " << t << " of " << v);
                    float expected = 0, got = 0;
                    int expectedError = 0, gotError = 0;
                    try {
                        expected = convert(q.id, s, t, v);
                    } catch (const AutomationError& e) {
                        expectedError = e.number();
                    }
                    try {
                        got = once(v);
                    } catch (const AutomationError& e) {
                        gotError = e.number();
                    }
                    EXPECT_EQ(gotError, expectedError);
                    EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0)
                        << got << " " << expected;
                }
            }
        }
    }
}

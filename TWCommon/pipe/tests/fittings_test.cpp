#include "tw/Fittings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "tw/MessageSink.h"
#include "tw/Pipe.h"

using namespace tw;

namespace {

constexpr float kFT = 0.017f;  // fully turbulent friction factor of a 100 mm pipe

struct FittingFixture : ::testing::Test {
    RecordingMessageSink recorder;
    ScopedMessageSink guard{recorder};
    Pipe pipe;

    float K(std::int32_t kind, float p1, float p2 = 0, float D = 100) {
        return pipe.FtgK(kind, p1, p2, kFT, D);
    }
};

TEST(FittingCatalogue, HasFortyEightKindsInEnumerationOrder) {
    ASSERT_EQ(kFittingCount, 48);
    std::set<std::string> names;
    for (int i = 0; i < kFittingCount; ++i) {
        EXPECT_EQ(kFittingCatalogue[static_cast<std::size_t>(i)].value, i);
        names.insert(kFittingCatalogue[static_cast<std::size_t>(i)].displayName);
    }
    EXPECT_EQ(names.size(), 48u);
    EXPECT_EQ(Cone_type_Strainer, 47);
    EXPECT_EQ(Orifice, 43);
    EXPECT_STREQ(kFittingCatalogue[Bend_5d].displayName, "90o Bend/Elbow r/d = 5");
    EXPECT_STREQ(kFittingCatalogue[Stop_Check_Cage_Incl_Stem_Globe].displayName,
                 "Stop-Check Valve(Cage-Guided Incl-Stem Globe)");
    EXPECT_EQ(findFittingByName("Globe_Std"), Globe_Std);
    EXPECT_FALSE(findFittingByName("Globe").has_value());
}

using FittingK = FittingFixture;

TEST_F(FittingK, PlainAndFixedCoefficients) {
    struct Case {
        enmVF kind;
        double expected;
    };
    for (const Case c : {Case{Swing_Check_Std, 50 * kFT}, Case{FootVV_Poppet, 420 * kFT},
                         Case{Mitre_45o, 15 * kFT}, Case{Threaded_Tee_Branchflow, 60 * kFT},
                         Case{Pipe_Entrance_Sharpedge, 0.5}, Case{Pipe_Entrance_Flushed, 0.04},
                         Case{Pipe_Exit, 1.0}, Case{UserDefinedFitting_K, 3.3}, Case{Reducer, 0},
                         Case{Increaser, 0}, Case{UserDefinedFitting_dP, 0}, Case{Orifice, 0},
                         Case{Nozzle_Venturi, 0}}) {
        EXPECT_FLOAT_EQ(K(c.kind, c.kind == UserDefinedFitting_K ? 3.3f : 0.5f), c.expected)
            << kFittingCatalogue[c.kind].name;
    }
    // The exit loss does not involve fT.
    float p2 = 0;
    EXPECT_EQ(pipe.FtgK(Pipe_Exit, 0, p2, 0.5f, 100), 1.0f);
    // Kinds outside the catalogue have no K.
    EXPECT_EQ(K(48, 0.5f), 0);
    EXPECT_EQ(K(-1, 0.5f), 0);
    EXPECT_TRUE(recorder.messages().empty());
}

TEST_F(FittingK, ReducedSeatValves) {
    // A full-bore valve is the plain multiple whatever the taper angle.
    for (const float theta : {0.0f, 30.0f, 90.0f}) EXPECT_FLOAT_EQ(K(Gate, 1, theta), 8 * kFT);
    EXPECT_FLOAT_EQ(K(Ball, 1, 60), 3 * kFT);
    // Just below full bore the reduced-seat formula already applies.
    const float b = std::nextafter(1.0f, 0.0f);
    const double s = std::sin(30 * 0.01745329 / 2);
    const double b2 = static_cast<double>(b) * b;
    EXPECT_FLOAT_EQ(K(Gate, b, 30), 8 * kFT / (b2 * b2) + 0.8 * s * (1 - b2) / (b2 * b2) +
                                        2.6 * s * (1 - b2) * (1 - b2) / (b2 * b2));
    // Globe at beta 0.5: 340 fT 16 + 0.5 (0.5 0.75 16 + 0.5625 16) = 5440 fT + 7.5.
    EXPECT_NEAR(K(Globe_Std, 0.5f), 5440 * kFT + 7.5, 1e-4);
    // Plug valves take the seat terms without the beta factor.
    EXPECT_NEAR(K(Plug_StraightWay, 0.5f), 18 * kFT * 16 + 15, 1e-4);
    // Sudden gate taper (theta > 45) at beta 0.5 and 60 degrees.
    const double s60 = std::sin(60 * 0.01745329 / 2);
    EXPECT_NEAR(K(Gate, 0.5f, 60), 8 * kFT * 16 + 0.5 * 0.75 * std::sqrt(s60) * 16 + 9, 1e-4);
}

TEST_F(FittingK, BetaOfZeroOrLessIsRefused) {
    pipe.setTW_Language(TW_English);
    for (const enmVF kind :
         {Gate, Globe_Std, Ball, Plug_3Way_Thrubranch, Orifice, Nozzle_Venturi}) {
        recorder.clear();
        EXPECT_EQ(K(kind, 0), 0);
        ASSERT_EQ(recorder.messages().size(), 1u) << kFittingCatalogue[kind].name;
        EXPECT_EQ(recorder.messages()[0].text,
                  "The diameter ratio(Beta) of valve should be larger than zero.");
    }
    // Kinds without a seat ratio ignore Para1.
    recorder.clear();
    EXPECT_FLOAT_EQ(K(Swing_Check_Y, -3), 100 * kFT);
    EXPECT_TRUE(recorder.messages().empty());
}

TEST_F(FittingK, DiameterClasses) {
    struct Case {
        float D;
        double butterfly, tilting5, tilting15;
    };
    for (const Case c : {Case{200, 45, 40, 120}, Case{200.1f, 35, 30, 90}, Case{350, 35, 30, 90},
                         Case{351, 25, 20, 60}}) {
        EXPECT_FLOAT_EQ(K(Butterfly, 0, 0, c.D), c.butterfly * kFT) << c.D;
        EXPECT_FLOAT_EQ(K(Tilting_Check_5deg, 0, 0, c.D), c.tilting5 * kFT) << c.D;
        EXPECT_FLOAT_EQ(K(Tilting_Check_15deg, 0, 0, c.D), c.tilting15 * kFT) << c.D;
    }
    // The class follows the diameter in mm whatever the unit it is given in.
    pipe.setuPDia(ktounit_inch_PDia);
    EXPECT_FLOAT_EQ(K(Butterfly, 0, 0, 10), 35 * kFT);
    EXPECT_FLOAT_EQ(K(Butterfly, 0, 0, 14), 25 * kFT);
}

TEST_F(FittingK, BendsInSeries) {
    EXPECT_FLOAT_EQ(K(Bend_ShortRadius, 1), 20 * kFT);
    EXPECT_FLOAT_EQ(K(Bend_ShortRadius, 3), 41.57f * kFT);
    EXPECT_FLOAT_EQ(K(Bend_LongRadius, 2), (0.785 * 1.5 + 9 + 18) * kFT);
    EXPECT_FLOAT_EQ(K(Bend_5d, 2), (0.785 * 2 + 8 + 16) * kFT);
}

TEST_F(FittingK, StrainerScreenRule) {
    auto polynomial = [](double p1) {
        return -0.00000125 * p1 * p1 * p1 + 0.0002417 * p1 * p1 - 0.0053 * p1 + 1.12;
    };
    struct Case {
        enmVF kind;
        float p1, p2;
        double expected;
    };
    for (const Case c : {Case{Basket_Y_type_Strainer, 10, 0, 0.7 * 4.627 * 1.1},
                         Case{T_type_Strainer, 130, 0, 0.85 * 4.627 * 1.8},
                         Case{Cone_type_Strainer, 20, 0, 4.627 * polynomial(20)},
                         Case{Cone_type_Strainer, 120, 50, 4.627 * polynomial(120) / 0.25},
                         Case{Basket_Y_type_Strainer, 19.9f, 0, 0.7 * 4.627 * 1.1},
                         Case{Basket_Y_type_Strainer, 120.1f, 0, 0.7 * 4.627 * 1.8}}) {
        float p2 = c.p2;
        EXPECT_FLOAT_EQ(pipe.FtgK(c.kind, c.p1, p2, kFT, 100), c.expected) << c.p1;
        EXPECT_EQ(p2, c.p2);
    }
    // A percentage of 100 or more is held at 99 in the caller's variable.
    for (const float full : {100.0f, 250.0f}) {
        float p2 = full;
        EXPECT_FLOAT_EQ(pipe.FtgK(Cone_type_Strainer, 10, p2, kFT, 100), 4.627 * 1.1 / 0.0001);
        EXPECT_EQ(p2, 99);
    }
}

}  // namespace

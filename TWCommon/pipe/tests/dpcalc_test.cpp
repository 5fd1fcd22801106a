#include "tw/dPCalc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tw/AutomationError.h"
#include "tw/Format.h"
#include "tw/MessageSink.h"

using namespace tw;

namespace {

struct CalcFixture : ::testing::Test {
    RecordingMessageSink recorder;
    ScopedMessageSink guard{recorder};
    dPCalc calc;
    Pipe reference;  // the same formulas, for cross-checks

    // 36 t/hr of water in a 100 mm commercial steel pipe.
    void water() {
        calc.seti_MFlow(36000);
        calc.seti_PipeID(100);
        calc.seti_AbsRough(0.0457f);
        calc.seti_SVOLin(0.001f);
        calc.seti_Viscoin(1);
        calc.seti_ViscoXin(1);
        calc.seti_Liquid(true);
    }
    float number(const std::string& text) { return std::stof(text); }
};

using StraightRun = CalcFixture;

TEST_F(StraightRun, TenMetreRiseWithWaterAddsOneKgPerCm2) {
    water();
    calc.seti_InNorth(5);
    calc.seti_OutNorth(5);
    calc.seti_OutUp(10);
    const float total = calc.fun_dPPipe();
    EXPECT_FLOAT_EQ(calc.PipeLen(), 10);
    EXPECT_FLOAT_EQ(calc.PipeElevDiff(), 10);
    EXPECT_FLOAT_EQ(calc.PipeElevDiffdP(), 1);
    EXPECT_FLOAT_EQ(total, calc.PipeLendP() + 1);
    EXPECT_FLOAT_EQ(calc.PipeRe(), 127440);
    EXPECT_FLOAT_EQ(calc.PipeVel(), 1.2744f);
    float re = 127440;
    EXPECT_EQ(calc.Pipef(), reference.f(100, 0.0457f, re));
    EXPECT_EQ(calc.PipefT(), shortestFloat(reference.fT(100, 0.0457f)));
    // The run's K is f L / D.
    EXPECT_FLOAT_EQ(calc.PipeLenK(), calc.Pipef() * 10 * 1000 / 100);
    EXPECT_TRUE(recorder.messages().empty());

    // Falling back down: negative static drop.
    calc.seti_InUp(10);
    calc.seti_OutUp(0);
    calc.fun_dPPipe();
    EXPECT_FLOAT_EQ(calc.PipeElevDiffdP(), -1);
}

TEST_F(StraightRun, RunLengthFromThreeCoordinates) {
    water();
    calc.seti_OutNorth(30);
    calc.seti_OutEast(40);
    calc.seti_InUp(-2);
    calc.seti_OutUp(-2);
    calc.fun_dPPipe();
    EXPECT_FLOAT_EQ(calc.PipeLen(), 50);
    EXPECT_EQ(calc.PipeElevDiffdP(), 0);
    // Coincident ends: no length, no drop, no K.
    calc.seti_OutNorth(0);
    calc.seti_OutEast(0);
    EXPECT_EQ(calc.fun_dPPipe(), 0);
    EXPECT_EQ(calc.PipeLen(), 0);
    EXPECT_EQ(calc.PipeLendP(), 0);
    EXPECT_EQ(calc.PipeLenK(), 0);
}

TEST_F(StraightRun, TransitionFlowKeepsReynolds2000AndWarnsInKorean) {
    water();
    calc.setTW_Language(TW_English);
    calc.seti_MFlow(3000 * 100 / 354.0f);  // Re = 3000
    calc.fun_dPPipe();
    EXPECT_EQ(calc.PipeRe(), 2000);
    EXPECT_FLOAT_EQ(calc.Pipef(), 0.032f);
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(
        recorder.messages()[0].text.rfind("Friction factor 계산을 위한 Reynolds no. 가 \n", 0), 0u);
}

TEST_F(StraightRun, RefusedInputsLeaveTheResults) {
    water();
    calc.setTW_Language(TW_English);
    calc.seti_OutUp(10);
    const float first = calc.fun_dPPipe();
    ASSERT_GT(first, 1);
    struct Case {
        void (dPCalc::*set)(float);
        const char* english;
    };
    for (const Case c :
         {Case{&dPCalc::seti_PipeID, "Pipe ID should be larger than zero."},
          Case{&dPCalc::seti_Viscoin, "Absolute viscosity should be larger than zero."},
          Case{&dPCalc::seti_SVOLin, "Specific volume should be larger than zero."}}) {
        water();
        (calc.*c.set)(0);
        recorder.clear();
        EXPECT_EQ(calc.fun_dPPipe(), 0);
        ASSERT_EQ(recorder.messages().size(), 1u);
        EXPECT_EQ(recorder.messages()[0].text, c.english);
        EXPECT_FLOAT_EQ(calc.PipeElevDiffdP(), 1);
        EXPECT_FLOAT_EQ(calc.PipeLendP() + calc.PipeElevDiffdP(), first);
    }
    // An error raised inside the formulas also leaves the previous results.
    water();
    calc.seti_AbsRough(-1);
    EXPECT_THROW(calc.fun_dPPipe(), AutomationError);
    EXPECT_FLOAT_EQ(calc.PipeLendP() + calc.PipeElevDiffdP(), first);
}

using FittingGroup = CalcFixture;

TEST_F(FittingGroup, ReducerTakesTheSuddenTermAboveFortyFiveDegrees) {
    water();
    calc.seti_FtgNo(Reducer);
    calc.seti_PipeID_DownStream(50);
    calc.seti_FtgQty(1);
    // 100 -> 50 mm over 25 mm: theta = 90 degrees.
    calc.seti_FtgPara1(25);
    calc.fun_dPFtgT();
    const double sudden = 0.5 * 0.75 * std::sqrt(std::sin(90 * 0.01745329 / 2)) * 16;
    EXPECT_NEAR(number(calc.FittingK()), sudden, 1e-5);
    EXPECT_EQ(calc.dPFtg(),
              shortestFloat(reference.dPDarcyK(number(calc.FittingK()), 36000, 100, 0.001f)));
    // Over 200 mm: theta = 14.25 degrees, gradual.
    calc.seti_FtgPara1(200);
    calc.fun_dPFtgT();
    const double theta = 2 * std::atan(25.0 / 200) * 180 / M_PI;
    EXPECT_NEAR(theta, 14.25, 0.01);
    EXPECT_NEAR(number(calc.FittingK()), 0.8 * std::sin(theta * M_PI / 360) * 0.75 * 16, 1e-5);
}

TEST_F(FittingGroup, IncreaserDropIsTheBordaCarnotLoss) {
    water();
    calc.seti_FtgNo(Increaser);
    calc.seti_PipeID(50);
    calc.seti_PipeID_DownStream(100);
    calc.seti_FtgPara1(10);
    calc.seti_FtgQty(1);
    calc.fun_dPFtgT();
    // K of a sudden enlargement referred to the larger pipe: (1 - 0.25)^2 / 0.0625 = 9.
    EXPECT_FLOAT_EQ(number(calc.FittingK()), 9);
    // rho (V1 - V2)^2 / 2: V1 = 5.0976 m/s in 50 mm, V2 = 1.2744 m/s in 100 mm, in kg/cm2.
    const double dV = 5.0976 - 1.2744;
    const double bordaCarnot = 1000 * dV * dV / 2 / 98066.5;
    EXPECT_NEAR(number(calc.dPFtg()), bordaCarnot, bordaCarnot * 0.005);
}

TEST_F(FittingGroup, GroupOfNFittings) {
    water();
    calc.seti_FtgNo(Pipe_Exit);
    const float perFitting = reference.dPDarcyK(1, 36000, 100, 0.001f);
    EXPECT_EQ(calc.fun_dPFtgT(), 0);  // quantity 0 at creation
    EXPECT_EQ(calc.FittingK(), "1");
    EXPECT_EQ(calc.FittingKT(), "0");
    EXPECT_EQ(calc.dPFtg(), shortestFloat(perFitting));
    calc.seti_FtgQty(4);
    EXPECT_FLOAT_EQ(calc.fun_dPFtgT(), 4 * perFitting);
    EXPECT_EQ(calc.FittingKT(), "4");

    // User-defined drop: the drop per fitting is Para1, K follows from it.
    calc.seti_FtgNo(UserDefinedFitting_dP);
    calc.seti_FtgPara1(0.05f);
    calc.seti_FtgQty(3);
    EXPECT_FLOAT_EQ(calc.fun_dPFtgT(), 0.15f);
    EXPECT_EQ(calc.dPFtg(), "0.05");
    EXPECT_EQ(calc.FittingK(), shortestFloat(reference.KfordP(0.05f, 36000, 100, 0.001f)));
}

TEST_F(FittingGroup, StrainerWritesTheHeldPercentageBack) {
    water();
    calc.seti_FtgNo(T_type_Strainer);
    calc.seti_FtgPara1(50);
    calc.seti_FtgPara2(100);
    calc.seti_FtgQty(1);
    const float drop = calc.fun_dPFtgT();
    EXPECT_EQ(calc.i_FtgPara2(), 99);
    float p2 = 99;
    const float K = reference.FtgK(T_type_Strainer, 50, p2, number(calc.PipefT()), 100);
    EXPECT_EQ(calc.FittingK(), shortestFloat(K));
    EXPECT_FLOAT_EQ(drop, reference.dPStrainer(K, 36000, 100, 0.001f, 1));
}

TEST_F(FittingGroup, LiquidMeters) {
    water();
    calc.seti_FtgQty(1);
    calc.seti_FtgPara1(0.5f);
    calc.seti_FtgNo(Orifice);
    calc.fun_dPFtgT();
    const double cOrifice = 0.58925 + 0.2725 * 0.5 - 0.825 * 0.25 + 1.758 * 0.125;
    EXPECT_NEAR(number(calc.FittingK()), 1 / (cOrifice * cOrifice) / 0.0625, 1e-4);
    calc.seti_FtgNo(Nozzle_Venturi);
    calc.fun_dPFtgT();
    const double cNozzle = 0.98 / std::sqrt(1 - 0.0625);
    const double R = 1.09 - 0.734 * 0.5 - 0.333 * 0.25;
    EXPECT_NEAR(number(calc.FittingK()), R / (cNozzle * cNozzle) / 0.0625, 1e-4);
    EXPECT_TRUE(recorder.messages().empty());
}

TEST_F(FittingGroup, GasMeters) {
    calc.seti_MFlow(2000);
    calc.seti_PipeID(100);
    calc.seti_SVOLin(0.085f);
    calc.seti_PRin(10);
    calc.seti_FtgPara1(0.5f);
    calc.seti_FtgQty(2);
    calc.seti_FtgNo(Orifice);
    calc.seti_Isen_exp_k(1.4f);
    const float drop = calc.fun_dPFtgT();
    const float single = reference.OrificeGasdP(2000, 10, 100, 0.085f, 0.5f, 1.4f);
    EXPECT_FLOAT_EQ(drop, 2 * single);
    EXPECT_EQ(calc.FittingK(), shortestFloat(reference.KfordP(single, 2000, 100, 0.085f)));

    // k = 1 passes the calculator and is refused by the orifice formula, in Korean.
    calc.setTW_Language(TW_English);
    calc.seti_Isen_exp_k(1);
    recorder.clear();
    EXPECT_EQ(calc.fun_dPFtgT(), 0);
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].text, "등엔특로피 지수(= 비열비) k 값이 1보다 커야 합니다.");
    EXPECT_EQ(calc.dPFtg(), "0");

    // Critical flow: -1 per fitting, -n in all.
    calc.seti_Isen_exp_k(1.4f);
    calc.seti_MFlow(1e7f);
    recorder.clear();
    EXPECT_EQ(calc.fun_dPFtgT(), -2);
    EXPECT_EQ(calc.dPFtg(), "-1");
    EXPECT_EQ(calc.FittingK(), shortestFloat(reference.KfordP(-1, 1e7f, 100, 0.085f)));
    calc.seti_FtgNo(Nozzle_Venturi);
    EXPECT_EQ(calc.fun_dPFtgT(), -2);
    ASSERT_EQ(recorder.messages().size(), 2u);
    EXPECT_EQ(
        recorder.messages()[1].text.rfind("< Critical Error by Nozzle >\n\n\t주어진 Nozzle", 0),
        0u);
}

TEST_F(FittingGroup, ChecksInOrder) {
    calc.setTW_Language(TW_English);
    struct Case {
        enmVF kind;
        void (*prepare)(dPCalc&);
        const char* english;
        MessageIcon icon;
        float result;
    };
    const Case cases[] = {
        {Reducer, [](dPCalc&) {},
         "The length of reducer/increaser(Para 1) should be larger than zero.",
         MessageIcon::Critical, 0},
        {Increaser, [](dPCalc& c) { c.seti_FtgPara1(10); },
         "The inlet ID of reducer/increaser(PipeID) should be larger than zero.",
         MessageIcon::Critical, 0},
        {Reducer,
         [](dPCalc& c) {
             c.seti_FtgPara1(10);
             c.seti_PipeID(100);
         },
         "The downstream ID of reducer/increaser(PipeID_Downstream) should be larger than zero.",
         MessageIcon::Critical, 0},
        {Globe_Std, [](dPCalc&) {}, "The diameter ratio of valve(Beta) should be larger than zero.",
         MessageIcon::Critical, 0},
        {Cone_type_Strainer, [](dPCalc&) {},
         "The kinematic viscosity for strainer should be larger than zero.", MessageIcon::Critical,
         0},
        {Nozzle_Venturi,
         [](dPCalc& c) {
             c.seti_FtgPara1(0.5f);
             c.seti_Isen_exp_k(0.9f);
         },
         "The isentropic exponent(k) should be larger than 1.", MessageIcon::Critical, 0},
        {Orifice,
         [](dPCalc& c) {
             c.seti_FtgPara1(0.5f);
             c.seti_Isen_exp_k(1.4f);
         },
         "The inlet absolute pressure should be larger than zero.\nPlease check the result.",
         MessageIcon::Exclamation, 0},
        {Gate, [](dPCalc&) {}, "The mass flow rate should be larger than zero.",
         MessageIcon::Critical, 0},
        {Gate, [](dPCalc& c) { c.seti_MFlow(100); },
         "The specific volume should be larger than zero.", MessageIcon::Critical, 0},
    };
    for (const Case& c : cases) {
        dPCalc fresh;
        fresh.setTW_Language(TW_English);
        fresh.seti_FtgNo(c.kind);
        if (c.kind == Gate) fresh.seti_FtgPara1(1);
        c.prepare(fresh);
        recorder.clear();
        EXPECT_EQ(fresh.fun_dPFtgT(), c.result) << c.english;
        ASSERT_GE(recorder.messages().size(), 1u) << c.english;
        EXPECT_EQ(recorder.messages()[0].text, c.english);
        EXPECT_EQ(recorder.messages()[0].icon, c.icon);
    }
}

TEST(FittingNames, DisplayNamesAndSubscriptError) {
    const dPCalc calc;
    EXPECT_EQ(calc.strVF(0), "Reducer");
    EXPECT_EQ(calc.strVF(29), "90o Bend/Elbow r/d = 1");
    EXPECT_EQ(calc.strVF(47), "Cone-type Strainer");
    for (const int bad : {48, -1}) {
        try {
            calc.strVF(bad);
            FAIL() << bad;
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), 9);
        }
    }
}

TEST(CalculatorUnits, ReachTheOwnedPipe) {
    RecordingMessageSink recorder;
    ScopedMessageSink guard{recorder};
    dPCalc calc;
    EXPECT_EQ(calc.sPR(), "kg/cm2 a");
    EXPECT_EQ(calc.sVel(), "m/s");
    calc.setuPR(ktounit_psia);
    calc.setuPDia(ktounit_inch_PDia);
    EXPECT_EQ(calc.uPR(), ktounit_psia);
    EXPECT_EQ(calc.sPR(), "psi a");
    EXPECT_EQ(calc.sPDia(), "inch");
    EXPECT_THROW(calc.setuVel(6), AutomationError);
    // 10 m of water in psi, through the owned Pipe's units.
    calc.seti_PipeID(4);
    calc.seti_Viscoin(1);
    calc.seti_SVOLin(0.001f);
    calc.seti_MFlow(1000);
    calc.seti_OutUp(10);
    calc.fun_dPPipe();
    EXPECT_NEAR(calc.PipeElevDiffdP(), 14.2233, 1e-3);
}

}  // namespace

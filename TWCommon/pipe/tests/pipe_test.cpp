#include "tw/Pipe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "tw/AutomationError.h"
#include "tw/MessageSink.h"

using namespace tw;

namespace {

// Colebrook solved independently in double precision by plain substitution to convergence.
double colebrookReference(double relativeRoughness, double reynolds) {
    double f = 0.02;
    for (int i = 0; i < 200; ++i) {
        const double x =
            -2 * std::log10(relativeRoughness / 3.7 + 2.51 / (reynolds * std::sqrt(f)));
        f = 1 / (x * x);
    }
    return f;
}

struct PipeFixture : ::testing::Test {
    RecordingMessageSink recorder;
    ScopedMessageSink guard{recorder};
    Pipe pipe;
    PipeFixture() { pipe.setTW_Language(TW_English); }
};

using FrictionFactor = PipeFixture;

TEST_F(FrictionFactor, TransitionRegionWarnsAndFallsBackToReynolds2000) {
    float re = 3000;
    EXPECT_FLOAT_EQ(pipe.f(100, 0.05f, re), 0.032f);
    EXPECT_EQ(re, 2000);
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(recorder.messages()[0].text,
              "Reynolds number for friction factor calculation exists\n"
              "in the transient region(between 2000 and 4000).\r"
              "The friction factor is returned as that of Renolds No. 2000.");

    // The boundaries themselves are laminar and turbulent without a warning.
    recorder.clear();
    float laminar = 2000;
    EXPECT_FLOAT_EQ(pipe.f(100, 0.05f, laminar), 0.032f);
    float turbulent = 4000;
    EXPECT_NEAR(pipe.f(100, 0.05f, turbulent), colebrookReference(0.05 / 100, 4000), 2e-5);
    EXPECT_EQ(turbulent, 4000);
    EXPECT_TRUE(recorder.messages().empty());

    // A language without texts still rewrites the Reynolds number.
    pipe.setTW_Language(5);
    float silent = 2500;
    EXPECT_FLOAT_EQ(pipe.f(100, 0.05f, silent), 0.032f);
    EXPECT_EQ(silent, 2000);
    EXPECT_TRUE(recorder.messages().empty());
}

TEST_F(FrictionFactor, ColebrookMatchesAnIndependentSolution) {
    struct Case {
        float D, eps, Re;
    };
    for (const Case c : {Case{100, 0.0457f, 1e5f}, Case{25, 0.15f, 5e4f}, Case{500, 0, 1e7f},
                         Case{50, 1.0f, 2e6f}}) {
        float re = c.Re;
        EXPECT_NEAR(pipe.f(c.D, c.eps, re), colebrookReference(c.eps / c.D, c.Re), 2e-5)
            << c.D << " " << c.eps << " " << c.Re;
    }
    // Smooth pipe at Re = 10^8.
    EXPECT_NEAR(pipe.fT(100, 0), colebrookReference(0, 1e8), 2e-5);
    EXPECT_NEAR(pipe.fT(100, 0.0457f), colebrookReference(0.0457 / 100, 1e8), 2e-5);
}

TEST_F(FrictionFactor, DoesNotDependOnTheDiameterUnit) {
    float reMm = 1e5f;
    const float fMm = pipe.f(102.26f, 0.0457f, reMm);
    const float fTMm = pipe.fT(102.26f, 0.0457f);
    pipe.setuPDia(ktounit_inch_PDia);
    float reIn = 1e5f;
    EXPECT_FLOAT_EQ(pipe.f(102.26f / 25.4f, 0.0457f / 25.4f, reIn), fMm);
    EXPECT_FLOAT_EQ(pipe.fT(102.26f / 25.4f, 0.0457f / 25.4f), fTMm);
}

TEST_F(FrictionFactor, ZeroDiameterAfterConversionIsReported) {
    // The smallest positive single in mm is zero in inches.
    float re = 1e5f;
    EXPECT_EQ(pipe.f(1e-45f, 0, re), 0);
    EXPECT_EQ(pipe.fT(1e-45f, 0), 0);
    ASSERT_EQ(recorder.messages().size(), 2u);
    EXPECT_EQ(
        recorder.messages()[1].text,
        "Since the pipe ID for friction factor calculation is zero, calculation can not be "
        "performed.\rSince the friction factor is returned as zero, please check the result.");
}

TEST_F(FrictionFactor, FloatingPointFaultsRaiseInsteadOfReturningNaN) {
    // A negative roughness makes the Colebrook logarithm's argument negative.
    float re = 1e6f;
    try {
        pipe.f(100, -1, re);
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 5);
    }
    float nan = std::nanf("");
    EXPECT_THROW(pipe.f(100, 0.05f, nan), AutomationError);
    EXPECT_THROW(pipe.fT(100, -1), AutomationError);
    // A roughness of several diameters never meets the tolerance in single precision: the
    // search ends with an error rather than running for ever.
    float rough = 1e5f;
    EXPECT_THROW(pipe.f(1, 3.6f, rough), AutomationError);
}

using PipeChecks = PipeFixture;

TEST_F(PipeChecks, RefusedArgumentsShowTheirMessageAndGiveZero) {
    struct Case {
        std::function<float(const Pipe&)> call;
        const char* english;
    };
    float re = 1e5f, badRe = 0;
    const Case cases[] = {
        {[&](const Pipe& p) { return p.f(0, 0.05f, re); },
         "The pipe ID should be larger than zero."},
        {[&](const Pipe& p) { return p.f(100, 0.05f, badRe); },
         "The Reynolds number should be larger than zero."},
        {[](const Pipe& p) { return p.ReynoldNo(1000, -1, 1); },
         "Pipe ID should be larger than zero."},
        {[](const Pipe& p) { return p.ReynoldNo(1000, 100, 0); },
         "Absolute viscosity should be larger than zero."},
        {[](const Pipe& p) { return p.fT(0, 0.05f); }, "Pipe ID should be larger than zero."},
        {[](const Pipe& p) { return p.dPDarcyK(1, 1000, 0, 0.001f); },
         "Pipe ID should be larger than zero."},
        {[](const Pipe& p) { return p.dPStrainer(1, 1000, 0, 0.001f, 1); },
         "Pipe ID should be larger than zero."},
        {[](const Pipe& p) { return p.KfordP(1, 0, 100, 0.001f); },
         "Mass flow rate should be larger than zero."},
        {[](const Pipe& p) { return p.KfordP(1, 1000, 100, 0); },
         "Specific volume should be larger than zero."},
        {[](const Pipe& p) { return p.KfordH(1, 0, 100); },
         "Volume flow rate should be larger than zero."},
        {[](const Pipe& p) { return p.dPElevDiff(10, 0); },
         "Specific volume should be larger than zero."},
        {[](const Pipe& p) { return p.NozzleGasdP(1000, 10, 100, 0, 0.5f, 1.4f); },
         "Specific volume should be larger than zero."},
        {[](const Pipe& p) { return p.NozzleGasdP(1000, 10, 100, 0.1f, 0.5f, 1); },
         "Isentropic exponent(k) should be larger than 1."},
        {[](const Pipe& p) { return p.OrificeGasdP(1000, 10, 100, 0.1f, 0.5f, 1); },
         "Isentropic exponent(k) should be larger than 1."},
        {[](const Pipe& p) { return p.OrificeGasdP(1000, 0, 100, 0.1f, 0.5f, 1.4f); },
         "Inlet absolute pressure should be larger than zero."},
        {[](const Pipe& p) { return p.KEnlargementSudden(0); },
         "The diameter ratio(Beta) of valve should be larger than zero."},
    };
    for (const Case& c : cases) {
        recorder.clear();
        EXPECT_EQ(c.call(pipe), 0) << c.english;
        ASSERT_EQ(recorder.messages().size(), 1u) << c.english;
        EXPECT_EQ(recorder.messages()[0].text, c.english);
        EXPECT_EQ(recorder.messages()[0].icon, MessageIcon::Critical);
    }
    // Korean texts, including the orifice's own spelling of its exponent message.
    pipe.setTW_Language(TW_Korean);
    recorder.clear();
    pipe.OrificeGasdP(1000, 10, 100, 0.1f, 0.5f, 1);
    pipe.NozzleGasdP(1000, 10, 100, 0.1f, 0.5f, 1);
    ASSERT_EQ(recorder.messages().size(), 2u);
    EXPECT_EQ(recorder.messages()[0].text, "등엔특로피 지수(= 비열비) k 값이 1보다 커야 합니다.");
    EXPECT_EQ(recorder.messages()[1].text, "등엔트로피 지수(= 비열비) k 값이 1보다 커야 합니다.");
    // Other language values show nothing but still refuse.
    pipe.setTW_Language(2);
    recorder.clear();
    EXPECT_EQ(pipe.VelPipe(1000, 0, 0.001f), 0);
    EXPECT_TRUE(recorder.messages().empty());
}

TEST_F(PipeChecks, InletPressureIsCheckedAfterConversion) {
    pipe.setuPR(ktounit_kgpercm2g);
    // -1.1 kg/cm2 g is below absolute zero; -1 kg/cm2 g is 0.033 kg/cm2 a and is searched.
    EXPECT_EQ(pipe.NozzleGasdP(10, -1.1f, 100, 0.1f, 0.5f, 1.4f), 0);
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].text, "Inlet absolute pressure should be larger than zero.");
    recorder.clear();
    EXPECT_GE(pipe.NozzleGasdP(10, -1, 100, 0.1f, 0.5f, 1.4f), 0);
    EXPECT_TRUE(recorder.messages().empty());
}

using DarcyFormulas = PipeFixture;

TEST_F(DarcyFormulas, WorkedValuesInCalculationUnits) {
    // 36 t/hr of water (0.001 m3/kg) in a 100 mm bore: 36 m3/hr, 1.2744 m/s.
    EXPECT_FLOAT_EQ(pipe.VelPipe(36000, 100, 0.001f), 1.2744f);
    EXPECT_FLOAT_EQ(pipe.ReynoldNo(36000, 100, 1), 127440);
    EXPECT_FLOAT_EQ(pipe.dPDarcyK(1, 36000, 100, 0.001f), 0.6376f * 12.96f * 0.001f);
    EXPECT_FLOAT_EQ(pipe.dPDarcyf(0.02f, 36000, 10, 100, 0.001f),
                    637.6f * 0.02f * 12.96f * 0.1f * 0.001f);
    EXPECT_FLOAT_EQ(pipe.dHDarcyK(1, 36, 100), 6376 * 1296e-8f);
    EXPECT_FLOAT_EQ(pipe.dHDarcyf(0.02f, 36, 10, 100), 6376000 * 0.02f * 10 * 1296e-10f);
    // The friction form equals the K form with K = f L / D (L in m, D in mm).
    EXPECT_FLOAT_EQ(pipe.dPDarcyf(0.02f, 36000, 10, 100, 0.001f),
                    pipe.dPDarcyK(0.02f * 10 * 1000 / 100, 36000, 100, 0.001f));
    // The head of a K equals the pressure drop of that K for water: 10 m of water per kg/cm2.
    EXPECT_NEAR(pipe.dHDarcyK(3, 36, 100), pipe.dPDarcyK(3, 36000, 100, 0.001f) * 10, 1e-6);
}

TEST_F(DarcyFormulas, InversesGiveTheCoefficientBack) {
    for (const float K : {0.04f, 1.0f, 17.3f, 5440.0f}) {
        EXPECT_FLOAT_EQ(pipe.KfordP(pipe.dPDarcyK(K, 5000, 80, 0.2f), 5000, 80, 0.2f), K);
        EXPECT_FLOAT_EQ(pipe.KfordH(pipe.dHDarcyK(K, 42, 80), 42, 80), K);
    }
    EXPECT_EQ(pipe.KfordP(0, 5000, 80, 0.2f), 0);
}

TEST_F(DarcyFormulas, StaticHeadAndPressureDifferenceUnits) {
    EXPECT_FLOAT_EQ(pipe.dPElevDiff(10, 0.001f), 1);
    EXPECT_FLOAT_EQ(pipe.dPElevDiff(-10, 0.001f), -1);
    const float drop = pipe.dPDarcyK(2, 36000, 100, 0.001f);
    // Differences have no atmospheric offset: a gauge code gives the absolute code's number.
    pipe.setuPR(ktounit_kgpercm2g);
    EXPECT_EQ(pipe.dPDarcyK(2, 36000, 100, 0.001f), drop);
    EXPECT_FLOAT_EQ(pipe.dPElevDiff(10, 0.001f), 1);
    pipe.setuPR(ktounit_psia);
    EXPECT_NEAR(pipe.dPElevDiff(10, 0.001f), 14.2233, 1e-3);
    EXPECT_EQ(pipe.sPR(), "psi a");
    // Lengths and flows in other units.
    pipe.setuPR(ktounit_kgpercm2a);
    pipe.setuLen(ktounit_feet);
    EXPECT_NEAR(pipe.dPElevDiff(32.8084f, 0.001f), 1, 1e-5);
    pipe.setuMFlow(ktounit_Metrictonperhr);
    pipe.setuVel(ktounit_ftpersec);
    EXPECT_NEAR(pipe.VelPipe(36, 100, 0.001f), 1.2744 / 0.3048, 1e-4);
    EXPECT_THROW(pipe.setuPR(16), AutomationError);
}

TEST_F(DarcyFormulas, StrainerViscosityCorrectionIsClamped) {
    const float plain = pipe.dPDarcyK(2, 36000, 100, 0.001f);
    // Water-like viscosity: C above 0.9 is held at 0.9.
    EXPECT_FLOAT_EQ(pipe.dPStrainer(2, 36000, 100, 0.001f, 1), plain / 0.9f);
    // Around 4000 cSt the correlation dips below 0.25 and is held there.
    EXPECT_FLOAT_EQ(pipe.dPStrainer(2, 36000, 100, 0.001f, 4000), plain / 0.25f);
    // In between, the correlation itself on the Saybolt scale.
    pipe.setuViscoX(ktounit_SSU100F);
    const double lnNu = std::log(1000.0);
    const auto C = static_cast<float>(0.0175 * lnNu * lnNu - 0.3429 * lnNu + 1.9236);
    EXPECT_FLOAT_EQ(pipe.dPStrainer(2, 36000, 100, 0.001f, 1000), plain / C);
}

using GasMeters = PipeFixture;

// Air-like gas: 10 kg/cm2 a, 0.085 m3/kg, 100 mm pipe.
constexpr float kP1 = 10, kV = 0.085f, kD = 100;

TEST_F(GasMeters, SmallFlowsFollowTheIncompressibleMeterEquation) {
    // At a differential far below the inlet pressure Y is close to 1, so
    // dp = (W / (1.265 d^2 C))^2 * 1.01972 * v.
    const double beta = 0.5, d = kD * beta;
    const double cPipeTap =
        0.58925 + 0.2725 * beta - 0.825 * beta * beta + 1.75 * beta * beta * beta;
    const float W = 2000;
    const double incompressible = std::pow(W / (1.265 * d * d * cPipeTap), 2) * 1.01972 * kV;
    const float orifice = pipe.OrificeGasdP(W, kP1, kD, kV, 0.5f, 1.4f);
    EXPECT_NEAR(orifice, incompressible, incompressible * 0.02 + 0.001);

    const double cNozzle = 0.98 / std::sqrt(1 - std::pow(beta, 4));
    const double recovery = (109.0 - 73.4 * beta - 33.3 * beta * beta) / 100;
    const double nozzleDiff = std::pow(W / (1.265 * d * d * cNozzle), 2) * 1.01972 * kV;
    EXPECT_NEAR(pipe.NozzleGasdP(W, kP1, kD, kV, 0.5f, 1.4f), nozzleDiff * recovery,
                nozzleDiff * 0.02 + 0.001);
    EXPECT_TRUE(recorder.messages().empty());

    // The drop is a step of the single-precision search.
    float dp = 0;
    bool onStep = false;
    for (int i = 0; i < 100000 && dp <= orifice; ++i, dp += 0.001f)
        onStep = onStep || dp == orifice;
    EXPECT_TRUE(onStep);
}

TEST_F(GasMeters, NozzleReportsCriticalFlowAtTheIdealNozzleRatio) {
    // A very small bore ratio leaves the ideal critical pressure ratio (2/(k+1))^(k/(k-1)).
    EXPECT_EQ(pipe.NozzleGasdP(1e6f, kP1, kD, kV, 0.1f, 1.4f), -1);
    ASSERT_EQ(recorder.messages().size(), 1u);
    const std::string& text = recorder.messages()[0].text;
    EXPECT_EQ(
        text.rfind("< Critical Error by Nozzle >\n\n\tThe flow can not flow through the nozzle "
                   "even with\n\tthe critical pressure at nozzle throat.\n\tThe nozzle flow "
                   "and expansion factor\n\tat the critical throat pressure are as below.\n\n"
                   "A. Nozzle inlet pressure, kg/cm2 abs\t10\nB. Pipe ID, mm\t100\n"
                   "C. Nozzle Diameter Ratio(Beta)\t0.1\nD. Critical Pressure Ratio\t",
                   0),
        0u)
        << text;
    const std::size_t at = text.find("D. Critical Pressure Ratio\t");
    const double tauC = std::stod(text.substr(at + 27));
    EXPECT_NEAR(tauC, std::pow(2 / 2.4, 1.4 / 0.4), 0.002);
    EXPECT_NE(text.find("\nG. Critical Flow Rate, kg/hr\t"), std::string::npos);
    EXPECT_EQ(recorder.messages()[0].icon, MessageIcon::Critical);
}

TEST_F(GasMeters, OrificeReportsAFlowBeyondZeroThroatPressure) {
    pipe.setTW_Language(TW_Korean);
    EXPECT_EQ(pipe.OrificeGasdP(1e7f, kP1, kD, kV, 0.5f, 1.4f), -1);
    ASSERT_EQ(recorder.messages().size(), 1u);
    const RecordedMessage& m = recorder.messages()[0];
    EXPECT_EQ(m.caption, "Critical Error by Orifice");
    EXPECT_EQ(
        m.text.rfind("< Critical Error by Orifice >\n\n\t주어진 Orifice로는 출구 압력을 Full "
                     "Vacuum 까지\n\t떨어뜨러도 주어진 유량을 흘릴 수 없습니다.\n\t출구 압력을 "
                     "Full Vacuum 까자 떨어뜨려\n\t주어진 Orifice로 흘릴 수 있는 최대 유량 및 "
                     "\n\tExpansion Factor는 다음과 같습니다.\n\nA. Orifice 입구 압력, kg/cm2 "
                     "abs\t10\nB. Pipe ID, mm\t100\nC. Orifice 구경비\t0.5\nD. Expansion "
                     "Factor\t",
                     0),
        0u)
        << m.text;
    EXPECT_NE(m.text.find("\nE. Max. Flow Rate, kg/hr\t"), std::string::npos);
}

TEST_F(GasMeters, InletPressuresBeyondTheSearchBoundAreRefused) {
    for (const float p : {1000.5f, 40000.0f, 3.4e38f}) {
        recorder.clear();
        EXPECT_EQ(pipe.OrificeGasdP(2000, p, kD, kV, 0.5f, 1.4f), 0) << p;
        EXPECT_EQ(pipe.NozzleGasdP(2000, p, kD, kV, 0.5f, 1.4f), 0) << p;
        ASSERT_EQ(recorder.messages().size(), 2u) << p;
        EXPECT_EQ(recorder.messages()[0].text,
                  "Inlet absolute pressure should not be larger than 1000 kg/cm2 abs.");
    }
    recorder.clear();
    EXPECT_GT(pipe.OrificeGasdP(2000, 1000, kD, kV, 0.5f, 1.4f), 0);
    EXPECT_TRUE(recorder.messages().empty());
}

TEST_F(GasMeters, ImpossibleBoreRatiosRaiseTheFloatingPointError) {
    EXPECT_THROW(pipe.NozzleGasdP(2000, kP1, kD, kV, 1, 1.4f), AutomationError);
    EXPECT_THROW(pipe.NozzleGasdP(2000, kP1, kD, kV, 1.5f, 1.4f), AutomationError);
    EXPECT_THROW(pipe.OrificeGasdP(2000, kP1, std::nanf(""), kV, 0.5f, 1.4f), AutomationError);
}

}  // namespace

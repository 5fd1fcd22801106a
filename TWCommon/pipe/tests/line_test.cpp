#include "tw/Line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Units.h"
#include "tw/MessageSink.h"
#include "tw/dPCalc.h"

using namespace tw;
using namespace tw::line;

namespace {

Segment pipeRun(const char* nps, const char* schedule, float length, float rise = 0,
                std::vector<FittingGroup> fittings = {}) {
    Segment s;
    s.nps = nps;
    s.schedule = schedule;
    s.route = LengthAndRise{length, rise};
    s.fittings = std::move(fittings);
    return s;
}

Line waterLine(std::vector<Segment> segments) {
    Line line;
    line.fluid = SteamOrWater{false, 10, 50};  // kg/cm2 a, oC
    line.massFlow = 36000;                     // kg/hr
    line.segments = std::move(segments);
    return line;
}

// 5 t/hr of steam at 10 kg/cm2 a and 250 oC.
Line steamLine(int segments, float length) {
    Line line;
    line.fluid = SteamOrWater{true, 10, 250};
    line.massFlow = 5000;
    for (int i = 0; i < segments; ++i)
        line.segments.push_back(pipeRun("4", "40", length, 0, {{29, 2, 1, 0, {}}}));
    return line;
}

TEST(LineCalculation, SingleLiquidSegmentIsThePressureDropCalculatorsRunPlusFittings) {
    Line line;
    line.fluid = TypedFluid{true, 5, 0.001f, 1, 1.4f};
    line.massFlow = 36000;
    Segment s;
    s.insideDiameter = 100;
    s.route = EndCoordinates{{0, 0, 0}, {30, 40, 10}};
    s.fittings = {{29, 4, 1, 0, {}}, {2, 1, 1, 0, {}}};
    line.segments = {s};
    const LineResult result = calculate(line);
    ASSERT_FALSE(result.refused);
    ASSERT_EQ(result.segments.size(), 1u);
    const SegmentResult& r = result.segments[0];

    dPCalc calc;
    calc.seti_MFlow(36000);
    calc.seti_PipeID(100);
    calc.seti_AbsRough(0.0457f);
    calc.seti_SVOLin(0.001f);
    calc.seti_Viscoin(1);
    calc.seti_ViscoXin(1);
    calc.seti_Liquid(true);
    calc.seti_OutNorth(30);
    calc.seti_OutEast(40);
    calc.seti_OutUp(10);
    const float run = calc.fun_dPPipe();
    calc.seti_FtgNo(29);
    calc.seti_FtgQty(4);
    calc.seti_FtgPara1(1);
    const float elbows = calc.fun_dPFtgT();
    calc.seti_FtgNo(2);
    calc.seti_FtgQty(1);
    const float gate = calc.fun_dPFtgT();

    EXPECT_FLOAT_EQ(r.dPFriction, calc.PipeLendP());
    EXPECT_FLOAT_EQ(r.dPStatic, calc.PipeElevDiffdP());
    EXPECT_FLOAT_EQ(r.dPFittings, elbows + gate);
    EXPECT_NEAR(r.dP, run + elbows + gate, 1e-5);
    EXPECT_FLOAT_EQ(r.reynolds, calc.PipeRe());
    EXPECT_FLOAT_EQ(r.frictionFactor, calc.Pipef());
    EXPECT_FLOAT_EQ(r.velocity, calc.PipeVel());
    EXPECT_EQ(r.substeps, 1);
    EXPECT_NEAR(result.outletPressure, 5 - r.dP, 1e-5);
    ASSERT_EQ(r.fittings.size(), 2u);
    EXPECT_FLOAT_EQ(r.fittings[1].dP, gate);
}

TEST(LineCalculation, WaterLineIsTheSumOfItsSegmentsAndOneSegmentOfTheWholeLength) {
    const LineResult parts = calculate(waterLine(
        {pipeRun("4", "40", 20, 2), pipeRun("4", "40", 30, 3), pipeRun("4", "40", 50, 5)}));
    const LineResult whole = calculate(waterLine({pipeRun("4", "40", 100, 10)}));
    ASSERT_FALSE(parts.refused);
    ASSERT_FALSE(whole.refused);
    double sum = 0;
    for (const SegmentResult& s : parts.segments) sum += s.dP;
    EXPECT_NEAR(parts.totalDP, sum, 1e-5);
    EXPECT_NEAR(parts.totalDP, whole.totalDP, 1e-3 * whole.totalDP);
    // Each segment starts where the one before ended.
    for (std::size_t i = 1; i < parts.segments.size(); ++i)
        EXPECT_DOUBLE_EQ(parts.segments[i].inletPressure, parts.segments[i - 1].outletPressure);
    EXPECT_NEAR(whole.outletPressure, 10 - whole.totalDP, 1e-5);
}

TEST(LineCalculation, SteamOutletBarelyMovesWhenTheSubstepLimitIsHalved) {
    Line line = steamLine(5, 60);
    const LineResult coarse = calculate(line);
    line.maxSubstepDropPercent = 0.5;
    const LineResult fine = calculate(line);
    ASSERT_FALSE(coarse.refused);
    ASSERT_FALSE(fine.refused);
    EXPECT_GT(coarse.totalDP, 0.3);  // a drop worth sub-stepping
    EXPECT_LT(std::abs(fine.outletPressure - coarse.outletPressure) / coarse.outletPressure, 1e-3);
    int coarseSteps = 0, fineSteps = 0;
    for (const SegmentResult& s : coarse.segments) coarseSteps += s.substeps;
    for (const SegmentResult& s : fine.segments) fineSteps += s.substeps;
    EXPECT_GT(fineSteps, coarseSteps);
    // Each segment sees steam thinner than the one before.
    for (std::size_t i = 1; i < coarse.segments.size(); ++i)
        EXPECT_GT(coarse.segments[i].specificVolume, coarse.segments[i - 1].specificVolume);
}

TEST(LineCalculation, ChangeOfSizeGetsASuddenReducerOrIncreaser) {
    Segment typed;  // the bore of NPS 4 Sch 40, typed in inches: no change of size
    typed.insideDiameter = 4.026f;
    typed.route = LengthAndRise{10, 0};
    Line line =
        waterLine({pipeRun("4", "40", 10), pipeRun("2", "40", 10), pipeRun("4", "40", 10), typed});
    line.units.updia = ktounit_inch_PDia;
    const LineResult result = calculate(line);
    ASSERT_FALSE(result.refused);
    ASSERT_EQ(result.segments.size(), 4u);
    EXPECT_TRUE(result.segments[0].fittings.empty());
    ASSERT_EQ(result.segments[1].fittings.size(), 1u);
    EXPECT_EQ(result.segments[1].fittings[0].kind, Reducer);
    EXPECT_TRUE(result.segments[1].fittings[0].automatic);
    // Sudden contraction referred to the larger pipe: 0.5 (1 - beta^2) / beta^4.
    const double beta = 52.48 / 102.26;
    EXPECT_NEAR(result.segments[1].fittings[0].K, 0.5 * (1 - beta * beta) / std::pow(beta, 4),
                0.01);
    ASSERT_EQ(result.segments[2].fittings.size(), 1u);
    EXPECT_EQ(result.segments[2].fittings[0].kind, Increaser);
    EXPECT_TRUE(result.segments[3].fittings.empty());
}

struct RefusalCase {
    const char* name;
    Line line;
    int segment;
    const char* text;  // the start of the message
};

Line gasLine(float massFlow, float length) {
    Line line;
    Gas air;
    air.composition = {78, 21, 0, 0, 0, 0, 1};
    air.pressure = 2;
    air.temperature = 20;
    air.viscosity = 0.018f;
    air.isentropicExponent = 1.4f;
    air.molarMass = 28.96;
    line.fluid = air;
    line.massFlow = massFlow;
    line.segments = {pipeRun("2", "40", 10), pipeRun("1", "40", length)};
    return line;
}

TEST(LineCalculation, RefusalsNameTheSegment) {
    Line flashing;
    flashing.fluid = SaturatedWater{5};
    flashing.massFlow = 20000;
    flashing.segments = {pipeRun("2", "40", 50)};
    Line tooHigh = waterLine({pipeRun("4", "40", 10), pipeRun("4", "40", 10, 12)});
    Line unknownSize = waterLine({pipeRun("4", "40", 10), pipeRun("4", "45", 10)});
    Line firstReducer = waterLine({pipeRun("4", "40", 10, 0, {{Reducer, 1, 0, 0, {}}})});
    Line noFlow = waterLine({pipeRun("4", "40", 10)});
    noFlow.massFlow = 0;
    Line drained;
    drained.fluid = TypedFluid{true, 5, 0.001f, 1, 1.4f};
    drained.massFlow = 36000;
    drained.segments = {pipeRun("4", "40", 10), pipeRun("2", "40", 1000)};
    Line hotWater = waterLine({pipeRun("4", "40", 10)});
    hotWater.fluid = SteamOrWater{false, 10, 250};

    const RefusalCase cases[] = {
        {"sonic", gasLine(1500, 10), 2, "The velocity reaches the sonic velocity"},
        {"no pressure left", drained, 2, "The pressure reaches zero"},
        {"flashing", flashing, 1, "The water pressure falls below"},
        {"rise above length", tooHigh, 2, "The rise cannot be larger"},
        {"unknown size", unknownSize, 2, "The nominal size and schedule are not in"},
        {"reducer first", firstReducer, 1, "A reducer or increaser in the first segment"},
        {"no flow", noFlow, 0, "The mass flow rate should be larger"},
        {"water above boiling", hotWater, 0, "At this pressure and temperature the fluid is steam"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const LineResult result = calculate(c.line);
        EXPECT_TRUE(result.refused);
        ASSERT_FALSE(result.messages.empty());
        EXPECT_EQ(result.messages.back().segment, c.segment);
        EXPECT_EQ(result.messages.back().text.rfind(c.text, 0), 0u) << result.messages.back().text;
        EXPECT_EQ(result.segments.size(), static_cast<std::size_t>(std::max(c.segment - 1, 0)));
    }
}

TEST(LineCalculation, MessagesAreInTheLinesLanguage) {
    Line noFlow = waterLine({pipeRun("4", "40", 10)});
    noFlow.massFlow = -1;
    const LineResult result = calculate(noFlow, TW_Korean);
    ASSERT_TRUE(result.refused);
    EXPECT_EQ(result.messages.back().text, "질량 유량이 0 보다 커야 합니다.");
}

TEST(LineCalculation, ResultsAreInTheLinesUnits) {
    Line metric = steamLine(2, 50);
    Line british = metric;
    british.units.upr = ktounit_psia;
    british.units.utp = ktounit_degF;
    british.units.umflow = ktounit_lbperhr;
    british.units.ulen = ktounit_feet;
    british.units.uvel = ktounit_ftpersec;
    auto& steam = std::get<SteamOrWater>(british.fluid);
    steam.pressure = units::CvtPR(0, ktounit_psia, steam.pressure);
    steam.temperature = units::CvtTP(0, ktounit_degF, steam.temperature);
    british.massFlow = units::CvtMFlow(0, ktounit_lbperhr, british.massFlow);
    for (Segment& s : british.segments) {
        auto& lr = std::get<LengthAndRise>(s.route);
        lr.length = units::CvtLen(0, ktounit_feet, lr.length);
    }
    const LineResult a = calculate(metric), b = calculate(british);
    ASSERT_FALSE(a.refused);
    ASSERT_FALSE(b.refused);
    EXPECT_NEAR(units::CvtdP(ktounit_psi, 0, static_cast<float>(b.totalDP)), a.totalDP,
                1e-4 * a.totalDP);
    EXPECT_NEAR(units::CvtVel(ktounit_ftpersec, 0, static_cast<float>(b.segments[0].velocity)),
                a.segments[0].velocity, 1e-4 * a.segments[0].velocity);
}

}  // namespace

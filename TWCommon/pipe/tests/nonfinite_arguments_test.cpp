// Every public formula of the pipe library, the fitting K and the pressure-drop calculator
// refuse a NaN or an infinity with the automation error 5 before they show anything or write
// anything back.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "tw/AutomationError.h"
#include "tw/MessageSink.h"
#include "tw/Pipe.h"
#include "tw/dPCalc.h"

using namespace tw;

namespace {

constexpr float kNonNumbers[] = {std::numeric_limits<float>::quiet_NaN(),
                                 std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity()};

std::vector<std::uint32_t> bits(const std::vector<float>& values) {
    std::vector<std::uint32_t> b;
    b.reserve(values.size());
    for (const float v : values) b.push_back(std::bit_cast<std::uint32_t>(v));
    return b;
}

// The error number a call raises, or 0 when it returns.
template <class Call>
int errorNumberOf(Call&& call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

// A formula with arguments it would compute from (and, where it can, write back to).
struct Formula {
    const char* name;
    std::vector<float> args;
    std::function<float(const Pipe&, std::vector<float>&)> call;
};

const std::vector<Formula>& formulas() {
    using A = std::vector<float>;
    using P = const Pipe&;
    static const std::vector<Formula> table{
        // Reynolds number 3000 would be rewritten to 2000 after a warning.
        {"f", {100, 0.05f, 3000}, [](P p, A& a) { return p.f(a[0], a[1], a[2]); }},
        {"ReynoldNo", {36000, 100, 1}, [](P p, A& a) { return p.ReynoldNo(a[0], a[1], a[2]); }},
        {"fT", {100, 0.05f}, [](P p, A& a) { return p.fT(a[0], a[1]); }},
        {"dHDarcyf",
         {0.02f, 36, 10, 100},
         [](P p, A& a) { return p.dHDarcyf(a[0], a[1], a[2], a[3]); }},
        {"dHDarcyK", {1, 36, 100}, [](P p, A& a) { return p.dHDarcyK(a[0], a[1], a[2]); }},
        {"dPDarcyf",
         {0.02f, 36000, 10, 100, 0.001f},
         [](P p, A& a) { return p.dPDarcyf(a[0], a[1], a[2], a[3], a[4]); }},
        {"dPDarcyK",
         {1, 36000, 100, 0.001f},
         [](P p, A& a) { return p.dPDarcyK(a[0], a[1], a[2], a[3]); }},
        {"dPStrainer",
         {1, 36000, 100, 0.001f, 1},
         [](P p, A& a) { return p.dPStrainer(a[0], a[1], a[2], a[3], a[4]); }},
        {"KfordP",
         {0.01f, 36000, 100, 0.001f},
         [](P p, A& a) { return p.KfordP(a[0], a[1], a[2], a[3]); }},
        {"KfordH", {0.1f, 36, 100}, [](P p, A& a) { return p.KfordH(a[0], a[1], a[2]); }},
        {"VelPipe", {36000, 100, 0.001f}, [](P p, A& a) { return p.VelPipe(a[0], a[1], a[2]); }},
        {"dPElevDiff", {10, 0.001f}, [](P p, A& a) { return p.dPElevDiff(a[0], a[1]); }},
        {"NozzleGasdP",
         {2000, 10, 100, 0.085f, 0.5f, 1.4f},
         [](P p, A& a) { return p.NozzleGasdP(a[0], a[1], a[2], a[3], a[4], a[5]); }},
        {"OrificeGasdP",
         {2000, 10, 100, 0.085f, 0.5f, 1.4f},
         [](P p, A& a) { return p.OrificeGasdP(a[0], a[1], a[2], a[3], a[4], a[5]); }},
        // A strainer percentage of 150 would be written back as 99.
        {"FtgK",
         {50, 150, 0.017f, 100},
         [](P p, A& a) { return p.FtgK(Cone_type_Strainer, a[0], a[1], a[2], a[3]); }},
        {"KContractionGradual",
         {0.5f, 30},
         [](P p, A& a) { return p.KContractionGradual(a[0], a[1]); }},
        {"KContractionSudden",
         {0.5f, 180},
         [](P p, A& a) { return p.KContractionSudden(a[0], a[1]); }},
        {"KEnlargementGradual",
         {0.5f, 30},
         [](P p, A& a) { return p.KEnlargementGradual(a[0], a[1]); }},
        {"KEnlargementSudden", {0.5f}, [](P p, A& a) { return p.KEnlargementSudden(a[0]); }},
    };
    return table;
}

TEST(NonFiniteArguments, EveryPipeFormulaRaisesError5BeforeShowingOrWritingBack) {
    RecordingMessageSink recorder;
    ScopedMessageSink guard(recorder);
    Pipe pipe;
    pipe.setTW_Language(TW_English);
    for (const Formula& formula : formulas()) {
        // The valid arguments compute without an error.
        std::vector<float> valid = formula.args;
        EXPECT_EQ(errorNumberOf([&] { formula.call(pipe, valid); }), 0) << formula.name;
        for (std::size_t position = 0; position < formula.args.size(); ++position) {
            for (const float bad : kNonNumbers) {
                std::vector<float> args = formula.args;
                args[position] = bad;
                const std::vector<std::uint32_t> before = bits(args);
                recorder.clear();
                EXPECT_EQ(errorNumberOf([&] { formula.call(pipe, args); }), 5)
                    << formula.name << " argument " << position << " = " << bad;
                EXPECT_EQ(bits(args), before) << formula.name << " argument " << position;
                EXPECT_TRUE(recorder.messages().empty())
                    << formula.name << " argument " << position;
            }
        }
    }
}

// The input fields of the calculator by name, from its own field list.
struct Field {
    std::string name;
    void (dPCalc::*set)(float);
};
const std::vector<Field>& fields() {
    static const std::vector<Field> all{
#define TW_TEST_FIELD(Name) {#Name, &dPCalc::set##Name},
        TW_FOR_EACH_DPCALC_INPUT(TW_TEST_FIELD)
#undef TW_TEST_FIELD
    };
    return all;
}

// Everything a calculation may write: its results and the fields it writes back.
std::vector<std::string> state(const dPCalc& c) {
    return {std::to_string(c.PipeRe()),
            std::to_string(c.Pipef()),
            std::to_string(c.PipeVel()),
            std::to_string(c.PipeLen()),
            std::to_string(c.PipeLenK()),
            std::to_string(c.PipeElevDiff()),
            std::to_string(c.PipeLendP()),
            std::to_string(c.PipeElevDiffdP()),
            c.FittingK(),
            c.FittingKT(),
            c.dPFtg(),
            c.PipefT(),
            std::to_string(c.i_FtgPara2())};
}

struct Calculation {
    const char* name;
    std::function<void(dPCalc&)> setUp;
    std::function<float(dPCalc&)> run;
    std::set<std::string> reads;  // the fields whose value the calculation uses
};

TEST(NonFiniteArguments, CalculatorRefusesANonNumberInAFieldItReadsAndKeepsItsResults) {
    const std::set<std::string> common{"i_MFlow",  "i_PipeID",   "i_AbsRough",
                                       "i_SVOLin", "i_FtgPara1", "i_FtgPara2"};
    auto with = [&common](std::set<std::string> extra) {
        extra.insert(common.begin(), common.end());
        return extra;
    };
    auto water = [](dPCalc& c) {
        c.seti_MFlow(36000);
        c.seti_PipeID(100);
        c.seti_AbsRough(0.0457f);
        c.seti_SVOLin(0.001f);
        c.seti_Viscoin(1);
        c.seti_ViscoXin(1);
        c.seti_PipeID_DownStream(50);
        c.seti_PRin(10);
        c.seti_Isen_exp_k(1.4f);
        c.seti_OutNorth(30);
        c.seti_OutUp(10);
        c.seti_FtgQty(2);
        c.seti_Liquid(true);
    };
    const std::vector<Calculation> calculations{
        {"straight run", water, [](dPCalc& c) { return c.fun_dPPipe(); },
         std::set<std::string>{"i_InNorth", "i_InEast", "i_InUp", "i_OutNorth", "i_OutEast",
                               "i_OutUp", "i_MFlow", "i_PipeID", "i_AbsRough", "i_SVOLin",
                               "i_Viscoin"}},
        {"strainer with a clogged screen",
         [&](dPCalc& c) {
             water(c);
             c.seti_FtgNo(Basket_Y_type_Strainer);
             c.seti_FtgPara1(50);
             c.seti_FtgPara2(150);  // written back as 99
         },
         [](dPCalc& c) { return c.fun_dPFtgT(); }, with({"i_ViscoXin"})},
        {"reducer",
         [&](dPCalc& c) {
             water(c);
             c.seti_FtgNo(Reducer);
             c.seti_FtgPara1(25);
         },
         [](dPCalc& c) { return c.fun_dPFtgT(); }, with({"i_PipeID_DownStream"})},
        {"gas orifice",
         [&](dPCalc& c) {
             water(c);
             c.seti_Liquid(false);
             c.seti_MFlow(2000);
             c.seti_SVOLin(0.085f);
             c.seti_FtgNo(Orifice);
             c.seti_FtgPara1(0.5f);
         },
         [](dPCalc& c) { return c.fun_dPFtgT(); }, with({"i_PRin", "i_Isen_exp_k"})},
        {"gate valve",
         [&](dPCalc& c) {
             water(c);
             c.seti_FtgNo(Gate);
             c.seti_FtgPara1(0.8f);
             c.seti_FtgPara2(30);
         },
         [](dPCalc& c) { return c.fun_dPFtgT(); }, common},
    };

    RecordingMessageSink recorder;
    ScopedMessageSink guard(recorder);
    for (const Calculation& calculation : calculations) {
        for (const Field& field : fields()) {
            for (const float bad : kNonNumbers) {
                dPCalc calc;
                calculation.setUp(calc);
                // A first calculation leaves results that a refused one must keep.
                ASSERT_EQ(errorNumberOf([&] { calculation.run(calc); }), 0) << calculation.name;
                calculation.setUp(calc);
                (calc.*field.set)(bad);
                const std::vector<std::string> before = state(calc);
                recorder.clear();
                const int error = errorNumberOf([&] { calculation.run(calc); });
                if (calculation.reads.count(field.name) != 0) {
                    EXPECT_EQ(error, 5) << calculation.name << ": " << field.name << " = " << bad;
                    EXPECT_EQ(state(calc), before) << calculation.name << ": " << field.name;
                    EXPECT_TRUE(recorder.messages().empty())
                        << calculation.name << ": " << field.name;
                } else {
                    EXPECT_EQ(error, 0) << calculation.name << " does not read " << field.name;
                }
            }
        }
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "RunTwcalc.h"

namespace {

nlohmann::ordered_json parse(const TwcalcResult& r) {
    return nlohmann::ordered_json::parse(r.out);
}

TEST(TwcalcPipe, WrittenBackArgumentsAppearAfterTheCall) {
    const TwcalcResult transition = runTwcalc({"pipe", "f", "--PipeID", "100", "--AbsRoughness",
                                               "0.05", "--ReynoldNo", "3000", "--json"});
    ASSERT_EQ(transition.status, 0) << transition.err;
    // The result first, then the arguments the formula wrote back, then the messages.
    const nlohmann::ordered_json t = parse(transition);
    EXPECT_EQ(std::vector<std::string>({t.begin().key(), std::next(t.begin()).key()}),
              (std::vector<std::string>{"result", "args"}));
    EXPECT_EQ(t["result"].get<float>(), 0.032F);
    EXPECT_EQ(t["args"]["PipeID"], 100);
    EXPECT_EQ(t["args"]["AbsRoughness"].get<float>(), 0.05F);
    EXPECT_EQ(t["args"]["ReynoldNo"], 2000);
    EXPECT_TRUE(t["messages"][0]["text"].get<std::string>().starts_with(
        "Reynolds number for friction factor"));
    EXPECT_EQ(parse(transition)["messages"][0]["icon"], "exclamation");

    const TwcalcResult strainer =
        runTwcalc({"pipe", "FtgK", "--FtgNo", "Cone_type_Strainer", "--Para1", "10", "--Para2",
                   "100", "--fT", "0.017", "--PipeID", "100", "--json"});
    ASSERT_EQ(strainer.status, 0) << strainer.err;
    const nlohmann::ordered_json j = parse(strainer);
    EXPECT_EQ(j["args"]["FtgNo"], 47);
    EXPECT_EQ(j["args"]["Para2"], 99);
    EXPECT_TRUE(j["messages"].empty());

    // Plain output: the result, then what the formula wrote back.
    EXPECT_EQ(
        runTwcalc({"pipe", "f", "--PipeID", "100", "--AbsRoughness", "0.05", "--ReynoldNo", "2500"})
            .out,
        "0.032\nReynoldNo 2000\n");
}

TEST(TwcalcPipe, UnitOptionsAndLanguage) {
    EXPECT_EQ(
        runTwcalc({"pipe", "dPElevDiff", "--ElevDiff", "10", "--SVOL", "0.001", "--upr", "psi a"})
            .out,
        "14.223343\n");
    const TwcalcResult korean = runTwcalc({"pipe", "VelPipe", "--MFlow", "1", "--PipeID", "0",
                                           "--SVOL", "1", "--lang", "ko", "--json"});
    EXPECT_EQ(parse(korean)["messages"][0]["text"], "배관 내경이 0 보다 커야 합니다.");
    EXPECT_EQ(parse(korean)["result"], 0);
}

TEST(TwcalcPipe, ExitStatusRules) {
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    for (const Case& c : std::vector<Case>{
             {{"pipe", "f", "--PipeID", "100"}, 2},  // missing
             {{"pipe", "fT", "--PipeID", "100", "--AbsRoughness", "0", "--MFlow", "3"},
              2},  // extra
             {{"pipe", "Nope"}, 2},
             {{"pipe", "FtgK", "--FtgNo", "Valve", "--Para1", "1", "--Para2", "0", "--fT", "0.02",
               "--PipeID", "100"},
              2},
             {{"pipe", "fT", "--PipeID", "100", "--AbsRoughness", "0", "--updia", "cm"}, 2},
             {{"pipe", "fT", "--PipeID", "100", "--AbsRoughness", "0", "--updia", "2"}, 1},
             {{"pipe", "fT", "--PipeID", "100", "--AbsRoughness", "-1"}, 1},
             {{"pipe", "NozzleGasdP", "--MFlow", "1e6", "--PRin", "10", "--PipeID", "100",
               "--SVOLin", "0.085", "--Beta", "0.1", "--Isentropic_exponent_k", "1.4"},
              0},
         }) {
        const TwcalcResult r = runTwcalc(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1] << ": " << r.err;
    }
    const TwcalcResult fault =
        runTwcalc({"pipe", "fT", "--PipeID", "100", "--AbsRoughness", "-1", "--json"});
    EXPECT_EQ(fault.out,
              "{\"error\": {\"number\": 5, \"description\": \"Invalid procedure call or "
              "argument\"}}\n");
}

TEST(TwcalcDpcalc, StraightRunResults) {
    const TwcalcResult r =
        runTwcalc({"dpcalc", "--pipe", "--set", "i_MFlow=36000", "--set", "i_PipeID=100", "--set",
                   "i_AbsRough=0.0457", "--set", "i_SVOLin=0.001", "--set", "i_Viscoin=1", "--set",
                   "i_OutUp=10", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::ordered_json j = parse(r);
    std::vector<std::string> keys;
    for (const auto& [key, value] : j.items()) keys.push_back(key);
    EXPECT_EQ(keys,
              (std::vector<std::string>{"result", "PipeRe", "Pipef", "PipeVel", "PipeLen",
                                        "PipeLenK", "PipeElevDiff", "PipeLendP", "PipeElevDiffdP",
                                        "FittingK", "FittingKT", "dPFtg", "PipefT", "messages"}));
    EXPECT_NEAR(j["PipeElevDiffdP"].get<double>(), 1, 1e-6);
    EXPECT_EQ(j["PipeLen"], 10);
    EXPECT_TRUE(j["PipefT"].is_string());
    EXPECT_EQ(j["FittingK"], "0");
}

TEST(TwcalcDpcalc, FittingGroupAndNames) {
    const TwcalcResult r =
        runTwcalc({"dpcalc", "--fittings", "--set", "i_FtgNo=Increaser", "--set", "i_MFlow=36000",
                   "--set", "i_PipeID=50", "--set", "i_PipeID_DownStream=100", "--set",
                   "i_FtgPara1=10", "--set", "i_SVOLin=0.001", "--set", "i_FtgQty=2", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(parse(r)["FittingK"], "9");
    EXPECT_EQ(parse(r)["FittingKT"], "18");

    EXPECT_EQ(runTwcalc({"dpcalc", "--name", "47"}).out, "Cone-type Strainer\n");
    EXPECT_EQ(runTwcalc({"dpcalc", "--name", "48", "--json"}).out,
              "{\"error\": {\"number\": 9, \"description\": \"Subscript out of range\"}}\n");
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"dpcalc"},
                                               {"dpcalc", "--pipe", "--fittings"},
                                               {"dpcalc", "--pipe", "--set", "i_Bogus=1"},
                                               {"dpcalc", "--pipe", "--set", "i_MFlow"},
                                               {"dpcalc", "--fittings", "--set", "i_FtgQty=40000"},
                                               {"dpcalc", "--fittings", "--set", "i_Liquid=maybe"},
                                               {"dpcalc", "--name", "x"}}) {
        EXPECT_EQ(runTwcalc(args).status, 2) << args.back();
    }
}

}  // namespace

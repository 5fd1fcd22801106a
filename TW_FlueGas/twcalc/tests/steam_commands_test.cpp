// twcalc steam: the steam table on the command line.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "RunTwcalc.h"

namespace {

nlohmann::json parse(const TwcalcResult& r) {
    return nlohmann::json::parse(r.out);
}

TEST(TwcalcSteam, SaturationByPressureTemperatureOrCode) {
    const auto byPressure = runTwcalc({"steam", "sat", "--pr", "1.0332", "--json"});
    ASSERT_EQ(byPressure.status, 0) << byPressure.err;
    const auto j = parse(byPressure);
    EXPECT_NEAR(j["TSAT"].get<double>(), 99.97, 0.01);
    EXPECT_EQ(j["StableError"].get<double>(), 0);
    EXPECT_TRUE(j["messages"].empty());
    for (const char* key : {"PSAT", "SVOLF", "SVOLG", "ENTHF", "ENTHG", "ENTROF", "ENTROG",
                            "ViscoF", "ViscoG", "ViscoXF", "ViscoXG"}) {
        EXPECT_TRUE(j.contains(key)) << key;
    }
    const auto inF = parse(runTwcalc({"steam", "sat", "--tp", "212", "--utp", "1", "--json"}));
    EXPECT_NEAR(inF["PSAT"].get<double>(), 1.0342, 0.0005);  // IF97: 0.101418 MPa at 100 oC
    const auto byCode = parse(runTwcalc({"steam", "sat", "--code", "3", "--value", "1", "--json"}));
    EXPECT_EQ(byCode["StableError"].get<double>(), 6);
    EXPECT_FALSE(byCode["messages"].empty());
}

TEST(TwcalcSteam, StateAndViscosity) {
    const auto r = runTwcalc({"steam", "state", "--tp", "300", "--pr", "10", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = parse(r);
    EXPECT_NEAR(j["ENTH"].get<double>(), 729.0, 0.5);
    EXPECT_EQ(j["Quality"].get<double>(), 2);
    const auto byCode = parse(runTwcalc({"steam", "state", "--code1", "2", "--value1", "300",
                                         "--code2", "1", "--value2", "10", "--json"}));
    EXPECT_EQ(byCode["ENTH"], j["ENTH"]);
    const auto v =
        parse(runTwcalc({"steam", "visco", "--pr", "10", "--tp", "300", "--x", "2", "--json"}));
    EXPECT_EQ(v["Visco"], j["Visco"]);
}

TEST(TwcalcSteam, BadArgumentsAreUsageErrors) {
    EXPECT_EQ(runTwcalc({"steam", "state", "--pr", "1"}).status, 2);
    EXPECT_EQ(runTwcalc({"steam", "sat", "--pr", "1", "--tp", "100"}).status, 2);
    EXPECT_EQ(runTwcalc({"steam", "sat", "--pr", "abc"}).status, 2);
    EXPECT_EQ(runTwcalc({"steam", "sat", "--pr", "1", "--upr", "99"}).status, 1);  // error 9
}

}  // namespace

#include <gtest/gtest.h>

#include "RunTwcalc.h"

TEST(TwcalcConvert, PrintsTheConvertedValue) {
    EXPECT_EQ(runTwcalc({"convert", "PR", "0", "1", "0", "--json"}).out,
              "{\"value\": -1.03322744}\n");
    EXPECT_EQ(runTwcalc({"convert", "TP", "oC", "oF", "100"}).out, "212\n");
    EXPECT_EQ(runTwcalc({"convert", "TP", "0", "1", "-40"}).out, "-40\n");
    EXPECT_EQ(runTwcalc({"convert", "TP", "-1", "1", "-7.5"}).out, "0\n");  // invalid index gives 0
    EXPECT_EQ(runTwcalc({"convert", "PR", "kPa g", "kPa a", "0"}).out, "101.325\n");
    EXPECT_EQ(runTwcalc({"convert", "TP", "0", "99999999999", "5"}).out, "0\n");
}

TEST(TwcalcConvert, UsageErrorsExitWithTwo) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"convert", "XX", "0", "1", "1"},
                                               {"convert", "TP", "degC", "1", "1"},
                                               {"convert", "TP", "0", "1", "abc"},
                                               {"convert", "TP", "0", "1", "1e39"},
                                               {"convert", "TP", "0", "1"},
                                               {"nonsense"},
                                               {}}) {
        const TwcalcResult r = runTwcalc(args);
        EXPECT_EQ(r.status, 2) << r.out;
        EXPECT_FALSE(r.err.empty());
    }
}

TEST(TwcalcConvert, FloatingPointFaultExitsWithOneAndReportsTheError) {
    const TwcalcResult r = runTwcalc({"convert", "Mass", "0", "2", "3e38", "--json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "{\"error\": {\"number\": 6, \"description\": \"Overflow\"}}\n");
    const TwcalcResult plain = runTwcalc({"convert", "Mass", "0", "2", "3e38"});
    EXPECT_EQ(plain.status, 1);
    EXPECT_NE(plain.err.find("Overflow"), std::string::npos);
}

TEST(TwcalcUnits, ListsTheCatalogue) {
    EXPECT_EQ(runTwcalc({"units", "TP", "--json"}).out,
              "{\"units\": [\"oC\", \"oF\", \"K\", \"oR\"]}\n");
    const TwcalcResult all = runTwcalc({"units", "--json"});
    EXPECT_EQ(all.status, 0);
    EXPECT_NE(all.out.find("\"dP\": [\"kg/cm2\", \"kg/cm2\", \"bar\""), std::string::npos);
    EXPECT_NE(all.out.find("\"systems\": [\"Metric Unit System\", \"SI Unit System\", "
                           "\"British Unit System\", \"Mixed Units\"]"),
              std::string::npos);
    EXPECT_EQ(runTwcalc({"units", "Nope"}).status, 2);
}

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "RunTwcalc.h"
#include "tw/AtomicFile.h"

TEST(TwcalcConvert, PrintsTheConvertedValue) {
    // The JSON number reads back to the single-precision result.
    const std::string json = runTwcalc({"convert", "PR", "0", "1", "0", "--json"}).out;
    ASSERT_TRUE(json.starts_with("{\"value\": ")) << json;
    EXPECT_EQ(std::strtof(json.c_str() + 10, nullptr), -1.03322744F) << json;
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

// Every numeric option reads a plain decimal number: words that a number parser would take for
// NaN or infinity, a doubled sign or a lone sign are usage errors that name the option.
TEST(TwcalcNumbers, OnlyFiniteDecimalNumbersAreRead) {
    struct Case {
        std::vector<std::string> args;
        std::string named;
    };
    const std::vector<std::string> orifice = {"pipe",
                                              "OrificeGasdP",
                                              "--PRin",
                                              "10",
                                              "--PipeID",
                                              "100",
                                              "--SVOLin",
                                              "0.085",
                                              "--Beta",
                                              "0.5",
                                              "--Isentropic_exponent_k",
                                              "1.4",
                                              "--MFlow"};
    auto with = [](std::vector<std::string> args, const std::string& last) {
        args.push_back(last);
        return args;
    };
    for (const Case& c : std::vector<Case>{
             {with(orifice, "nan"), "--MFlow"},
             {with(orifice, "-NaN"), "--MFlow"},
             {with(orifice, "inf"), "--MFlow"},
             {with(orifice, "Infinity"), "--MFlow"},
             {with(orifice, "+-5"), "--MFlow"},
             {with(orifice, "1e"), "--MFlow"},
             {with(orifice, "."), "--MFlow"},
             {with(orifice, "0x10"), "--MFlow"},
             {with(orifice, " 5"), "--MFlow"},
             {with(orifice, "1e39"), "--MFlow"},
             {{"pipe", "ReynoldNo", "--MFlow", "1", "--PipeID", "inf", "--Visco", "1"}, "--PipeID"},
             {{"pipe", "FtgK", "--FtgNo", "+", "--Para1", "1", "--Para2", "1", "--fT", "0.02",
               "--PipeID", "100"},
              "FtgNo"},
             {{"convert", "TP", "0", "1", "nan"}, "VALUE"},
             {{"convert", "TP", "+", "1", "5"}, "TP unit '+'"},
             {{"steam", "sat", "--tp", "infinity"}, "--tp"},
             {{"steam", "sat", "--tp", "100", "--utp", "+"}, "--utp"},
             {{"steam", "sat", "--code", "+-1", "--value", "1"}, "--code"},
             {{"steam", "visco", "--pr", "1", "--tp", "100", "--x", "nan"}, "--x"},
             {{"dpcalc", "--pipe", "--set", "i_MFlow=inf"}, "i_MFlow"},
             {{"dpcalc", "--fittings", "--set", "i_FtgQty=+"}, "i_FtgQty"},
             {{"dpcalc", "--name", "-"}, "--name"},
             {{"pipe", "f", "--PipeID", "100", "--AbsRoughness", "0", "--ReynoldNo", "1", "--updia",
               "+"},
              "PDia unit '+'"},
         }) {
        const TwcalcResult r = runTwcalc(c.args);
        EXPECT_EQ(r.status, 2) << c.args.back();
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    }
}

TEST(TwcalcNumbers, EveryWrittenFormOfADecimalNumberIsRead) {
    for (const auto& [text, value] :
         std::vector<std::pair<std::string, std::string>>{{"+5", "5"},
                                                          {"5.", "5"},
                                                          {".5", "0.5"},
                                                          {"-0.5e+1", "-5"},
                                                          {"25E-1", "2.5"},
                                                          {"1e-40", "1e-40"},  // a subnormal single
                                                          {"3.4e38", "3.4e+38"}}) {
        const TwcalcResult r = runTwcalc({"convert", "TP", "+0", "0", "--", text});
        EXPECT_EQ(r.status, 0) << text << ": " << r.err;
        EXPECT_EQ(r.out, value + "\n") << text;
    }
}

// Standard output that cannot take what is printed (a full disk, a closed pipe) fails the run
// with status 3 and the system's reason, whatever the command itself returned.
TEST(TwcalcOutput, AFailedWriteToStandardOutputExitsWithThree) {
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"steam", "sat", "--tp", "100"},
             {"steam", "sat", "--tp", "100", "--json"},
             {"units"},
             {"--help"},
             {"convert", "Mass", "0", "2", "3e38", "--json"}}) {  // the automation error's JSON
        tw::DescriptorOutput out(full);
        std::ostringstream err;
        std::vector<const char*> argv{"twcalc"};
        for (const std::string& a : args) argv.push_back(a.c_str());
        EXPECT_EQ(twcalc::run(static_cast<int>(argv.size()), argv.data(), out, err), 3) << args[0];
        EXPECT_EQ(err.str(), "twcalc: could not write standard output: No space left on device\n");
    }
    ::close(full);

    // Nothing printed, nothing to fail: a usage error keeps its own status.
    tw::DescriptorOutput closed(-1);
    std::ostringstream err;
    const char* argv[] = {"twcalc", "convert", "XX", "0", "1", "1"};
    EXPECT_EQ(twcalc::run(6, argv, closed, err), 2);
}

// twcalc steam: the steam table on the command line.

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

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

// The twcalc program run against a copy of the libraries whose steam table lacks a file: the
// lookups fail with code 8 and the flue gas calculation shows no water dew point.
class WithATableFileMissing : public ::testing::Test {
  protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        dir = fs::temp_directory_path() / ("twcalc_missing_table_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        const fs::path lib = TW_LIBRARY_DIR;
        for (const char* f : {"libTWCommon.so", "libTWFlueGasCore.so", "TWStb.twd", "TWStbP.twd"}) {
            fs::copy_file(lib / f, dir / f, fs::copy_options::overwrite_existing);
        }
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Standard output of the program; the exit status into `status`.
    std::string run(const std::string& arguments, int& status) const {
        const std::string command = "LD_LIBRARY_PATH='" + dir.string() + "' '" + TW_TWCALC_PROGRAM +
                                    "' " + arguments + " 2>/dev/null";
        std::FILE* pipe = ::popen(command.c_str(), "r");
        std::string out;
        std::array<char, 4096> buffer{};
        for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
            out.append(buffer.data(), n);
        }
        status = ::pclose(pipe);
        return out;
    }
    std::filesystem::path dir;
};

TEST_F(WithATableFileMissing, LookupsFailWithCode8AndTheDewPointIsNotAvailable) {
    int status = -1;
    const auto sat = nlohmann::json::parse(run("steam sat --tp 100 --json", status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(sat["StableError"].get<double>(), 8);
    EXPECT_EQ(sat["TSAT"].get<double>(), 9999999);
    EXPECT_EQ(sat["messages"][0]["text"],
              "[TWCommon.dll] 파일이 있는 디렉토리에\n<TWSStb.twd> 파일이 필요합니다.");
    EXPECT_EQ(sat["messages"][1]["text"],
              "The following files are necessary at the directory having [TWCommon.dll] "
              "file.\n<TWSStb.twd>");
    const auto table = nlohmann::json::parse(
        run("fluegas --n2 76 --ar 0.9 --o2 4 --co2 12 --co 0 --so2 0.1 --h2o 7 --t 300 --tref 25 "
            "--json",
            status))["table"];
    EXPECT_EQ(status, 0);
    EXPECT_EQ(table[16][2], "N/A");
    EXPECT_EQ(table[14][2], "139.90");  // the other results stand
}

}  // namespace

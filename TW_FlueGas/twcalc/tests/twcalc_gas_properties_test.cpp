// twcalc gas-properties: one state, a table over temperature and CSV batches.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "FlueGasBatch.h"
#include "RunTwcalc.h"

namespace {

using nlohmann::json;

const std::vector<std::string> kFlueGas = {
    "gas-properties", "--n2", "74",    "--o2", "4",    "--co2", "13.5",
    "--so2",          "0.1",  "--h2o", "7.5",  "--ar", "0.9",   "--json"};

std::vector<std::string> with(std::vector<std::string> args, std::vector<std::string> more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// Keys in the order twcalc wrote them.
using OrderedJson = nlohmann::ordered_json;

json runJson(const std::vector<std::string>& args, int status = 0) {
    const TwcalcResult r = runTwcalc(args);
    EXPECT_EQ(r.status, status) << r.err << r.out;
    return json::parse(r.out.empty() ? "{}" : r.out);
}

TEST(TwcalcGasProperties, GivesEveryKeyWithItsUnit) {
    const TwcalcResult r = runTwcalc(with(kFlueGas, {"--t", "150"}));
    ASSERT_EQ(r.status, 0) << r.err;
    const OrderedJson ordered = OrderedJson::parse(r.out);
    const json out = json::parse(r.out);
    const std::vector<std::string> keys = {"mole_weight",
                                           "density",
                                           "cp",
                                           "cv",
                                           "gamma",
                                           "enthalpy",
                                           "entropy",
                                           "speed_of_sound_m_per_s",
                                           "viscosity",
                                           "kinematic_viscosity_m2_per_s",
                                           "thermal_conductivity",
                                           "thermal_diffusivity_m2_per_s",
                                           "prandtl",
                                           "dew_points",
                                           "units",
                                           "messages"};
    std::vector<std::string> given;
    for (const auto& [key, value] : ordered.items()) given.push_back(key);
    EXPECT_EQ(given, keys);
    EXPECT_EQ(out["units"],
              json::parse(R"({"mole_weight": "kg/kmol", "density": "kg/m3", "cp": "kcal/kg-K",
                  "cv": "kcal/kg-K", "enthalpy": "kcal/kg", "entropy": "kcal/kg-K",
                  "speed_of_sound_m_per_s": "m/s", "viscosity": "cP",
                  "kinematic_viscosity_m2_per_s": "m2/s", "thermal_conductivity": "kcal/hr-m-oC",
                  "thermal_diffusivity_m2_per_s": "m2/s", "dew_points": "oC"})"));
    EXPECT_NEAR(out["dew_points"]["okkes"].get<double>(), 140.7, 1e-9);
    EXPECT_NEAR(out["dew_points"]["water"].get<double>(), 40.5, 0.1);
    EXPECT_EQ(out["messages"], json::array());
}

// The same state in other units gives the same figures converted by the catalogue.
TEST(TwcalcGasProperties, ResultsFollowTheUnitOptions) {
    const json metric = runJson(with(kFlueGas, {"--t", "150", "--p", "1.0332274527998857"}));
    const json si =
        runJson(with(kFlueGas, {"--t", "423.15", "--utp", "K", "--p", "0", "--upr", "kPa g",
                                "--uvisco", "Pa-s", "--uthcond", "W/m-K", "--udensity", "lb/ft3",
                                "--uentro", "1", "--uenth", "kJ/kg"}));
    struct Check {
        const char* key;
        double factor;
    };
    const Check checks[] = {{"viscosity", 1e-3},    {"thermal_conductivity", 1.163},
                            {"density", 0.0624280}, {"cp", 4.1868},
                            {"entropy", 4.1868},    {"enthalpy", 4.1868},
                            {"prandtl", 1},         {"speed_of_sound_m_per_s", 1}};
    for (const Check& c : checks) {
        SCOPED_TRACE(c.key);
        EXPECT_NEAR(si[c.key].get<double>(), metric[c.key].get<double>() * c.factor,
                    2e-6 * std::fabs(si[c.key].get<double>()));
    }
    EXPECT_EQ(si["units"]["viscosity"], "Pa-s");
    EXPECT_EQ(si["units"]["dew_points"], "K");
    EXPECT_NEAR(si["dew_points"]["okkes"].get<double>(), 140.7 + 273.15, 1e-9);
    // The enthalpy's zero is 25 oC in any temperature unit.
    EXPECT_NEAR(runJson(with(kFlueGas, {"--t", "77", "--utp", "oF"}))["enthalpy"].get<double>(), 0,
                1e-12);
}

TEST(TwcalcGasProperties, SweepHoldsARowPerTemperature) {
    const json out = runJson(with(kFlueGas, {"--sweep", "t", "100:400:100", "--uvisco", "1"}));
    ASSERT_EQ(out["sweep"].size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
        const json& row = out["sweep"][k];
        EXPECT_EQ(row["t"].get<double>(), 100.0 * (k + 1));
        EXPECT_FALSE(row.contains("dew_points"));
        EXPECT_EQ(row.size(), 14u);  // t and the 13 properties
    }
    // Without --t the object's own figures are those of the first row.
    EXPECT_EQ(out["viscosity"], out["sweep"][0]["viscosity"]);
    EXPECT_EQ(out["units"]["t"], "oC");
    // Viscosity and conductivity rise with temperature, the density falls.
    EXPECT_GT(out["sweep"][3]["viscosity"], out["sweep"][0]["viscosity"]);
    EXPECT_GT(out["sweep"][3]["thermal_conductivity"], out["sweep"][0]["thermal_conductivity"]);
    EXPECT_LT(out["sweep"][3]["density"], out["sweep"][0]["density"]);
    // The repeated form a caller without spaces uses, and a step that ends on TO.
    const json repeated = runJson(with(kFlueGas, {"--sweep=t", "--sweep=300:300.3:0.1"}));
    EXPECT_EQ(repeated["sweep"].size(), 4u);
}

TEST(TwcalcGasProperties, RefusedInputExitsFour) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"--t", "-73.15"}, "temperature of 200 K is outside"},
        {{"--t", "3e38", "--utp", "oF"}, "is outside the range"},
        {{"--t", "200", "--p", "-1.04", "--upr", "kg/cm2 g"},
         "finite absolute pressure greater than 0"},
        {{"--t", "200", "--p", "-3e38", "--upr", "psi a"}, "absolute pressure greater than 0"},
        {{"--sweep", "t", "2000:3000:500"}, "temperature of 3273.15 K"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const json out = runJson(with(kFlueGas, c.args), 4);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_NE(out["messages"].back()["text"].get<std::string>().find(c.message),
                  std::string::npos)
            << out;
    }
    const json empty = runJson({"gas-properties", "--t", "100", "--json"}, 4);
    EXPECT_NE(empty["messages"][0]["text"].get<std::string>().find("At least one component"),
              std::string::npos);
    const TwcalcResult plain = runTwcalc({"gas-properties", "--n2", "100", "--t", "-100"});
    EXPECT_EQ(plain.status, 4);
    EXPECT_NE(plain.err.find("the input was refused; nothing was calculated"), std::string::npos);
    EXPECT_TRUE(plain.out.empty());
}

TEST(TwcalcGasProperties, HighPressureIsANoticeNotARefusal) {
    const json out = runJson(with(kFlueGas, {"--t", "300", "--p", "31", "--upr", "bar a"}));
    ASSERT_EQ(out["messages"].size(), 1u);
    EXPECT_NE(out["messages"][0]["text"].get<std::string>().find("above 3 MPa"), std::string::npos);
    // Shown once, however long the table over temperature.
    const json swept =
        runJson(with(kFlueGas, {"--sweep", "t", "100:500:10", "--p", "31", "--upr", "bar a"}));
    EXPECT_EQ(swept["messages"].size(), 1u);
}

TEST(TwcalcGasProperties, UnusableOptionsAreUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {{"--n2", "7a", "--t", "1"},
                                                         {"--n2", "nan", "--t", "1"},
                                                         {"--t", "inf"},
                                                         {"--t", "1", "--basis", "mol"},
                                                         {"--t", "1", "--uvisco", "6"},
                                                         {"--t", "1", "--uthcond", "W/mK"},
                                                         {"--t", "1", "--upr", "-1"},
                                                         {"--sweep", "p", "1:2:1"},
                                                         {"--sweep", "t", "1:2"},
                                                         {"--sweep", "t", "1:2:0"},
                                                         {"--sweep", "t", "2:1:1"},
                                                         {"--sweep", "t", "0:1e9:1e-3"},
                                                         {"--n2", "100"},
                                                         {"--t", "1", "--out", "x.csv"},
                                                         {"--csv", "a.csv", "--t", "1"}};
    for (const auto& extra : cases) {
        SCOPED_TRACE(extra[0] + " " + extra[1]);
        const TwcalcResult r = runTwcalc(with({"gas-properties"}, extra));
        EXPECT_EQ(r.status, 2) << r.out;
        EXPECT_FALSE(r.err.empty());
    }
}

class TwcalcGasPropertiesBatch : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("twcalc_gasprops_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string write(const std::string& text) {
        const std::string path = (dir / "in.csv").string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::filesystem::path dir;
};

TEST_F(TwcalcGasPropertiesBatch, EachCaseReportsInItsOwnRow) {
    const std::string in = write(
        "n2,o2,co2,so2,h2o,ar,t,p,upr\n"
        "74,4,13.5,0.1,7.5,0.9,150,,\n"
        "79,21,0,0,0,0,5000,,\n"
        "79,21,0,0,0,0,12x,,\n"
        "\n"
        "79,21,,,,,25,1,bar a\n");
    const TwcalcResult r = runTwcalc({"gas-properties", "--csv", in});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream csv(r.out);
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> fields;
    while (tw::fluegas::readCsvRecord(csv, fields)) rows.push_back(fields);
    ASSERT_EQ(rows.size(), 5u);
    const std::vector<std::string>& header = rows[0];
    const auto column = [&header](const std::string& name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) -
                                        header.begin());
    };
    ASSERT_EQ(header.size(), 9u + 13u + 3u + 1u);
    EXPECT_EQ(header[9], "mole_weight");
    EXPECT_EQ(header.back(), "messages");
    // The single case and its batch row agree.
    const json single = runJson(with(kFlueGas, {"--t", "150"}));
    EXPECT_NEAR(std::stod(rows[1][column("viscosity")]), single["viscosity"].get<double>(),
                1e-8 * single["viscosity"].get<double>());
    EXPECT_EQ(std::stod(rows[1][column("dew_points.okkes")]), 140.7);
    EXPECT_TRUE(rows[1].back().empty());
    // A refused state and an unusable number: empty results, the reason in the row.
    EXPECT_TRUE(rows[2][column("density")].empty());
    EXPECT_NE(rows[2].back().find("outside the range"), std::string::npos);
    EXPECT_TRUE(rows[3][column("density")].empty());
    EXPECT_NE(rows[3].back().find("--t"), std::string::npos);
    // Dry air: no dew points, and the correlations' reasons.
    EXPECT_FALSE(rows[4][column("density")].empty());
    EXPECT_TRUE(rows[4][column("dew_points.water")].empty());
    EXPECT_NE(rows[4].back().find("Acid Dew Point"), std::string::npos);
}

TEST_F(TwcalcGasPropertiesBatch, UnusableHeadersAreUsageErrors) {
    for (const char* text : {"", "n2,argon\n1,2\n", "n2,t,n2\n1,2,3\n"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(runTwcalc({"gas-properties", "--csv", write(text)}).status, 2);
    }
}

}  // namespace

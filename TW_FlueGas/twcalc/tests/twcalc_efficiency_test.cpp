// twcalc efficiency: the JSON keys, the figures of the calculation, usage errors, refusals, the
// sweep and the CSV batch.

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "BoilerEfficiency.h"
#include "RunTwcalc.h"

namespace {

using json = nlohmann::ordered_json;  // the order of keys is part of the output
using K = std::vector<std::string>;

const std::string kCoal = "C=65.4,H=4.2,O=7.8,N=1.3,S=0.8,H2O=10.5,Ash=10";
// Methane with dry air at 20 oC burnt to 3 % O2 dry; the stack temperature follows.
const K kMethaneCase = {"efficiency", "--fuel-gas", "CH4=100",           "--o2-dry", "3",
                        "--humidity", "0",          "--air-temperature", "20"};

K with(K args, const K& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}
const K kMethane = with(kMethaneCase, {"--stack-temperature", "180"});

json runJson(const K& args) {
    const TwcalcResult r = runTwcalc(with(args, {"--json"}));
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? json::parse(r.out) : json::object();
}

K keys(const json& object) {
    K k;
    for (const auto& item : object.items()) k.push_back(item.key());
    return k;
}

TEST(TwcalcEfficiency, JsonKeysWithAndWithoutTheOptionalParts) {
    const K losses{"dry_flue_gas",
                   "water_from_fuel",
                   "moisture_in_air",
                   "carbon_monoxide",
                   "unburnt_carbon",
                   "radiation_and_convection",
                   "other"};
    const json plain = runJson(kMethane);
    EXPECT_EQ(keys(plain),
              (K{"efficiency_hhv_percent", "efficiency_lhv_percent", "stack_loss_hhv_percent",
                 "losses_percent_of_hhv", "credits_percent_of_hhv", "o2_dry_percent",
                 "excess_air_percent", "dew_points_C", "acid_dew_point_margin_K", "combustion",
                 "messages"}));
    EXPECT_EQ(keys(plain["losses_percent_of_hhv"]), losses);
    EXPECT_EQ(keys(plain["credits_percent_of_hhv"]), K{"combustion_air"});
    EXPECT_EQ(keys(plain["dew_points_C"]), (K{"okkes", "verhoff", "water"}));
    EXPECT_EQ(keys(plain["combustion"]),
              (K{"fuel", "air", "flue_gas", "adiabatic_flame_temperature_C"}));

    const json full = runJson(with(
        kMethane, {"--analyser", "gas", "--fuel-flow-nm3", "100", "--sweep", "o2-dry", "2:4:1"}));
    EXPECT_EQ(keys(full),
              (K{"efficiency_hhv_percent", "efficiency_lhv_percent", "stack_loss_hhv_percent",
                 "losses_percent_of_hhv", "credits_percent_of_hhv", "o2_dry_percent",
                 "excess_air_percent", "analyser_stack_loss_percent", "dew_points_C",
                 "acid_dew_point_margin_K", "heat_input_kW", "losses_kW", "flue_gas_kg_per_h",
                 "flue_gas_m3_per_h_at_stack", "combustion", "sweep", "messages"}));
    EXPECT_EQ(keys(full["losses_kW"]), losses);
    ASSERT_EQ(full["sweep"].size(), 3u);
    EXPECT_EQ(keys(full["sweep"][0]), (K{"o2_dry_percent", "efficiency_hhv_percent",
                                         "efficiency_lhv_percent", "stack_loss_hhv_percent"}));
    const json byStack = runJson(with(kMethane, {"--sweep", "stack-temperature", "100:200:50"}));
    EXPECT_EQ(keys(byStack["sweep"][2])[0], "stack_temperature_C");
    EXPECT_DOUBLE_EQ(byStack["sweep"][2]["stack_temperature_C"].get<double>(), 200);
}

TEST(TwcalcEfficiency, MethaneAtThreePercentO2GivesTheHandCheckedFigures) {
    const json j = runJson(with(kMethane, {"--analyser", "gas"}));
    EXPECT_NEAR(j["efficiency_hhv_percent"].get<double>(), 83.49, 0.03);
    EXPECT_NEAR(j["efficiency_lhv_percent"].get<double>(), 92.65, 0.03);
    EXPECT_NEAR(j["analyser_stack_loss_percent"].get<double>(), 7.31, 0.005);
    EXPECT_TRUE(j["dew_points_C"]["okkes"].is_null());
    EXPECT_TRUE(j["acid_dew_point_margin_K"].is_null());
    EXPECT_TRUE(j["messages"].empty());
    // Coefficients typed as numbers are the named fuel's.
    const json typed = runJson(with(kMethane, {"--analyser", "0.66,0.009"}));
    EXPECT_EQ(typed["analyser_stack_loss_percent"], j["analyser_stack_loss_percent"]);
}

TEST(TwcalcEfficiency, NotesComeAtTheTopLevelAndTheCombustionKeepsNone) {
    // Coal close above its acid dew point, with carbon in the refuse.
    const json j = runJson({"efficiency", "--fuel-mass", kCoal, "--excess-air", "20",
                            "--stack-temperature", "150", "--carbon-in-refuse", "5"});
    ASSERT_EQ(j["messages"].size(), 1u);
    EXPECT_EQ(j["messages"][0]["caption"], "Function BoilerEfficiency");
    EXPECT_NE(j["messages"][0]["text"].get<std::string>().find("above the acid dew point"),
              std::string::npos);
    EXPECT_FALSE(j["combustion"].contains("messages"));
    EXPECT_GT(j["losses_percent_of_hhv"]["unburnt_carbon"].get<double>(), 0);
    EXPECT_NEAR(j["acid_dew_point_margin_K"].get<double>(),
                150 - std::max(j["dew_points_C"]["okkes"].get<double>(),
                               j["dew_points_C"]["verhoff"].get<double>()),
                1e-6);
}

TEST(TwcalcEfficiency, MalformedCommandsAreUsageErrors) {
    const std::vector<K> cases = {
        {"efficiency", "--fuel-gas", "CH4=100", "--o2-dry", "3"},  // no stack temperature
        {"efficiency", "--fuel-gas", "CH4=100", "--stack-temperature", "150"},  // no air
        with(kMethaneCase, {"--stack-temperature", "hot"}),
        with(kMethane, {"--fuel-flow", "10", "--fuel-flow-nm3", "10"}),
        with(kMethane, {"--analyser", "coal"}),
        with(kMethane, {"--analyser", "0.66,x"}),
        with(kMethane, {"--sweep", "excess-air", "1:2:1"}),
        with(kMethane, {"--sweep", "o2-dry", "1:2"}),
        with(kMethane, {"--sweep", "o2-dry", "1:2:3:4"}),
        with(kMethane, {"--sweep", "o2-dry", "1:nan:1"}),
        with(kMethane, {"--sweep", "o2-dry"}),
        with(kMethane, {"--out", "x.csv"}),
        {"efficiency", "--csv", "cases.csv", "--stack-temperature", "150"},
    };
    for (const K& args : cases) {
        const TwcalcResult r = runTwcalc(with(args, {"--json"}));
        EXPECT_EQ(r.status, 2) << testing::PrintToString(args) << r.out;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_FALSE(r.err.empty());
    }
}

TEST(TwcalcEfficiency, ARefusedInputPrintsItsMessageAndNoResults) {
    struct Case {
        K args;
        const char* text;
    };
    const std::vector<Case> cases = {
        {with(kMethaneCase, {"--stack-temperature", "15"}), "lies below the air temperature"},
        {with(kMethane, {"--carbon-in-refuse", "3"}), "a fuel gas leaves no refuse"},
        {{"efficiency", "--fuel-mass", kCoal, "--excess-air", "20", "--stack-temperature", "150",
          "--fuel-flow-nm3", "5"},
         "belongs to a fuel gas"},
        {with(kMethane, {"--sweep", "stack-temperature", "100:200:0"}), "STEP greater than 0"},
        {with(kMethane, {"--sweep", "stack-temperature", "0:200:10"}), "At the stack temperature"},
        {with(kMethane, {"--sweep", "o2-dry", "1:2:0.0001"}), "more than 10000 points"},
        {{"efficiency", "--fuel-gas", "CH4=90", "--o2-dry", "3", "--stack-temperature", "150"},
         "adds up to 90 %"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TwcalcResult j = runTwcalc(with(c.args, {"--json"}));
        EXPECT_EQ(j.status, 4);
        const json out = json::parse(j.out);
        EXPECT_EQ(keys(out), K{"messages"});
        ASSERT_EQ(out["messages"].size(), 1u);
        EXPECT_NE(out["messages"][0]["text"].get<std::string>().find(c.text), std::string::npos)
            << out["messages"][0]["text"];
        EXPECT_EQ(out["messages"][0]["icon"], "critical");
        const TwcalcResult plain = runTwcalc(c.args);
        EXPECT_EQ(plain.status, 4);
        EXPECT_TRUE(plain.out.empty());
        EXPECT_NE(plain.err.find("twcalc: the input was refused; nothing was calculated"),
                  std::string::npos);
    }
}

TEST(TwcalcEfficiency, PlainTextListsTheResultsInTheLanguageChosen) {
    const TwcalcResult en =
        runTwcalc(with(kMethane, {"--sweep", "stack-temperature", "100:120:10"}));
    ASSERT_EQ(en.status, 0) << en.err;
    EXPECT_NE(en.out.find("Gross efficiency (HHV)"), std::string::npos);
    EXPECT_NE(en.out.find("83.49"), std::string::npos);
    EXPECT_NE(en.out.find("Dry flue gas"), std::string::npos);
    EXPECT_NE(en.out.find("\n120 "), std::string::npos);  // the last sweep row
    const TwcalcResult ko = runTwcalc(with(kMethane, {"--lang", "ko"}));
    EXPECT_NE(ko.out.find("총효율 (고위발열량 기준)"), std::string::npos);
}

// Files carry the process number, so that runs in other build trees never share one.
std::string writeFile(const std::string& name, const std::string& text) {
    std::string path = testing::TempDir() + std::to_string(::getpid()) + "_" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::vector<std::string> csvLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// A batch row holds what the single command prints, flattened; a bad row says why and the
// batch goes on.
TEST(TwcalcEfficiency, CsvBatchOneCasePerRow) {
    const std::string path =
        writeFile("efficiency_cases.csv",
                  "fuel_gas,o2_dry,humidity,air_temperature,stack_temperature,analyser\n"
                  "CH4=100,3,0,20,180,gas\n"
                  "CH4=100,3,0,20,10,\n"
                  "CH4=100,3,0,20,,\n"
                  "CH4=100,3,0,20,180,coal\n");
    const TwcalcResult r = runTwcalc({"efficiency", "--csv", path});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = csvLines(r.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].rfind("fuel_gas,o2_dry,humidity,air_temperature,stack_temperature,analyser,"
                             "efficiency_hhv_percent,efficiency_lhv_percent,",
                             0),
              0u);
    EXPECT_NE(lines[0].find(",losses_percent_of_hhv_dry_flue_gas,"), std::string::npos);
    EXPECT_NE(lines[0].find(",losses_kW_other,"), std::string::npos);
    EXPECT_NE(lines[0].find(",combustion_fuel_hhv_kJ_per_kg,"), std::string::npos);
    EXPECT_NE(lines[0].find(",combustion_adiabatic_flame_temperature_C,messages"),
              std::string::npos);
    const json single = runJson(with(kMethane, {"--analyser", "gas"}));
    // The batch writes each number as the JSON does: the shortest text that reads back to it.
    const std::string gross = "," + single["efficiency_hhv_percent"].dump() + ",";
    EXPECT_NE(lines[1].find(gross), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("lies below the air temperature"), std::string::npos);
    EXPECT_NE(lines[3].find("give the stack temperature"), std::string::npos);
    EXPECT_NE(lines[4].find("is neither gas, oil, lpg nor A2,B"), std::string::npos);

    EXPECT_EQ(
        runTwcalc({"efficiency", "--csv", writeFile("bad_efficiency.csv", "stack,o2\n")}).status,
        2);
    EXPECT_EQ(runTwcalc({"efficiency", "--csv", testing::TempDir() + "missing.csv"}).status, 3);
}

}  // namespace

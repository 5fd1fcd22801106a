// twcalc combustion: the JSON keys, usage errors, refusals, and the chain into the flue gas
// calculator.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CsvRecords.h"
#include "RunTwcalc.h"

namespace {

using json = nlohmann::ordered_json;  // the order of keys is part of the output

const std::vector<std::string> kCoal = {"combustion", "--fuel-mass",
                                        "C=65.4,H=4.2,O=7.8,N=1.3,S=0.8,H2O=10.5,Ash=10",
                                        "--excess-air", "20"};
const std::vector<std::string> kGas = {
    "combustion", "--fuel-gas", "CH4=91,C2H6=4.5,C3H8=1.5,C4H10=0.5,N2=1.5,CO2=1", "--o2-dry", "3"};

std::vector<std::string> with(std::vector<std::string> args, std::vector<std::string> more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

json runJson(const std::vector<std::string>& args) {
    const TwcalcResult r = runTwcalc(with(args, {"--json"}));
    EXPECT_EQ(r.status, 0) << r.err;
    return json::parse(r.out);
}

std::vector<std::string> keys(const json& object) {
    std::vector<std::string> k;
    for (const auto& item : object.items()) k.push_back(item.key());
    return k;
}

TEST(TwcalcCombustion, JsonKeysOfASolidAndAGasFuel) {
    using K = std::vector<std::string>;
    const K species{"N2", "Ar", "O2", "CO2", "CO", "SO2", "H2O"};
    const K drySpecies{"N2", "Ar", "O2", "CO2", "CO", "SO2"};
    for (const bool gas : {false, true}) {
        SCOPED_TRACE(gas ? "gas" : "solid");
        const json j = runJson(gas ? kGas : kCoal);
        EXPECT_EQ(keys(j),
                  (K{"fuel", "air", "flue_gas", "adiabatic_flame_temperature_C", "messages"}));
        EXPECT_EQ(j["fuel"]["kind"], gas ? "gas" : "solid");
        K fuel{"kind", "hhv_kJ_per_kg", "lhv_kJ_per_kg"};
        K air{"stoichiometric_kg_per_kg_fuel", "kg_per_kg_fuel", "Nm3_per_kg_fuel",
              "excess_percent", "humidity_kg_per_kg"};
        K flueGas{"wet_vol_percent", "dry_vol_percent", "wet_wt_percent", "kg_per_kg_fuel",
                  "Nm3_per_kg_fuel"};
        if (gas) {
            fuel.insert(fuel.end(), {"hhv_kJ_per_Nm3", "lhv_kJ_per_Nm3"});
            air.push_back("Nm3_per_Nm3_fuel");
            flueGas.push_back("Nm3_per_Nm3_fuel");
        }
        flueGas.insert(flueGas.end(), {"mole_weight", "co2_max_dry_percent"});
        EXPECT_EQ(keys(j["fuel"]), fuel);
        EXPECT_EQ(keys(j["air"]), air);
        EXPECT_EQ(keys(j["flue_gas"]), flueGas);
        EXPECT_EQ(keys(j["flue_gas"]["wet_vol_percent"]), species);
        EXPECT_EQ(keys(j["flue_gas"]["dry_vol_percent"]), drySpecies);
        EXPECT_EQ(keys(j["flue_gas"]["wet_wt_percent"]), species);
        EXPECT_TRUE(j["messages"].empty());
        EXPECT_TRUE(j["adiabatic_flame_temperature_C"].is_number());
    }
}

TEST(TwcalcCombustion, OptionsReachTheCalculation) {
    // Keys in any case; the defaults: 0.013 kg/kg, air at 25 oC, no CO.
    const json coal =
        runJson({"combustion", "--fuel-mass",
                 "c=65.4, h=4.2, o=7.8, n=1.3, s=0.8, h2o=10.5, ASH=10", "--excess-air", "20"});
    EXPECT_DOUBLE_EQ(coal["air"]["humidity_kg_per_kg"], 0.013);
    EXPECT_DOUBLE_EQ(coal["flue_gas"]["wet_vol_percent"]["CO"], 0);
    EXPECT_NEAR(coal["air"]["excess_percent"].get<double>(), 20, 1e-9);
    EXPECT_EQ(coal, runJson(kCoal));

    const json gas =
        runJson(with(kGas, {"--rh", "60", "--air-temperature", "20", "--co-ppm", "100"}));
    EXPECT_NEAR(gas["flue_gas"]["dry_vol_percent"]["O2"].get<double>(), 3, 1e-9);
    EXPECT_NEAR(gas["flue_gas"]["dry_vol_percent"]["CO"].get<double>(), 0.01, 1e-9);
    EXPECT_NEAR(gas["air"]["humidity_kg_per_kg"].get<double>(), 0.00874, 5e-5);
    EXPECT_GT(gas["air"]["excess_percent"].get<double>(), 10);

    const json measured = runJson(with(kCoal, {"--hhv", "27500", "--humidity", "0.02"}));
    EXPECT_DOUBLE_EQ(measured["fuel"]["hhv_kJ_per_kg"], 27500);
    EXPECT_DOUBLE_EQ(measured["air"]["humidity_kg_per_kg"], 0.02);

    const json wet = runJson({"combustion", "--fuel-gas", "CH4=100", "--o2-wet", "2.5"});
    EXPECT_NEAR(wet["flue_gas"]["wet_vol_percent"]["O2"].get<double>(), 2.5, 1e-9);
}

TEST(TwcalcCombustion, MalformedCommandsAreUsageErrors) {
    const std::string coal = "C=65.4,H=4.2,O=7.8,N=1.3,S=0.8,H2O=10.5,Ash=10";
    const std::vector<std::vector<std::string>> cases = {
        {"combustion", "--excess-air", "20"},  // no fuel
        {"combustion", "--fuel-mass", coal, "--fuel-gas", "CH4=100", "--excess-air", "5"},
        {"combustion", "--fuel-gas", "CH4=100"},  // no air
        {"combustion", "--fuel-gas", "CH4=100", "--excess-air", "5", "--o2-dry", "3"},
        {"combustion", "--fuel-gas", "CH4=100", "--o2-dry", "3", "--o2-wet", "3"},
        {"combustion", "--fuel-gas", "CH4=100", "--excess-air", "5", "--humidity", "0.01", "--rh",
         "50"},
        {"combustion", "--fuel-gas", "CH4=90,XE=10", "--excess-air", "5"},   // unknown key
        {"combustion", "--fuel-mass", "C=90,CH4=10", "--excess-air", "5"},   // other kind's
        {"combustion", "--fuel-gas", "CH4=50,ch4=50", "--excess-air", "5"},  // twice
        {"combustion", "--fuel-gas", "CH4", "--excess-air", "5"},            // no "="
        {"combustion", "--fuel-gas", "CH4=1OO", "--excess-air", "5"},        // not a number
        {"combustion", "--fuel-gas", "CH4=100,", "--excess-air", "5"},       // empty entry
        {"combustion", "--fuel-gas", "CH4=100", "--excess-air", "five"},
        {"combustion", "--fuel-gas", "CH4=100", "--excess-air", "5", "--t",
         "300"},  // no --calculate
        {"combustion", "--fuel-gas", "CH4=100", "--excess-air", "5", "--calculate"},  // no --t
        {"combustion", "--fuel-gas", "CH4=100", "--excess-air", "5", "--calculate", "--t", "300",
         "--tref", "25", "--formula", "7"},
        {"combustion", "--fuel-gas", "CH4=100", "--excess-air", "5", "--lang", "fr"},
    };
    for (const auto& args : cases) {
        const TwcalcResult r = runTwcalc(with(args, {"--json"}));
        EXPECT_EQ(r.status, 2) << testing::PrintToString(args) << r.out;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_FALSE(r.err.empty());
    }
}

TEST(TwcalcCombustion, ARefusedInputPrintsItsMessageAndNoResults) {
    const std::vector<std::string> refused = {"combustion", "--fuel-gas", "CH4=90,N2=9",
                                              "--excess-air", "10"};
    const TwcalcResult j = runTwcalc(with(refused, {"--json"}));
    EXPECT_EQ(j.status, 4);
    EXPECT_EQ(json::parse(j.out),
              json::parse(R"({"messages": [{"caption": "Function FlueGasFromFuel", "text": "The )"
                          R"(fuel analysis adds up to 99 %; it must add up to 100 % within )"
                          R"(0.05 %.", "icon": "critical"}]})"));
    const TwcalcResult plain = runTwcalc(with(refused, {"--lang", "ko"}));
    EXPECT_EQ(plain.status, 4);
    EXPECT_TRUE(plain.out.empty());
    EXPECT_EQ(plain.err,
              "Function FlueGasFromFuel: 연료 분석의 합계가 99 % 입니다. 합계는 100 % (허용 "
              "오차 0.05 %) 이어야 합니다.\n"
              "twcalc: the input was refused; nothing was calculated\n");
    // A value the calculation cannot take is refused the same way.
    const TwcalcResult negative =
        runTwcalc({"combustion", "--fuel-gas", "CH4=100", "--excess-air", "-3", "--json"});
    EXPECT_EQ(negative.status, 4);
    EXPECT_EQ(keys(json::parse(negative.out)), std::vector<std::string>{"messages"});
}

TEST(TwcalcCombustion, PlainTextListsTheResultsInTheLanguageChosen) {
    const TwcalcResult en = runTwcalc(kGas);
    EXPECT_EQ(en.status, 0);
    EXPECT_NE(en.out.find("Excess air"), std::string::npos);
    EXPECT_NE(en.out.find("kJ/Nm3"), std::string::npos);
    EXPECT_NE(en.out.find("Wet vol %"), std::string::npos);
    const TwcalcResult ko = runTwcalc(with(kCoal, {"--lang", "ko"}));
    EXPECT_NE(ko.out.find("과잉 공기"), std::string::npos);
    EXPECT_EQ(ko.out.find("kJ/Nm3"), std::string::npos);  // per Nm3 only for a fuel gas
}

// --calculate types the wet composition into the calculator's table: the same table as
// `twcalc fluegas` with those texts.
TEST(TwcalcCombustion, CalculateChainsIntoTheFlueGasCalculator) {
    for (const std::string basis : {"vol", "wt"}) {
        SCOPED_TRACE(basis);
        const json j = runJson(with(kCoal, {"--calculate", "--t", "300", "--tref", "25", "--basis",
                                            basis, "--formula", "1", "--utp", "oF"}));
        const json& table = j["fluegas"]["table"];
        ASSERT_EQ(table.size(), 17u);
        std::vector<std::string> fluegas = {"fluegas", "--t",     "300", "--tref",
                                            "25",      "--basis", basis, "--formula",
                                            "1",       "--utp",   "oF",  "--json"};
        const char* options[] = {"--n2", "--ar", "--o2", "--co2", "--co", "--so2", "--h2o"};
        double total = 0;
        for (int row = 1; row <= 7; ++row) {
            const std::string text = table[row][2];
            fluegas.insert(fluegas.end(), {options[row - 1], text});
            total += std::stod(text);
        }
        EXPECT_NEAR(total, 100, 1e-9);
        const TwcalcResult direct = runTwcalc(fluegas);
        EXPECT_EQ(table, json::parse(direct.out)["table"]);
        EXPECT_EQ(table[8][2], "100.000");  // taken as it stands: no normalising
        EXPECT_TRUE(j["messages"].empty()) << j["messages"];
    }
}

}  // namespace

namespace {

std::string writeFile(const std::string& name, const std::string& text) {
    std::string path = testing::TempDir() + name;
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
TEST(TwcalcCombustion, CsvBatchOneCasePerRow) {
    const std::string path = writeFile("combustion_cases.csv",
                                       "fuel_gas,excess_air,o2_dry,rh,air_temperature\n"
                                       "CH4=100,,3,60,20\n"
                                       "CH4=90,10,,,\n"
                                       "\"CH4=100,XE=3\",10,,,\n"
                                       "CH4=100,10,3,,\n");
    const TwcalcResult r = runTwcalc({"combustion", "--csv", path});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = csvLines(r.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].rfind("fuel_gas,excess_air,o2_dry,rh,air_temperature,fuel_kind,"
                             "fuel_hhv_kJ_per_kg,fuel_lhv_kJ_per_kg,fuel_hhv_kJ_per_Nm3,",
                             0),
              0u);
    EXPECT_NE(lines[0].find(",flue_gas_wet_vol_percent_N2,"), std::string::npos);
    EXPECT_NE(lines[0].find(",adiabatic_flame_temperature_C,messages"), std::string::npos);
    const json single = runJson({"combustion", "--fuel-gas", "CH4=100", "--o2-dry", "3", "--rh",
                                 "60", "--air-temperature", "20"});
    // Its numbers are the single command's JSON numbers.
    std::istringstream batchCsv(r.out);
    std::vector<std::string> names, row;
    ASSERT_TRUE(tw::fluegas::readCsvRecord(batchCsv, names));
    ASSERT_TRUE(tw::fluegas::readCsvRecord(batchCsv, row));
    ASSERT_EQ(names.size(), row.size());
    const auto column = [&](const std::string& name) {
        const auto at = std::find(names.begin(), names.end(), name);
        return at == names.end() ? std::string("no column") : row[at - names.begin()];
    };
    EXPECT_EQ(column("fuel_kind"), "gas");
    EXPECT_EQ(std::stod(column("fuel_hhv_kJ_per_kg")), single["fuel"]["hhv_kJ_per_kg"]);
    EXPECT_EQ(std::stod(column("air_excess_percent")), single["air"]["excess_percent"]);
    EXPECT_NE(lines[2].find("adds up to 90 %"), std::string::npos);
    EXPECT_NE(lines[3].find("unknown key 'XE'"), std::string::npos);
    EXPECT_NE(lines[4].find("give one air quantity"), std::string::npos);

    EXPECT_EQ(runTwcalc({"combustion", "--csv", writeFile("bad.csv", "fuel,excess_air\n")}).status,
              2);
    EXPECT_EQ(runTwcalc({"combustion", "--csv", path, "--excess-air", "3"}).status, 2);
    EXPECT_EQ(runTwcalc({"combustion", "--csv", testing::TempDir() + "missing.csv"}).status, 3);

    // --out replaces its file whole with what standard output would show; it belongs to a batch.
    const std::string out = testing::TempDir() + "combustion_results.csv";
    std::ofstream(out, std::ios::binary) << "an older result";
    const TwcalcResult written = runTwcalc({"combustion", "--csv", path, "--out", out});
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out, "4 cases written to " + out + ", 3 refused\n");
    std::ifstream file(out, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), r.out);
    EXPECT_EQ(runTwcalc({"combustion", "--fuel-gas", "CH4=100", "--excess-air", "10", "--out", out})
                  .status,
              2);
    EXPECT_EQ(runTwcalc({"combustion", "--csv", path, "--out", testing::TempDir()}).status, 3);
}

}  // namespace

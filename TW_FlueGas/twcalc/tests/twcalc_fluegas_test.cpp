// twcalc fluegas: one case typed into a fresh table, and CSV batches.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "FlueGasBatch.h"
#include "FlueGasCalculator.h"
#include "RunTwcalc.h"
#include "mdlTW_FlueGas.h"

namespace {

namespace fg = tw::fluegas;

const std::vector<std::string> kTypicalArgs = {
    "fluegas", "--n2",  "76",  "--ar",  "0.9", "--o2", "4",   "--co2",  "12", "--co",
    "0",       "--so2", "0.1", "--h2o", "7",   "--t",  "300", "--tref", "25"};

std::vector<std::string> with(std::vector<std::string> args, std::vector<std::string> more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// The table the window shows after the user typed the typical request and pressed Calculate.
nlohmann::json windowTable(tw::enmLanguage language) {
    tw::TW_Language = language;
    fg::CalculatorTable table;
    const std::vector<std::string> typed = {"76", "0.9", "4", "12", "0", "0.1", "7"};
    for (int row = 1; row <= 7; ++row)
        table.setValue(row, typed[static_cast<std::size_t>(row - 1)]);
    table.setValue(fg::rowGasTemperature, "300");
    table.setValue(fg::rowReferenceTemperature, "25");
    tw::RecordingMessageSink quiet;
    tw::ScopedMessageSink guard(quiet);
    fg::Calculate(table);
    nlohmann::json rows = nlohmann::json::array();
    for (int row = 0; row < fg::kTableRows; ++row) {
        rows.push_back({table.text(row, 0), table.text(row, 1), table.text(row, 2)});
    }
    return rows;
}

// Rows 8 and 11 to 16 of that table, the result columns of a batch.
std::vector<std::string> windowTableValues() {
    const nlohmann::json t = windowTable(tw::TW_English);
    std::vector<std::string> values;
    for (int row : {8, 11, 12, 13, 14, 15, 16}) values.push_back(t[row][2]);
    return values;
}

TEST(TwcalcFlueGas, PrintsTheTableTheWindowShows) {
    for (auto [lang, language] :
         {std::pair{"en", tw::TW_English}, std::pair{"ko", tw::TW_Korean}}) {
        const TwcalcResult r = runTwcalc(with(kTypicalArgs, {"--json", "--lang", lang}));
        ASSERT_EQ(r.status, 0) << r.err;
        const nlohmann::json out = nlohmann::json::parse(r.out);
        EXPECT_EQ(out["table"], windowTable(language));
        EXPECT_EQ(out["messages"], nlohmann::json::array());
        EXPECT_EQ(out["table"][fg::rowOkkesDewPoint][2], "139.90");
    }
    const TwcalcResult plain = runTwcalc(kTypicalArgs);
    EXPECT_EQ(plain.status, 0);
    std::istringstream lines(plain.out);
    std::string header, n2;
    std::getline(lines, header);
    std::getline(lines, n2);
    EXPECT_EQ(header, "Item                             Unit      Value");
    EXPECT_EQ(n2, "N2                               Volume %  76");
}

TEST(TwcalcFlueGas, SettingsReachTheTable) {
    const TwcalcResult r =
        runTwcalc(with(kTypicalArgs, {"--utp", "oF", "--uenth", "1", "--so3", "2", "--formula", "1",
                                      "--basis", "wt", "--json"}));
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json table = nlohmann::json::parse(r.out)["table"];
    EXPECT_EQ(table[fg::rowN2][1], "Weight %");
    EXPECT_EQ(table[fg::rowN2][2], "76");  // typed as weight percent, nothing converted
    EXPECT_EQ(table[fg::rowGasTemperature][1], "oF");
    EXPECT_EQ(table[fg::rowGasEnthalpy][1], "kJ/kg");
    EXPECT_EQ(table[fg::rowSo3ConversionRate][2], "2");
    // 100 / sum(w/M): the same numbers read as weight percents make a lighter gas.
    EXPECT_EQ(table[fg::rowMoleWeight][2], "28.382");

    const TwcalcResult empty = runTwcalc({"fluegas", "--so3", "user", "--json"});
    const nlohmann::json out = nlohmann::json::parse(empty.out);
    EXPECT_EQ(out["table"][fg::rowComponentTotal][2], "0.000");
    EXPECT_EQ(out["messages"][0]["text"],
              "Component total be greater than 0%, preferably be 100%.");
    EXPECT_EQ(out["messages"][0]["caption"], "TW_FlueGas");
}

TEST(TwcalcFlueGas, UnusableOptionsAreUsageErrors) {
    for (const std::vector<std::string>& extra :
         std::vector<std::vector<std::string>>{{"--n2", "7a"},
                                               {"--utp", "4"},
                                               {"--upr", "bar"},
                                               {"--basis", "mol"},
                                               {"--formula", "3"},
                                               {"--so3", "1%"},
                                               {"--out", "x.csv"}}) {
        const TwcalcResult r = runTwcalc(with({"fluegas"}, extra));
        EXPECT_EQ(r.status, 2) << extra[0] << " " << extra[1];
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(runTwcalc({"fluegas", "--csv", "a.csv", "--n2", "1"}).status, 2);
}

class TwcalcFlueGasBatch : public ::testing::Test {
  protected:
    void SetUp() override {
        dir =
            std::filesystem::temp_directory_path() /
            ("twcalc_fluegas_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string write(const std::string& name, const std::string& text) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::filesystem::path dir;
};

TEST_F(TwcalcFlueGasBatch, EachCaseReportsInItsOwnRow) {
    const std::string in = write("in.csv",
                                 "n2,ar,o2,co2,co,so2,h2o,t,tref,formula,so3\r\n"
                                 "76,0.9,4,12,0,0.1,7,300,25,,\r\n"
                                 ",,,,,,,300,25,,\r\n"
                                 "76,0.9,4,12,0,0.1,7,300,25,7,\r\n"
                                 "76,0.9,4,12,0,0.1,7,300,25,2,2\r\n"
                                 "76,0.9\r\n");
    const std::string out = (dir / "out.csv").string();
    const TwcalcResult r = runTwcalc({"fluegas", "--csv", in, "--out", out, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["cases"], 5);
    std::istringstream csv(read(out));
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> fields;
    while (fg::readCsvRecord(csv, fields)) rows.push_back(fields);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].back(), "messages");
    EXPECT_EQ(rows[0][11], "total");
    for (const auto& row : rows) EXPECT_EQ(row.size(), 19u);
    EXPECT_EQ(std::vector<std::string>(rows[1].begin() + 11, rows[1].begin() + 18),
              windowTableValues());
    EXPECT_EQ(rows[1][18], "");
    EXPECT_EQ(rows[2][11], "0.000");
    EXPECT_EQ(rows[2][18], "TW_FlueGas: Component total be greater than 0%, preferably be 100%.");
    EXPECT_NE(rows[3][18].find("formula '7'"), std::string::npos);
    EXPECT_EQ(rows[4][14], "2");  // the user's rate stays
    EXPECT_NE(rows[5][18].find("2 fields"), std::string::npos);
}

TEST_F(TwcalcFlueGasBatch, JobsChangeNothingInTheOutput) {
    std::string cases = "n2,ar,o2,co2,co,so2,h2o,t,tref,formula\n";
    for (int i = 0; i < 700; ++i) {
        cases += "76,0.9,4,12,0,0.1,7," + std::to_string(100 + i) + ",25," + std::to_string(i % 3) +
                 "\n";
    }
    const std::string in = write("in.csv", cases);
    const TwcalcResult one = runTwcalc({"fluegas", "--csv", in, "--jobs", "1"});
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(std::count(one.out.begin(), one.out.end(), '\n'), 701);
    EXPECT_EQ(runTwcalc({"fluegas", "--csv", in, "--jobs", "3"}).out, one.out);
    const std::string out = (dir / "out.csv").string();
    ASSERT_EQ(runTwcalc({"fluegas", "--csv", in, "--out", out}).status, 0);  // all cores
    EXPECT_EQ(read(out), one.out);
    EXPECT_EQ(runTwcalc({"fluegas", "--csv", in, "--jobs", "0"}).status, 2);
    EXPECT_EQ(runTwcalc(with(kTypicalArgs, {"--jobs", "2"})).status, 2);
}

TEST_F(TwcalcFlueGasBatch, AMisspeltHeaderStopsTheBatch) {
    const std::string in = write("in.csv", "n2,argon\n76,1\n");
    EXPECT_EQ(runTwcalc({"fluegas", "--csv", in}).status, 2);
    EXPECT_EQ(runTwcalc({"fluegas", "--csv", write("empty.csv", "")}).status, 2);
}

TEST_F(TwcalcFlueGasBatch, ADuplicatedColumnStopsEveryBatch) {
    const struct {
        std::vector<std::string> args;
        std::string header;
        std::string column;
    } cases[] = {
        {{"fluegas"}, "n2,t,tref,t\n", "t"},
        {{"fluegas"}, "n2, tref ,t,tref\n", "tref"},
        {{"combustion"}, "fuel_gas,excess_air,excess_air \n", "excess_air"},
        {{"efficiency"},
         "fuel_gas,stack_temperature,excess_air,stack_temperature\n",
         "stack_temperature"},
        {{"gas-properties"}, "n2,t,n2\n", "n2"},
    };
    for (const auto& c : cases) {
        const std::string in = write("dup.csv", c.header + "76,300,25,300\n");
        const TwcalcResult r = runTwcalc(with(c.args, {"--csv", in}));
        EXPECT_EQ(r.status, 2) << c.header;
        EXPECT_NE(r.err.find("the column '" + c.column + "' appears twice in the header"),
                  std::string::npos)
            << r.err;
    }
}

TEST_F(TwcalcFlueGasBatch, TheSummaryCountsTheRefusedRows) {
    const std::string in = write("in.csv",
                                 "n2,ar,o2,co2,co,so2,h2o,t,tref\n"
                                 "76,0.9,4,12,0,0.1,7,300,25\n"
                                 "76,0.9,4,12,0,0.1,7,3x0,25\n"
                                 "\"76,0.9,4,12,0,0.1,7,300,25\n"
                                 "76,0.9,4,12,0,0.1,7,300,25\n");
    const std::string out = (dir / "out.csv").string();
    const TwcalcResult plain = runTwcalc({"fluegas", "--csv", in, "--out", out});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out, "4 cases written to " + out + ", 2 refused\n");
    EXPECT_NE(read(out).find("unterminated quote opened on line 4"), std::string::npos);
    const auto json =
        nlohmann::json::parse(runTwcalc({"fluegas", "--csv", in, "--out", out, "--json"}).out);
    EXPECT_EQ(json["cases"], 4);
    EXPECT_EQ(json["refused"], 2);
    EXPECT_EQ(json["summary"], "4 cases written to " + out + ", 2 refused");
}

// One stray quote costs every batch its own row only, and the summary counts it.
TEST_F(TwcalcFlueGasBatch, AStrayQuoteRefusesOnlyItsRowInEveryBatch) {
    const struct {
        const char* command;
        std::string header, good;
    } batches[] = {
        {"combustion", "fuel_gas,excess_air\n", "CH4=100,20\n"},
        {"efficiency", "fuel_gas,excess_air,stack_temperature\n", "CH4=100,20,180\n"},
        {"gas-properties", "n2,co2,h2o,t\n", "75,13,12,200\n"},
    };
    for (const auto& b : batches) {
        SCOPED_TRACE(b.command);
        std::string bad = b.good;
        bad.insert(0, "\"");
        const std::string in = write("quote.csv", b.header + b.good + bad + b.good);
        const std::string out = (dir / "out.csv").string();
        const TwcalcResult r = runTwcalc({b.command, "--csv", in, "--out", out});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "3 cases written to " + out + ", 1 refused\n");
        EXPECT_NE(read(out).find("unterminated quote opened on line 3"), std::string::npos);
    }
}

// Files that cannot be read or written end the run with status 3 and say why, without the
// usage hint; the output file is replaced whole or not at all.
TEST_F(TwcalcFlueGasBatch, FilesThatCannotBeReadOrWrittenExitWithThree) {
    const std::string in = write("in.csv", "n2,t,tref\n76,300,25\n");
    const std::string out = write("out.csv", "old results");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directories(dir / "folder");
    struct Case {
        std::vector<std::string> args;
        std::string reason;
    };
    for (const Case& c : std::vector<Case>{
             {{"--csv", (dir / "missing.csv").string()}, "missing.csv': No such file"},
             {{"--csv", dir.string()}, "Is a directory"},
             {{"--csv", in, "--out", (dir / "fifo").string()}, "not a regular file"},
             {{"--csv", in, "--out", (dir / "folder").string()}, "not a regular file"},
             {{"--csv", in, "--out", "/dev/null"}, "not a regular file"},
             {{"--csv", in, "--out", (dir / "no" / "out.csv").string()}, "No such file"},
             {{"--csv", dir.string(), "--out", out}, "Is a directory"},
         }) {
        const TwcalcResult r = runTwcalc(with({"fluegas"}, c.args));
        EXPECT_EQ(r.status, 3) << c.args[1];
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("--help"), std::string::npos) << r.err;
    }
    // A header that stops the batch is still a usage error, and leaves the old file alone.
    const std::string bad = write("bad.csv", "n2,argon\n76,1\n");
    EXPECT_EQ(runTwcalc({"fluegas", "--csv", bad, "--out", out}).status, 2);
    EXPECT_EQ(read(out), "old results");
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "fifo"));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"bad.csv", "fifo", "folder", "in.csv", "out.csv"}));
}

TEST_F(TwcalcFlueGasBatch, OutputThroughALinkReplacesTheFileItNames) {
    const std::string in = write("in.csv", "n2,t,tref\n76,300,25\n");
    std::filesystem::create_directories(dir / "results");
    write("results/out.csv", "old results");
    std::filesystem::create_symlink("results/out.csv", dir / "latest.csv");
    const TwcalcResult r =
        runTwcalc({"fluegas", "--csv", in, "--out", (dir / "latest.csv").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "latest.csv"));
    EXPECT_TRUE(read((dir / "results" / "out.csv").string()).starts_with("n2,t,tref,total"));
}

TEST(Csv, FieldsRoundTrip) {
    const std::vector<std::string> fields = {"plain", "a,b", "say \"N/A\"", "two\nlines", ""};
    std::string line;
    for (const std::string& f : fields) line += (line.empty() ? "" : ",") + fg::csvField(f);
    std::istringstream in(line + "\r\nnext\n");
    std::vector<std::string> back;
    ASSERT_TRUE(fg::readCsvRecord(in, back));
    EXPECT_EQ(back, fields);
    ASSERT_TRUE(fg::readCsvRecord(in, back));
    EXPECT_EQ(back, std::vector<std::string>{"next"});
    EXPECT_FALSE(fg::readCsvRecord(in, back));
}

}  // namespace

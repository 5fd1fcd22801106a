// The settings file TW_FlueGas.twn: line order, CR LF, the failure rules and the safe write.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "SettingsFile.h"

using namespace tw;
using namespace tw::fluegas;
namespace fs = std::filesystem;

namespace {

class TempDir {
  public:
    TempDir() {
        path_ = fs::temp_directory_path() /
                ("twn_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeAll(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
}

// 23 lines of "0" with line `line` (1-based) replaced by `text`.
std::string fileWithLine(int line, const std::string& text, const char* eol = "\r\n") {
    std::string s;
    for (int i = 1; i <= 23; ++i) s += (i == line ? text : std::string("0")) + eol;
    return s;
}

}  // namespace

TEST(SettingsFile, LinesFollowTheAlphabeticalQuantityOrderWithCrLf) {
    Unit units;
    units.setuTP(ktounit_degF);       // line 18
    units.setuENTH(ktounit_kJperkg);  // line 4
    units.setuArea(2);                // line 1
    units.setuVol(1);                 // line 23
    const std::string text = settingsText(units);
    EXPECT_EQ(text,
              "2\r\n0\r\n0\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
              "0\r\n1\r\n0\r\n0\r\n0\r\n0\r\n1\r\n");
    const SettingsRead back = parseSettings(text);
    EXPECT_EQ(back.origin, SettingsOrigin::Read);
    EXPECT_FALSE(back.error);
    for (QuantityId q : kSettingsLineOrder) EXPECT_EQ(back.units.current(q), units.current(q));
}

TEST(SettingsFile, ShortFilesTakeNothingOverAndShowNoMessage) {
    for (const std::string& text :
         {std::string(), std::string("\r\n"),
          std::string("1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n"),
          fileWithLine(0, "").substr(0, 22 * 3)}) {
        const SettingsRead r = parseSettings(text);
        EXPECT_EQ(r.origin, SettingsOrigin::TooShort) << text;
        EXPECT_FALSE(r.error);
        EXPECT_EQ(r.units.uENTH(), 0);
        EXPECT_EQ(r.units.uArea(), 0);
    }
}

TEST(SettingsFile, RefusedLinesKeepTheirDefaultAndReportTheFirstRefusal) {
    struct Case {
        std::string line;
        int expectedNumber;  // 0: accepted
        int expectedIndex;
    };
    const Case cases[] = {
        {"3", 0, 3},    {" 2 ", 0, 2}, {"+1", 0, 1}, {"abc", 13, 0}, {"", 13, 0},
        {"1.5", 13, 0}, {"3x", 13, 0}, {"-1", 9, 0}, {"99", 9, 0},   {"99999999999999999999", 6, 0},
        {"nan", 13, 0},
    };
    for (const Case& c : cases) {
        // Line 18 is the temperature unit, which has 4 units; line 1 stays valid.
        std::string text = fileWithLine(18, c.line);
        text.replace(0, 1, "1");
        const SettingsRead r = parseSettings(text);
        EXPECT_EQ(r.origin, SettingsOrigin::Read);
        EXPECT_EQ(r.units.uTP(), c.expectedIndex) << c.line;
        EXPECT_EQ(r.units.uArea(), 1) << "valid lines are still taken over: " << c.line;
        if (c.expectedNumber == 0) {
            EXPECT_FALSE(r.error) << c.line;
        } else {
            ASSERT_TRUE(r.error) << c.line;
            EXPECT_EQ(r.error->number(), c.expectedNumber) << c.line;
        }
    }
    // Two refusals: only the first one is reported.
    std::string two = fileWithLine(4, "x");
    two.replace(two.find("0\r\n", 17 * 3), 1, "7");
    const SettingsRead r = parseSettings(two);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->messageText(), "Error #13\nType mismatch");
}

TEST(SettingsFile, LineFeedOnlyFilesAndExtraLinesAreRead) {
    const SettingsRead lf = parseSettings(fileWithLine(18, "1", "\n") + "garbage\n");
    EXPECT_FALSE(lf.error);
    EXPECT_EQ(lf.units.uTP(), ktounit_degF);
    // The last line may lack its line end.
    std::string noEnd = fileWithLine(23, "1");
    noEnd.resize(noEnd.size() - 2);
    EXPECT_EQ(parseSettings(noEnd).units.uVol(), 1);
}

TEST(SettingsFile, FirstStartCreatesAnEmptyFileAndExitFillsIt) {
    TempDir dir;
    const fs::path file = dir.path() / "TW_FlueGas.twn";
    const SettingsRead first = loadSettingsFile(file);
    EXPECT_EQ(first.origin, SettingsOrigin::CreatedEmpty);
    EXPECT_FALSE(first.error);
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_EQ(loadSettingsFile(file).origin, SettingsOrigin::TooShort);

    Unit units = first.units;
    units.setuTP(ktounit_degF);
    EXPECT_FALSE(saveSettingsFile(file, units));
    EXPECT_EQ(readAll(file), settingsText(units));
    EXPECT_EQ(loadSettingsFile(file).units.uTP(), ktounit_degF);
    // No temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);
}

TEST(SettingsFile, HugeOrBinaryFilesNeverCrashTheReader) {
    TempDir dir;
    const fs::path file = dir.path() / "TW_FlueGas.twn";
    writeAll(file, std::string(1 << 20, '7'));
    const SettingsRead one = loadSettingsFile(file);
    EXPECT_EQ(one.origin, SettingsOrigin::TooShort);
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 37 % 256);
    writeAll(file, binary);
    const SettingsRead two = loadSettingsFile(file);
    EXPECT_TRUE(two.origin == SettingsOrigin::TooShort || two.origin == SettingsOrigin::Read);
}

TEST(SettingsFile, WriteFailureKeepsTheOldFileAndReportsAnError) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    TempDir dir;
    const fs::path file = dir.path() / "TW_FlueGas.twn";
    writeAll(file, fileWithLine(18, "3"));
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    Unit units;
    const auto error = saveSettingsFile(file, units);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), 70);
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(loadSettingsFile(file).units.uTP(), 3);
}

TEST(SettingsFile, UnreadableFileIsAnError) {
    TempDir dir;
    // A directory in the place of the file cannot be read as one.
    fs::create_directories(dir.path() / "TW_FlueGas.twn");
    const SettingsRead r = loadSettingsFile(dir.path() / "TW_FlueGas.twn");
    EXPECT_EQ(r.origin, SettingsOrigin::Unreadable);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->messageText().rfind("Error #", 0), 0u);
}

TEST(SettingsFile, LivesBesideTheProgramUnlessItsDirectoryIsClosed) {
    TempDir dir;
    const fs::path program = dir.path() / "bin";
    const fs::path config = dir.path() / "config" / "TW_FlueGas";
    fs::create_directories(program);
    EXPECT_EQ(settingsFilePath(program, config, "TW_FlueGas"), program / "TW_FlueGas.twn");
    // A program directory that does not exist (or is closed to the user) sends the file to the
    // user's configuration directory, which is created.
    EXPECT_EQ(settingsFilePath(dir.path() / "missing", config, "TW_FlueGas"),
              config / "TW_FlueGas.twn");
    EXPECT_TRUE(fs::is_directory(config));
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(program)) ++files;
    EXPECT_EQ(files, 0) << "the probe file is removed";
}

TEST(SettingsFile, FailedRenameLeavesNoTemporaryFileBehind) {
    TempDir dir;
    // A non-empty directory in the place of the file: the rename over it fails for anyone.
    const fs::path file = dir.path() / "TW_FlueGas.twn";
    fs::create_directories(file / "inside");
    const auto error = saveSettingsFile(file, Unit{});
    ASSERT_TRUE(error);
    EXPECT_EQ(error->messageText().rfind("Error #", 0), 0u);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1);
    // A folder path through a plain file cannot even take the temporary file.
    writeAll(dir.path() / "plain", "x");
    EXPECT_TRUE(saveSettingsFile(dir.path() / "plain" / "TW_FlueGas.twn", Unit{}));
}

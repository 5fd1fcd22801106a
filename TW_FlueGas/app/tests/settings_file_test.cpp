// The settings file TW_FlueGas.twn: line order, CR LF, the failure rules and the safe write.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <future>
#include <set>
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

std::set<std::string> entries(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

// Runs `read` on a thread and fails, instead of hanging, when it does not return in time; a
// reader stuck on the named pipe `fifo` is released by opening the pipe for writing.
SettingsRead loadWithin(const fs::path& file, const fs::path& fifo = {}) {
    auto reading = std::async(std::launch::async, [file] { return loadSettingsFile(file); });
    if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "reading " << file << " waits";
        if (!fifo.empty()) ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    }
    return reading.get();
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

TEST(SettingsFile, OnlyARegularFileIsReadAndNothingElseIsReplaced) {
    TempDir dir;
    const fs::path fifo = dir.path() / "TW_FlueGas.twn";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directories(dir.path() / "folder" / "TW_FlueGas.twn");
    // A named pipe without a writer, a device and a folder: none of them holds settings, and
    // reading them neither waits nor takes anything over.
    for (const fs::path& name :
         {fifo, fs::path("/dev/null"), dir.path() / "folder" / "TW_FlueGas.twn"}) {
        const SettingsRead r = loadWithin(name, name == fifo ? fifo : fs::path());
        EXPECT_EQ(r.origin, SettingsOrigin::Unreadable) << name;
        ASSERT_TRUE(r.error) << name;
        EXPECT_EQ(r.error->messageText(), "Error #75\nPath/File access error") << name;
        EXPECT_EQ(r.units.uTP(), 0);
        EXPECT_TRUE(nameTakenByNonFile(name)) << name;
    }
    // Saving does not replace the pipe, and leaves no temporary file.
    Unit units;
    units.setuTP(ktounit_degF);
    const auto error = saveSettingsFile(fifo, units);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), 75);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"TW_FlueGas.twn", "folder"}));
    // A regular file, and a link to one, are still read and replaced as before.
    EXPECT_FALSE(nameTakenByNonFile(dir.path() / "missing.twn"));
    writeAll(dir.path() / "real.twn", settingsText(units));
    fs::create_symlink(dir.path() / "real.twn", dir.path() / "link.twn");
    EXPECT_FALSE(nameTakenByNonFile(dir.path() / "link.twn"));
    EXPECT_EQ(loadWithin(dir.path() / "link.twn").units.uTP(), ktounit_degF);
    // Saving through the link replaces the file it names; the link stays a link.
    ASSERT_FALSE(saveSettingsFile(dir.path() / "link.twn", Unit{}));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.twn"));
    EXPECT_EQ(readAll(dir.path() / "real.twn"), settingsText(Unit{}));
}

TEST(SettingsFile, TemporariesOfAnInterruptedSaveAreRemovedAtTheNextSave) {
    TempDir dir;
    const fs::path file = dir.path() / "TW_FlueGas.twn";
    const auto started = fs::file_time_type::clock::now() - std::chrono::minutes(30);
    const auto before = started - std::chrono::hours(2);
    const auto touch = [&](const std::string& name, fs::file_time_type when) {
        writeAll(dir.path() / name, "1\r\n");
        fs::last_write_time(dir.path() / name, when);
    };
    // Left by earlier runs of the program: removed.
    touch("TW_FlueGas.twn.tmp1a2b3c", before);
    touch("TW_FlueGas.twn.tmp0", before);
    touch("TW_FlueGas.probe.tmpbeef", before);
    // Not ours, or possibly a save of another copy of the program running now: kept.
    touch("TW_FlueGas.twn.tmpXYZ", before);
    touch("TW_FlueGas.twn.tmp1234567", before);
    touch("TW_FlueGas.twn.tmp", before);
    touch("Other.twn.tmp12", before);
    touch("TW_FlueGas.twn.tmpabc", fs::file_time_type::clock::now());
    fs::create_directory(dir.path() / "TW_FlueGas.twn.tmp99");
    fs::last_write_time(dir.path() / "TW_FlueGas.twn.tmp99", before);

    ASSERT_FALSE(saveSettingsFile(file, Unit{}, started));
    EXPECT_EQ(
        entries(dir.path()),
        (std::set<std::string>{"TW_FlueGas.twn", "TW_FlueGas.twn.tmpXYZ",
                               "TW_FlueGas.twn.tmp1234567", "TW_FlueGas.twn.tmp", "Other.twn.tmp12",
                               "TW_FlueGas.twn.tmpabc", "TW_FlueGas.twn.tmp99"}));
    EXPECT_EQ(readAll(file), settingsText(Unit{}));
}

TEST(SettingsFile, AWriteThatStopsHalfWayKeepsTheOldFileAndNoTemporary) {
    TempDir dir;
    const fs::path file = dir.path() / "TW_FlueGas.twn";
    writeAll(file, fileWithLine(18, "3"));
    // Files may grow to 10 bytes only: the write of 23 lines stops part way.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto error = saveSettingsFile(file, Unit{});
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->messageText(), "Error #57\nDevice I/O error");
    EXPECT_EQ(loadSettingsFile(file).units.uTP(), 3);
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"TW_FlueGas.twn"});
}

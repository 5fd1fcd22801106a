// The steam tables in memory: the same answers as reading the files on every lookup, bit for
// bit; files that go missing, are truncated or replaced while a program runs; damaged files,
// the manifest and the plausibility checks; lookups on several threads at once.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "SteamTableFiles.h"
#include "SteamTables.h"
#include "tw/AutomationError.h"
#include "tw/MessageSink.h"
#include "tw/Stable.h"

namespace {

namespace fs = std::filesystem;
namespace steam = tw::steam;
using tw::Stable;

// Everything a call leaves behind: every public result bit for bit, the messages and beeps.
struct Outcome {
    std::vector<std::uint32_t> bits;
    std::vector<std::string> messages;
    int beeps = 0;
    bool operator==(const Outcome&) const = default;
};

// The outcome less the notice that files are used without checksums, which the first lookup
// of a process in such files shows once.
Outcome withoutChecksumNotice(Outcome o) {
    std::erase_if(o.messages,
                  [](const std::string& m) { return m.find("without checksums") != m.npos; });
    return o;
}

Outcome sat(Stable& st, int code, float value) {
    tw::RecordingMessageSink sink;
    Outcome o;
    {
        const tw::ScopedThreadMessageSink guard(sink);
        st.SSTABLE(code, value);
    }
    for (float v :
         {st.PSAT(), st.TSAT(), st.SVOLF(), st.SVOLG(), st.ENTHF(), st.ENTHG(), st.ENTROF(),
          st.ENTROG(), st.ViscoF(), st.ViscoG(), st.ViscoXF(), st.ViscoXG(), st.StableError()}) {
        o.bits.push_back(std::bit_cast<std::uint32_t>(v));
    }
    for (const auto& m : sink.messages()) o.messages.push_back(m.text);
    o.beeps = sink.beeps();
    return o;
}

Outcome state(Stable& st, int k1, float x1, int k2, float x2) {
    tw::RecordingMessageSink sink;
    Outcome o;
    {
        const tw::ScopedThreadMessageSink guard(sink);
        st.STABLE(k1, x1, k2, x2);
    }
    for (float v : {st.PR(), st.TP(), st.SVOL(), st.ENTH(), st.ENTRO(), st.Quality(), st.Visco(),
                    st.ViscoX(), st.StableError()}) {
        o.bits.push_back(std::bit_cast<std::uint32_t>(v));
    }
    for (const auto& m : sink.messages()) o.messages.push_back(m.text);
    o.beeps = sink.beeps();
    return o;
}

std::string describe(const Outcome& o) {
    std::string s;
    for (std::uint32_t b : o.bits) s += std::to_string(std::bit_cast<float>(b)) + " ";
    s += "| " + std::to_string(o.messages.size()) + " messages";
    return s;
}
void PrintTo(const Outcome& o, std::ostream* os) {
    *os << describe(o);
}

// A Stable object that reads its records from the files on every lookup.
Stable readingFiles(const fs::path& dir) {
    Stable st(dir);
    steam::ReferenceAccess::readFilesOnEveryLookup(st);
    return st;
}

// A private copy of the library's table files (and manifest).
class TableCopy : public ::testing::Test {
  protected:
    void SetUp() override {
        // A parameterised test's name holds a '/': one folder all the same.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        dir = fs::temp_directory_path() /
              ("tw_steam_tables_" + std::to_string(::getpid()) + "_" + name);
        fs::remove_all(dir);
        fs::create_directories(dir);
        const fs::path source = Stable().dataDirectory();
        for (const char* f : {"TWSStb.twd", "TWStbP.twd", "TWStb.twd", "TWStbManifest.txt"}) {
            fs::copy_file(source / f, dir / f, fs::copy_options::overwrite_existing);
        }
    }
    void TearDown() override { fs::remove_all(dir); }

    std::vector<unsigned char> bytes(const char* name) const {
        std::ifstream in(dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Writes a file whole under a temporary name and renames it over the old one, as an
    // installer does.
    void replace(const char* name, const std::vector<unsigned char>& content) const {
        const fs::path temporary = dir / (std::string(name) + ".new");
        std::ofstream(temporary, std::ios::binary)
            .write(reinterpret_cast<const char*>(content.data()),
                   static_cast<std::streamsize>(content.size()));
        fs::rename(temporary, dir / name);
    }
    // Rewrites a file in place (same inode).
    void rewrite(const char* name, const std::vector<unsigned char>& content) const {
        std::ofstream(dir / name, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(content.data()),
                   static_cast<std::streamsize>(content.size()));
    }
    static float floatAt(const std::vector<unsigned char>& b, std::size_t index) {
        float v;
        std::memcpy(&v, &b[index * 4], 4);
        return v;
    }
    static void setFloat(std::vector<unsigned char>& b, std::size_t index, float v) {
        std::memcpy(&b[index * 4], &v, 4);
    }

    fs::path dir;
};

// ---------------------------------------------------------------------------------------------
// The tables in memory against the files

// Saturation by pressure and by temperature across the whole range and beyond its bounds.
TEST_F(TableCopy, SaturationLookupsEqualReadingTheFiles) {
    Stable memory(dir), files = readingFiles(dir);
    memory.setTW_Language(tw::TW_English);
    files.setTW_Language(tw::TW_English);
    int compared = 0;
    for (int i = 0; i <= 1200; ++i) {
        const float p = static_cast<float>(0.0066 * std::pow(226.0 / 0.0066, i / 1200.0));
        const float t = static_cast<float>(0.9 + (374.3 - 0.9) * i / 1200.0);
        ASSERT_EQ(sat(memory, 1, p), sat(files, 1, p)) << "p " << p;
        ASSERT_EQ(sat(memory, 2, t), sat(files, 2, t)) << "t " << t;
        compared += 2;
    }
    for (float p : {0.006697f, 225.56f, 1.01972f}) ASSERT_EQ(sat(memory, 1, p), sat(files, 1, p));
    for (float t : {1.0f, 374.15f}) ASSERT_EQ(sat(memory, 2, t), sat(files, 2, t));
    ASSERT_EQ(sat(memory, 3, 10.0f), sat(files, 3, 10.0f));
    EXPECT_EQ(compared, 2402);
}

// States by every pair of properties (in both orders), single-phase and wet, taken from
// states spread over the table.
TEST_F(TableCopy, StateLookupsByEveryPairEqualReadingTheFiles) {
    Stable memory(dir), files = readingFiles(dir), probe(dir);
    memory.setTW_Language(tw::TW_English);
    files.setTW_Language(tw::TW_English);
    tw::RecordingMessageSink quiet;
    const tw::ScopedThreadMessageSink guard(quiet);
    // Each state as its five properties: p, T, v, h, s.
    std::vector<std::array<float, 5>> states;
    for (int i = 0; i < 9; ++i) {
        const float p = static_cast<float>(0.012 * std::pow(245.0 / 0.012, i / 8.0));
        for (int j = 0; j < 9; ++j) {
            const float t = 12.0f + 85.0f * static_cast<float>(j);
            probe.STABLE(1, p, 2, t);
            if (probe.StableError() == 0) {
                states.push_back(
                    {probe.PR(), probe.TP(), probe.SVOL(), probe.ENTH(), probe.ENTRO()});
            }
        }
        if (p < 225) {  // wet states at three qualities
            probe.SSTABLE(1, p);
            for (float x : {0.1f, 0.5f, 0.9f}) {
                auto mix = [x](float f, float g) { return f + x * (g - f); };
                states.push_back({p, probe.TSAT(), mix(probe.SVOLF(), probe.SVOLG()),
                                  mix(probe.ENTHF(), probe.ENTHG()),
                                  mix(probe.ENTROF(), probe.ENTROG())});
            }
        }
    }
    ASSERT_GT(states.size(), 80u);
    int compared = 0;
    for (std::size_t n = 0; n < states.size(); ++n) {
        const auto& s = states[n];
        for (int k1 = 1; k1 <= 5; ++k1) {
            for (int k2 = k1 + 1; k2 <= 5; ++k2) {
                // Alternate the order of the pairs.
                const int a = n % 2 == 0 ? k1 : k2, b = n % 2 == 0 ? k2 : k1;
                const float xa = s[static_cast<std::size_t>(a - 1)];
                const float xb = s[static_cast<std::size_t>(b - 1)];
                ASSERT_EQ(state(memory, a, xa, b, xb), state(files, a, xa, b, xb))
                    << a << " " << xa << " " << b << " " << xb << ": "
                    << describe(state(memory, a, xa, b, xb));
                ++compared;
            }
        }
    }
    // Refused and undetermined states give the same codes and messages as well.
    for (auto [a, xa, b, xb] :
         {std::tuple{1, 10.0f, 1, 20.0f}, std::tuple{6, 1.0f, 1, 2.0f},
          std::tuple{1, 260.0f, 2, 300.0f}, std::tuple{4, 938.0f, 5, 0.04f}}) {
        ASSERT_EQ(state(memory, a, xa, b, xb), state(files, a, xa, b, xb));
    }
    EXPECT_GT(compared, 800);
    EXPECT_EQ(memory.StmVisco(10.0f, 20.0f, -1.0f), files.StmVisco(10.0f, 20.0f, -1.0f));
}

// ---------------------------------------------------------------------------------------------
// Changes of the files while a program runs, noticed by the change watch and, where there is
// none, by comparing the identity of each file.

class FileChanges : public TableCopy, public ::testing::WithParamInterface<bool> {
  protected:
    // An object made while every file was in order, with the way of noticing changes under
    // test.
    Stable madeBeforeTheChange() {
        Stable st(dir);
        if (!GetParam()) steam::DataDirectory::at(dir)->startWatching();
        st.setTW_Language(tw::TW_English);
        return st;
    }
};

TEST_P(FileChanges, AFileRemovedLaterFailsLikeAnUnreadableOne) {
    Stable memory = madeBeforeTheChange(), files = readingFiles(dir);
    files.setTW_Language(tw::TW_English);
    ASSERT_EQ(sat(memory, 1, 10.0f).bits.back(), std::bit_cast<std::uint32_t>(0.0f));
    fs::remove(dir / "TWSStb.twd");
    // Both fail with code 7 naming the file (no missing-files message: the object was made
    // while it was there).
    const Outcome o = sat(memory, 2, 100.0f);
    EXPECT_EQ(std::bit_cast<float>(o.bits.back()), 7.0f);
    ASSERT_FALSE(o.messages.empty());
    EXPECT_NE(o.messages[0].find(
                  "A steam table file cannot be read (too short or damaged): <TWSStb.twd>\r"),
              std::string::npos);
    EXPECT_EQ(std::bit_cast<float>(o.bits[1]), 9999999.0f);
    EXPECT_EQ(o, sat(files, 2, 100.0f));
    // Put back, the file is found again.
    fs::copy_file(Stable().dataDirectory() / "TWSStb.twd", dir / "TWSStb.twd");
    EXPECT_EQ(std::bit_cast<float>(sat(memory, 2, 100.0f).bits.back()), 0.0f);
}

TEST_P(FileChanges, ATruncatedFileFailsEveryLookupOnIt) {
    Stable memory = madeBeforeTheChange(), files = readingFiles(dir);
    files.setTW_Language(tw::TW_English);
    ASSERT_EQ(std::bit_cast<float>(state(memory, 1, 0.05f, 2, 300.0f).bits.back()), 0.0f);
    fs::resize_file(dir / "TWStb.twd", 16 * 1000 + 7);
    // A state whose rows lie past the end fails in both the same way.
    EXPECT_EQ(state(memory, 1, 0.05f, 2, 300.0f), state(files, 1, 0.05f, 2, 300.0f));
    const Outcome o = state(memory, 1, 200.0f, 2, 600.0f);  // rows at the start of the file
    EXPECT_EQ(std::bit_cast<float>(o.bits[0]), 9999999.0f);
    EXPECT_NE(o.messages[0].find("<TWStb.twd>"), std::string::npos);
    // The saturation table is untouched.
    EXPECT_EQ(std::bit_cast<float>(sat(memory, 1, 1.0f).bits.back()), 0.0f);
}

// A customer's table without a manifest replaces ours while the program runs: the next call
// answers from the new file.
TEST_P(FileChanges, AReplacedFileIsReadAgain) {
    Stable memory = madeBeforeTheChange(), files = readingFiles(dir);
    const Outcome before = sat(memory, 1, 10.0f);
    fs::remove(dir / "TWStbManifest.txt");
    std::vector<unsigned char> b = bytes("TWSStb.twd");
    for (std::size_t r = 0; r < 376; ++r) setFloat(b, r * 8 + 1, floatAt(b, r * 8 + 1) + 0.5f);
    replace("TWSStb.twd", b);
    const Outcome after = withoutChecksumNotice(sat(memory, 1, 10.0f));
    EXPECT_NE(after, before);
    EXPECT_EQ(after, sat(files, 1, 10.0f));
    EXPECT_NEAR(std::bit_cast<float>(after.bits[1]), std::bit_cast<float>(before.bits[1]) + 0.5f,
                1e-4);
}

// Inside one state of the files, a watching program asks the watch once: a file replaced
// meanwhile is seen by the first call after the scope. Without the watch every call still
// compares the files.
TEST_P(FileChanges, OneStateOfTheFilesSeesAReplacementAfterItsEnd) {
    const bool watching = !GetParam();  // as madeBeforeTheChange sets it up
    Stable memory = madeBeforeTheChange();
    const Outcome before = sat(memory, 1, 10.0f);
    std::vector<unsigned char> b = bytes("TWSStb.twd");
    for (std::size_t r = 0; r < 376; ++r) setFloat(b, r * 8 + 1, floatAt(b, r * 8 + 1) + 0.5f);
    Outcome inside;
    {
        const tw::ScopedSteamTableState oneState;
        EXPECT_EQ(sat(memory, 1, 10.0f), before);
        fs::remove(dir / "TWStbManifest.txt");
        replace("TWSStb.twd", b);
        inside = withoutChecksumNotice(sat(memory, 1, 10.0f));
        const tw::ScopedSteamTableState nested;  // changes nothing
        EXPECT_EQ(sat(memory, 1, 10.0f), inside);
    }
    const Outcome after = sat(memory, 1, 10.0f);
    EXPECT_NE(after, before);
    EXPECT_EQ(inside, watching ? before : after);
}

// A child process shares the parent's change watch: what it changes must be seen by both.
// A short-lived program compares file identities; one that goes on looking up sets up the
// change watch, and a program made by fork() gives its parent's up.
TEST_F(TableCopy, TheChangeWatchComesAfterManyCalls) {
    Stable st(dir);
    const auto data = steam::DataDirectory::at(dir);
    unsigned calls = 1;  // the creation of the object
    for (; calls < steam::DataDirectory::kCallsBeforeWatching; ++calls) st.SSTABLE(1, 1.0f);
    EXPECT_FALSE(data->watching());
    st.SSTABLE(1, 1.0f);
    st.SSTABLE(1, 1.0f);
    EXPECT_TRUE(data->watching());
}

TEST_F(TableCopy, AChildProcessAndItsParentBothNoticeAChange) {
    Stable st(dir);
    steam::DataDirectory::at(dir)->startWatching();
    const float before = std::bit_cast<float>(sat(st, 1, 10.0f).bits[1]);
    const pid_t child = ::fork();
    if (child == 0) {
        fs::remove(dir / "TWStbManifest.txt");
        std::vector<unsigned char> b = bytes("TWSStb.twd");
        for (std::size_t r = 0; r < 376; ++r) setFloat(b, r * 8 + 1, floatAt(b, r * 8 + 1) + 0.5f);
        replace("TWSStb.twd", b);
        const float after = std::bit_cast<float>(sat(st, 1, 10.0f).bits[1]);
        ::_exit(std::abs(after - (before + 0.5f)) < 1e-3f ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NEAR(std::bit_cast<float>(sat(st, 1, 10.0f).bits[1]), before + 0.5f, 1e-3);
}

// A file replaced by something that cannot be read as a file (a directory of its name).
TEST_P(FileChanges, AFileThatCannotBeReadFailsTheLookup) {
    Stable memory = madeBeforeTheChange(), files = readingFiles(dir);
    files.setTW_Language(tw::TW_English);
    fs::remove(dir / "TWStbP.twd");
    fs::create_directory(dir / "TWStbP.twd");
    const Outcome o = state(memory, 1, 10.0f, 2, 300.0f);
    EXPECT_EQ(o, state(files, 1, 10.0f, 2, 300.0f));
    EXPECT_NE(o.messages[0].find("<TWStbP.twd>"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(NoticedBy, FileChanges, ::testing::Values(false, true),
                         [](const auto& info) {
                             return info.param ? "ComparingIdentities" : "ChangeWatch";
                         });

// ---------------------------------------------------------------------------------------------
// Damaged files

// Each damage makes every lookup on that file fail with code 7 and a message that names the
// file in both languages; the other files keep working.
TEST_F(TableCopy, DamagedFilesAreRefusedWhenLoaded) {
    struct Damage {
        const char* what;
        const char* file;
        bool keepManifest;
        std::function<void(std::vector<unsigned char>&)> apply;
    };
    const std::vector<Damage> damages{
        {"garbage of the right size", "TWSStb.twd", false,
         [](auto& b) {
             std::uint32_t x = 12345;
             for (auto& c : b) c = static_cast<unsigned char>((x = x * 1103515245 + 12345) >> 16);
         }},
        {"a few bytes put in front", "TWSStb.twd", false,
         [](auto& b) {
             b.insert(b.begin(), {0, 0, 0});
         }},
        {"one record more", "TWStbP.twd", false, [](auto& b) { b.insert(b.end(), 4, 0); }},
        {"the pressure list in place of the grid", "TWStb.twd", false,
         [](auto& b) { b.resize(740); }},
        {"a flipped bit that only the checksum sees", "TWStb.twd", true,
         [](auto& b) { b[1001] ^= 1; }},
        {"a not-a-number in the grid", "TWStb.twd", false,
         [](auto& b) { setFloat(b, 4 * 100 + 2, NAN); }},
        {"saturation temperatures out of order", "TWSStb.twd", false,
         [](auto& b) { setFloat(b, 8 * 200 + 1, 500.0f); }},
        {"a negative pressure", "TWStbP.twd", false, [](auto& b) { setFloat(b, 184, -1.0f); }},
        {"a hole inside a grid row", "TWStb.twd", false,
         [](auto& b) {
             for (int c = 0; c < 4; ++c) setFloat(b, 4 * 10 + c, 0.0f);
         }},
    };
    const fs::path library = Stable().dataDirectory();
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        for (const char* f : {"TWSStb.twd", "TWStbP.twd", "TWStb.twd", "TWStbManifest.txt"}) {
            fs::copy_file(library / f, dir / f, fs::copy_options::overwrite_existing);
        }
        if (!d.keepManifest) fs::remove(dir / "TWStbManifest.txt");
        std::vector<unsigned char> b = bytes(d.file);
        d.apply(b);
        replace(d.file, b);

        tw::RecordingMessageSink sink;
        const tw::ScopedThreadMessageSink guard(sink);
        Stable st(dir);
        EXPECT_TRUE(sink.messages().empty());  // damaged is not missing
        const bool saturationDamaged = std::string(d.file) == "TWSStb.twd";
        for (int language : {tw::TW_English, tw::TW_Korean}) {
            st.setTW_Language(language);
            sink.clear();
            // The saturation table serves SSTABLE, the grid and the pressure list Stable (whose
            // quality and viscosity steps then look up saturation at 9999999: code 5 last).
            if (saturationDamaged) {
                st.SSTABLE(1, 10.0f);
                EXPECT_EQ(st.StableError(), 7);
                EXPECT_EQ(st.TSAT(), 9999999.0f);
            } else {
                st.SSTABLE(1, 10.0f);
                EXPECT_EQ(st.StableError(), 0);
                sink.clear();
                st.STABLE(1, 10.0f, 2, 300.0f);
                EXPECT_EQ(st.StableError(), 5);
                EXPECT_EQ(st.ENTH(), 9999999.0f);
            }
            ASSERT_FALSE(sink.messages().empty());
            const std::string& text = sink.messages()[0].text;
            EXPECT_NE(text.find(std::string("<") + d.file + ">"), std::string::npos) << text;
            EXPECT_NE(text.find(language == tw::TW_English ? "A steam table file cannot be read"
                                                           : "증기표 파일을 읽을 수 없습니다"),
                      std::string::npos);
        }
    }
}

TEST_F(TableCopy, CustomerFilesWithoutAManifestAreTakenWhenPlausible) {
    Stable withManifest(dir);
    const Outcome ours = sat(withManifest, 1, 3.0f);
    fs::remove(dir / "TWStbManifest.txt");
    Stable st(dir);
    // Said once per process, at the first lookup in files taken without checksums (unless an
    // earlier test of this process took such files first).
    EXPECT_EQ(withoutChecksumNotice(sat(st, 1, 3.0f)), ours);
    EXPECT_EQ(sat(st, 1, 3.0f), ours);
    EXPECT_EQ(std::bit_cast<float>(state(st, 1, 3.0f, 2, 200.0f).bits.back()), 0.0f);
}

// Only an absent manifest turns the checksums off: one that is there but damaged in any way
// fails every file, so a table with one flipped bit is never taken.
TEST_F(TableCopy, ADamagedManifestFailsEveryFileInsteadOfTurningTheChecksumsOff) {
    std::vector<unsigned char> flipped = bytes("TWSStb.twd");
    flipped[40 * 4] ^= 1;  // the lowest mantissa bit of one saturation value: still plausible
    replace("TWSStb.twd", flipped);
    const std::vector<unsigned char> good = bytes("TWStbManifest.txt");
    const std::string text(good.begin(), good.end());
    std::string withoutOneLine = text;
    withoutOneLine.erase(0, withoutOneLine.find('\n') + 1);
    const auto asBytes = [](const std::string& t) {
        return std::vector<unsigned char>(t.begin(), t.end());
    };
    struct Damage {
        const char* what;
        std::function<void()> make;
    };
    const fs::path manifest = dir / "TWStbManifest.txt";
    const std::vector<Damage> damages = {
        {"random bytes",
         [&] {
             replace("TWStbManifest.txt", {0x9f, 0x00, 0x13, 0xfe, '\n', 0x7f});
         }},
        {"empty", [&] { replace("TWStbManifest.txt", {}); }},
        {"a line missing", [&] { replace("TWStbManifest.txt", asBytes(withoutOneLine)); }},
        {"an unknown line", [&] { replace("TWStbManifest.txt", asBytes(text + "junk 1 2\n")); }},
        {"a folder",
         [&] {
             fs::remove(manifest);
             fs::create_directory(manifest);
         }},
        {"a named pipe",
         [&] {
             fs::remove(manifest);
             ASSERT_EQ(::mkfifo(manifest.c_str(), 0600), 0);
         }},
    };
    {
        Stable st(dir);
        EXPECT_EQ(std::bit_cast<float>(sat(st, 1, 3.0f).bits.back()), 7.0f)
            << "the intact manifest catches the flipped bit";
    }
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        fs::remove_all(manifest);
        d.make();
        Stable st(dir);
        EXPECT_EQ(std::bit_cast<float>(sat(st, 1, 3.0f).bits.back()), 7.0f);
    }
}

// The saturation temperature alone against SSTABLE followed by TSAT(): the same value, code,
// messages and beeps for every input, on the library's tables and on hostile ones (damaged,
// missing, plausible customer files whose values make the viscosity steps' lookups fail).
TEST_F(TableCopy, TheSaturationTemperatureAloneIsSstablesToTheBit) {
    struct Said {
        std::uint32_t tsat;
        float error;
        std::vector<std::string> messages;
        int beeps;
        bool operator==(const Said&) const = default;
    };
    const auto said = [](Stable& st, bool alone, int code, float value) {
        tw::RecordingMessageSink sink;
        const tw::ScopedThreadMessageSink guard(sink);
        float tsat = 0;
        std::string raised;
        try {
            if (alone) {
                tsat = st.SaturationTemperature(code, value);
                EXPECT_EQ(std::bit_cast<std::uint32_t>(st.TSAT()),
                          std::bit_cast<std::uint32_t>(tsat));
            } else {
                st.SSTABLE(code, value);
                tsat = st.TSAT();
            }
        } catch (const tw::AutomationError& e) {
            raised = e.what();
        }
        Said s{std::bit_cast<std::uint32_t>(tsat), st.StableError(), {raised}, sink.beeps()};
        for (const auto& m : sink.messages()) {
            s.messages.push_back(m.caption + "|" + m.text + "|" +
                                 std::string(tw::iconName(m.icon)));
        }
        return s;
    };
    const std::vector<std::pair<const char*, std::function<void()>>> tables{
        {"the library's tables", [] {}},
        {"garbage saturation file",
         [&] {
             fs::remove(dir / "TWStbManifest.txt");
             std::vector<unsigned char> b = bytes("TWSStb.twd");
             std::uint32_t x = 99;
             for (auto& c : b) c = static_cast<unsigned char>((x = x * 1103515245 + 12345) >> 16);
             replace("TWSStb.twd", b);
         }},
        {"pressures shifted up at the top of the range",
         [&] {
             fs::remove(dir / "TWStbManifest.txt");
             std::vector<unsigned char> b = bytes("TWSStb.twd");
             const std::size_t records = b.size() / 32;
             for (std::size_t r = records - 3; r < records; ++r) {
                 setFloat(b, 8 * r, floatAt(b, 8 * r) * 1.001f);
             }
             replace("TWSStb.twd", b);
         }},
        {"the saturation file missing", [&] { fs::remove(dir / "TWSStb.twd"); }},
    };
    std::vector<std::pair<int, float>> inputs{
        {1, 0.006697f}, {1, 225.56f}, {1, 225.57f}, {2, 374.15f}, {2, 0.5f},  {1, NAN},
        {2, INFINITY},  {1, -1.0f},   {3, 10.0f},   {0, 1.0f},    {2, 1e30f}, {1, 1.01972f}};
    for (int i = 0; i <= 300; ++i) {
        inputs.emplace_back(1, static_cast<float>(0.0066 * std::pow(226.0 / 0.0066, i / 300.0)));
        inputs.emplace_back(2, static_cast<float>(0.9 + (374.3 - 0.9) * i / 300.0));
    }
    for (const auto& [what, make] : tables) {
        SCOPED_TRACE(what);
        make();
        for (int language : {int{tw::TW_English}, int{tw::TW_Korean}, 7}) {
            for (int pressureUnit : {0, 1}) {
                Stable full(dir), alone(dir);
                for (Stable* st : {&full, &alone}) {
                    st->setTW_Language(language);
                    st->setuPR(pressureUnit);
                }
                for (const auto& [code, value] : inputs) {
                    ASSERT_EQ(said(alone, true, code, value), said(full, false, code, value))
                        << code << " " << value << " language " << language;
                }
            }
        }
    }
}

TEST(SteamTableChecks, LoadedStateOfEachDamage) {
    const fs::path library = Stable().dataDirectory();
    std::ifstream in(library / "TWStbManifest.txt", std::ios::binary);
    const steam::Manifest manifest{
        steam::Manifest::State::Present,
        std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}};
    for (std::size_t f = 0; f < steam::kTableFileCount; ++f) {
        const auto loaded =
            steam::loadTableFile(library, static_cast<steam::TableFile>(f), manifest);
        EXPECT_EQ(loaded.state, steam::FileState::Ready) << steam::kTableFiles[f].name;
    }
    std::vector<unsigned char> grid(steam::kTableFiles[steam::kGridFile].bytes(), 0);
    EXPECT_EQ(steam::checkTableFile(steam::kGridFile, grid, {}).state,
              steam::FileState::Implausible);  // rows without entries
    EXPECT_EQ(steam::checkTableFile(steam::kGridFile, std::span(grid).first(100), {}).state,
              steam::FileState::WrongSize);
    const steam::ManifestRecord unreadableLine{true, std::nullopt};
    EXPECT_EQ(steam::checkTableFile(steam::kGridFile, grid, unreadableLine).state,
              steam::FileState::BadChecksum);
}

// Two saturation pairs in one row cannot be one isobar.
TEST(SteamTableChecks, AGridRowHoldsOneSaturationPairAtMost) {
    const fs::path library = Stable().dataDirectory();
    std::ifstream in(library / "TWStb.twd", std::ios::binary);
    std::vector<unsigned char> b{std::istreambuf_iterator<char>(in),
                                 std::istreambuf_iterator<char>()};
    ASSERT_EQ(steam::checkTableFile(steam::kGridFile, b, {}).state, steam::FileState::Ready);
    // Row 100, slots 3 and 4 (the temperatures 670 and 660 oC) made equal.
    const std::size_t slot3 = (std::size_t{99} * 72 + 2) * 4;
    std::memcpy(&b[(slot3 + 4) * 4], &b[slot3 * 4], 4);
    EXPECT_EQ(steam::checkTableFile(steam::kGridFile, b, {}).state, steam::FileState::Implausible);
}

TEST(SteamTableManifest, LinesAndChecksums) {
    const std::string_view digits = "123456789";
    EXPECT_EQ(steam::crc32(
                  std::span(reinterpret_cast<const unsigned char*>(digits.data()), digits.size())),
              0xCBF43926U);  // the check value of CRC-32
    EXPECT_EQ(steam::manifestLine("TWStbP.twd", {740, 0x1f9b8a62}), "TWStbP.twd 740 1f9b8a62");
    const std::string manifest =
        "# comment TWStbP.twd 1 00000000\r\n"
        "TWStbP.twd 740 1F9B8A62\r\n"
        "TWStb.twd\t213120  58907a1e\n"
        "TWSStb.twd 12032 2eb14bc\n"
        "TWStb.twdx 1 00000000\n";
    const auto p = steam::findInManifest(manifest, "TWStbP.twd");
    ASSERT_TRUE(p.entry);
    EXPECT_EQ(p.entry->size, 740u);
    EXPECT_EQ(p.entry->crc, 0x1f9b8a62U);
    EXPECT_TRUE(steam::findInManifest(manifest, "TWStb.twd").entry);
    const auto broken = steam::findInManifest(manifest, "TWSStb.twd");  // seven digits
    EXPECT_TRUE(broken.named);
    EXPECT_FALSE(broken.entry);
    EXPECT_FALSE(steam::findInManifest("", "TWSStb.twd").named);
    EXPECT_FALSE(steam::findInManifest("TWSStb.twd 1 00000000\nTWSStb.twd 1 00000000\n",
                                       "TWSStb.twd")
                     .entry);  // named twice
}

// ---------------------------------------------------------------------------------------------
// Threads

// Several threads look up at once, in both ways of noticing changes, while the files are
// replaced by copies of themselves (so that the tables are read again under their feet).
class OnSeveralThreads : public FileChanges {};

TEST_P(OnSeveralThreads, LookupsGiveTheSameAnswersWhileFilesAreReplaced) {
    std::vector<Outcome> expected;
    Stable keeper = madeBeforeTheChange();
    for (int i = 0; i < 150; ++i) {
        expected.push_back(sat(keeper, 1, 0.01f + static_cast<float>(i)));
        expected.push_back(state(keeper, 1, 0.5f + static_cast<float>(i), 2, 15.0f + 3.0f * i));
    }
    std::atomic<bool> lookingUp{true};
    std::thread replacer([&] {
        const std::vector<unsigned char> saturation = bytes("TWSStb.twd"),
                                         grid = bytes("TWStb.twd");
        while (lookingUp.load()) {
            replace("TWSStb.twd", saturation);
            replace("TWStb.twd", grid);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    std::vector<int> mismatches(3, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < mismatches.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                Stable st(dir);
                for (int i = 0; i < 150; ++i) {
                    const auto k = 2 * static_cast<std::size_t>(i);
                    if (!(sat(st, 1, 0.01f + static_cast<float>(i)) == expected[k])) {
                        ++mismatches[t];
                    }
                    if (!(state(st, 1, 0.5f + static_cast<float>(i), 2, 15.0f + 3.0f * i) ==
                          expected[k + 1])) {
                        ++mismatches[t];
                    }
                }
            }
        });
    }
    for (auto& t : threads) t.join();
    lookingUp.store(false);
    replacer.join();
    EXPECT_EQ(mismatches, std::vector<int>(3, 0));
}

INSTANTIATE_TEST_SUITE_P(NoticedBy, OnSeveralThreads, ::testing::Values(false, true),
                         [](const auto& info) {
                             return info.param ? "ComparingIdentities" : "ChangeWatch";
                         });

}  // namespace

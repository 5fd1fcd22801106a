// Files written whole through a temporary beside them.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string_view>
#include <thread>

#include "tw/AtomicFile.h"

namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("atomic_file_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    // Every name in the folder, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> list;
        for (const auto& entry : fs::directory_iterator(dir)) {
            list.push_back(entry.path().filename().string());
        }
        std::sort(list.begin(), list.end());
        return list;
    }
    static void makeOld(const fs::path& path) {
        const timespec times[2] = {{946684800, 0}, {946684800, 0}};  // 2000-01-01
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
    }

    fs::path dir;
};

TEST_F(AtomicFileTest, ReplacesTheFileWholeAndKeepsItsPermissions) {
    const fs::path file = dir / "out.csv";
    write(file, "old contents that are longer than the new ones");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    tw::writeFileAtomically(file, "new");
    EXPECT_EQ(read(file), "new");
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(names(), std::vector<std::string>{"out.csv"});

    // A new file gets what the umask leaves of read and write for everyone.
    const mode_t mask = ::umask(027);
    tw::writeFileAtomically(dir / "new.csv", "");
    ::umask(mask);
    EXPECT_EQ(fs::status(dir / "new.csv").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(AtomicFileTest, NothingChangesUntilCommitAndAnAbandonedSaveLeavesNoTrace) {
    const fs::path file = dir / "out.csv";
    write(file, "old");
    fs::path temporary;
    {
        tw::AtomicFile out(file);
        temporary = out.temporary();
        EXPECT_EQ(temporary.parent_path(), dir);
        EXPECT_TRUE(temporary.filename().string().starts_with("out.csv.tmp-"));
        out.stream() << std::string(200000, 'x');  // more than the stream buffers
        EXPECT_EQ(read(file), "old");
        EXPECT_TRUE(fs::exists(temporary));
    }
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_EQ(read(file), "old");

    // Two saves of one file at once write to different temporaries; the last commit wins.
    tw::AtomicFile first(file);
    tw::AtomicFile second(file);
    EXPECT_NE(first.temporary(), second.temporary());
    first.stream() << "first";
    second.stream() << "second";
    first.commit();
    second.commit();
    EXPECT_EQ(read(file), "second");
    EXPECT_EQ(names(), std::vector<std::string>{"out.csv"});
}

TEST_F(AtomicFileTest, AFailedWriteKeepsTheOldFileAndRemovesTheTemporary) {
    // A file size limit stands in for a full disk: writes past it fail with EFBIG.
    const fs::path file = dir / "out.csv";
    write(file, "old");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string what;
    try {
        tw::AtomicFile out(file);
        out.stream() << std::string(100000, 'x');
        out.commit();
    } catch (const tw::FileError& e) {
        what = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_NE(what.find("out.csv': File too large"), std::string::npos) << what;
    EXPECT_EQ(read(file), "old");
    EXPECT_EQ(names(), std::vector<std::string>{"out.csv"});
}

TEST_F(AtomicFileTest, ALinkIsFollowedAndStaysALink) {
    fs::create_directories(dir / "data");
    write(dir / "data" / "real.csv", "old");
    fs::create_symlink("data/real.csv", dir / "relative.csv");
    fs::create_symlink(dir / "relative.csv", dir / "chain.csv");
    tw::writeFileAtomically(dir / "chain.csv", "new");
    EXPECT_TRUE(fs::is_symlink(dir / "chain.csv"));
    EXPECT_TRUE(fs::is_symlink(dir / "relative.csv"));
    EXPECT_EQ(read(dir / "data" / "real.csv"), "new");
    // The temporary lived beside the target, in its folder.
    EXPECT_EQ(names(), (std::vector<std::string>{"chain.csv", "data", "relative.csv"}));

    // A link to nothing yet creates the file it names.
    fs::create_symlink("data/later.csv", dir / "dangling.csv");
    tw::writeFileAtomically(dir / "dangling.csv", "later");
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.csv"));
    EXPECT_EQ(read(dir / "data" / "later.csv"), "later");

    fs::create_symlink("loop.csv", dir / "loop.csv");
    EXPECT_THROW(tw::writeFileAtomically(dir / "loop.csv", "x"), tw::FileError);
}

TEST_F(AtomicFileTest, OnlyRegularFilesAreReplaced) {
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_directories(dir / "folder");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (dir / "socket").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    fs::create_symlink("/dev/null", dir / "to_device");
    fs::create_symlink("fifo", dir / "to_fifo");

    for (const fs::path& target : {dir / "fifo", dir / "folder", dir / "socket", dir / "to_device",
                                   dir / "to_fifo", fs::path("/dev/null")}) {
        try {
            tw::writeFileAtomically(target, "x");
            ADD_FAILURE() << target << " was replaced";
        } catch (const tw::FileError& e) {
            EXPECT_NE(std::string(e.what()).find("not a regular file"), std::string::npos)
                << e.what();
        }
    }
    ::close(sock);
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_TRUE(fs::is_socket(dir / "socket"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(names(),
              (std::vector<std::string>{"fifo", "folder", "socket", "to_device", "to_fifo"}));
    EXPECT_THROW(tw::writeFileAtomically(dir / "missing" / "out.csv", "x"), tw::FileError);
}

TEST_F(AtomicFileTest, StaleTemporariesOfTheSameFileAreRemovedAndNothingElse) {
    const fs::path file = dir / "out.csv";
    // Left by writers that died before this program started: removed.
    for (const char* name : {"out.csv.tmp-AbC123", "out.csv.tmp-zzzzzz"}) {
        write(dir / name, "stale");
        makeOld(dir / name);
    }
    // Not ours, or not provably abandoned: kept.
    const std::vector<std::string> kept = {
        "out.csv.tmp",           // an older fixed name, perhaps the user's
        "out.csv.tmp-AbC12",     // five random characters
        "out.csv.tmp-AbC1234",   // seven
        "out.csv.tmp-AbC_12",    // not from the alphabet
        "other.csv.tmp-AbC123",  // another file's
        "out.csv.tmp-fresh1",    // written after this program started
        "out.csv.tmp-locked",    // a living writer holds its lock
        "out.csv.tmp-linked",    // a link, whatever it points to
        "out.csv.tmp-folder",    // a folder
    };
    for (const std::string& name : kept) {
        if (name == "out.csv.tmp-linked") {
            fs::create_symlink("out.csv.tmp", dir / name);
        } else if (name == "out.csv.tmp-folder") {
            fs::create_directories(dir / name);
        } else {
            write(dir / name, "keep");
        }
        if (name != "out.csv.tmp-fresh1") makeOld(dir / name);
    }
    const int lock = ::open((dir / "out.csv.tmp-locked").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);

    tw::writeFileAtomically(file, "new");
    ::close(lock);

    std::vector<std::string> expected = kept;
    expected.emplace_back("out.csv");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names(), expected);
}

TEST_F(AtomicFileTest, ALongNameKeepsItsTemporariesWithinTheNameLimit) {
    const std::string name(250, 'n');
    const std::string stem = tw::temporaryStem(name);
    EXPECT_EQ(stem.size() + 6, 255u);
    EXPECT_EQ(tw::temporaryStem("쉼표.csv"), "쉼표.csv.tmp-");
    // Cut at a character boundary: "가" is three bytes, the cut falls in the middle of one.
    std::string korean;
    while (korean.size() < 250) korean += "가";
    EXPECT_EQ(tw::temporaryStem(korean).size(), 243u + 5);
    // A stale temporary of the cut name is recognised and removed at the next save.
    write(dir / (stem + "AbC123"), "stale");
    makeOld(dir / (stem + "AbC123"));
    tw::writeFileAtomically(dir / name, "new");
    EXPECT_EQ(read(dir / name), "new");
    EXPECT_EQ(names(), std::vector<std::string>{name});
}

// What an ordinary user's save does to files that a plain write would treat in its own way:
// refused where the write would be refused, written in place where only the replacement
// would fail or would part hard links. Run as that user (here: nobody, when the tests run as
// root; as the user running them otherwise, where the cases needing another owner skip).
class AtomicFileAsUser : public AtomicFileTest {
  protected:
    static constexpr uid_t kNobody = 65534;
    static constexpr gid_t kNogroup = 65534;
    bool root() const { return ::geteuid() == 0; }
    // Gives the path to the user who runs the saves.
    void own(const fs::path& path) const {
        if (root()) {
            ASSERT_EQ(::lchown(path.c_str(), kNobody, kNogroup), 0);
        }
    }
    // Runs `save` as that user in a child process; what it returns (empty for success, else
    // the failure's text) comes back through a pipe.
    std::string asUser(const std::function<std::string()>& save) const {
        int channel[2];
        if (::pipe(channel) != 0) return "pipe";
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(channel[0]);
            std::string result;
            if (root() &&
                (::setgroups(0, nullptr) != 0 || ::setresgid(kNogroup, kNogroup, kNogroup) != 0 ||
                 ::setresuid(kNobody, kNobody, kNobody) != 0)) {
                result = "SKIP";
            } else {
                result = save();
            }
            [[maybe_unused]] const auto n = ::write(channel[1], result.data(), result.size());
            ::_exit(0);
        }
        ::close(channel[1]);
        std::string result;
        char buffer[512];
        for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
            result.append(buffer, static_cast<std::size_t>(n));
        ::close(channel[0]);
        ::waitpid(child, nullptr, 0);
        return result;
    }
    static std::string trySave(const fs::path& path, const std::string& text) {
        try {
            tw::writeFileAtomically(path, text);
            return "";
        } catch (const tw::FileError& e) {
            return e.what();
        }
    }
};

TEST_F(AtomicFileAsUser, SavesHonourTheTargetsOwnPermissions) {
    own(dir);
    struct Case {
        const char* what;
        bool needsAnotherOwner;
        std::function<fs::path()> make;  // the target, made as root (or the user)
        const char* refusal;             // nullptr: the save goes through
        bool inPlace;                    // the file keeps its inode
    };
    const std::vector<Case> cases = {
        {"a read-only file", false,
         [&] {
             write(dir / "ro.csv", "old");
             own(dir / "ro.csv");
             fs::permissions(dir / "ro.csv", fs::perms(0444));
             return dir / "ro.csv";
         },
         "Permission denied", false},
        {"another user's file in the user's folder", true,
         [&] {
             write(dir / "root.csv", "old");
             fs::permissions(dir / "root.csv", fs::perms(0644));
             return dir / "root.csv";
         },
         "Permission denied", false},
        {"a file with two hard links", false,
         [&] {
             write(dir / "linked.csv", "old");
             own(dir / "linked.csv");
             fs::permissions(dir / "linked.csv", fs::perms(0640));
             fs::create_hard_link(dir / "linked.csv", dir / "other-name.csv");
             return dir / "linked.csv";
         },
         nullptr, true},
        {"a writable file in a read-only folder", false,
         [&] {
             fs::create_directory(dir / "ro-folder");
             write(dir / "ro-folder" / "out.csv", "old");
             own(dir / "ro-folder" / "out.csv");
             own(dir / "ro-folder");
             fs::permissions(dir / "ro-folder", fs::perms(0555));
             return dir / "ro-folder" / "out.csv";
         },
         nullptr, true},
        {"another user's writable file in a sticky folder", true,
         [&] {
             fs::create_directory(dir / "sticky");
             fs::permissions(dir / "sticky", fs::perms(01777));
             write(dir / "sticky" / "shared.csv", "old");
             fs::permissions(dir / "sticky" / "shared.csv", fs::perms(0666));
             return dir / "sticky" / "shared.csv";
         },
         nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsAnotherOwner && !root()) continue;  // only root can give a file away
        const fs::path target = c.make();
        struct stat before {};
        ASSERT_EQ(::stat(target.c_str(), &before), 0);
        const std::string result = asUser([&] { return trySave(target, "new contents"); });
        if (result == "SKIP") GTEST_SKIP() << "cannot become an unprivileged user here";
        struct stat after {};
        ASSERT_EQ(::stat(target.c_str(), &after), 0);
        if (c.refusal != nullptr) {
            EXPECT_NE(result.find(c.refusal), std::string::npos) << result;
            EXPECT_EQ(read(target), "old");
        } else {
            EXPECT_EQ(result, "");
            EXPECT_EQ(read(target), "new contents");
        }
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_mode, before.st_mode);
        if (c.inPlace) {
            EXPECT_EQ(after.st_ino, before.st_ino);
        }
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
        }
    }
    EXPECT_EQ(read(dir / "other-name.csv"), "new contents");  // the hard link sees the save
    fs::permissions(dir / "ro-folder", fs::perms(0755));
}

// Outputs of several megabytes are handed to the disk as they are written: a file and a pipe
// (which takes no such request) both get every byte, and the stream stays good.
TEST_F(AtomicFileTest, ALongOutputArrivesWholeInAFileAndThroughAPipe) {
    std::string text;
    for (int i = 0; text.size() < (std::size_t{9} << 20); ++i) text += std::to_string(i) + ",\r\n";
    {
        tw::AtomicFile file(dir / "long.csv");
        for (std::size_t at = 0; at < text.size(); at += 100000) {
            file.stream() << std::string_view(text).substr(at, 100000);
        }
        file.commit();
    }
    EXPECT_EQ(read(dir / "long.csv"), text);

    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    std::string received;
    std::thread reader([&] {
        char block[65536];
        for (ssize_t n; (n = ::read(pipeEnds[0], block, sizeof block)) > 0;)
            received.append(block, n);
    });
    {
        tw::DescriptorOutput out(pipeEnds[1]);
        out << text << std::flush;
        EXPECT_TRUE(out.good());
        EXPECT_EQ(out.error(), 0);
    }
    ::close(pipeEnds[1]);
    reader.join();
    ::close(pipeEnds[0]);
    EXPECT_EQ(received, text);
}

TEST(DescriptorOutput, AFailedWriteKeepsTheSystemsReason) {
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    {
        tw::DescriptorOutput out(full);
        out << "short";
        EXPECT_TRUE(out.good());  // still in the buffer
        out.flush();
        EXPECT_TRUE(out.bad());
        EXPECT_EQ(out.error(), ENOSPC);
    }
    ::close(full);

    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    {
        tw::DescriptorOutput out(pipeEnds[1]);
        out << "abc" << 12 << std::string(70000, 'y').substr(0, 3) << std::flush;
        EXPECT_TRUE(out.good());
        EXPECT_EQ(out.error(), 0);
    }
    char text[16] = {};
    EXPECT_EQ(::read(pipeEnds[0], text, sizeof text), 8);
    EXPECT_STREQ(text, "abc12yyy");
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
}

}  // namespace

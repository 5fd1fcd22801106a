// twcalc ended by a signal while it writes --out: the temporary goes, the old file stays, and
// the signal takes its default course (the shell sees 128 + its number).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

bool temporaryPresent(const fs::path& dir) {
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().filename().string().find(".tmp-") != std::string::npos) return true;
    }
    return false;
}

TEST(TwcalcSignals, AQuitSignalDuringOutRemovesTheTemporaryAndEndsByTheSignal) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        const fs::path dir =
            fs::temp_directory_path() /
            ("twcalc_signal_" + std::to_string(::getpid()) + "_" + std::to_string(signal));
        fs::remove_all(dir);
        fs::create_directories(dir);
        const fs::path input = dir / "cases.csv";
        const fs::path output = dir / "results.csv";
        ASSERT_EQ(::mkfifo(input.c_str(), 0600), 0);
        std::ofstream(output) << "the old results\n";

        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::execl(TW_TWCALC_PROGRAM, "twcalc", "fluegas", "--csv", input.c_str(), "--out",
                    output.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Cases that keep coming: the batch holds its temporary open while it waits for more.
        const int fifo = ::open(input.c_str(), O_WRONLY);
        ASSERT_GE(fifo, 0);
        const std::string cases = "n2,ar,o2,co2,co,so2,h2o,t,tref\n76,0.9,4,12,0,0.1,7,300,25\n";
        ASSERT_EQ(::write(fifo, cases.data(), cases.size()), static_cast<ssize_t>(cases.size()));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!temporaryPresent(dir) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_TRUE(temporaryPresent(dir));
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(fifo);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_FALSE(temporaryPresent(dir));
        std::ifstream in(output);
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line, "the old results");
        fs::remove_all(dir);
    }
}

}  // namespace

// A logout, kill or Ctrl+C closes the calculator through its normal exit, which keeps the
// default units.
#include <QTimer>
#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>

#include "QuitSignals.h"
#include "SettingsFile.h"
#include "WindowFixture.h"

using namespace tw;
using namespace tw::fluegas;
using namespace tw::fluegas::testing;

using QuitSignalsTest = WindowTest;

namespace {

bool waitUntilHidden(QWidget& window) {
    for (int i = 0; i < 100 && window.isVisible(); ++i) QTest::qWait(20);
    return !window.isVisible();
}

}  // namespace

TEST_F(QuitSignalsTest, EachSignalClosesTheWindowAndTheSettingsAreWritten) {
    for (int signalNumber : QuitSignals::kSignals) {
        fs::remove(settingsFile());
        open();
        withUnitDialog([&](frmTW_UnitSel& dialog) {
            chooseUnit(dialog, "cmbTP", "oF");
            press(dialog, "cmdOK");
        });
        menu("mnuUnitDefault");
        {
            QuitSignals quit(&window());
            int seen = 0;
            QObject::connect(&quit, &QuitSignals::received, [&](int s) { seen = s; });
            ASSERT_EQ(std::raise(signalNumber), 0);
            EXPECT_TRUE(waitUntilHidden(window())) << signalNumber;
            EXPECT_EQ(seen, signalNumber);
        }
        std::ifstream in(settingsFile(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        Unit expected;
        expected.setuTP(ktounit_degF);
        EXPECT_EQ(text.str(), settingsText(expected)) << signalNumber;
        EXPECT_TRUE(messages.messages().empty());
        // The handlers in place before are back.
        struct sigaction now {};
        ::sigaction(signalNumber, nullptr, &now);
        EXPECT_EQ(now.sa_handler, SIG_DFL) << signalNumber;
    }
}

TEST_F(QuitSignalsTest, OneHandOverAtATime) {
    open();
    QuitSignals first(&window());
    EXPECT_THROW(QuitSignals second(&window()), std::logic_error);
    // The first is still in place: a signal still closes the window.
    ASSERT_EQ(std::raise(SIGHUP), 0);
    EXPECT_TRUE(waitUntilHidden(window()));
}

// An exit on a signal has nobody to answer a box: a case file that cannot be written (a folder
// in its place) or that another computer's program keeps locked is reported on standard error,
// the exit waits a second at most, and the program ends with 128 + the signal.
TEST_F(QuitSignalsTest, ASignalExitNeverWaitsOnABoxOrALockAndEndsWith128PlusTheSignal) {
    const fs::path lastCase = testFolder() / "config" / "LastCase.ini";
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* said;  // on standard error
    };
    const std::vector<Case> cases = {
        {"a folder in the file's place", [&] { fs::create_directories(lastCase); }, "LastCase.ini"},
        {"a lock of another computer's program",
         [&] {
             fs::create_directories(lastCase.parent_path());
             std::ofstream(lastCase.string() + ".lock") << "99999\nTW_FlueGas\nanother-host\n";
         },
         "is locked by another program"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(testFolder() / "config");
        c.make();
        open();
        std::ostringstream err;
        std::streambuf* const previous = std::cerr.rdbuf(err.rdbuf());
        std::optional<int> status;
        {
            QuitSignals quit(&window());
            QTimer::singleShot(0, [] { std::raise(SIGTERM); });
            const auto started = std::chrono::steady_clock::now();
            QApplication::exec();
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
            status = quit.exitStatus();
        }
        std::cerr.rdbuf(previous);
        EXPECT_EQ(status, 128 + SIGTERM);
        EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
        EXPECT_TRUE(messages.messages().empty());  // no box was asked for
    }
}

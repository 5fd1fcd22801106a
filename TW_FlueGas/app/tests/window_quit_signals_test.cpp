// A logout, kill or Ctrl+C closes the calculator through its normal exit, which keeps the
// default units.
#include <csignal>
#include <fstream>
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

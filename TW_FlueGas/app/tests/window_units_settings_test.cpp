// The unit dialog, the unit change of the table and the settings file across restarts.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLabel>
#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "SettingsFile.h"
#include "WindowFixture.h"

using namespace tw;
using namespace tw::fluegas;
using namespace tw::fluegas::testing;
using namespace std::chrono_literals;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int lineCount(const std::string& text) {
    int n = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) n += text[i] == '\r' && text[i + 1] == '\n';
    return n;
}

// Line `line` (1-based) of a settings text.
std::string line(const std::string& text, int line) {
    std::istringstream in(text);
    std::string s;
    for (int i = 0; i < line; ++i) std::getline(in, s);
    if (!s.empty() && s.back() == '\r') s.pop_back();
    return s;
}

}  // namespace

using UnitDialog = WindowTest;
using SettingsAcrossRestarts = WindowTest;

TEST_F(UnitDialog, ShowsTemperatureAndEnthalpyWithTheWindowUnits) {
    open();
    withUnitDialog([&](frmTW_UnitSel& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "단위 선정 - Tarnwell Inc.");
        TWUnitSel& control = dialog.Unit();
        EXPECT_EQ(control.objectName(), "Unit");
        EXPECT_EQ(control.pos(), QPoint(0, 0));
        EXPECT_TRUE(control.Visible_TP());
        EXPECT_TRUE(control.Visible_ENTH());
        EXPECT_FALSE(control.Visible_PR());
        EXPECT_EQ(control.uTP(), table().unit().uTP());
        EXPECT_EQ(control.CallingObject(), &window());
        EXPECT_EQ(control.TW_Language(), TW_Korean);
        // The dialog shows the whole control.
        EXPECT_GE(dialog.height(), control.height());
        EXPECT_GE(dialog.width(), control.width());
        QDir().mkpath(QStringLiteral("screenshots"));
        dialog.grab().save(QStringLiteral("screenshots/unit_dialog_korean.png"));
        press(dialog, "cmdCancel");
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(window().unitDialog(), nullptr);
}

TEST_F(UnitDialog, CelsiusToFahrenheitConvertsTheTemperaturesShown) {
    open();
    goToRow(rowGasTemperature);
    type("500");
    key(Qt::Key_Down);
    // Results of a calculation: the dew points rows, one of them not available.
    table().setValue(rowGasEnthalpy, "100.000");
    table().setValue(rowOkkesDewPoint, "N/A");
    table().setValue(rowVerhoffDewPoint, "100");
    table().setValue(rowWaterDewPoint, "N/A");
    withUnitDialog([&](frmTW_UnitSel& dialog) {
        chooseUnit(dialog, "cmbTP", "oF");
        chooseUnit(dialog, "cmbENTH", "kJ/kg");
        press(dialog, "cmdOK");
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(cell(rowGasTemperature), "932.00");
    EXPECT_EQ(cell(rowReferenceTemperature), "32.00") << "an empty cell reads as 0";
    EXPECT_EQ(cell(rowGasEnthalpy), "418.68");
    EXPECT_EQ(cell(rowOkkesDewPoint), "N/A");
    EXPECT_EQ(cell(rowVerhoffDewPoint), "212.00");
    EXPECT_EQ(cell(rowWaterDewPoint), "N/A");
    for (int row : {9, 10, 14, 15, 16}) EXPECT_EQ(cell(row, colUnit), "oF") << row;
    EXPECT_EQ(cell(rowGasEnthalpy, colUnit), "kJ/kg");
    EXPECT_EQ(cell(rowN2, colUnit), "Volume %");
    EXPECT_EQ(table().unit().uTP(), ktounit_degF);
    // Coming back from the dialog the window is active again on row 1.
    EXPECT_EQ(table().row(), rowN2);
    EXPECT_TRUE(messages.messages().empty());

    // Confirming the same units rewrites with two decimals, values unchanged.
    withUnitDialog([&](frmTW_UnitSel& dialog) { press(dialog, "cmdOK"); });
    EXPECT_EQ(cell(rowGasTemperature), "932.00");
    EXPECT_EQ(cell(rowGasEnthalpy), "418.68");
}

TEST_F(UnitDialog, CancelChangesNothing) {
    open();
    goToRow(rowGasTemperature);
    type("500");
    key(Qt::Key_Return);
    withUnitDialog([&](frmTW_UnitSel& dialog) {
        chooseUnit(dialog, "cmbTP", "K");
        press(dialog, "cmdCancel");
    });
    EXPECT_EQ(cell(rowGasTemperature), "500");
    EXPECT_EQ(cell(rowGasTemperature, colUnit), "oC");
    EXPECT_EQ(table().unit().uTP(), ktounit_degC);
}

TEST_F(SettingsAcrossRestarts, FirstStartCreatesAnEmptyFileThatExitFills) {
    ASSERT_FALSE(fs::exists(settingsFile()));
    open();
    EXPECT_EQ(window().settingsPath(), settingsFile());
    ASSERT_TRUE(fs::exists(settingsFile()));
    EXPECT_EQ(fs::file_size(settingsFile()), 0u);
    EXPECT_EQ(cell(rowGasTemperature, colUnit), "oC");
    menu("mnuExit");
    EXPECT_FALSE(window().isVisible());
    const std::string text = readFile(settingsFile());
    EXPECT_EQ(lineCount(text), 23);
    EXPECT_EQ(text, settingsText(Unit{}));
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(SettingsAcrossRestarts, ShortFileIsIgnoredAndRewrittenWholeAtExit) {
    {
        std::ofstream out(settingsFile(), std::ios::binary);
        for (int i = 0; i < 10; ++i) out << "1\r\n";
    }
    open();
    EXPECT_EQ(cell(rowGasTemperature, colUnit), "oC");
    EXPECT_TRUE(messages.messages().empty());
    closeWindow();  // the window's close box runs ExitProgram as well
    EXPECT_EQ(readFile(settingsFile()), settingsText(Unit{}));
}

TEST_F(SettingsAcrossRestarts, DefaultFahrenheitIsShownAtTheNextStart) {
    open();
    withUnitDialog([&](frmTW_UnitSel& dialog) {
        chooseUnit(dialog, "cmbTP", "oF");
        chooseUnit(dialog, "cmbENTH", "Btu/lb");
        press(dialog, "cmdOK");
    });
    // Without SetUnitsAsDefault the units are not the defaults.
    EXPECT_EQ(window().DefaultUnits()->uTP(), ktounit_degC);
    menu("mnuUnitDefault");
    EXPECT_EQ(window().DefaultUnits()->uTP(), ktounit_degF);
    menu("mnuExit");
    const std::string text = readFile(settingsFile());
    EXPECT_EQ(line(text, 18), "1");
    EXPECT_EQ(line(text, 4), "2");
    EXPECT_EQ(lineCount(text), 23);

    open();
    for (int row : {9, 10, 14, 15, 16}) EXPECT_EQ(cell(row, colUnit), "oF") << row;
    EXPECT_EQ(cell(rowGasEnthalpy, colUnit), "Btu/lb");
    EXPECT_EQ(table().unit().uTP(), ktounit_degF);
}

TEST_F(SettingsAcrossRestarts, UnitChangeWithoutDefaultLeavesTheFileAlone) {
    {
        std::ofstream out(settingsFile(), std::ios::binary);
        out << settingsText(Unit{});
    }
    open();
    withUnitDialog([&](frmTW_UnitSel& dialog) {
        chooseUnit(dialog, "cmbTP", "K");
        press(dialog, "cmdOK");
    });
    menu("mnuExit");
    EXPECT_EQ(readFile(settingsFile()), settingsText(Unit{}));
}

TEST_F(SettingsAcrossRestarts, RefusedLineKeepsItsDefaultWithOneMessage) {
    Unit expected;
    expected.setuENTH(ktounit_kJperkg);
    std::string text = settingsText(expected);
    // Line 18 (temperature) holds a unit that does not exist.
    const std::size_t at = [&] {
        std::size_t p = 0;
        for (int i = 1; i < 18; ++i) p = text.find("\r\n", p) + 2;
        return p;
    }();
    text.replace(at, 1, "9");
    {
        std::ofstream out(settingsFile(), std::ios::binary);
        out << text;
    }
    open();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, "Error #9\nSubscript out of range");
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Critical);
    EXPECT_EQ(cell(rowGasTemperature, colUnit), "oC");
    EXPECT_EQ(cell(rowGasEnthalpy, colUnit), "kJ/kg") << "valid lines are taken over";
    menu("mnuExit");
    EXPECT_EQ(readFile(settingsFile()), settingsText(expected));
}

TEST_F(SettingsAcrossRestarts, APipeInTheFilesPlaceIsNeitherWaitedOnNorReplaced) {
    ASSERT_EQ(::mkfifo(settingsFile().c_str(), 0600), 0);
    // Should the start wait on the pipe, a writer comes along after a while and lets it go on.
    std::atomic<bool> started{false};
    std::thread rescue([&] {
        for (int i = 0; i < 50 && !started; ++i) std::this_thread::sleep_for(100ms);
        if (!started) ::close(::open(settingsFile().c_str(), O_WRONLY | O_NONBLOCK));
    });
    const auto before = std::chrono::steady_clock::now();
    open();
    started = true;
    rescue.join();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 4s) << "the start waited on the pipe";
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, "Error #75\nPath/File access error");
    EXPECT_EQ(cell(rowGasTemperature, colUnit), "oC");

    menu("mnuExit");
    EXPECT_TRUE(fs::is_fifo(settingsFile()));
    ASSERT_EQ(messages.messages().size(), 2u);
    EXPECT_EQ(
        messages.messages()[1].text,
        settingsFile().string() + " 은(는) 일반 파일이 아니므로 기본 단위를 저장하지 않았습니다.");
    EXPECT_EQ(messages.messages()[1].icon, MessageIcon::Exclamation);
    for (const auto& e : fs::directory_iterator(settingsFile().parent_path())) {
        EXPECT_EQ(e.path(), settingsFile()) << "nothing else is left beside it";
    }
}

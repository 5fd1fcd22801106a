// The case the window showed at exit comes back at the next start; a damaged or strange state
// file is ignored without a message.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSettings>
#include <fstream>

#include "LastCase.h"
#include "SettingsFile.h"
#include "WindowFixture.h"

using namespace tw;
using namespace tw::fluegas;
using namespace tw::fluegas::testing;

namespace {

class LastCaseTest : public WindowTest {
  protected:
    fs::path stateFile() const {
        return settingsFile().parent_path().parent_path() / "config" / kLastCaseFileName;
    }
    void writeState(const std::string& text) {
        fs::create_directories(stateFile().parent_path());
        std::ofstream out(stateFile(), std::ios::binary);
        out << text;
    }
    std::vector<std::string> valueCells() {
        std::vector<std::string> cells;
        for (int row = rowN2; row <= rowSo3ConversionRate; ++row) cells.push_back(cell(row));
        return cells;
    }
};

}  // namespace

TEST_F(LastCaseTest, TheWindowReopensWithTheCaseItShowedAtExit) {
    open();
    EXPECT_EQ(window().lastCasePath(), stateFile());
    typeRows({"79", "", "21", "", "", "", "", "", "450", "15"});
    menu("mnuWeight");
    menu("mnuFormulaSub2");
    menu("mnuSO3UI");
    type("2.5");
    // Text still in the editor belongs to the case too.
    goToRow(rowReferenceTemperature);
    type("20");
    const std::vector<std::string> shown = [&] {
        auto cells = valueCells();
        cells[rowReferenceTemperature - rowN2] = "20";
        cells[rowSo3ConversionRate - rowN2] = "2.5";
        // Results are not kept.
        for (int row : {rowComponentTotal, rowMoleWeight, rowGasEnthalpy}) cells[row - rowN2] = "";
        return cells;
    }();
    menu("mnuExit");
    ASSERT_TRUE(fs::is_regular_file(stateFile()));
    EXPECT_EQ(fs::file_size(settingsFile()), settingsText(Unit{}).size()) << "the units file stays";

    open();
    EXPECT_EQ(valueCells(), shown);
    EXPECT_EQ(cell(rowN2, colUnit), "Weight %");
    EXPECT_TRUE(window().menuItem("mnuWeight")->isChecked());
    EXPECT_TRUE(window().menuItem("mnuFormulaSub2")->isChecked());
    EXPECT_FALSE(window().menuItem("mnuFormulaSub0")->isChecked());
    EXPECT_TRUE(window().menuItem("mnuSO3UI")->isChecked());
    EXPECT_EQ(table().row(), rowN2) << "the window starts on row 1 as always";
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(LastCaseTest, TemperaturesFollowTheDefaultUnitsOfTheNextStart) {
    open();
    goToRow(rowGasTemperature);
    typeRows({"100", "0"});
    menu("mnuExit");
    // The next start has oF as its default temperature unit.
    Unit fahrenheit;
    fahrenheit.setuTP(ktounit_degF);
    ASSERT_FALSE(saveSettingsFile(settingsFile(), fahrenheit));
    open();
    EXPECT_EQ(cell(rowGasTemperature, colUnit), "oF");
    EXPECT_EQ(cell(rowGasTemperature), "212.00");
    EXPECT_EQ(cell(rowReferenceTemperature), "32.00");
}

TEST_F(LastCaseTest, DamagedValuesFallBackOneByOneWithoutAMessage) {
    struct Case {
        std::string file;
        std::vector<std::pair<int, std::string>> cells;  // expected value cells
        bool weight;
        int formula;
    };
    const Case cases[] = {
        // Unusable values keep their defaults; the good ones count.
        {"[LastCase]\nn2=abc\nar=0.9\no2=1e999999999999999999999999\nbasis=both\nformula=7\n"
         "t=300\ntref=25\nutp=0\nso3=auto\n",
         {{rowN2, ""}, {rowAr, "0.9"}, {rowGasTemperature, "300"}},
         false,
         0},
        // Temperatures without their unit are dropped; a list where a text belongs is no text.
        {"[LastCase]\nn2=\"1,2\"\nco2=1,2\nt=300\nbasis=wt\nformula=1\n",
         {{rowN2, "1,2"}, {rowCO2, ""}, {rowGasTemperature, ""}},
         true,
         1},
        // Not an INI file at all.
        {std::string("\x00\xff\x7f[[[\n=\n\x01", 9) + std::string(5000, '\xfe'),
         {{rowN2, ""}, {rowGasTemperature, ""}},
         false,
         0},
    };
    for (const Case& c : cases) {
        writeState(c.file);
        open();
        for (const auto& [row, text] : c.cells) {
            // "1,2" typed in a cell is no number the editor takes: it stays out.
            EXPECT_EQ(cell(row), text == "1,2" ? "" : text) << row << " in " << c.file;
        }
        EXPECT_EQ(window().menuItem("mnuWeight")->isChecked(), c.weight);
        EXPECT_TRUE(
            window().menuItem(("mnuFormulaSub" + std::to_string(c.formula)).c_str())->isChecked());
        EXPECT_TRUE(messages.messages().empty());
        // The exit writes a sound file again.
        menu("mnuExit");
        const auto back = readLastCase(stateFile());
        ASSERT_TRUE(back);
        EXPECT_EQ(back->basis, c.weight ? CompositionBasis::Weight : CompositionBasis::Volume);
        QSettings written(QString::fromStdString(stateFile().string()), QSettings::IniFormat);
        EXPECT_EQ(written.value("LastCase/so3").toString(), "auto");
    }
}

TEST_F(LastCaseTest, SomethingElseInTheFilesPlaceIsLeftAlone) {
    fs::create_directories(stateFile().parent_path());
    ASSERT_EQ(::mkfifo(stateFile().c_str(), 0600), 0);
    open();  // reading never waits on the pipe
    typeRows({"80"});
    menu("mnuExit");
    EXPECT_TRUE(fs::is_fifo(stateFile()));
    ASSERT_EQ(messages.messages().size(), 1u) << "the case shown could not be kept";
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Exclamation);
}

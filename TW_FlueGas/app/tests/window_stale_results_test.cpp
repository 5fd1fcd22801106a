// Results that belong to earlier inputs are shown as such until Calculate completes, and the
// ways out of the window (the report, Save results) offer to calculate first.
#include <QColor>
#include <QLabel>
#include <QStatusBar>

#include "WindowFixture.h"

using namespace tw;
using namespace tw::fluegas;
using namespace tw::fluegas::testing;

namespace {

const std::vector<QString> kRows = {"76", "0.9", "4", "12", "0", "0.1", "7", "", "300", "25"};
const QColor kGrey(128, 128, 128);

class StaleResults : public WindowTest {
  protected:
    void calculated() {
        open(TW_English);
        goToRow(rowN2);
        typeRows(kRows);
        clickButton("cmdCalc");
        ASSERT_TRUE(window().lastCalculation().has_value());
        ASSERT_FALSE(window().resultsStale());
    }
    QColor textColour(int row) {
        const auto& model = window().msfInput().tableModel();
        return model.data(model.index(row, colValue), Qt::ForegroundRole).value<QColor>();
    }
    std::string statusLine() {
        return window().findChild<QLabel*>(QStringLiteral("staleNote"))->text().toStdString();
    }
    // Which of the result rows show as old.
    std::vector<int> greyRows() {
        std::vector<int> rows;
        for (int row = rowN2; row <= rowWaterDewPoint; ++row) {
            if (textColour(row) == kGrey) rows.push_back(row);
        }
        return rows;
    }
};

const std::vector<int> kAllResultRows = {rowComponentTotal,    rowMoleWeight,    rowGasEnthalpy,
                                         rowSo3ConversionRate, rowOkkesDewPoint, rowVerhoffDewPoint,
                                         rowWaterDewPoint};

}  // namespace

TEST_F(StaleResults, EveryKindOfInputChangeMarksTheResultsUntilCalculate) {
    struct Change {
        const char* what;
        std::function<void()> make;
    };
    const std::vector<Change> changes = {
        {"typed cell",
         [this] {
             goToRow(rowGasTemperature);
             type("350");
             key(Qt::Key_Return);
         }},
        {"make 100 % by H2O",
         [this] {
             goToRow(rowH2O);
             type("1");
             clickButton("cmd100");
         }},
        {"formula", [this] { menu("mnuFormulaSub1"); }},
        {"unit change",
         [this] {
             withUnitDialog([](frmTW_UnitSel& dialog) {
                 chooseUnit(dialog, "cmbTP", "K");
                 press(dialog, "cmdOK");
             });
         }},
    };
    for (const Change& change : changes) {
        calculated();
        const std::string enthalpy = cell(rowGasEnthalpy);
        change.make();
        EXPECT_TRUE(window().resultsStale()) << change.what;
        EXPECT_EQ(textColour(rowGasEnthalpy), kGrey) << change.what;
        EXPECT_NE(textColour(rowN2), kGrey) << change.what;
        EXPECT_EQ(statusLine(), "Results are from the previous inputs — press Calculate")
            << change.what;
        // The texts stay for those who read the table.
        if (std::string(change.what) != "unit change") {
            EXPECT_EQ(cell(rowGasEnthalpy), enthalpy) << change.what;
        }
        clickButton("cmdCalc");
        EXPECT_FALSE(window().resultsStale()) << change.what;
        EXPECT_EQ(statusLine(), "") << change.what;
        EXPECT_TRUE(greyRows().empty()) << change.what;
        closeWindow();
    }
}

TEST_F(StaleResults, NothingChangedNothingStale) {
    calculated();
    // Moving through the rows and retyping the same number changes no input.
    goToRow(rowGasTemperature);
    type("300");
    key(Qt::Key_Return);
    menu("mnuFormulaSub0");
    EXPECT_FALSE(window().resultsStale());
    EXPECT_TRUE(greyRows().empty());
}

TEST_F(StaleResults, BasisSwitchKeepsTotalAndMoleWeightCurrent) {
    calculated();
    menu("mnuWeight");
    std::vector<int> expected = kAllResultRows;
    std::erase(expected, rowComponentTotal);
    std::erase(expected, rowMoleWeight);
    EXPECT_EQ(greyRows(), expected);
}

TEST_F(StaleResults, ARefusedCalculateLeavesThemStale) {
    calculated();
    goToRow(rowGasTemperature);
    type("1e39");
    clickButton("cmdCalc");
    EXPECT_TRUE(window().resultsStale());
    EXPECT_EQ(greyRows(), kAllResultRows);
    EXPECT_EQ(statusLine(), "Results are from the previous inputs — press Calculate");
}

TEST_F(StaleResults, ReportAndSaveAskToCalculateFirst) {
    calculated();
    goToRow(rowGasTemperature);
    type("400");
    key(Qt::Key_Return);
    QStringList asked;
    bool answer = false;
    window().setQuestion([&](const QString& q) {
        asked << q;
        return answer;
    });
    int chosen = 0;
    window().setResultsFileChooser([&]() -> std::optional<frmTW_FlueGas::ResultsFile> {
        ++chosen;
        return std::nullopt;
    });
    // No: nothing opens, nothing is saved, the results stay old.
    menu("mnuReport");
    menu("mnuSaveResults");
    EXPECT_EQ(asked, (QStringList{"Calculate now?", "Calculate now?"}));
    EXPECT_EQ(window().reportWindow(), nullptr);
    EXPECT_EQ(chosen, 0);
    EXPECT_TRUE(window().resultsStale());
    // Yes: calculated first, then the report of the new inputs.
    answer = true;
    menu("mnuReport");
    EXPECT_FALSE(window().resultsStale());
    ASSERT_NE(window().reportWindow(), nullptr);
    EXPECT_EQ(window().lastCalculation()->inputs.cells[kSpeciesCount], "400");
    // Current results ask nothing.
    asked.clear();
    menu("mnuSaveResults");
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(chosen, 1);
}

TEST_F(StaleResults, KoreanStatusLine) {
    open(TW_Korean);
    typeRows(kRows);
    clickButton("cmdCalc");
    menu("mnuFormulaSub2");
    EXPECT_EQ(statusLine(), "결과는 이전 입력값의 것입니다 — 계산을 누르십시오");
}

using KeyboardRoutes = WindowTest;

TEST_F(KeyboardRoutes, EnterGoesDownTabGoesRoundF5AndCtrlEnterCalculate) {
    open(TW_English);
    // Enter commits and moves to the next input row; past row 7 the total is skipped.
    for (const char* v : {"76", "0.9", "4", "12", "0", "0.1", "7"}) {
        type(v);
        key(Qt::Key_Return);
    }
    EXPECT_EQ(cell(rowH2O), "7");
    EXPECT_EQ(table().row(), rowGasTemperature);
    type("300");
    key(Qt::Key_Return);
    type("25");
    key(Qt::Key_Return);
    EXPECT_EQ(cell(rowReferenceTemperature), "25");
    // The last input row in automatic SO3 mode: Enter stays.
    EXPECT_EQ(table().row(), rowReferenceTemperature);
    // Tab goes round to the first input row, Shift+Tab back.
    key(Qt::Key_Tab);
    EXPECT_EQ(table().row(), rowN2);
    QTest::keyClick(&editor(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(table().row(), rowReferenceTemperature);

    key(Qt::Key_F5);
    ASSERT_TRUE(window().lastCalculation().has_value());
    EXPECT_FALSE(cell(rowGasEnthalpy).empty());
    const std::string first = window().lastCalculation()->dateTime;
    goToRow(rowGasTemperature);
    type("310");
    QTest::keyClick(&editor(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(window().resultsStale());
    EXPECT_EQ(window().lastCalculation()->inputs.cells[kSpeciesCount], "310");
}

TEST_F(KeyboardRoutes, FileMenuShortcutsButtonKeysAndTooltips) {
    open(TW_English);
    EXPECT_EQ(window().menuItem("mnuReport")->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    EXPECT_EQ(window().menuItem("mnuSaveResults")->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(window().menuItem("mnuExit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(window().menuItem("mnuCopyTable")->shortcut(), QKeySequence(QKeySequence::Copy));
    for (const char* name : {"cmdCalc", "cmd100", "cmdTotal"}) {
        auto* button = window().findChild<QPushButton*>(QString::fromLatin1(name));
        EXPECT_FALSE(button->shortcut().isEmpty()) << name;
        EXPECT_FALSE(button->toolTip().isEmpty()) << name;
    }
    const auto& model = window().msfInput().tableModel();
    for (int row : {rowN2, rowH2O, rowGasTemperature, rowReferenceTemperature}) {
        EXPECT_FALSE(model.data(model.index(row, colValue), Qt::ToolTipRole).toString().isEmpty())
            << row;
    }
    EXPECT_TRUE(model.data(model.index(rowGasTemperature, colValue), Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("6000 K")));
    // The maximise button is gone and the size is fixed.
    EXPECT_FALSE(window().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window().minimumSize(), window().maximumSize());
}

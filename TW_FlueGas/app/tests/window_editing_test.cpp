// The calculator window driven by keys and clicks: start-up, the in-place editor, the
// composition tools, options and the calculation.
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "FlueGasCalculator.h"
#include "WindowFixture.h"

using namespace tw;
using namespace tw::fluegas;
using namespace tw::fluegas::testing;

namespace {

// The typical request of the calculator: composition rows 1 to 7, then 300 oC and 25 oC.
const std::vector<QString> kTypicalRows = {"76",  "0.9", "4", "12",  "0",
                                           "0.1", "7",   "",  "300", "25"};

}  // namespace

using CalculatorWindow = WindowTest;

TEST_F(CalculatorWindow, StartsInKoreanWithTheEditorOnTheFirstRow) {
    open();
    EXPECT_EQ(window().windowTitle().toStdString(),
              "TW_FlueGas Ver. 1.00.0001b - http://www.tarnwell.example");
    EXPECT_EQ(cell(0, 0), "항목");
    EXPECT_EQ(cell(0, 1), "단위");
    EXPECT_EQ(cell(0, 2), "값");
    EXPECT_EQ(cell(rowComponentTotal, colItem), "성분 합계");
    EXPECT_EQ(cell(rowN2, colUnit), "Volume %");
    EXPECT_EQ(cell(rowGasTemperature, colUnit), "oC");
    EXPECT_EQ(cell(rowGasEnthalpy, colUnit), "kcal/kg");
    EXPECT_EQ(cell(rowSo3ConversionRate, colUnit), "%");
    EXPECT_EQ(table().row(), rowN2);
    EXPECT_EQ(table().col(), colValue);
    EXPECT_TRUE(editor().hasFocus());

    // The editor lies inside the value cell of row 1.
    CalculatorGrid& grid = window().msfInput();
    const QRect cell = grid.cellRect(rowN2, colValue);
    EXPECT_EQ(editor().x(), grid.x() + cell.x());
    EXPECT_EQ(editor().width(), cell.width());
    EXPECT_GT(editor().y(), grid.y() + cell.y());
    EXPECT_LT(editor().geometry().bottom(), grid.y() + cell.bottom() + 1);

    // Buttons and menus keep their Korean captions, the notes are Korean.
    EXPECT_EQ(window().findChild<QPushButton*>("cmd100")->text().toStdString(),
              "H2O로         100% 만들기");
    EXPECT_EQ(window().menuItem("mnuCompUnit")->text().toStdString(), "가스 성분  단위(&C)");
    EXPECT_EQ(window().findChild<QLabel*>("Label1")->text().toStdString(),
              "* 엔탈피 계산 공식 : NASA Glenn Coefficients");
    EXPECT_EQ(window().findChild<QLabel*>("Label4")->text().toStdString(),
              "* 수분 이슬점은 표준 대기압 기준입니다.");
    for (const char* checked : {"mnuVolume", "mnuFormulaSub0", "mnuSO3Auto"}) {
        EXPECT_TRUE(window().menuItem(checked)->isChecked()) << checked;
    }
    for (const char* unchecked : {"mnuWeight", "mnuFormulaSub1", "mnuFormulaSub2", "mnuSO3UI"}) {
        EXPECT_FALSE(window().menuItem(unchecked)->isChecked()) << unchecked;
    }
    // Light green input rows, button-face result rows.
    const QAbstractItemModel& model = *grid.model();
    const QColor green(192, 255, 192);
    for (int row : {1, 7, 9, 10}) {
        EXPECT_EQ(model.index(row, colValue).data(Qt::BackgroundRole).value<QColor>(), green);
    }
    for (int row : {8, 11, 12, 13, 16}) {
        EXPECT_NE(model.index(row, colValue).data(Qt::BackgroundRole).value<QColor>(), green);
    }
    EXPECT_TRUE(messages.messages().empty());
    screenshot("window_korean_start");
}

TEST_F(CalculatorWindow, TypicalRequestGivesTheSameCellsAsTheCalculator) {
    open();
    typeRows(kTypicalRows);
    clickButton("cmdCalc");

    // The same request through the calculation core without a window.
    CalculatorTable reference;
    const std::vector<std::string> rows = {"76", "0.9", "4", "12", "0", "0.1", "7"};
    for (int i = 0; i < 7; ++i) reference.setValue(rowN2 + i, rows[static_cast<std::size_t>(i)]);
    reference.setValue(rowGasTemperature, "300");
    reference.setValue(rowReferenceTemperature, "25");
    RecordingMessageSink referenceMessages;
    {
        ScopedMessageSink guard(referenceMessages);
        fluegas::Calculate(reference);
    }
    for (int row = rowN2; row <= rowWaterDewPoint; ++row) {
        EXPECT_EQ(cell(row), reference.value(row)) << "row " << row;
    }
    EXPECT_EQ(cell(rowComponentTotal), "100.000");
    EXPECT_NE(cell(rowGasEnthalpy), "");
    EXPECT_EQ(messages.messages().size(), referenceMessages.messages().size());
    for (const RecordedMessage& m : messages.messages())
        ADD_FAILURE() << m.caption << ": " << m.text;
    screenshot("window_korean_calculated");
}

TEST_F(CalculatorWindow, ArrowKeysStopAtTheFirstAndLastRows) {
    open();
    key(Qt::Key_Up);
    EXPECT_EQ(table().row(), rowN2);
    for (int i = 0; i < 20; ++i) key(Qt::Key_Down);
    EXPECT_EQ(table().row(), rowWaterDewPoint);
    key(Qt::Key_Down);
    EXPECT_EQ(table().row(), rowWaterDewPoint);
    // Walking down passed rows 8, 11, 12 and 13 without moving the editor onto them: the
    // editor is over row 16 now.
    const QRect last = window().msfInput().cellRect(rowWaterDewPoint, colValue);
    EXPECT_GT(editor().y(), window().msfInput().y() + last.y());
}

TEST_F(CalculatorWindow, EditorAcceptsNumbersOnlyAndBeepsAtOtherCharacters) {
    open();
    struct Case {
        QString typed;
        std::string kept;
        int beeps;
    };
    const Case cases[] = {
        {"12.5", "12.5", 0}, {"-1e3", "-1e3", 0}, {"1E-2", "1E-2", 0}, {"7a", "7", 1},
        {"x", "", 1},        {"1,5", "15", 1},    {"  ", "", 2},       {"%*", "", 2},
    };
    for (const Case& c : cases) {
        messages.clear();
        editor().clear();
        QTest::keyClicks(&editor(), c.typed);
        EXPECT_EQ(editor().text().toStdString(), c.kept) << c.typed.toStdString();
        EXPECT_EQ(messages.beeps(), c.beeps) << c.typed.toStdString();
    }
    // A character of another script, as an input method delivers it.
    messages.clear();
    QKeyEvent hangul(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("한"));
    QApplication::sendEvent(&editor(), &hangul);
    EXPECT_EQ(editor().text().toStdString(), "");
    EXPECT_EQ(messages.beeps(), 1);
    // Backspace edits, Enter commits into the current cell.
    type("456");
    key(Qt::Key_Backspace);
    key(Qt::Key_Return);
    EXPECT_EQ(cell(rowN2), "45");
}

TEST_F(CalculatorWindow, ResultRowsNeverTakeTheEditor) {
    open();
    type("80");
    key(Qt::Key_Down);  // row 2
    const QPoint where = editor().pos();
    clickCell(rowComponentTotal);
    EXPECT_EQ(table().row(), rowComponentTotal);
    EXPECT_EQ(editor().pos(), where) << "entering row 8 leaves the editor where it was";
    clickCell(rowMoleWeight);
    EXPECT_EQ(cell(rowComponentTotal), "") << "leaving row 8 writes nothing into it";
    // A command while a result row is current does not write the editor into it.
    type("5");
    clickButton("cmdTotal");
    EXPECT_EQ(cell(rowMoleWeight), "");
    EXPECT_EQ(cell(rowComponentTotal), "80.000");
    // Clicking the fixed columns changes nothing.
    clickCell(rowGasTemperature, colItem);
    clickCell(rowGasTemperature, colUnit);
    EXPECT_EQ(table().row(), rowMoleWeight);
    EXPECT_EQ(table().col(), colValue);
    // An input row takes the editor and its text.
    clickCell(rowN2);
    EXPECT_EQ(editor().text().toStdString(), "80");
    EXPECT_TRUE(editor().hasFocus());
}

TEST_F(CalculatorWindow, So3RowFollowsTheConversionMode) {
    open();
    const QAbstractItemModel& model = *window().msfInput().model();
    const auto background = [&] {
        return model.index(rowSo3ConversionRate, colValue).data(Qt::BackgroundRole).value<QColor>();
    };
    const QColor resultColour = background();
    const QPoint start = editor().pos();
    clickCell(rowSo3ConversionRate);
    EXPECT_EQ(editor().pos(), start) << "automatic mode: row 13 is a result";

    menu("mnuSO3UI");
    EXPECT_TRUE(window().menuItem("mnuSO3UI")->isChecked());
    EXPECT_FALSE(window().menuItem("mnuSO3Auto")->isChecked());
    EXPECT_EQ(table().row(), rowSo3ConversionRate);
    EXPECT_EQ(background(), QColor(192, 255, 192));
    const QRect row13 = window().msfInput().cellRect(rowSo3ConversionRate, colValue);
    EXPECT_GT(editor().y(), window().msfInput().y() + row13.y());
    type("2.5");
    key(Qt::Key_Return);
    EXPECT_EQ(cell(rowSo3ConversionRate), "2.5");

    menu("mnuSO3Auto");
    EXPECT_TRUE(window().menuItem("mnuSO3Auto")->isChecked());
    EXPECT_EQ(table().row(), rowN2);
    EXPECT_EQ(background(), resultColour);
    EXPECT_EQ(editor().pos(), start);
}

TEST_F(CalculatorWindow, MakeHundredByH2OFillsRowSevenWithoutLimit) {
    struct Case {
        std::vector<QString> rows;  // rows 1 to 6
        std::string h2o;
    };
    const Case cases[] = {
        {{"80", "", "5", "10", "", ""}, "5.000"},
        {{"80", "10", "10", "10", "", ""}, "-10.000"},
        {{"", "", "", "", "", ""}, "100.000"},
    };
    for (const Case& c : cases) {
        open();
        typeRows(c.rows);
        clickButton("cmd100");
        EXPECT_EQ(cell(rowH2O), c.h2o);
        // The editor shows the current cell (row 7) afterwards.
        EXPECT_EQ(table().row(), rowH2O);
        EXPECT_EQ(editor().text().toStdString(), c.h2o);
    }
}

TEST_F(CalculatorWindow, CompositionBasisSwitchConvertsTheComposition) {
    open();
    typeRows({"79", "", "21"});
    menu("mnuVolume");  // already checked: nothing at all changes
    EXPECT_EQ(cell(rowN2), "79");
    EXPECT_EQ(cell(rowComponentTotal), "");
    EXPECT_TRUE(window().menuItem("mnuVolume")->isChecked());

    menu("mnuWeight");
    EXPECT_TRUE(window().menuItem("mnuWeight")->isChecked());
    EXPECT_FALSE(window().menuItem("mnuVolume")->isChecked());
    EXPECT_EQ(cell(rowN2, colUnit), "Weight %");
    EXPECT_EQ(cell(rowH2O, colUnit), "Weight %");
    EXPECT_NEAR(std::stod(cell(rowN2)), 76.7, 0.05);
    EXPECT_NEAR(std::stod(cell(rowO2)), 23.3, 0.05);
    EXPECT_EQ(cell(rowComponentTotal), "100.00");
    EXPECT_NEAR(std::stod(cell(rowMoleWeight)), 28.85, 0.02);
    EXPECT_EQ(cell(rowMoleWeight).size(), std::string("28.85").size());

    menu("mnuVolume");
    EXPECT_EQ(cell(rowN2, colUnit), "Volume %");
    EXPECT_NEAR(std::stod(cell(rowN2)), 79.0, 0.01);
}

TEST_F(CalculatorWindow, FormulaChoiceChangesOnlyTheNote) {
    open();
    typeRows(kTypicalRows);
    clickButton("cmdCalc");
    const std::string enthalpy = cell(rowGasEnthalpy);
    const BilingualText notes[] = {
        {"* 엔탈피 계산 공식 : ASME PTC 4.4", nullptr},
        {"* 엔탈피 계산 공식 : B&W STEAM its generation and use", nullptr},
        {"* 엔탈피 계산 공식 : NASA Glenn Coefficients", nullptr},
    };
    const char* items[] = {"mnuFormulaSub1", "mnuFormulaSub2", "mnuFormulaSub0"};
    for (int i = 0; i < 3; ++i) {
        menu(items[i]);
        for (const char* other : items) {
            EXPECT_EQ(window().menuItem(other)->isChecked(), other == items[i]) << other;
        }
        EXPECT_EQ(window().findChild<QLabel*>("Label1")->text().toStdString(), notes[i].korean);
        EXPECT_EQ(cell(rowGasEnthalpy), enthalpy);
    }
    // Choosing the checked item again keeps its check mark.
    menu("mnuFormulaSub0");
    EXPECT_TRUE(window().menuItem("mnuFormulaSub0")->isChecked());
}

TEST_F(CalculatorWindow, DriverMessagesReachTheSinkAndStopTheRun) {
    open();
    clickButton("cmdCalc");
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text,
              "성분 합계가 0% 보다 커야 합니다. 가능하면 100%가 되어야 합니다.");
    EXPECT_EQ(messages.messages()[0].caption, "TW_FlueGas");
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Critical);
    EXPECT_EQ(cell(rowComponentTotal), "0.000");
    EXPECT_EQ(cell(rowGasEnthalpy), "");
}

TEST_F(CalculatorWindow, HostileNumbersNeverCrashTheWindow) {
    open();
    typeRows({"1e39", "-1e39", "1e308", "", "", "", "", "", "1e30", "-1e30"});
    clickButton("cmdTotal");
    clickButton("cmd100");
    clickButton("cmdCalc");
    menu("mnuWeight");
    EXPECT_FALSE(messages.messages().empty());
    EXPECT_TRUE(window().isVisible());
}

TEST_F(CalculatorWindow, EnglishCaptionsComeFromTheTables) {
    open(TW_English);
    EXPECT_EQ(cell(0, 0), "Item");
    EXPECT_EQ(cell(rowWaterDewPoint, colItem), "Water dew point");
    EXPECT_EQ(window().findChild<QPushButton*>("cmdCalc")->text().toStdString(), "Calculate");
    EXPECT_EQ(window().findChild<QPushButton*>("cmd100")->text().toStdString(), "Make 100% by H2O");
    EXPECT_EQ(window().menuItem("mnuUnitDefault")->text().toStdString(),
              "Set the current units as default(&T)");
    EXPECT_EQ(window().menuItem("mnuVolume")->text().toStdString(), "Volume %(&V)");
    // "B&W" is text in the English captions: the ampersand shows as itself.
    EXPECT_EQ(window().menuItem("mnuFormulaSub2")->text().toStdString(),
              "B&&W STEAM its generation and use");
    menu("mnuFormulaSub2");
    EXPECT_EQ(window().findChild<QLabel*>("Label1")->text().toStdString(),
              "* Enthalpy calculation formula : B&W STEAM its generation and use");
    EXPECT_EQ(window().findChild<QLabel*>("Label2")->text().toStdString(),
              "* Enthalpy is based on Reference Temperature.(Enthalpy at Ref Temp = 0)");
    typeRows(kTypicalRows);
    clickButton("cmdCalc");
    screenshot("window_english_calculated");
}

TEST_F(CalculatorWindow, LayoutKeepsEveryControlInsideTheWindow) {
    open();
    QWidget* central = window().centralWidget();
    const QRect client = central->rect();
    for (QWidget* child : central->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(client.contains(child->geometry())) << child->objectName().toStdString();
    }
    // Buttons stand in one column 200 twips right of the grid, "Calculate" level with its top.
    const QRect grid = window().msfInput().geometry();
    const QRect calc = window().findChild<QPushButton*>("cmdCalc")->geometry();
    EXPECT_EQ(calc.top(), grid.top());
    EXPECT_NEAR(calc.left() - (grid.right() + 1), 13, 1);
    // Each note label shows its whole text.
    for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) {
        const QLabel* label = window().findChild<QLabel*>(name);
        EXPECT_LE(label->sizeHint().width(), label->width()) << name;
        EXPECT_LE(label->sizeHint().height(), label->height()) << name;
    }
    // The whole table is visible without scrolling.
    EXPECT_EQ(window().msfInput().size(), CalculatorGrid::gridSize());
}

TEST_F(CalculatorWindow, KeysWithCtrlAltOrMetaNeverTypeIntoTheEditor) {
    open();
    type("12");
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
    };
    // As they arrive when no menu mnemonic takes them: "E", digits and "." would otherwise be
    // accepted characters.
    const Case cases[] = {
        {Qt::Key_O, Qt::AltModifier, "o"},
        {Qt::Key_E, Qt::AltModifier, "e"},
        {Qt::Key_5, Qt::AltModifier, "5"},
        {Qt::Key_Period, Qt::AltModifier, "."},
        {Qt::Key_E, Qt::MetaModifier, "e"},
        {Qt::Key_1, Qt::ControlModifier | Qt::AltModifier, "1"},
        {Qt::Key_E, Qt::ControlModifier, "\x05"},
    };
    for (const Case& c : cases) {
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, QString::fromLatin1(c.text));
        QApplication::sendEvent(&editor(), &press);
        EXPECT_EQ(editor().text().toStdString(), "12") << c.text;
    }
    EXPECT_EQ(messages.beeps(), 0);

    // Ctrl+A, C, X and V keep their editing meaning.
    QTest::keyClick(&editor(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(editor().selectedText().toStdString(), "12");
    QTest::keyClick(&editor(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "12");
    QTest::keyClick(&editor(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(editor().text().toStdString(), "");
    QTest::keyClick(&editor(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&editor(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editor().text().toStdString(), "1212");
}

TEST_F(CalculatorWindow, AltWithALetterOpensTheMenuOfItsMnemonic) {
    open();
    QApplication::setActiveWindow(&window());
    type("7");
    QTest::keyClick(&editor(), Qt::Key_O, Qt::AltModifier);
    auto* options = window().findChild<QMenu*>(QStringLiteral("mnuSet"));
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->isVisible()) << "Alt+O opens the Option menu";
    options->close();
    EXPECT_EQ(editor().text().toStdString(), "7");
}

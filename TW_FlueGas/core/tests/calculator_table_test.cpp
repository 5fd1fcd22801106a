// The calculator table as the window's grid sees it: captions, current cell, styles, unit change.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "CalculatorTable.h"
#include "mdlTW_FlueGas.h"
#include "tw/AutomationError.h"

namespace {

using namespace tw::fluegas;

class CalculatorTableTest : public ::testing::Test {
  protected:
    void SetUp() override { tw::TW_Language = tw::TW_Korean; }
    void TearDown() override { tw::TW_Language = tw::TW_Korean; }
};

TEST_F(CalculatorTableTest, CaptionsOfBothLanguagesAndTheUnitColumn) {
    struct Case {
        tw::enmLanguage language;
        std::vector<std::string> header;
        int row;
        std::string caption;
    };
    const std::vector<Case> cases = {
        {tw::TW_English, {"Item", "Unit", "Value"}, rowComponentTotal, "Component total"},
        {tw::TW_English,
         {"Item", "Unit", "Value"},
         rowReferenceTemperature,
         "Enthalpy reference temperature"},
        {tw::TW_English,
         {"Item", "Unit", "Value"},
         rowVerhoffDewPoint,
         "Verhoff sulfuric acid dew point"},
        {tw::TW_Korean, {"항목", "단위", "값"}, rowComponentTotal, "성분 합계"},
        {tw::TW_Korean, {"항목", "단위", "값"}, rowOkkesDewPoint, "Okkes 황산 이슬점"},
        {tw::TW_Korean, {"항목", "단위", "값"}, rowWaterDewPoint, "수분 이슬점"},
    };
    for (const Case& c : cases) {
        tw::TW_Language = c.language;
        CalculatorTable table;
        for (int column = 0; column < kTableColumns; ++column) {
            EXPECT_EQ(table.text(rowHeader, column), c.header[static_cast<std::size_t>(column)]);
        }
        EXPECT_EQ(table.text(c.row, colItem), c.caption);
        EXPECT_EQ(table.text(rowAr, colItem), "Ar");
        EXPECT_EQ(table.text(rowH2O, colUnit), "Volume %");
        EXPECT_EQ(table.text(rowComponentTotal, colUnit), "");
        EXPECT_EQ(table.text(rowGasTemperature, colUnit), "oC");
        EXPECT_EQ(table.text(rowGasEnthalpy, colUnit), "kcal/kg");
        EXPECT_EQ(table.text(rowSo3ConversionRate, colUnit), "%");
        EXPECT_EQ(table.value(rowN2), "");
    }
}

TEST_F(CalculatorTableTest, AnotherLanguageValueSetsNoCaptionsButKeepsTheSpecies) {
    CalculatorTable table;
    table.setLanguage(tw::TW_English);
    table.setLanguage(7);
    EXPECT_EQ(table.text(rowHeader, colItem), "Item");
    EXPECT_EQ(table.text(rowMoleWeight, colItem), "Mole weight");
    tw::TW_Language = static_cast<tw::enmLanguage>(7);
    CalculatorTable fresh;
    EXPECT_EQ(fresh.text(rowHeader, colItem), "");
    EXPECT_EQ(fresh.text(rowSO2, colItem), "SO2");
}

TEST_F(CalculatorTableTest, TextIsStoredUnchangedAndOutsideCellsAreRefused) {
    CalculatorTable table;
    table.setText(rowO2, colValue, "  4.0e0x ");
    EXPECT_EQ(table.value(rowO2), "  4.0e0x ");
    EXPECT_FLOAT_EQ(table.number(rowO2), 4.0f);
    for (auto [row, column] : {std::pair{-1, 0}, {17, 2}, {3, 3}, {0, -1}}) {
        EXPECT_THROW(table.setText(row, column, "x"), tw::AutomationError) << row << "," << column;
        EXPECT_THROW((void)table.text(row, column), tw::AutomationError) << row << "," << column;
    }
}

TEST_F(CalculatorTableTest, CellNumbersBeyondSingleRangeReadAsInfinity) {
    EXPECT_EQ(cellNumber(""), 0.0f);
    EXPECT_EQ(cellNumber("abc"), 0.0f);
    EXPECT_EQ(cellNumber("-12.5kg"), -12.5f);
    EXPECT_TRUE(std::isinf(cellNumber("1e39")));
    EXPECT_LT(cellNumber("-1e39"), 0.0f);
    EXPECT_TRUE(std::isinf(cellNumber("1e999")));
}

TEST_F(CalculatorTableTest, CurrentCellChangesRaiseCellLeftThenCellEntered) {
    CalculatorTable table;
    std::vector<std::string> events;
    table.cellLeft = [&] { events.push_back("left " + std::to_string(table.row())); };
    table.cellEntered = [&] { events.push_back("entered " + std::to_string(table.row())); };
    EXPECT_EQ(table.row(), 1);
    EXPECT_EQ(table.col(), 2);
    table.setRow(5);
    table.setRow(5);  // no change, no events
    EXPECT_EQ(events, (std::vector<std::string>{"left 1", "entered 5"}));
    table.setCurrentText("12");
    EXPECT_EQ(table.value(rowCO), "12");

    // Fixed cells never become current.
    for (int row : {0, 17, -1}) EXPECT_THROW(table.setRow(row), tw::AutomationError) << row;
    for (int column : {0, 1, 3}) EXPECT_THROW(table.setCol(column), tw::AutomationError);
    EXPECT_EQ(table.row(), 5);
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(CalculatorTableTest, EditableRowsAndBackgroundsFollowTheSo3Mode) {
    CalculatorTable table;
    const std::vector<int> inputs = {1, 2, 3, 4, 5, 6, 7, 9, 10};
    const std::vector<int> notEditable = {0, 8, 11, 12, 13, 17};
    for (int row : inputs) {
        EXPECT_TRUE(table.isEditable(row)) << row;
        EXPECT_EQ(table.cellStyle(row, colValue).background, CellBackground::Input) << row;
    }
    for (int row : notEditable) EXPECT_FALSE(table.isEditable(row)) << row;
    for (int row : {8, 11, 12, 13, 14, 15, 16}) {
        EXPECT_EQ(table.cellStyle(row, colValue).background, CellBackground::Result) << row;
    }
    for (int row : {14, 15, 16}) EXPECT_TRUE(table.isEditable(row)) << row;
    EXPECT_EQ(table.cellStyle(rowN2, colValue).fontSize, 9);

    std::vector<int> enteredRows;
    table.cellEntered = [&] { enteredRows.push_back(table.row()); };
    table.SelectSo3Mode(So3Mode::UserInput);
    EXPECT_TRUE(table.isEditable(rowSo3ConversionRate));
    EXPECT_EQ(table.cellStyle(rowSo3ConversionRate, colValue).background, CellBackground::Input);
    EXPECT_EQ(table.row(), rowSo3ConversionRate);
    table.SelectSo3Mode(So3Mode::Automatic);
    EXPECT_FALSE(table.isEditable(rowSo3ConversionRate));
    EXPECT_EQ(table.row(), rowN2);
    EXPECT_EQ(enteredRows, (std::vector<int>{13, 1}));
}

TEST_F(CalculatorTableTest, EditorAcceptsOnlyNumberKeys) {
    for (int key : std::vector<int>{'0', '9', '-', '.', 'E', 'e', 8})
        EXPECT_TRUE(isAcceptedEditorKey(key)) << key;
    for (int key : std::vector<int>{'a', '+', ',', ' ', 'x', 13, 0, 200}) {
        EXPECT_FALSE(isAcceptedEditorKey(key)) << key;
    }
}

TEST_F(CalculatorTableTest, UnitChangeConvertsTemperaturesEnthalpyAndDewPoints) {
    CalculatorTable table;
    table.setValue(rowGasTemperature, "500");
    table.setValue(rowReferenceTemperature, "");
    table.setValue(rowGasEnthalpy, "100.000");
    table.setValue(rowOkkesDewPoint, "139.90");
    table.setValue(rowVerhoffDewPoint, "N/A");
    table.setValue(rowWaterDewPoint, "39.25");
    table.setValue(rowN2, "76");
    int commits = 0, loads = 0;
    table.onCommitEditor = [&] { ++commits; };
    table.onLoadEditor = [&] { ++loads; };

    table.UnitChange(tw::ktounit_degF, tw::ktounit_kJperkg);
    EXPECT_EQ(table.value(rowGasTemperature), "932.00");
    EXPECT_EQ(table.value(rowReferenceTemperature), "32.00");
    EXPECT_EQ(table.value(rowGasEnthalpy), "418.68");
    EXPECT_EQ(table.value(rowOkkesDewPoint), "283.82");
    EXPECT_EQ(table.value(rowVerhoffDewPoint), "N/A");
    EXPECT_EQ(table.value(rowWaterDewPoint), "102.65");
    EXPECT_EQ(table.value(rowN2), "76");
    for (int row : {9, 10, 14, 15, 16}) EXPECT_EQ(table.text(row, colUnit), "oF") << row;
    EXPECT_EQ(table.text(rowGasEnthalpy, colUnit), "kJ/kg");
    EXPECT_EQ(table.text(rowN2, colUnit), "Volume %");
    EXPECT_EQ(commits, 1);
    EXPECT_EQ(loads, 1);

    // The same units again: two decimals, same values.
    table.setValue(rowGasEnthalpy, "418.6801");
    table.UnitChange(tw::ktounit_degF, tw::ktounit_kJperkg);
    EXPECT_EQ(table.value(rowGasTemperature), "932.00");
    EXPECT_EQ(table.value(rowGasEnthalpy), "418.68");
}

TEST_F(CalculatorTableTest, RefusedUnitChangeLeavesEverything) {
    CalculatorTable table;
    table.setValue(rowGasTemperature, "500");
    EXPECT_THROW(table.UnitChange(9, 0), tw::AutomationError);
    EXPECT_THROW(table.UnitChange(0, -1), tw::AutomationError);
    // A temperature past the single range after conversion.
    table.setValue(rowReferenceTemperature, "3e38");
    EXPECT_THROW(table.UnitChange(tw::ktounit_degF, 0), tw::AutomationError);
    EXPECT_EQ(table.value(rowGasTemperature), "500");
    EXPECT_EQ(table.unit().uTP(), tw::ktounit_degC);
    EXPECT_EQ(table.text(rowGasTemperature, colUnit), "oC");
}

TEST_F(CalculatorTableTest, FormulaNotesAndSelection) {
    CalculatorTable table;
    std::vector<int> chosen;
    table.formulaChanged = [&](int f) { chosen.push_back(f); };
    table.SelectFormula(2);
    table.SelectFormula(3);  // not a formula: ignored
    EXPECT_EQ(table.enthalpyFormula(), BnWSteam);
    EXPECT_EQ(chosen, std::vector<int>{2});
    EXPECT_STREQ(formulaNote(2, tw::TW_English),
                 "* Enthalpy calculation formula : B&W STEAM its generation and use");
    EXPECT_STREQ(formulaNote(2, tw::TW_Korean),
                 "* 엔탈피 계산 공식 : B&&W STEAM its generation and use");
    EXPECT_STREQ(formulaNote(1, 5), "* Enthalpy calculation formula : ASME PTC 4.4");
}

}  // namespace

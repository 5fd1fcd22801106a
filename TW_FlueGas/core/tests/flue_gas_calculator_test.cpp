// The calculation driver and the composition tools on a calculator table without a window.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "FlueGasCalculator.h"
#include "mdlTW_FlueGas.h"
#include "tw/Format.h"
#include "tw/MessageSink.h"

namespace {

using namespace tw::fluegas;

// Rows 1 to 7 in table order: N2, Ar, O2, CO2, CO, SO2, H2O.
using TableComposition = std::vector<std::string>;
const TableComposition kTypical = {"76", "0.9", "4", "12", "0", "0.1", "7"};

class CalculatorTest : public ::testing::Test {
  protected:
    void SetUp() override { useLanguage(tw::TW_English); }
    void TearDown() override { tw::TW_Language = tw::TW_Korean; }

    void useLanguage(tw::enmLanguage language) {
        tw::TW_Language = language;
        table = CalculatorTable();
    }
    void type(const TableComposition& composition, const std::string& gas = "300",
              const std::string& reference = "25") {
        for (std::size_t i = 0; i < composition.size(); ++i) {
            table.setValue(static_cast<int>(i) + 1, composition[i]);
        }
        table.setValue(rowGasTemperature, gas);
        table.setValue(rowReferenceTemperature, reference);
    }
    std::vector<std::string> values() const {
        std::vector<std::string> v;
        for (int row = 1; row < kTableRows; ++row) v.push_back(table.value(row));
        return v;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> v;
        for (const tw::RecordedMessage& m : sink.messages()) v.push_back(m.text);
        return v;
    }
    // The enthalpy difference the selected routine gives for the typical gas, as the driver
    // must write it.
    static std::string expectedEnthalpy(const tw::Unit& unit, int formula, float t1, float t0) {
        auto f = formula == NasaGlenn   ? tw::FlueGasEnthbyNASATP
                 : formula == AsmePtc44 ? tw::FlueGasEnthbyPTC4_4
                                        : tw::FlueGasEnthbyBnW;
        const float h1 = f(unit, t1, true, 76, 4, 12, 0, 0.1f, 7, 0.9f);
        const float h0 = f(unit, t0, true, 76, 4, 12, 0, 0.1f, 7, 0.9f);
        return tw::format000(static_cast<float>(static_cast<double>(h1) - h0));
    }

    tw::RecordingMessageSink sink;
    tw::ScopedMessageSink guard{sink};
    CalculatorTable table;
};

TEST_F(CalculatorTest, TypicalRequestFillsEveryResultInBothLanguages) {
    for (tw::enmLanguage language : {tw::TW_English, tw::TW_Korean}) {
        useLanguage(language);
        sink.clear();
        int commits = 0, loads = 0;
        table.onCommitEditor = [&] { ++commits; };
        table.onLoadEditor = [&] { ++loads; };
        type(kTypical);
        const FlueGasResults results = Calculate(table);
        EXPECT_TRUE(results.complete);
        EXPECT_TRUE(sink.messages().empty()) << sink.messages().front().text;
        // Rows 1 to 7 keep the user's texts, the total is exactly 100.
        const std::vector<std::string> cells = values();
        EXPECT_EQ(std::vector<std::string>(cells.begin(), cells.begin() + 7), kTypical);
        EXPECT_EQ(table.value(rowComponentTotal), "100.000");
        EXPECT_EQ(table.value(rowGasTemperature), "300");
        EXPECT_EQ(table.value(rowReferenceTemperature), "25");
        EXPECT_EQ(table.value(rowMoleWeight), "29.536");
        EXPECT_EQ(table.value(rowGasEnthalpy), expectedEnthalpy(table.unit(), NasaGlenn, 300, 25));
        // About 0.253 kcal/kg K over 275 K for this gas.
        EXPECT_NEAR(table.number(rowGasEnthalpy), 69.6, 0.5);
        EXPECT_EQ(table.value(rowSo3ConversionRate), "3.45");
        EXPECT_EQ(table.value(rowOkkesDewPoint), "139.90");
        EXPECT_EQ(table.value(rowVerhoffDewPoint), "146.80");
        // 7 % of 1.0332 kg/cm2 a is 7.0926 kPa; IAPWS-IF97 gives 39.2457 oC at that pressure.
        EXPECT_NEAR(table.number(rowWaterDewPoint), 39.25, 0.02);
        EXPECT_EQ(table.value(rowWaterDewPoint).size(), 5u);
        EXPECT_EQ(commits, 1);
        EXPECT_EQ(loads, 1);
    }
}

TEST_F(CalculatorTest, EachFormulaWritesItsOwnEnthalpy) {
    for (int formula : {NasaGlenn, AsmePtc44, BnWSteam}) {
        table.SelectFormula(formula);
        type(kTypical);
        Calculate(table);
        EXPECT_EQ(table.value(rowGasEnthalpy), expectedEnthalpy(table.unit(), formula, 300, 25))
            << formula;
        EXPECT_NEAR(table.number(rowGasEnthalpy), 69.6, 1.0) << formula;
    }
}

TEST_F(CalculatorTest, EmptyCompositionShowsTheTotalMessageAndChangesNothingElse) {
    for (tw::enmLanguage language : {tw::TW_English, tw::TW_Korean}) {
        useLanguage(language);
        sink.clear();
        int loads = 0;
        table.onLoadEditor = [&] { ++loads; };
        type({}, "300", "25");
        table.setValue(rowWaterDewPoint, "earlier");
        Calculate(table);
        ASSERT_EQ(sink.messages().size(), 1u);
        EXPECT_EQ(sink.messages()[0].text,
                  language == tw::TW_English
                      ? "Component total be greater than 0%, preferably be 100%."
                      : "성분 합계가 0% 보다 커야 합니다. 가능하면 100%가 되어야 합니다.");
        EXPECT_EQ(sink.messages()[0].caption, "TW_FlueGas");
        EXPECT_EQ(sink.messages()[0].icon, tw::MessageIcon::Critical);
        EXPECT_EQ(table.value(rowComponentTotal), "0.000");
        EXPECT_EQ(table.value(rowMoleWeight), "");
        EXPECT_EQ(table.value(rowWaterDewPoint), "earlier");
        EXPECT_EQ(loads, 0);
    }
}

TEST_F(CalculatorTest, TotalOfHundredKeepsTextsAndOtherTotalsAreRewritten) {
    type({"78", "1", "3", "12", "0", "0.5", "5.5"});
    Calculate(table);
    EXPECT_TRUE(sink.messages().empty());
    EXPECT_EQ(table.value(rowN2), "78");
    EXPECT_EQ(table.value(rowSO2), "0.5");
    EXPECT_EQ(table.value(rowComponentTotal), "100.000");

    // Half the typical gas: the normalisation notice once per enthalpy evaluation, then the
    // composition scaled back to 100 percent.
    sink.clear();
    type({"38", "0.45", "2", "6", "", "0.05", "3.5"});
    Calculate(table);
    EXPECT_EQ(sink.messages().size(), 2u);
    const std::vector<std::string> cells = values();
    EXPECT_EQ(std::vector<std::string>(cells.begin(), cells.begin() + 8),
              (std::vector<std::string>{"76.000", "0.900", "4.000", "12.000", "0.000", "0.100",
                                        "7.000", "100.00"}));
    EXPECT_EQ(table.value(rowMoleWeight), "29.536");
    EXPECT_EQ(table.value(rowOkkesDewPoint), "139.90");
}

TEST_F(CalculatorTest, WeightBasisIsNormalisedInWeightPercent) {
    table.setBasisOnly(CompositionBasis::Weight);
    type({"36.5", "0.15", "2.25", "9", "0", "0.1", "2"});  // half of a 100 % weight gas
    Calculate(table);
    EXPECT_EQ(table.value(rowN2), "73.000");
    EXPECT_EQ(table.value(rowAr), "0.300");
    EXPECT_EQ(table.value(rowComponentTotal), "100.00");
    EXPECT_EQ(table.value(rowMoleWeight), "29.514");
}

struct LimitCase {
    int formula;
    int unit;
    std::string gas, reference;
    std::string english, korean;  // "" when the run passes both checks
};

TEST_F(CalculatorTest, TemperatureLimitsOfEachFormula) {
    const std::vector<LimitCase> cases = {
        {NasaGlenn, tw::ktounit_degK, "200", "298.15", "Gas temperature be greater than  200 K.",
         "가스 온도가  200 K 보다 커야 합니다."},
        {NasaGlenn, tw::ktounit_degK, "200.01", "298.15", "", ""},
        {NasaGlenn, tw::ktounit_degK, "6000", "298.15", "Gas temperature be less than  6000 K.",
         "가스 온도가  6000 K 보다 작아야 합니다."},
        {NasaGlenn, tw::ktounit_degC, "-73.15", "25", "Gas temperature be greater than -73.15 oC.",
         "가스 온도가 -73.15 oC 보다 커야 합니다."},
        {NasaGlenn, tw::ktounit_degK, "300", "200",
         "Enthalpy reference temperature be greater than 200 oK.",
         "엔탈피 기준 온도가 200 oK 보다 커야 합니다."},
        {NasaGlenn, tw::ktounit_degC, "300", "6000",
         "Enthalpy reference temperature be less than 6000 oK.",
         "엔탈피 기준 온도가 6000 oK 보다 작아야 합니다."},
        {AsmePtc44, tw::ktounit_degR, "0", "536.67",
         "Gas temperature be greater than absolute zero degree.",
         "가스 온도가 절대 0 도 보다 커야 합니다."},
        {AsmePtc44, tw::ktounit_degR, "1000", "-1",
         "Enthalpy reference temperature be greater than absolute zero degree.",
         "엔탈피 기준 온도가 절대 0 도 보다 커야 합니다."},
        {BnWSteam, tw::ktounit_degF, "0", "77", "Gas temperature be greater than  0 oF.",
         "가스 온도가  0 oF 보다 커야 합니다."},
        {BnWSteam, tw::ktounit_degF, "0.1", "77", "", ""},
        {BnWSteam, tw::ktounit_degC, "300", "-20",
         "Enthalpy reference temperature be greater than -17.77778.",
         "엔탈피 기준 온도가 -17.77778 도 보다 커야 합니다."},
    };
    for (const LimitCase& c : cases) {
        for (tw::enmLanguage language : {tw::TW_English, tw::TW_Korean}) {
            useLanguage(language);
            sink.clear();
            table.SelectFormula(c.formula);
            table.unit().setuTP(c.unit);
            table.RefreshUnitColumn();
            type(kTypical, c.gas, c.reference);
            const FlueGasResults results = Calculate(table);
            const std::string& expected = language == tw::TW_English ? c.english : c.korean;
            if (expected.empty()) {
                EXPECT_TRUE(results.complete) << c.gas;
                EXPECT_TRUE(sink.messages().empty()) << c.gas << ": " << texts().front();
                continue;
            }
            EXPECT_FALSE(results.complete);
            EXPECT_EQ(texts(), std::vector<std::string>{expected});
            EXPECT_EQ(table.value(rowComponentTotal), "100.000");
            EXPECT_EQ(table.value(rowGasEnthalpy), "");
        }
    }
}

TEST_F(CalculatorTest, AnotherLanguageEndsTheRunSilently) {
    tw::TW_Language = static_cast<tw::enmLanguage>(2);
    type(kTypical, "-300");
    EXPECT_FALSE(Calculate(table).complete);
    EXPECT_TRUE(sink.messages().empty());
    EXPECT_EQ(table.value(rowGasEnthalpy), "");
}

TEST_F(CalculatorTest, ZeroSpeciesGiveNotAvailableRows) {
    struct Case {
        TableComposition composition;
        std::vector<std::string> rows13to16;  // "" stands for a computed value
    };
    const std::vector<Case> cases = {
        {{"76", "0.9", "4", "12", "0", "0", "7.1"}, {"N/A", "N/A", "N/A", ""}},
        {{"83", "0.9", "4", "12", "0", "0.1", "0"}, {"N/A", "N/A", "N/A", "N/A"}},
        {{"80", "0.9", "0", "12", "0", "0.1", "7"}, {"N/A", "N/A", "N/A", ""}},
    };
    for (const Case& c : cases) {
        type(c.composition);
        Calculate(table);
        for (int i = 0; i < 4; ++i) {
            const std::string cell = table.value(rowSo3ConversionRate + i);
            if (c.rows13to16[static_cast<std::size_t>(i)].empty()) {
                EXPECT_NE(cell, "N/A") << c.composition[5] << " row " << 13 + i;
                EXPECT_GT(table.number(rowSo3ConversionRate + i), 0.0f);
            } else {
                EXPECT_EQ(cell, "N/A") << c.composition[5] << " row " << 13 + i;
            }
        }
    }
}

TEST_F(CalculatorTest, UserInputRateFeedsBothAcidDewPoints) {
    table.SelectSo3Mode(So3Mode::UserInput);
    struct Case {
        std::string rate;
        std::vector<std::string> rows13to15;
    };
    const tw::Unit& u = table.unit();
    const std::vector<Case> cases = {
        {"", {"N/A", "N/A", "N/A"}},
        {"N/A", {"N/A", "N/A", "N/A"}},
        {"-1", {"N/A", "N/A", "N/A"}},
        {"2", {"2", "135.00", tw::format00(tw::VerhoffAcidDewPointAtConversion(u, 0.1f, 7, 2))}},
        {"3.445581", {"3.445581", "139.90", "146.80"}},
    };
    for (const Case& c : cases) {
        type(kTypical);
        table.setValue(rowSo3ConversionRate, c.rate);
        Calculate(table);
        EXPECT_EQ(table.value(rowSo3ConversionRate), c.rows13to15[0]) << c.rate;
        EXPECT_EQ(table.value(rowOkkesDewPoint), c.rows13to15[1]) << c.rate;
        EXPECT_EQ(table.value(rowVerhoffDewPoint), c.rows13to15[2]) << c.rate;
        EXPECT_NE(table.value(rowWaterDewPoint), "N/A");
    }
}

TEST_F(CalculatorTest, UnreadableInputIsRefusedBeforeAnythingIsWritten) {
    struct Case {
        int row;
        std::string text;
        std::string english;
    };
    const std::vector<Case> cases = {
        {rowCO2, "-12", "Percent of CO2 must not be negative."},
        {rowN2, "1e39", "N2 is not a number within the range of calculation."},
        {rowGasTemperature, "1e999",
         "Gas temperature is not a number within the range of calculation."},
        {rowReferenceTemperature, "-4e38",
         "Enthalpy reference temperature is not a number within the range of calculation."},
    };
    for (const Case& c : cases) {
        sink.clear();
        type(kTypical);
        table.setValue(rowComponentTotal, "before");
        table.setValue(c.row, c.text);
        EXPECT_FALSE(Calculate(table).complete);
        EXPECT_EQ(texts(), std::vector<std::string>{c.english});
        EXPECT_EQ(table.value(rowComponentTotal), "before");
        EXPECT_EQ(table.value(c.row), c.text);
    }
    // Finite entries whose sum leaves the single range.
    sink.clear();
    type({"3e38", "3e38"});
    Calculate(table);
    EXPECT_EQ(texts(), std::vector<std::string>{
                           "Component total is not a number within the range of calculation."});

    useLanguage(tw::TW_Korean);
    sink.clear();
    type({"76", "-0.9", "4", "12", "0", "0.1", "7"});
    Calculate(table);
    EXPECT_EQ(texts(), std::vector<std::string>{"Ar 성분 비율은 음수가 될 수 없습니다."});
}

TEST_F(CalculatorTest, AnEnthalpyPastTheSingleRangeEndsTheRunAsAnError) {
    table.SelectFormula(AsmePtc44);
    type(kTypical, "1e30");
    EXPECT_FALSE(Calculate(table).complete);
    ASSERT_EQ(sink.messages().size(), 1u);
    EXPECT_EQ(sink.messages()[0].text.rfind("Error #6", 0), 0u) << sink.messages()[0].text;
    EXPECT_EQ(table.value(rowComponentTotal), "100.000");
    EXPECT_EQ(table.value(rowGasEnthalpy), "");
}

TEST_F(CalculatorTest, RefusedRunKeepsEarlierResults) {
    type(kTypical);
    Calculate(table);
    const std::vector<std::string> before = values();
    type(kTypical, "-300");
    Calculate(table);
    EXPECT_EQ(values()[rowGasTemperature - 1], "-300");
    for (int row : {11, 12, 13, 14, 15, 16}) {
        EXPECT_EQ(table.value(row), before[static_cast<std::size_t>(row - 1)]) << row;
    }
}

TEST_F(CalculatorTest, MakeHundredByH2OHasNoLimit) {
    const std::vector<std::pair<TableComposition, std::string>> cases = {
        {{"80", "", "5", "10", "", "", "33"}, "5.000"},
        {{"80", "", "20", "10", "", "", ""}, "-10.000"},
        {{"76", "0.9", "4", "12", "0", "0.1", ""}, "7.000"},
    };
    for (const auto& [composition, h2o] : cases) {
        type(composition);
        MakeHundredByH2O(table);
        EXPECT_EQ(table.value(rowH2O), h2o);
    }
    type({"1e39"});
    table.setValue(rowH2O, "7");
    MakeHundredByH2O(table);
    EXPECT_EQ(table.value(rowH2O), "7");
    EXPECT_EQ(sink.messages().size(), 1u);
}

TEST_F(CalculatorTest, ComponentTotalSumsRowsOneToSeven) {
    type({"80", "", "5", "10", "", "", "33"});
    ShowComponentTotal(table);
    EXPECT_EQ(table.value(rowComponentTotal), "128.000");
}

TEST_F(CalculatorTest, BasisSwitchConvertsTheComposition) {
    std::vector<CompositionBasis> menu;
    table.basisChanged = [&](CompositionBasis b) { menu.push_back(b); };
    type({"79", "", "21"});
    SetCompositionBasis(table, CompositionBasis::Volume);  // already checked: nothing
    EXPECT_EQ(table.value(rowN2), "79");
    EXPECT_TRUE(menu.empty());

    SetCompositionBasis(table, CompositionBasis::Weight);
    EXPECT_EQ(table.value(rowN2), "76.708");
    EXPECT_EQ(table.value(rowO2), "23.292");
    EXPECT_EQ(table.value(rowAr), "0.000");
    EXPECT_EQ(table.value(rowComponentTotal), "100.00");
    EXPECT_EQ(table.value(rowMoleWeight), "28.85");
    EXPECT_EQ(table.text(rowH2O, colUnit), "Weight %");
    EXPECT_EQ(menu, std::vector<CompositionBasis>{CompositionBasis::Weight});

    SetCompositionBasis(table, CompositionBasis::Volume);
    EXPECT_EQ(table.value(rowN2), "79.000");
    EXPECT_EQ(table.value(rowO2), "21.000");
    EXPECT_EQ(table.text(rowN2, colUnit), "Volume %");
}

TEST_F(CalculatorTest, BasisSwitchNeverWritesAnEarlierGas) {
    type(kTypical);
    Calculate(table);  // leaves the typical gas in FlueGasComposition
    CalculatorTable empty;
    SetCompositionBasis(empty, CompositionBasis::Weight);
    EXPECT_EQ(empty.compositionBasis(), CompositionBasis::Weight);
    EXPECT_EQ(empty.text(rowN2, colUnit), "Weight %");
    for (int row = 1; row < kTableRows; ++row) EXPECT_EQ(empty.value(row), "") << row;

    // A negative entry is refused before the basis changes.
    sink.clear();
    type({"79", "", "-21"});
    SetCompositionBasis(table, CompositionBasis::Weight);
    EXPECT_EQ(table.compositionBasis(), CompositionBasis::Volume);
    EXPECT_EQ(table.text(rowN2, colUnit), "Volume %");
    EXPECT_EQ(table.value(rowO2), "-21");
    EXPECT_EQ(texts(), std::vector<std::string>{"Percent of O2 must not be negative."});
}

TEST_F(CalculatorTest, WaterDewPointIsTheSameInEveryPressureUnit) {
    // The standard atmosphere is converted into the user's pressure unit, gauge units included.
    std::vector<std::string> cells;
    for (int pressureUnit :
         {tw::ktounit_kgpercm2a, tw::ktounit_kgpercm2g, tw::ktounit_kPag, tw::ktounit_psia}) {
        table.unit().setuPR(pressureUnit);
        type(kTypical);
        Calculate(table);
        cells.push_back(table.value(rowWaterDewPoint));
    }
    EXPECT_EQ(cells, std::vector<std::string>(4, cells.front()));
    // Just below the computed limit (0.6485 % at one atmosphere) the routine warns and gives 0.
    type({"92.4", "0.9", "4", "2", "0", "0.1", "0.6"});
    Calculate(table);
    EXPECT_EQ(table.value(rowWaterDewPoint), "0.00");
}

}  // namespace

// The last completed calculation as the calculator hands it on: the results CSV, which is what
// the batch writes for the same case, and the calculation report's content.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "CalculationRecord.h"
#include "CalculationReport.h"
#include "FlueGasTestSupport.h"
#include "tw/Format.h"

namespace {

using namespace tw;
using namespace tw::fluegas;

// Cases that reach every kind of row: a total of exactly 100, a composition scaled to 100
// percent (with its notice), the weight basis, user-input SO3 with and without a rate, other
// units, "N/A" results and numbers in exponent form.
std::vector<FlueGasCase> sampleCases() {
    const auto make = [](std::vector<std::pair<std::string, std::string>> options) {
        return parseFlueGasCase(options);
    };
    return {
        make({{"n2", "76"},
              {"ar", "0.9"},
              {"o2", "4"},
              {"co2", "12"},
              {"co", "0"},
              {"so2", "0.1"},
              {"h2o", "7"},
              {"t", "300"},
              {"tref", "25"}}),
        make({{"n2", "38"},
              {"o2", "2"},
              {"co2", "6"},
              {"so2", ".05"},
              {"h2o", "3.95"},
              {"t", "1e3"},
              {"tref", "15"},
              {"basis", "wt"},
              {"formula", "1"}}),
        make({{"n2", "80"},
              {"o2", "5"},
              {"co2", "10"},
              {"so2", "0.2"},
              {"h2o", "4.8"},
              {"t", "600"},
              {"tref", "77"},
              {"so3", "2.5"},
              {"utp", "oF"},
              {"uenth", "kJ/kg"},
              {"formula", "2"}}),
        make({{"n2", "80"},
              {"o2", "5"},
              {"co2", "10"},
              {"so2", "0.2"},
              {"h2o", "4.8"},
              {"t", "400"},
              {"tref", "300"},
              {"so3", "user"},
              {"utp", "K"},
              {"upr", "3"}}),
        make({{"n2", "79"}, {"o2", "21"}, {"t", "200"}, {"tref", "25"}}),
    };
}

class CalculationRecordTest : public tw::testing::FlueGasTest {
  protected:
    CalculationRecord recordOf(const FlueGasCase& c) {
        CalculatorTable table = tableForCase(c);
        auto record = CalculateAndRecord(table);
        EXPECT_TRUE(record);
        return record ? *record : CalculationRecord{};
    }
};

std::string withoutBom(const std::string& text) {
    return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

}  // namespace

TEST_F(CalculationRecordTest, ResultsCsvIsWhatTheBatchWritesForTheSameCase) {
    for (const FlueGasCase& c : sampleCases()) {
        recorder_.clear();
        const CalculationRecord record = recordOf(c);
        const std::string csv = resultsCsv(record);
        ASSERT_TRUE(csv.starts_with("\xEF\xBB\xBF")) << "spreadsheets read it as UTF-8";

        // Read back with the batch's reader: a header and one row of the same width.
        std::istringstream in(withoutBom(csv));
        std::vector<std::string> header, row, more;
        ASSERT_TRUE(readCsvRecord(in, header));
        ASSERT_TRUE(readCsvRecord(in, row));
        EXPECT_FALSE(readCsvRecord(in, more));
        ASSERT_EQ(header.size(), kCellOptionNames.size() + kSettingOptionNames.size() + 8);
        ASSERT_EQ(row.size(), header.size());
        EXPECT_EQ(header.back(), "messages");
        EXPECT_EQ(header[kCellOptionNames.size() + kSettingOptionNames.size()], "total");

        // Its input columns, run as a batch, give the very same file.
        std::ostringstream inputs;
        const std::size_t inputColumns = kCellOptionNames.size() + kSettingOptionNames.size();
        for (const auto* line : {&header, &row}) {
            for (std::size_t i = 0; i < inputColumns; ++i)
                inputs << (i ? "," : "") << csvField((*line)[i]);
            inputs << "\r\n";
        }
        std::istringstream batchIn(inputs.str());
        std::ostringstream batchOut;
        EXPECT_EQ(runFlueGasBatch(batchIn, batchOut).cases, 1u);
        EXPECT_EQ(batchOut.str(), withoutBom(csv));
    }
}

TEST_F(CalculationRecordTest, CaseOptionsReadBackAsTheSameCase) {
    for (const FlueGasCase& c : sampleCases()) {
        const FlueGasCase back = parseFlueGasCase(caseOptions(c));
        EXPECT_EQ(back.cells, c.cells);
        EXPECT_EQ(back.basis, c.basis);
        EXPECT_EQ(back.formula, c.formula);
        EXPECT_EQ(back.so3Mode, c.so3Mode);
        EXPECT_EQ(back.so3Rate, c.so3Rate);
        EXPECT_EQ(back.uTP.value_or(0), c.uTP.value_or(0));
        EXPECT_EQ(back.uENTH.value_or(0), c.uENTH.value_or(0));
        EXPECT_EQ(back.uPR.value_or(0), c.uPR.value_or(0));
    }
}

TEST_F(CalculationRecordTest, InputsAreTheNumbersReadNotTheTextsTyped) {
    // Texts the leading-number rule reads past, large and small numbers: the record keeps the
    // number in a form the editor accepts, before the run rewrote the composition.
    CalculatorTable table;
    table.setValue(rowN2, "50abc");
    table.setValue(rowO2, " 1.5e1");
    table.setValue(rowH2O, "1e-3");
    table.setValue(rowGasTemperature, "3.0e2");
    table.setValue(rowReferenceTemperature, "");
    const auto record = CalculateAndRecord(table);
    ASSERT_TRUE(record);
    const auto& cells = record->inputs.cells;
    EXPECT_EQ(cells[0], "50");
    EXPECT_EQ(cells[2], "15");
    EXPECT_EQ(cells[6], "0.001");
    EXPECT_EQ(cells[7], "300");
    EXPECT_EQ(cells[8], "0");
    EXPECT_NE(table.value(rowN2), "50abc") << "the run rewrote the scaled composition";
    FlueGasInput big;
    big.gasTemperature = 1e30f;
    EXPECT_EQ(caseOfInput(big, Unit{}).cells[7], "1e30");
}

TEST_F(CalculationRecordTest, MessagesOfTheRunAreShownAndKept) {
    CalculatorTable table = tableForCase(sampleCases()[1]);  // total 50: the notice, twice
    const auto record = CalculateAndRecord(table);
    ASSERT_TRUE(record);
    ASSERT_EQ(messages().size(), 2u) << "the messages still reach the installed sink";
    ASSERT_EQ(record->messages.size(), 2u);
    EXPECT_EQ(record->messages[0].text, messages()[0].text);
    EXPECT_EQ(record->messages[0].caption, "Sub FlueGasMoleWeight");

    // A run that ends at a message leaves nothing to report.
    CalculatorTable empty;
    EXPECT_FALSE(CalculateAndRecord(empty));
    EXPECT_EQ(messages().size(), 3u);
}

TEST_F(CalculationRecordTest, ReportHoldsEveryInputAndResultInBothLanguages) {
    for (const std::int32_t language : {TW_Korean, TW_English}) {
        TW_Language = static_cast<enmLanguage>(language);
        for (const FlueGasCase& c : sampleCases()) {
            const CalculationRecord record = recordOf(c);
            const CalculatorTable table = resultTable(record);
            const CalculationReport report =
                buildCalculationReport(record, "TW_FlueGas Ver. 9", language);
            std::vector<ReportRow> rows = report.about;
            std::vector<std::string> lines;
            for (const ReportSection& s : report.sections) {
                EXPECT_FALSE(s.heading.empty());
                rows.insert(rows.end(), s.rows.begin(), s.rows.end());
                lines.insert(lines.end(), s.lines.begin(), s.lines.end());
            }
            const auto hasRow = [&](const std::string& label, const std::string& value,
                                    const std::string& unit) {
                return std::any_of(rows.begin(), rows.end(), [&](const ReportRow& r) {
                    return r.label == label && r.value == value && r.unit == unit;
                });
            };
            // Every row of the table with its caption, value and unit: the inputs as read, the
            // results as the calculation wrote them ("N/A" included).
            for (std::size_t i = 0; i < 7; ++i) {
                const int row = rowN2 + static_cast<int>(i);
                EXPECT_EQ(cellNumber(record.inputs.cells[i]), cellNumber(c.cells[i]));
                EXPECT_TRUE(hasRow(rowCaption(row, language), record.inputs.cells[i],
                                   compositionUnitText(c.basis)))
                    << row;
            }
            for (int row = rowComponentTotal; row <= rowWaterDewPoint; ++row) {
                if (row == rowComponentTotal && record.results.normalisedComposition) continue;
                // Units as the sheet writes them: "°C", the mole weight in kg/kmol.
                const std::string unit = row == rowComponentTotal ? compositionUnitText(c.basis)
                                         : row == rowMoleWeight
                                             ? std::string("kg/kmol")
                                             : sheetUnit(table.text(row, colUnit));
                EXPECT_TRUE(hasRow(rowCaption(row, language), table.value(row), unit))
                    << "row " << row << " " << table.value(row);
            }
            // The scaled composition only where the run scaled it.
            EXPECT_EQ(hasRow(rowCaption(rowComponentTotal, language), "100.00",
                             compositionUnitText(c.basis)),
                      record.results.normalisedComposition.has_value());
            EXPECT_TRUE(
                hasRow(language == TW_Korean ? "프로그램" : "Program", "TW_FlueGas Ver. 9", ""));
            // A scaled composition says from what total it was scaled.
            if (record.results.normalisedComposition) {
                ASSERT_FALSE(lines.empty());
                EXPECT_NE(lines.front().find(format000(*record.results.componentTotal)),
                          std::string::npos)
                    << lines.front();
                EXPECT_NE(lines.front().find("100 %"), std::string::npos);
                lines.erase(lines.begin());
            }
            // Notes of the window, the formula's with "B&W" as itself, and the messages.
            const bool koreanBnW = c.formula == BnWSteam && language == TW_Korean;
            EXPECT_EQ(lines.front(), koreanBnW
                                         ? "* 엔탈피 계산 공식 : B&W STEAM its generation and use"
                                         : formulaNote(c.formula, language));
            EXPECT_NE(std::find(lines.begin(), lines.end(), kTableNotes[2].in(language)),
                      lines.end());
            for (const RecordedMessage& m : record.messages) {
                const std::string firstLine = m.text.substr(0, m.text.find('\n'));
                EXPECT_EQ(std::count(lines.begin(), lines.end(), firstLine), 1)
                    << "a message shown twice is listed once";
            }
            EXPECT_EQ(report.sections.back().heading == (language == TW_Korean
                                                             ? "계산 중에 표시된 메시지"
                                                             : "Messages shown by the calculation"),
                      !record.messages.empty());
        }
    }
}

#include "CalculationRecord.h"

#include <charconv>
#include <cmath>
#include <sstream>

#include "tw/Format.h"

namespace tw::fluegas {
namespace {

// Passes every message on to the sink installed before it and keeps a copy.
class CopyingMessageSink final : public MessageSink {
  public:
    explicit CopyingMessageSink(MessageSink& next) : next_(next) {}
    MessageAnswer show(std::string_view text, std::string_view caption, MessageIcon icon,
                       MessageButtons buttons) override {
        copies_.push_back({std::string(text), std::string(caption), icon, buttons});
        return next_.show(text, caption, icon, buttons);
    }
    void beep() override { next_.beep(); }
    std::vector<RecordedMessage> take() { return std::move(copies_); }

  private:
    MessageSink& next_;
    std::vector<RecordedMessage> copies_;
};

// The rows the case's texts go into, in kCellOptionNames order.
constexpr std::array<int, kCellOptionNames.size()> kCaseRows{
    rowN2, rowAr, rowO2, rowCO2, rowCO, rowSO2, rowH2O, rowGasTemperature, rowReferenceTemperature};

std::string typableNumber(float value) {
    std::string text = shortestFloat(value);
    std::erase(text, '+');
    return text;
}

}  // namespace

std::optional<CalculationRecord> CalculateAndRecord(CalculatorTable& table) {
    table.commitEditor();
    const FlueGasInput input = ReadFlueGasInput(table);
    const Unit unit = table.unit();
    CopyingMessageSink copying(messageSink());
    FlueGasResults results;
    {
        ScopedMessageSink guard(copying);
        results = Calculate(table);
    }
    if (!results.complete) return std::nullopt;
    return CalculationRecord{caseOfInput(input, unit), results, copying.take(), {}, std::nullopt};
}

FlueGasCase caseOfInput(const FlueGasInput& input, const Unit& unit) {
    FlueGasCase c;
    for (std::size_t i = 0; i < kSpeciesCount; ++i) {
        c.cells[i] = typableNumber(input.composition[static_cast<std::size_t>(
            rowDefinitions()[static_cast<std::size_t>(kCaseRows[i])].speciesSlot)]);
    }
    c.cells[kSpeciesCount] = typableNumber(input.gasTemperature);
    c.cells[kSpeciesCount + 1] = typableNumber(input.referenceTemperature);
    c.basis = input.basis;
    c.formula = input.formula;
    c.so3Mode = input.so3Mode;
    if (input.so3Mode == So3Mode::UserInput) c.so3Rate = typableNumber(input.userSo3ConversionRate);
    c.uTP = unit.uTP();
    c.uENTH = unit.uENTH();
    c.uPR = unit.uPR();
    return c;
}

FlueGasCase caseOfTable(const CalculatorTable& table) {
    FlueGasCase c;
    for (std::size_t i = 0; i < kCaseRows.size(); ++i) c.cells[i] = table.value(kCaseRows[i]);
    c.basis = table.compositionBasis();
    c.formula = table.enthalpyFormula();
    c.so3Mode = table.so3Mode();
    if (c.so3Mode == So3Mode::UserInput && table.value(rowSo3ConversionRate) != kNotAvailable) {
        c.so3Rate = table.value(rowSo3ConversionRate);
    }
    c.uTP = table.unit().uTP();
    c.uENTH = table.unit().uENTH();
    c.uPR = table.unit().uPR();
    return c;
}

std::vector<std::pair<std::string, std::string>> caseOptions(const FlueGasCase& c) {
    std::vector<std::pair<std::string, std::string>> options;
    for (std::size_t i = 0; i < kCellOptionNames.size(); ++i) {
        options.emplace_back(kCellOptionNames[i], c.cells[i]);
    }
    const auto index = [](const std::optional<int>& unit) {
        return unit ? std::to_string(*unit) : std::string();
    };
    // An empty rate in user-input mode is written "user", which reads back as that mode.
    const std::string so3 = c.so3Mode == So3Mode::Automatic ? "auto"
                            : c.so3Rate.empty()             ? "user"
                                                            : c.so3Rate;
    options.emplace_back("basis", c.basis == CompositionBasis::Volume ? "vol" : "wt");
    options.emplace_back("so3", so3);
    options.emplace_back("formula", std::to_string(c.formula));
    options.emplace_back("utp", index(c.uTP));
    options.emplace_back("uenth", index(c.uENTH));
    options.emplace_back("upr", index(c.uPR));
    return options;
}

CalculatorTable resultTable(const CalculationRecord& record) {
    CalculatorTable table = tableForCase(record.inputs);
    WriteFlueGasResults(table, record.results);
    return table;
}

std::string resultsCsv(const CalculationRecord& record) {
    std::ostringstream csv;
    csv << "\xEF\xBB\xBF";
    writeCaseCsv(csv, caseOptions(record.inputs), resultTable(record), record.messages);
    return csv.str();
}

namespace {

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + '"';
}

// The cell's text when it is a whole number text ("76.000", "-1.5E+03"); empty otherwise.
std::string numberCell(const std::string& text) {
    if (text.empty()) return {};
    // Read without the process locale, which may use a decimal comma.
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return {};
    return text;
}

}  // namespace

std::string resultsSpreadsheetCsv(const CalculationRecord& record, std::int32_t requested) {
    const std::int32_t language = requested == TW_Korean ? TW_Korean : TW_English;
    const CalculatorTable table = resultTable(record);
    std::string header;
    std::string values;
    for (int row = kFixedRows; row < kTableRows; ++row) {
        const std::string& unit = table.text(row, colUnit);
        std::string name = rowCaption(row, language);
        if (!unit.empty()) name += " [" + unit + "]";
        if (row > kFixedRows) {
            header += ',';
            values += ',';
        }
        header += csvField(name);
        values += numberCell(table.value(row));
    }
    return "\xEF\xBB\xBF" + header + "\r\n" + values + "\r\n";
}

}  // namespace tw::fluegas

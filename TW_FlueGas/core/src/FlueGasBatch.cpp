#include "FlueGasBatch.h"

#include <algorithm>
#include <charconv>

#include "Units.h"
#include "tw/AutomationError.h"

namespace tw::fluegas {
namespace {

void checkTypable(std::string_view name, const std::string& text) {
    for (unsigned char c : text) {
        if (!isAcceptedEditorKey(c)) {
            throw CaseError(std::string(name) + " '" + text +
                            "': only digits, '-', '.', 'E' and 'e' can be typed into the table");
        }
    }
}

int parseUnitIndex(std::string_view name, QuantityId q, const std::string& text) {
    const units::QuantityInfo& info = units::quantity(q);
    int index = -1;
    const char* last = text.data() + text.size();
    const auto r = std::from_chars(text.data(), last, index);
    if (r.ec == std::errc() && r.ptr == last && info.valid(index)) return index;
    if (auto byName = units::findUnit(q, text)) return *byName;
    std::string list;
    for (int i = 0; i < info.count(); ++i) {
        list += (i ? ", " : "") + std::to_string(i) + " " +
                info.units[static_cast<std::size_t>(i)].display;
    }
    throw CaseError(std::string(name) + " '" + text + "' is not a " + info.key +
                    " unit; give an index or a unit text: " + list);
}

std::string joinMessages(const std::vector<RecordedMessage>& messages) {
    std::string joined;
    for (const RecordedMessage& m : messages) {
        if (!joined.empty()) joined += '\n';
        joined += m.caption + ": " + m.text;
    }
    return joined;
}

void writeRecord(std::ostream& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) out << ',';
        out << csvField(fields[i]);
    }
    out << "\r\n";
}

}  // namespace

FlueGasCase parseFlueGasCase(const std::vector<std::pair<std::string, std::string>>& options) {
    FlueGasCase c;
    for (const auto& [name, text] : options) {
        const auto cell = std::find(kCellOptionNames.begin(), kCellOptionNames.end(), name);
        if (cell != kCellOptionNames.end()) {
            checkTypable(name, text);
            c.cells[static_cast<std::size_t>(cell - kCellOptionNames.begin())] = text;
        } else if (name == "basis") {
            if (text == "vol" || text.empty()) {
                c.basis = CompositionBasis::Volume;
            } else if (text == "wt") {
                c.basis = CompositionBasis::Weight;
            } else {
                throw CaseError("basis '" + text + "': give vol or wt");
            }
        } else if (name == "formula") {
            if (text.size() > 1 || (!text.empty() && (text[0] < '0' || text[0] > '2'))) {
                throw CaseError("formula '" + text +
                                "': give 0 (NASA Glenn), 1 (ASME PTC 4.4) or 2 (B&W)");
            }
            c.formula = text.empty() ? NasaGlenn : text[0] - '0';
        } else if (name == "so3") {
            if (text == "auto" || text.empty()) {
                c.so3Mode = So3Mode::Automatic;
            } else {
                // "user" selects user-input mode with an empty rate.
                c.so3Mode = So3Mode::UserInput;
                c.so3Rate = text == "user" ? "" : text;
                checkTypable("so3", c.so3Rate);
            }
        } else if (name == "utp") {
            if (!text.empty()) c.uTP = parseUnitIndex(name, QuantityId::TP, text);
        } else if (name == "uenth") {
            if (!text.empty()) c.uENTH = parseUnitIndex(name, QuantityId::ENTH, text);
        } else if (name == "upr") {
            if (!text.empty()) c.uPR = parseUnitIndex(name, QuantityId::PR, text);
        } else {
            throw CaseError("unknown option '" + name +
                            "'; options are n2, ar, o2, co2, co, so2, h2o, t, tref, basis, "
                            "formula, so3, utp, uenth, upr");
        }
    }
    return c;
}

CalculatorTable tableForCase(const FlueGasCase& c) {
    CalculatorTable table;
    if (c.uTP) table.unit().setuTP(*c.uTP);
    if (c.uENTH) table.unit().setuENTH(*c.uENTH);
    if (c.uPR) table.unit().setuPR(*c.uPR);
    table.RefreshUnitColumn();
    // The basis is chosen before anything is typed, so nothing is converted.
    table.setBasisOnly(c.basis);
    table.SelectFormula(c.formula);
    if (c.so3Mode == So3Mode::UserInput) {
        table.SelectSo3Mode(So3Mode::UserInput);
        table.setValue(rowSo3ConversionRate, c.so3Rate);
    }
    constexpr std::array<int, 9> rows{rowN2,
                                      rowAr,
                                      rowO2,
                                      rowCO2,
                                      rowCO,
                                      rowSO2,
                                      rowH2O,
                                      rowGasTemperature,
                                      rowReferenceTemperature};
    for (std::size_t i = 0; i < rows.size(); ++i) table.setValue(rows[i], c.cells[i]);
    return table;
}

CaseOutcome calculateCase(const FlueGasCase& c) {
    RecordingMessageSink recorder;
    ScopedMessageSink guard(recorder);
    CaseOutcome outcome{tableForCase(c), {}, {}};
    outcome.results = Calculate(outcome.table);
    outcome.messages = recorder.messages();
    return outcome;
}

std::size_t runFlueGasBatch(std::istream& in, std::ostream& out) {
    std::vector<std::string> header;
    if (!readCsvRecord(in, header)) throw CaseError("the CSV file is empty: no header line");
    if (!header.empty() && header[0].starts_with("\xEF\xBB\xBF")) header[0].erase(0, 3);
    for (std::string& name : header) {
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        // Check the names once, with empty values, so that a misspelt column stops the batch.
        parseFlueGasCase({{name, ""}});
    }
    std::vector<std::string> outHeader = header;
    for (const auto& column : kResultColumns) outHeader.emplace_back(column.second);
    outHeader.emplace_back("messages");
    writeRecord(out, outHeader);

    std::size_t cases = 0;
    std::vector<std::string> fields;
    while (readCsvRecord(in, fields)) {
        if (fields.size() == 1 && fields[0].empty()) continue;  // blank line
        ++cases;
        std::vector<std::string> row = fields;
        row.resize(header.size());
        std::vector<std::string> results(kResultColumns.size());
        std::string messages;
        try {
            if (fields.size() != header.size()) {
                throw CaseError("the row has " + std::to_string(fields.size()) +
                                " fields, the header " + std::to_string(header.size()));
            }
            std::vector<std::pair<std::string, std::string>> options;
            for (std::size_t i = 0; i < header.size(); ++i)
                options.emplace_back(header[i], fields[i]);
            const CaseOutcome outcome = calculateCase(parseFlueGasCase(options));
            for (std::size_t i = 0; i < kResultColumns.size(); ++i) {
                results[i] = outcome.table.value(kResultColumns[i].first);
            }
            messages = joinMessages(outcome.messages);
        } catch (const CaseError& e) {
            messages = e.what();
        } catch (const AutomationError& e) {
            messages = e.messageText();
        }
        row.insert(row.end(), results.begin(), results.end());
        row.push_back(messages);
        writeRecord(out, row);
    }
    return cases;
}

void writeCaseCsv(std::ostream& out,
                  const std::vector<std::pair<std::string, std::string>>& options,
                  const CalculatorTable& calculated, const std::vector<RecordedMessage>& messages) {
    std::vector<std::string> header;
    std::vector<std::string> row;
    for (const auto& [name, value] : options) {
        header.push_back(name);
        row.push_back(value);
    }
    for (const auto& [resultRow, name] : kResultColumns) {
        header.emplace_back(name);
        row.push_back(calculated.value(resultRow));
    }
    header.emplace_back("messages");
    row.push_back(joinMessages(messages));
    writeRecord(out, header);
    writeRecord(out, row);
}

bool readCsvRecord(std::istream& in, std::vector<std::string>& fields) {
    fields.clear();
    if (in.peek() == std::char_traits<char>::eof()) return false;
    std::string field;
    bool quoted = false;
    for (int ch = in.get(); ch != std::char_traits<char>::eof(); ch = in.get()) {
        const char c = static_cast<char>(ch);
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (in.peek() == '"') {
                field += static_cast<char>(in.get());
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
        } else if (c == '\n') {
            break;
        } else if (c != '\r') {
            field += c;
        }
    }
    // A quote left open at the end of the file keeps what it held: the row then fails on its
    // own values or field count.
    fields.push_back(std::move(field));
    return true;
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + '"';
}

}  // namespace tw::fluegas

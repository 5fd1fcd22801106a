#include "TableClipboard.h"

#include <vector>

#include "tw/Format.h"

namespace tw::fluegas {
namespace {

// Longest value a pasted cell may hold; a number never needs more.
constexpr std::size_t kLongestValue = 64;

std::string htmlEscaped(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

// A value the composition takes: empty, or one number and nothing else.
bool isCellValue(std::string_view value) {
    if (value.empty()) return true;
    if (value.size() > kLongestValue) return false;
    for (char c : value) {
        if (!isAcceptedEditorKey(static_cast<unsigned char>(c))) return false;
    }
    return readLeadingNumber(value).length == value.size();
}

}  // namespace

std::string tableAsTabSeparated(const CalculatorTable& table) {
    std::string text;
    for (int row = 0; row < kTableRows; ++row) {
        for (int column = 0; column < kTableColumns; ++column) {
            if (column > 0) text += '\t';
            text += table.text(row, column);
        }
        text += '\n';
    }
    return text;
}

std::string tableAsHtml(const CalculatorTable& table) {
    std::string html = "<html><head><meta charset=\"utf-8\"></head><body><table>\n";
    for (int row = 0; row < kTableRows; ++row) {
        const char* cell = row == rowHeader ? "th" : "td";
        html += "<tr>";
        for (int column = 0; column < kTableColumns; ++column) {
            html += std::string("<") + cell + ">" + htmlEscaped(table.text(row, column)) + "</" +
                    cell + ">";
        }
        html += "</tr>\n";
    }
    return html + "</table></body></html>\n";
}

std::unique_ptr<QMimeData> tableMimeData(const CalculatorTable& table) {
    auto data = std::make_unique<QMimeData>();
    data->setText(QString::fromStdString(tableAsTabSeparated(table)));
    data->setHtml(QString::fromStdString(tableAsHtml(table)));
    return data;
}

std::optional<std::array<std::string, kSpeciesCount>> pastedComposition(std::string_view text) {
    std::vector<std::string_view> lines = split(text, '\n');
    if (!lines.empty() && trimmed(lines.back()).empty()) lines.pop_back();  // the last line end

    std::array<std::string, kSpeciesCount> values;
    // A copied table: the lines of the species, wherever they stand.
    std::array<bool, kSpeciesCount> seen{};
    int named = 0;
    for (std::string_view line : lines) {
        const std::vector<std::string_view> fields = split(line, '\t');
        const std::string_view name = trimmed(fields.front());
        for (int row = kFirstCompositionRow; row <= kLastCompositionRow; ++row) {
            if (name != rowDefinitions()[static_cast<std::size_t>(row)].english) continue;
            const auto slot = static_cast<std::size_t>(row - kFirstCompositionRow);
            const std::string_view value = fields.size() > 1 ? trimmed(fields.back()) : "";
            if (seen[slot] || !isCellValue(value)) return std::nullopt;
            seen[slot] = true;
            values[slot] = std::string(value);
            ++named;
        }
    }
    if (named == kSpeciesCount) return values;
    if (named > 0) return std::nullopt;

    // Seven numbers in a column.
    if (lines.size() != static_cast<std::size_t>(kSpeciesCount)) return std::nullopt;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view value = trimmed(lines[i]);
        if (!isCellValue(value)) return std::nullopt;
        values[i] = std::string(value);
    }
    return values;
}

}  // namespace tw::fluegas

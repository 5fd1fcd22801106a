#pragma once
// The calculation report of the flue gas calculator as structured content in the program
// language: a title, the date and the program, then sections of label / value / unit rows
// (composition, temperatures, method, results) and sections of plain lines (the notes of the
// window, the messages of the run). A window only lays it out; nothing here knows about one.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CalculationRecord.h"

namespace tw::fluegas {

struct ReportRow {
    std::string label;
    std::string value;
    std::string unit;  // empty where the table shows no unit
};

struct ReportSection {
    std::string heading;
    std::vector<ReportRow> rows;     // a table of values ...
    std::vector<std::string> lines;  // ... or lines of text
};

struct CalculationReport {
    std::string title;
    std::vector<ReportRow> about;  // date and time, program
    std::vector<ReportSection> sections;
};

// The report of `record` in `language` (Korean, or English for any other value). `program`
// names the program and its version as the window's caption does.
CalculationReport buildCalculationReport(const CalculationRecord& record, std::string_view program,
                                         std::int32_t language);

}  // namespace tw::fluegas

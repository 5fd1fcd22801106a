#pragma once
// The calculation report of the flue gas calculator as structured content in the program
// language: a title, the date and the program, then sections of label / value / unit rows
// (composition, temperatures, method, results) and sections of plain lines (the notes of the
// window, the messages of the run). A window only lays it out; nothing here knows about one.

#include <array>
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

// The header block of the calculation sheet, as the user fills it in.
struct ReportHeader {
    std::string project;
    std::string caseName;
    std::string preparedBy;
    std::string checkedBy;
    std::string date;

    friend bool operator==(const ReportHeader&, const ReportHeader&) = default;
};

struct CalculationReport {
    std::string title;
    std::vector<ReportRow> about;  // date and time, program
    std::vector<ReportSection> sections;
};

// The report of `record` in `language` (Korean, or English for any other value). `program`
// names the program and its version as the window's caption does; `header` fills the header
// block (project, case, prepared by, checked by, date) before the date of the calculation.
// Units are written as an engineer writes them ("°C", "kg/kmol").
CalculationReport buildCalculationReport(const CalculationRecord& record, std::string_view program,
                                         std::int32_t language, const ReportHeader& header = {});

// The labels of the header fields in `language`, in the order of ReportHeader's members.
std::array<const char*, 5> reportHeaderLabels(std::int32_t language);

// A unit as the sheet writes it: a degree written "o" ("oC", "oF", "oR") becomes "°".
std::string sheetUnit(std::string_view unit);

}  // namespace tw::fluegas

#pragma once
// What the line window shows of a calculated line, as text: the rows of the results table, the
// messages, and the calculation sheet of the line (the sheet's sections of label, value and
// unit rows). Plain C++: the window and the tests share it.

#include <cstdint>
#include <string>
#include <vector>

#include "CalculationReport.h"
#include "tw/Line.h"

namespace tw::linedrop {

// A row per segment and a total row: segment, P in, P out, velocity, Re, f, dP friction,
// dP fittings, dP static, dP (the decimals of twcalc line).
std::vector<std::vector<std::string>> resultRows(const tw::line::LineResult& result,
                                                 std::int32_t language);
// A message with the segment it comes from ("Segment 2: ...", "Line: ...").
std::string messageLine(const tw::line::LineMessage& message, std::int32_t language);

// The calculation sheet of `line` and its result.
tw::fluegas::CalculationReport lineReport(const tw::line::Line& line,
                                          const tw::line::LineResult& result, std::int32_t language,
                                          const tw::fluegas::ReportHeader& header);

}  // namespace tw::linedrop

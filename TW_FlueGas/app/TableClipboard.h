#pragma once
// The calculator table on the clipboard and back. A copy holds the whole table, 17 rows of 3
// columns, both as tab-separated text and as an HTML table, so that a spreadsheet pastes three
// columns. A paste into the composition takes a copied table (the rows named by the species)
// or seven numbers in a column (rows 1 to 7 in table order).

#include <QMimeData>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "CalculatorTable.h"

namespace tw::fluegas {

// The table's texts, one line per row ("\n"), the columns separated by tabs.
std::string tableAsTabSeparated(const CalculatorTable& table);
// The table as an HTML document with one table of 17 rows, the header row as header cells.
std::string tableAsHtml(const CalculatorTable& table);
// Both forms, for the clipboard.
std::unique_ptr<QMimeData> tableMimeData(const CalculatorTable& table);

// The composition a pasted text holds, for rows 1 to 7 in table order (N2, Ar, O2, CO2, CO,
// SO2, H2O): from lines that start with a species caption (the value in the line's last
// column; every species once), or from exactly seven lines of one number each (an empty line is
// an empty cell). Every value must be empty or a number as the editor would take it; nothing
// for any other text.
std::optional<std::array<std::string, kSpeciesCount>> pastedComposition(std::string_view text);

}  // namespace tw::fluegas

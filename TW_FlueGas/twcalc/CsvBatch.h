#pragma once
// The CSV batch of a command whose cases are rows of option values: the header read through the
// batches' one reader (its quoting, its limits, no column twice), the output of the input
// columns as given, the result columns and the messages of each case, and the count of the rows
// that gave no results. A row that fails says why in its own row; the batch goes on.

#include <fstream>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "CsvRecords.h"
#include "Session.h"

namespace twcalc {

struct CsvBatch {
    // Called once with the trimmed column names; throws UsageError for one it does not know.
    std::function<void(const std::vector<std::string>& header)> checkHeader;
    // The names of the result columns, in order.
    std::vector<std::string> resultColumns;
    // Calculates one row (as many fields as the header, trimmed as read) into `results` (one
    // text per result column, empty where there is no value): true when the case gave results.
    // UsageError for a value the case cannot use; what the library shows meanwhile goes into
    // the row's messages.
    std::function<bool(const std::vector<std::string>& fields, std::vector<std::string>& results)>
        calculate;
};

// Runs the batch of the CSV file `in` (read from `path`) into `out`.
tw::fluegas::BatchCount runCsvBatch(std::ifstream& in, const std::string& path, std::ostream& out,
                                    const CsvBatch& batch);

// Puts named values (as flattenJson gives them, in column order with some left out) into their
// result columns.
void fillResults(const std::vector<std::string>& resultColumns,
                 const std::vector<std::pair<std::string, std::string>>& values,
                 std::vector<std::string>& results);

}  // namespace twcalc

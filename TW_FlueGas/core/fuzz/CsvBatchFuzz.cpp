// Feeds arbitrary bytes to the CSV batch of the flue gas calculator as its input file. No input
// may crash, hang or leak; the output must read back as CSV with one record per case plus the
// header, every record as wide as the header.
//
// Run (from the source tree):
//   cmake --preset fuzz && cmake --build --preset fuzz --target csv_batch_fuzz
//   build-fuzz/bin/csv_batch_fuzz -max_total_time=600 -timeout=10 -rss_limit_mb=1024 \
//       -dict=TW_FlueGas/core/fuzz/csv.dict build-fuzz/csv-corpus TW_FlueGas/core/fuzz/csv

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "FlueGasBatch.h"

namespace fg = tw::fluegas;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out;
    std::size_t cases = 0;
    try {
        cases = fg::runFlueGasBatch(in, out).cases;
    } catch (const fg::CaseError&) {
        return 0;  // an unusable header stops the batch
    }
    std::istringstream written(out.str());
    std::vector<std::string> fields;
    if (!fg::readCsvRecord(written, fields)) __builtin_trap();
    const std::size_t width = fields.size();
    std::size_t records = 0;
    while (fg::readCsvRecord(written, fields)) {
        // A row may come back refused only when its input was near the reader's length limit.
        if (fields.size() != width && !fg::csvRecordRefusal(written)) __builtin_trap();
        ++records;
    }
    if (records != cases) __builtin_trap();
    return 0;
}

#pragma once
// Flue gas cases without a window: one case is a set of named texts (n2, ar, o2, co2, co, so2,
// h2o, t, tref and optionally basis, formula, so3, utp, uenth, upr) typed into a fresh
// calculator table; a batch is a CSV file with one case per row.

#include <array>
#include <istream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CalculatorTable.h"
#include "CsvRecords.h"
#include "FlueGasCalculator.h"
#include "tw/MessageSink.h"

namespace tw::fluegas {

// A case option whose value cannot be used (an unknown name, a letter in a number, a unit
// index outside its list). The text is in English, for command-line users.
struct CaseError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

// The names of the texts typed into rows 1 to 10, in table order, and of the settings.
inline constexpr std::array<std::string_view, 9> kCellOptionNames{"n2",  "ar",  "o2", "co2", "co",
                                                                  "so2", "h2o", "t",  "tref"};
inline constexpr std::array<std::string_view, 6> kSettingOptionNames{"basis", "so3",   "formula",
                                                                     "utp",   "uenth", "upr"};

// The result rows of a case (8 and 11 to 16), with their names as batch columns.
inline constexpr std::array<std::pair<int, std::string_view>, 7> kResultColumns{{
    {rowComponentTotal, "total"},
    {rowMoleWeight, "mole_weight"},
    {rowGasEnthalpy, "enthalpy"},
    {rowSo3ConversionRate, "so3_rate"},
    {rowOkkesDewPoint, "okkes_dew_point"},
    {rowVerhoffDewPoint, "verhoff_dew_point"},
    {rowWaterDewPoint, "water_dew_point"},
}};

struct FlueGasCase {
    // Texts for rows 1 to 7, 9 and 10 in kCellOptionNames order; empty when left out.
    std::array<std::string, 9> cells{};
    CompositionBasis basis = CompositionBasis::Volume;
    int formula = NasaGlenn;
    So3Mode so3Mode = So3Mode::Automatic;
    std::string so3Rate;  // typed into row 13 in user-input mode
    std::optional<int> uTP, uENTH, uPR;
};

// Reads the named options of one case; an empty value of a setting means its default
// (so3: automatic). CaseError for an unknown name or an unusable value; a number text must
// consist of what the table's editor accepts (digits, "-", ".", "E", "e").
FlueGasCase parseFlueGasCase(const std::vector<std::pair<std::string, std::string>>& options);

// A fresh table in the program language with the case's units, formula, basis and SO3 mode,
// and its texts typed in.
CalculatorTable tableForCase(const FlueGasCase& flueGasCase);

struct CaseOutcome {
    CalculatorTable table;
    FlueGasResults results;
    std::vector<RecordedMessage> messages;
};
// Fills a table for the case and calculates it, collecting the messages it shows (through a
// message sink of the calling thread). Several threads may calculate cases at once, each its
// own; the program language TW_Language must not change meanwhile.
CaseOutcome calculateCase(const FlueGasCase& flueGasCase);

// Cases calculated as calculateCase does, but without making a table with its captions for
// every case: the table of each combination of settings is made once (as tableForCase makes it,
// up to the cells) and copied for each of its cases, which then types its cells. The copy holds
// the same texts as a table made for the case, so every result and message is the same. A
// combination whose table showed a message while it was made is not kept: its cases go through
// calculateCase, which records that message with theirs. One object per thread, for a block of
// cases at a time (the program language must not change meanwhile).
class CaseCalculator {
  public:
    CaseOutcome calculate(const FlueGasCase& flueGasCase);

    // The texts of the result rows (kResultColumns order) and the messages of the case, as
    // calculate gives them, without a table of its own: the case's cells are read straight
    // from its texts against the table of its settings, and only the result rows are written.
    struct Results {
        std::array<std::string, kResultColumns.size()> texts;
        std::vector<RecordedMessage> messages;
    };
    Results results(const FlueGasCase& flueGasCase);
    // The same for a case whose cells with a value here hold its shortest text (the case's
    // own texts of those cells are not read): the values are read as those texts would be.
    // Nothing when no table of the case's settings is kept; the caller then gives the texts.
    using CellValues = std::array<std::optional<double>, kCellOptionNames.size()>;
    std::optional<Results> results(const FlueGasCase& flueGasCase, const CellValues& values);
    // The same before any text is written, for a writer of rows: the calculation's results and
    // the table of the case's settings, whose texts stand in the rows the results leave as they
    // were (see appendResultText). The messages go to the thread's message sink as they are
    // shown, for the writer to put into its row itself; `messages` stays empty.
    struct Calculated {
        FlueGasResults results;
        const CalculatorTable* settings = nullptr;
        std::vector<RecordedMessage> messages;
    };
    std::optional<Calculated> calculatedShowing(const FlueGasCase& flueGasCase,
                                                const CellValues& values);

    // The case's table before its calculation, as tableForCase gives it: a copy of the table
    // of its settings with the case's cells typed in.
    CalculatorTable table(const FlueGasCase& flueGasCase);

  private:
    const CalculatorTable* tableFor(const FlueGasCase& flueGasCase);
    // With the messages recorded into `messages`.
    static Calculated calculated(const CalculatorTable& settings, const FlueGasCase& flueGasCase,
                                 const CellValues& values);
    static FlueGasResults calculatedResults(const CalculatorTable& settings,
                                            const FlueGasCase& flueGasCase,
                                            const CellValues& values);
    static Results results(Calculated calculated);

    static constexpr std::size_t kKept = 16;
    std::vector<std::pair<FlueGasCase, std::optional<CalculatorTable>>> tables_;
};

// The CSV batch: a header line of option names, then one case per line, read by the batches'
// CSV reader (CsvRecords.h). Writes the input columns, the result rows (8 and 11 to 16, as the
// table shows them) and the messages of each case ("caption: text", one per line of the field).
// A case that fails, and a row the reader refused, report why in their own row; the batch goes
// on. Returns the number of cases and of refused rows. CaseError for an unusable header (a
// misspelt or duplicated column). The input is read and the output written as the batch goes,
// about two thousand cases at a time, so its memory does not grow with the number of cases. With
// `jobs` above 1 the cases are calculated on that many threads and written in input order: the
// output is the same bytes whatever the number of jobs. The batch stops early when `out` fails.
BatchCount runFlueGasBatch(std::istream& in, std::ostream& out, unsigned jobs = 1);

// What the batch writes for one case: its header line and its row, from the case's options
// (names and values as parseFlueGasCase reads them), the table after the calculation and the
// messages it showed.
void writeCaseCsv(std::ostream& out,
                  const std::vector<std::pair<std::string, std::string>>& options,
                  const CalculatorTable& calculated, const std::vector<RecordedMessage>& messages);

}  // namespace tw::fluegas

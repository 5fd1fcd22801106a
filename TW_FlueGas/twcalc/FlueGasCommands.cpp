// twcalc fluegas: the flue gas calculator's table on the command line, one case from options or
// a CSV batch of cases.

#include <cerrno>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "Commands.h"
#include "FlueGasBatch.h"
#include "FlueGasCalculator.h"
#include "FlueGasOptions.h"
#include "mdlTW_FlueGas.h"
#include "tw/Stable.h"

namespace twcalc {
namespace {

namespace fg = tw::fluegas;

// The number of cores, asked of the system once (it reads a file each time).
unsigned coreCount() {
    static const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
    return cores;
}

// A single case's table before its calculation, copied from the table of its settings that
// an earlier case made (a script calls the same settings again and again); one set of tables
// per program language, whose captions they hold.
fg::CalculatorTable caseTable(const fg::FlueGasCase& flueGasCase) {
    thread_local std::array<fg::CaseCalculator, 2> tables;  // English, Korean
    switch (tw::TW_Language) {
        case tw::TW_English:
            return tables[0].table(flueGasCase);
        case tw::TW_Korean:
            return tables[1].table(flueGasCase);
        default:
            return fg::tableForCase(flueGasCase);
    }
}

struct FlueGasArgs {
    std::array<std::string, fg::kCellOptionNames.size()> cells;
    std::string basis, formula, so3, utp, uenth, upr;
    std::string csv, out;
    unsigned jobs = coreCount();
};

// Columns on a terminal: a Hangul syllable or jamo takes two, other code points one.
std::size_t displayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        const bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x3130 && cp <= 0x318F) ||
                          (cp >= 0xAC00 && cp <= 0xD7A3);
        width += wide ? 2 : 1;
        i += length;
    }
    return width;
}

std::string plainTable(const fg::CalculatorTable& table) {
    std::array<std::size_t, fg::kTableColumns> widths{};
    for (int row = 0; row < fg::kTableRows; ++row) {
        for (int column = 0; column < fg::kTableColumns; ++column) {
            widths[static_cast<std::size_t>(column)] = std::max(
                widths[static_cast<std::size_t>(column)], displayWidth(table.text(row, column)));
        }
    }
    std::ostringstream plain;
    for (int row = 0; row < fg::kTableRows; ++row) {
        std::string line;
        for (int column = 0; column < fg::kTableColumns; ++column) {
            const std::string& cell = table.text(row, column);
            line += cell;
            if (column + 1 < fg::kTableColumns) {
                line.append(widths[static_cast<std::size_t>(column)] - displayWidth(cell) + 2, ' ');
            }
        }
        line.erase(line.find_last_not_of(' ') + 1);
        plain << line << '\n';
    }
    return plain.str();
}

// The table's texts as rows of JSON strings, each cell's text as `textOf(row, column)` gives
// it (a copy, or the text itself from a table nobody reads afterwards).
template <class TextOf>
Json tableJsonOf(TextOf textOf) {
    Json::array_t rows;
    rows.reserve(fg::kTableRows);
    for (int row = 0; row < fg::kTableRows; ++row) {
        Json::array_t cells;
        cells.reserve(fg::kTableColumns);
        for (int column = 0; column < fg::kTableColumns; ++column)
            cells.emplace_back(textOf(row, column));
        rows.emplace_back(std::move(cells));
    }
    return Json(std::move(rows));
}

Json tableJson(const fg::CalculatorTable& table) {
    return tableJsonOf(
        [&table](int row, int column) -> const std::string& { return table.text(row, column); });
}

fg::FlueGasCase caseFromArgs(const FlueGasArgs& args) {
    std::vector<std::pair<std::string, std::string>> options;
    for (std::size_t i = 0; i < args.cells.size(); ++i) {
        options.emplace_back(fg::kCellOptionNames[i], args.cells[i]);
    }
    options.emplace_back("basis", args.basis);
    options.emplace_back("formula", args.formula);
    options.emplace_back("so3", args.so3);
    options.emplace_back("utp", args.utp);
    options.emplace_back("uenth", args.uenth);
    options.emplace_back("upr", args.upr);
    return flueGasCaseFromOptions(options);
}

// The cases of the CSV file `in` (read from `path`), written to `out`. A file that cannot be
// read to its end is a FileError, an unusable header a usage error.
fg::BatchCount runCases(std::ifstream& in, const FlueGasArgs& args, std::ostream& out) {
    errno = 0;
    fg::BatchCount cases;
    try {
        cases = fg::runFlueGasBatch(in, out, args.jobs);
    } catch (const fg::CaseError& e) {
        if (!in.bad()) throw UsageError(args.csv + ": " + e.what());
    }
    checkCsvInputRead(in, args.csv);
    return cases;
}

void runBatch(const FlueGasArgs& args, Session& session) {
    std::ifstream in = openCsvInput(args.csv);
    session.emitCsvBatch(args.out, [&](std::ostream& out) { return runCases(in, args, out); });
}

}  // namespace

fg::FlueGasCase flueGasCaseFromOptions(
    const std::vector<std::pair<std::string, std::string>>& options) {
    try {
        return fg::parseFlueGasCase(options);
    } catch (const fg::CaseError& e) {
        throw UsageError(std::string("--") + e.what());
    }
}

std::size_t terminalWidth(std::string_view text) {
    return displayWidth(text);
}

Json flueGasTableJson(const tw::fluegas::CalculatorTable& table) {
    return tableJson(table);
}

std::string flueGasPlainTable(const tw::fluegas::CalculatorTable& table) {
    return plainTable(table);
}

void addFlueGasCommands(CLI::App& app, Session& session) {
    auto args = std::make_shared<FlueGasArgs>();
    session.atEachRun([args] { *args = {}; });
    CLI::App* sub = app.add_subcommand(
        "fluegas",
        "Fill the flue gas calculator's table as typed (an option left out is an empty cell), "
        "calculate and print the table; or calculate a CSV batch of cases");
    const std::array<const char*, fg::kCellOptionNames.size()> help{
        "N2 percent",
        "Ar percent",
        "O2 percent",
        "CO2 percent",
        "CO percent",
        "SO2 percent",
        "H2O percent",
        "Gas temperature (current temperature unit)",
        "Enthalpy reference temperature (current temperature unit)"};
    for (std::size_t i = 0; i < fg::kCellOptionNames.size(); ++i) {
        sub->add_option("--" + std::string(fg::kCellOptionNames[i]), args->cells[i], help[i]);
    }
    sub->add_option("--basis", args->basis,
                    "Composition basis of the percents: vol (default) or wt; nothing is converted");
    sub->add_option("--formula", args->formula,
                    "Enthalpy formula: 0 NASA Glenn (default), 1 ASME PTC 4.4, 2 B&W");
    sub->add_option("--so3", args->so3,
                    "SO3 conversion: auto (default), a rate in percent typed into the table "
                    "(user input), or user for user input with an empty rate");
    sub->add_option("--utp", args->utp, "Temperature unit: index or unit text (default 0, oC)");
    sub->add_option("--uenth", args->uenth,
                    "Enthalpy unit: index or unit text (default 0, kcal/kg)");
    sub->add_option("--upr", args->upr, "Pressure unit: index or unit text (default 0, kg/cm2 a)");
    sub->add_option("--csv", args->csv,
                    "Batch: one case per row; header of option names (n2, ar, o2, co2, co, so2, "
                    "h2o, t, tref, and optionally basis, formula, so3, utp, uenth, upr)");
    sub->add_option("--out", args->out, "Batch: write the result CSV here instead of stdout");
    CLI::Option* jobs =
        sub->add_option("--jobs", args->jobs,
                        "Batch: calculate on this many threads (default: the number of cores); the "
                        "rows are written in input order whatever the number")
            ->check(CLI::Range(1U, 256U));
    session.addCommonOptions(*sub);
    session.runs(*sub, [args, jobs, &session] {
        tw::TW_Language = static_cast<tw::enmLanguage>(session.language);
        if (!args->csv.empty()) {
            const bool anyCaseOption =
                std::any_of(args->cells.begin(), args->cells.end(),
                            [](const std::string& s) { return !s.empty(); }) ||
                !args->basis.empty() || !args->formula.empty() || !args->so3.empty() ||
                !args->utp.empty() || !args->uenth.empty() || !args->upr.empty();
            if (anyCaseOption) throw ArgumentsError("--csv takes every case from the file");
            runBatch(*args, session);
            return;
        }
        if (!args->out.empty()) throw ArgumentsError("--out belongs to a --csv batch");
        if (jobs->count() > 0) throw ArgumentsError("--jobs belongs to a --csv batch");
        const fg::FlueGasCase flueGasCase = caseFromArgs(*args);
        auto sink = session.installSink();
        const tw::ScopedSteamTableState oneLook;  // one look at the steam table files
        fg::CalculatorTable table = caseTable(flueGasCase);
        fg::Calculate(table);
        const std::string plain = session.json ? std::string() : plainTable(table);
        Json::object_t object;
        object.reserve(2);  // the table and the messages
        object.emplace_back("table", tableJsonOf([&table](int row, int column) {
                                return table.takeText(row, column);
                            }));
        session.emit(Json(std::move(object)), plain, /*withMessages=*/true);
    });
}

}  // namespace twcalc

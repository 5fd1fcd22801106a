#pragma once
// Each group of twcalc commands (a file NameCommands.cpp) adds its subcommands to the
// application through twcalc::addNameCommands.

#include <CLI/CLI.hpp>

#include "Session.h"

namespace tw::fluegas {
class CalculatorTable;
}

namespace twcalc {

#define TW_COMMAND_GROUP(name) void name(CLI::App& app, Session& session);
#include "CommandGroups.inc"
#undef TW_COMMAND_GROUP

// The calculator table of `twcalc fluegas`, as JSON rows and as aligned text, for commands that
// end in a flue gas calculation.
Json flueGasTableJson(const tw::fluegas::CalculatorTable& table);
std::string flueGasPlainTable(const tw::fluegas::CalculatorTable& table);

// Columns a text takes on a terminal (a Hangul syllable takes two).
std::size_t terminalWidth(std::string_view text);

// Builds the whole command line and runs it; returns the exit status.
int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace twcalc

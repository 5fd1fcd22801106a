#pragma once
// Each group of twcalc commands (a file NameCommands.cpp) adds its subcommands to the
// application through twcalc::addNameCommands.

#include <CLI/CLI.hpp>

#include "Session.h"

namespace twcalc {

#define TW_COMMAND_GROUP(name) void name(CLI::App& app, Session& session);
#include "CommandGroups.inc"
#undef TW_COMMAND_GROUP

// Builds the whole command line and runs it; returns the exit status.
int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace twcalc

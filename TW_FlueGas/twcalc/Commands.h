#pragma once
// Each group of twcalc commands registers itself on the application here.

#include <CLI/CLI.hpp>

#include "Session.h"

namespace twcalc {

void addConvertCommands(CLI::App& app, Session& session);  // convert, units

// Builds the whole command line and runs it; returns the exit status.
int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace twcalc

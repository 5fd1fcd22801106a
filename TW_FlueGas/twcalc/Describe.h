#pragma once
// twcalc's own description of its command line, for the build: the manual page and the bash
// completion are generated from it, so they name every command and option the program has.

#include <CLI/CLI.hpp>

#include "Session.h"

namespace twcalc {

// Thrown by the hidden --describe-commands flag while parsing.
struct CallForDescription : CLI::Success {};

// The commands of `app` as one JSON object:
//   {"name", "description", "options": [{"names", "value", "description", "required"}],
//    "positionals": [{"name", "value", "description", "required"}], "commands": [...]}
// "value" is the option's value type ("TEXT", "TEXT:{en,ko}"), empty for a flag. Hidden
// options (those without a group) are left out.
Json describeCommands(const CLI::App& app);

}  // namespace twcalc

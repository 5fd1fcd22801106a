#pragma once
// The one layer between the calculators and their front ends: the command table (every command
// with its options, as the command files declare them) and the run of one command line. twcalc
// prints what a run gives; the Python module hands it back as values. Neither parses options
// on its own, so the two cannot drift apart.

#include <ostream>
#include <string>
#include <vector>

#include "Session.h"

namespace twcalc {

// What one command line gave, as values. (A null JSON value allocates nothing.)
// What twcalc says of an input it refused, after its messages.
inline constexpr const char* kInputRefusedText = "the input was refused; nothing was calculated";

struct Outcome {  // NOLINT(bugprone-exception-escape)
    ExitStatus status = kSuccess;
    // kSuccess: the object that --json prints. kAutomationError: {"error": {"number",
    // "description"}} with "messages" when the library showed any.
    Json value;
    // kInputRefused: {"messages": [...]}, the reasons.
    // kUsageError, kFileError and kInputRefused: what twcalc prints after "twcalc: ".
    std::string error;
    // A usage error in the shape of the call (an unknown option, a missing or surplus argument,
    // options that exclude each other) rather than in a value.
    bool malformedCall = false;
};

// The run of one command line (program name first) for a front end. In plain mode the commands
// print their plain text to `out` and the library's messages to `err` as they come; in JSON
// mode (--json, or `impliedJson`) both are kept for the outcome.
struct Execution {  // NOLINT(bugprone-exception-escape)
    Outcome outcome;
    bool json = false;
    // What was asked for instead of a command: the help (--help, --help-all), the release
    // (--version) or the description of the command line (--describe-commands).
    std::string help;
};
Execution execute(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                  bool impliedJson = false);

// Runs one command line (without the program name) in JSON mode: the library's messages are
// collected into the result, nothing is printed. Not reentrant: the library's program language
// and message sink are process-wide, so callers on several threads take turns.
Outcome evaluate(const std::vector<std::string>& arguments);

// One argument of a command.
struct ArgumentInfo {
    std::string keyword;  // its name for callers: the option without "--" ("PipeID", "set"),
                          // a positional in lower case ("key", "from_unit")
    std::string name;     // "--PipeID"; empty for a positional
    std::string help;
    bool flag = false;        // takes no value
    bool repeatable = false;  // may be given several times
    bool required = false;
};

struct CommandInfo {
    std::vector<std::string> path;  // {"steam", "sat"}
    std::string help;
    std::vector<ArgumentInfo> positionals;
    std::vector<ArgumentInfo> options;  // --json, which every caller of the layer implies, left out
};

// Every command that runs something (steam's sat, state and visco, not steam itself), in the
// order of the command files.
std::vector<CommandInfo> commandTable();

// A number as a text that every numeric option and table cell reads back to the same value:
// the shortest decimal form, without a '+' in the exponent ("0.1", "1e-05", "1e16"); "nan",
// "inf" and "-inf" for the values that are not finite.
std::string numberText(double value);

}  // namespace twcalc

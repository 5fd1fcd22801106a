#pragma once
// The one layer between the calculators and their front ends: the command table (every command
// with its options, as the command files declare them) and the run of one command line. twcalc
// prints what a run gives; the Python module hands it back as values. Neither parses options
// on its own, so the two cannot drift apart.

#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
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

// A command of the table made ready once for many calls that hand over their arguments as
// texts rather than as a command line (the Python module): the same option variables, checks,
// command and outcome as the command line gives, without parsing one. Not reentrant, as
// evaluate.
class PreparedCommand {
  public:
    // `path` as in the table: {"steam", "sat"}.
    explicit PreparedCommand(const std::vector<std::string>& path);
    ~PreparedCommand();
    PreparedCommand(PreparedCommand&&) noexcept;
    PreparedCommand& operator=(PreparedCommand&&) noexcept;
    PreparedCommand(const PreparedCommand&) = delete;
    PreparedCommand& operator=(const PreparedCommand&) = delete;

    const CommandInfo& info() const;

    // One value of a call: `slot` counts info().positionals, then info().options; a flag's
    // text is not read (a flag that is off is not given). A repeatable option may come again.
    struct Given {
        std::size_t slot;
        std::string_view text;
    };
    // The outcome, or nothing when a required argument is missing: the command line words
    // what is wrong with the shape of a call.
    std::optional<Outcome> run(std::span<const Given> arguments);

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// A number as a text that every numeric option and table cell reads back to the same value:
// the shortest decimal form, without a '+' in the exponent ("0.1", "1e-05", "1e16"); "nan",
// "inf" and "-inf" for the values that are not finite.
std::string numberText(double value);

}  // namespace twcalc

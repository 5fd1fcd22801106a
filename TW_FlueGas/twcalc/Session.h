#pragma once
// What one twcalc run shares between its commands: output mode, language, the messages the
// library showed, and the exit status rules.

#include <CLI/CLI.hpp>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "CsvRecords.h"
#include "JsonNodes.h"
#include "tw/Language.h"
#include "tw/MessageSink.h"

namespace twcalc {

// JSON values keep their fields in order and take their nodes from the thread's kept blocks.
using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool,
                                  std::int64_t, std::uint64_t, double, NodeAllocator>;

// An object of number fields in this order, with room for the messages. (Braces would build
// each field as an array of two values first: a dozen allocations more for an object that a
// single call makes each time.)
inline Json numberFields(std::initializer_list<std::pair<const char*, double>> fields) {
    Json::object_t object;
    object.reserve(fields.size() + 1);
    for (const auto& [name, value] : fields) object.emplace_back(name, value);
    return Json(std::move(object));
}

// 3: a file named on the command line, or standard output, could not be read or written.
// 4: the input of a single case was refused (its messages say why); nothing was calculated.
enum ExitStatus {
    kSuccess = 0,
    kAutomationError = 1,
    kUsageError = 2,
    kFileError = 3,
    kInputRefused = 4
};

// A usage error found after parsing (an unknown unit name, a value out of range).
struct UsageError : CLI::ValidationError {
    explicit UsageError(const std::string& what) : CLI::ValidationError(what) {}
};
// A usage error in how the options fit together (one missing, one too many, two that exclude
// each other) rather than in a value.
struct ArgumentsError : UsageError {
    using UsageError::UsageError;
};

struct Session {
    bool json = false;
    int language = tw::TW_English;
    std::ostream* out = nullptr;  // standard output
    std::ostream* err = nullptr;  // standard error
    tw::RecordingMessageSink recorder;
    // In JSON mode, the object the command produced (emit).
    std::optional<Json> result;

    class PlainSink final : public tw::MessageSink {
      public:
        explicit PlainSink(Session& s) : session_(s) {}
        tw::MessageAnswer show(std::string_view text, std::string_view caption,
                               tw::MessageIcon icon, tw::MessageButtons buttons) override;
        void beep() override {}

      private:
        Session& session_;
    };
    PlainSink plainSink{*this};

    // Installs the sink of this run for one command: the recorder in JSON mode, otherwise one
    // that prints "caption: text" to standard error.
    tw::ScopedMessageSink installSink();

    // Adds --json and --lang to a command.
    void addCommonOptions(CLI::App& command);

    // What `command` does once its options are read. A command made ready once may run many
    // times (the Python module's calls), so each command file also says how its option
    // variables go back to how they were before any option was read (`atEachRun`, called
    // before the `runs` of the command whose variables it resets).
    void runs(CLI::App& command, std::function<void()> body);
    void atEachRun(std::function<void()> reset);
    // The body of `command`, for a caller that reads the options itself; null for a command
    // that only holds others.
    const std::function<void()>* bodyOf(const CLI::App& command) const;
    // Puts the session and every option variable back to the state before any run; with
    // `only`, the variables of that command alone (the one about to run).
    void beginRun(bool impliedJson, const CLI::App* only = nullptr);

    // Hands over the result of a command: JSON mode keeps the object (with "messages" when
    // there are any, or always when `withMessages`) for the front end; plain mode prints
    // `plain`.
    void emit(Json object, const std::string& plain, bool withMessages = false);
    // Ends a single case whose input the calculation refused: nothing is printed on standard
    // output (the messages went to standard error as they came), JSON mode keeps only the
    // messages, and the run exits with kInputRefused.
    void refuse();
    bool refused = false;
    Json messagesJson() const;

    // Hands over a CSV batch that `run` writes (returning its number of cases) as the cases
    // are calculated: into the temporary that replaces the `outPath` file at the end, or
    // straight to standard output. Only the JSON form, which holds the whole CSV text in one
    // object ("cases", "csv"), keeps it in memory.
    // The summary says how many rows were refused ("N cases written to FILE, M refused"; in
    // JSON "cases", "refused" and "summary").
    void emitCsvBatch(const std::string& outPath,
                      const std::function<tw::fluegas::BatchCount(std::ostream&)>& run);
    // The same for a batch that counts only its cases.
    void emitCsvBatch(const std::string& outPath,
                      const std::function<std::size_t(std::ostream&)>& run);

  private:
    static constexpr std::size_t kNoReset = static_cast<std::size_t>(-1);
    struct Body {
        const CLI::App* command;
        std::shared_ptr<const std::function<void()>> body;
        std::size_t reset;  // in resets_: the one registered last before it
    };
    std::vector<Body> bodies_;
    std::vector<std::function<void()>> resets_;
};

// Opens the CSV file of a batch; tw::FileError when it cannot be read.
std::ifstream openCsvInput(const std::string& path);
// A tw::FileError when the batch input `in` (read from `path`) failed before its end.
void checkCsvInputRead(const std::ifstream& in, const std::string& path);

// Parses a decimal number (an optional sign, digits with an optional point, an optional
// exponent) into a finite float; anything else, "nan" and "inf" included, and a number beyond
// the single-precision range are usage errors naming `what`.
float parseFloat(const std::string& text, const std::string& what);
// Parses an integer index (an optional sign and digits); values beyond 32 bits become -1 (an
// index outside every list); nothing for any other text.
std::optional<int> parseIndex(const std::string& text);

}  // namespace twcalc

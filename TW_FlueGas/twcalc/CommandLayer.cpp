#include "CommandLayer.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <ostream>
#include <stdexcept>
#include <streambuf>

#include "Commands.h"
#include "Describe.h"
#include "JsonWriter.h"
#include "TWRelease.h"
#include "tw/AtomicFile.h"
#include "tw/AutomationError.h"

namespace twcalc {
namespace {

using AddCommands = void (*)(CLI::App&, Session&);

constexpr AddCommands kCommandGroups[] = {
#define TW_COMMAND_GROUP(name) &name,
#include "CommandGroups.inc"
#undef TW_COMMAND_GROUP
};

// The command group that adds each command, learned once by adding every group to an
// application of its own.
const std::map<std::string, AddCommands>& commandGroups() {
    static const std::map<std::string, AddCommands> groups = [] {
        std::map<std::string, AddCommands> map;
        for (const AddCommands add : kCommandGroups) {
            CLI::App app;
            Session session;
            add(app, session);
            for (const CLI::App* command : app.get_subcommands({})) map[command->get_name()] = add;
        }
        return map;
    }();
    return groups;
}

// The command line: every command file adds its commands to one application. A run that
// names its command needs only that command's group, which saves building all the others.
struct Application {
    CLI::App app{
        "twcalc: the flue gas calculator and the TWCommon library on the command line.\n"
        "Every command takes --json (one JSON object on standard output) and --lang en|ko.\n"
        "Exit status: 0 success (also when a calculation showed a message), 1 the library "
        "raised an automation error, 2 usage error, 3 could not read or write a file "
        "(standard output included), 4 the input was refused; nothing was calculated (a "
        "single case of combustion, efficiency, gas-properties or line; its messages say why).",
        "twcalc"};
    Session session;

    Application(std::ostream& out, std::ostream& err, const char* command = nullptr) {
        app.require_subcommand(1);
        app.set_version_flag("--version", "twcalc " TW_RELEASE, "Print the release and exit");
        // Hidden: the command line as JSON, from which the build generates the manual page and
        // the bash completion.
        app.add_flag_callback("--describe-commands", [] { throw CallForDescription(); })->group("");
        session.out = &out;
        session.err = &err;
        const auto group =
            command != nullptr ? commandGroups().find(command) : commandGroups().end();
        if (group != commandGroups().end()) {
            group->second(app, session);
            return;
        }
        for (const AddCommands add : kCommandGroups) add(app, session);
    }
};

class NullBuffer final : public std::streambuf {
  protected:
    int_type overflow(int_type ch) override { return traits_type::not_eof(ch); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// Errors of CLI11 that are about a value; the others are about the shape of the call.
bool isValueError(const CLI::ParseError& e) {
    if (dynamic_cast<const ArgumentsError*>(&e) != nullptr) return false;
    return dynamic_cast<const CLI::ValidationError*>(&e) != nullptr ||
           dynamic_cast<const CLI::ConversionError*>(&e) != nullptr;
}

Json automationErrorJson(const tw::AutomationError& e, const Session& session) {
    Json value = {{"error", {{"number", e.number()}, {"description", e.description()}}}};
    if (!session.recorder.messages().empty()) value["messages"] = session.messagesJson();
    return value;
}

std::string keywordOf(const std::string& name) {
    std::string keyword;
    for (const char c : name) {
        keyword += c == '-' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return keyword;
}

// The arguments of a command that runs something, and the options that take them: the
// positionals first, then the options, in the order the command file declares them.
CommandInfo leafInfo(CLI::App& command, const std::vector<std::string>& path,
                     std::vector<CLI::Option*>* slots = nullptr) {
    CommandInfo info{path, command.get_description(), {}, {}};
    std::vector<CLI::Option*> positionals, options;
    for (CLI::Option* opt : command.get_options()) {
        const std::vector<std::string>& longNames = opt->get_lnames();
        if (opt == command.get_help_ptr() || opt == command.get_help_all_ptr()) continue;
        if (!opt->get_positional() && longNames.front() == "json") continue;
        ArgumentInfo argument;
        argument.help = opt->get_description();
        argument.required = opt->get_required();
        argument.flag = opt->get_expected_min() == 0;
        argument.repeatable = opt->get_items_expected_max() > 1;
        if (opt->get_positional()) {
            argument.keyword = keywordOf(opt->get_name());
            info.positionals.push_back(std::move(argument));
            positionals.push_back(opt);
        } else {
            // Options keep their spelling ("PipeID"); only dashes become underscores.
            argument.name = "--" + longNames.front();
            argument.keyword = longNames.front();
            std::replace(argument.keyword.begin(), argument.keyword.end(), '-', '_');
            info.options.push_back(std::move(argument));
            options.push_back(opt);
        }
    }
    if (slots != nullptr) {
        *slots = std::move(positionals);
        slots->insert(slots->end(), options.begin(), options.end());
    }
    return info;
}

void addCommands(CLI::App& command, const std::vector<std::string>& path,
                 std::vector<CommandInfo>& table) {
    const auto subcommands = command.get_subcommands({});
    if (!path.empty() && subcommands.empty()) {
        table.push_back(leafInfo(command, path));
        return;
    }
    for (CLI::App* sub : subcommands) {
        std::vector<std::string> subPath = path;
        subPath.push_back(sub->get_name());
        addCommands(*sub, subPath, table);
    }
}

// The outcome of a command that ran to its end: the object it produced, or its refusal.
void takeResult(Outcome& outcome, Session& session) {
    if (session.result) outcome.value = std::move(*session.result);
    if (session.refused) {
        outcome.status = kInputRefused;
        outcome.error = kInputRefusedText;
    }
}

// Called inside a catch block: the outcome of the failure being handled. Anything else than
// a usage, file or automation error goes on to the caller.
void takeFailure(Outcome& outcome, const Session& session) {
    try {
        throw;
    } catch (const CLI::ParseError& e) {
        outcome.status = kUsageError;
        outcome.error = e.what();
        outcome.malformedCall = !isValueError(e);
    } catch (const tw::FileError& e) {
        outcome.status = kFileError;
        outcome.error = e.what();
    } catch (const tw::AutomationError& e) {
        outcome.status = kAutomationError;
        outcome.value = automationErrorJson(e, session);
        outcome.error = "Error #" + std::to_string(e.number()) + ": " + e.description();
    }
}

}  // namespace

Execution execute(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                  bool impliedJson) {
    // Only twcalc's own help and a command line without a known command need them all.
    Application application(out, err, argc > 1 ? argv[1] : nullptr);
    Session& session = application.session;
    session.json = impliedJson;
    Execution run;
    try {
        application.app.parse(argc, argv);
        takeResult(run.outcome, session);
    } catch (const CLI::CallForHelp&) {
        run.help = application.app.help();
    } catch (const CLI::CallForAllHelp&) {
        run.help = application.app.help("", CLI::AppFormatMode::All);
    } catch (const CLI::CallForVersion& version) {
        run.help = std::string(version.what()) + '\n';
    } catch (const CallForDescription&) {
        run.help = writeJson(describeCommands(application.app)) + '\n';
    } catch (...) {
        takeFailure(run.outcome, session);
    }
    run.json = session.json;
    return run;
}

Outcome evaluate(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv{"twcalc"};
    for (const std::string& a : arguments) argv.push_back(a.c_str());
    NullBuffer nowhere;
    std::ostream out(&nowhere);
    std::ostream err(&nowhere);
    Execution run = execute(static_cast<int>(argv.size()), argv.data(), out, err, true);
    if (!run.help.empty()) {
        run.outcome.status = kUsageError;
        run.outcome.error = "--help belongs to the command line: twcalc COMMAND --help";
        run.outcome.malformedCall = true;
    }
    return std::move(run.outcome);
}

std::vector<CommandInfo> commandTable() {
    NullBuffer nowhere;
    std::ostream out(&nowhere);
    Application application(out, out);
    std::vector<CommandInfo> table;
    addCommands(application.app, {}, table);
    return table;
}

struct PreparedCommand::Parts {
    explicit Parts(const std::vector<std::string>& path)
        : application(out, out, path.at(0).c_str()) {
        CLI::App* command = &application.app;
        for (const std::string& name : path) command = command->get_subcommand(name);
        info = leafInfo(*command, path, &slots);
        this->command = command;
        body = application.session.bodyOf(*command);
        if (body == nullptr) throw std::invalid_argument("not a command that runs: " + path.back());
        for (const ArgumentInfo& a : info.positionals) required.push_back(a.required);
        for (const ArgumentInfo& a : info.options) required.push_back(a.required);
        flags.assign(info.positionals.size(), false);
        for (const ArgumentInfo& a : info.options) flags.push_back(a.flag);
    }

    NullBuffer nowhere;
    std::ostream out{&nowhere};
    Application application;
    CommandInfo info;
    const CLI::App* command = nullptr;
    const std::function<void()>* body = nullptr;
    std::vector<CLI::Option*> slots;
    std::vector<bool> required, flags, given;
};

PreparedCommand::PreparedCommand(const std::vector<std::string>& path)
    : parts_(std::make_unique<Parts>(path)) {}
PreparedCommand::~PreparedCommand() = default;
PreparedCommand::PreparedCommand(PreparedCommand&&) noexcept = default;
PreparedCommand& PreparedCommand::operator=(PreparedCommand&&) noexcept = default;

const CommandInfo& PreparedCommand::info() const {
    return parts_->info;
}

std::optional<Outcome> PreparedCommand::run(std::span<const Given> arguments) {
    Parts& p = *parts_;
    p.given.assign(p.slots.size(), false);
    for (const Given& g : arguments) p.given.at(g.slot) = true;
    for (std::size_t i = 0; i < p.slots.size(); ++i) {
        if (p.required[i] && !p.given[i]) return std::nullopt;
    }
    Session& session = p.application.session;
    session.beginRun(/*impliedJson=*/true, p.command);
    for (CLI::Option* option : p.slots) option->clear();
    Outcome outcome;
    try {
        // As the parser hands the values over: every text to its option, then the options'
        // checks and variables, then the command.
        for (const Given& g : arguments) {
            p.slots[g.slot]->add_result(p.flags[g.slot] ? std::string("true")
                                                        : std::string(g.text));
        }
        for (CLI::Option* option : p.slots) {
            if (option->count() > 0) option->run_callback();
        }
        (*p.body)();
        takeResult(outcome, session);
    } catch (...) {
        takeFailure(outcome, session);
    }
    return outcome;
}

std::string numberText(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, value);
    std::string shortest(text, r.ptr);
    if (const auto plus = shortest.find("e+"); plus != std::string::npos) {
        shortest.erase(plus + 1, 1);
    }
    return shortest;
}

}  // namespace twcalc

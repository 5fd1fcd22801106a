#include <cstring>
#include <iostream>

#include "Commands.h"
#include "JsonWriter.h"
#include "tw/AtomicFile.h"
#include "tw/AutomationError.h"

namespace twcalc {
namespace {

constexpr const char* kExitStatusText =
    "Exit status: 0 success (also when a calculation showed a message), 1 the library raised an "
    "automation error, 2 usage error, 3 could not read or write a file (standard output "
    "included).";

int runCommand(CLI::App& app, Session& session, int argc, const char* const* argv) {
    std::ostream& out = *session.out;
    std::ostream& err = *session.err;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
    } catch (const CLI::ParseError& e) {
        err << "twcalc: " << e.what()
            << "\nRun 'twcalc --help' or 'twcalc COMMAND --help' for usage.\n";
        return kUsageError;
    } catch (const tw::FileError& e) {
        err << "twcalc: " << e.what() << '\n';
        return kFileError;
    } catch (const tw::AutomationError& e) {
        if (session.json) {
            Json result = {{"error", {{"number", e.number()}, {"description", e.description()}}}};
            if (!session.recorder.messages().empty()) result["messages"] = session.messagesJson();
            out << writeJson(result) << '\n';
        } else {
            err << "twcalc: Error #" << e.number() << ": " << e.description() << '\n';
        }
        return kAutomationError;
    }
    return kSuccess;
}

}  // namespace

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{
        "twcalc: the flue gas calculator and the TWCommon library on the command line.\n"
        "Every command takes --json (one JSON object on standard output) and --lang en|ko."};
    app.footer(kExitStatusText);
    app.require_subcommand(1);
    Session session;
    session.out = &out;
    session.err = &err;
#define TW_COMMAND_GROUP(name) name(app, session);
#include "CommandGroups.inc"
#undef TW_COMMAND_GROUP

    const int status = runCommand(app, session, argc, argv);
    // What was printed counts only once it has reached standard output: a full disk or a
    // closed pipe there is a failed run, whatever the command itself returned.
    if (!out.flush()) {
        const auto* descriptor = dynamic_cast<const tw::DescriptorOutput*>(&out);
        const int error = descriptor != nullptr ? descriptor->error() : 0;
        err << "twcalc: could not write standard output"
            << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
        return kFileError;
    }
    return status;
}

}  // namespace twcalc

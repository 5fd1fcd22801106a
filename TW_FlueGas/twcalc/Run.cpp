#include <iostream>

#include "Commands.h"
#include "Describe.h"
#include "JsonWriter.h"
#include "TWRelease.h"
#include "tw/AutomationError.h"

namespace twcalc {

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{
        "twcalc: the flue gas calculator and the TWCommon library on the command line.\n"
        "Every command takes --json (one JSON object on standard output) and --lang en|ko.",
        "twcalc"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "twcalc " TW_RELEASE, "Print the release and exit");
    // Hidden: the command line as JSON, from which the build generates the manual page and the
    // bash completion.
    app.add_flag_callback("--describe-commands", [] { throw CallForDescription(); })->group("");
    Session session;
    session.out = &out;
    session.err = &err;
#define TW_COMMAND_GROUP(name) name(app, session);
#include "CommandGroups.inc"
#undef TW_COMMAND_GROUP

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kSuccess;
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
        return kSuccess;
    } catch (const CLI::CallForVersion& version) {
        out << version.what() << '\n';
        return kSuccess;
    } catch (const CallForDescription&) {
        out << writeJson(describeCommands(app)) << '\n';
        return kSuccess;
    } catch (const CLI::ParseError& e) {
        err << "twcalc: " << e.what()
            << "\nRun 'twcalc --help' or 'twcalc COMMAND --help' for usage.\n";
        return kUsageError;
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

}  // namespace twcalc

#include <iostream>

#include "Commands.h"
#include "JsonWriter.h"
#include "tw/AutomationError.h"

namespace twcalc {

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{
        "twcalc: the flue gas calculator and the TWCommon library on the command line.\n"
        "Every command takes --json (one JSON object on standard output) and --lang en|ko."};
    app.require_subcommand(1);
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

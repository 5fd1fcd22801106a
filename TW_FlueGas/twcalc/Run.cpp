// twcalc's front end: runs the command line through the command layer and prints what it gave.

#include <cstring>

#include "CommandLayer.h"
#include "Commands.h"
#include "JsonWriter.h"
#include "tw/AtomicFile.h"

namespace twcalc {

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    const Execution run = execute(argc, argv, out, err);
    const Outcome& outcome = run.outcome;
    switch (outcome.status) {
        case kSuccess:
            if (!run.help.empty()) {
                out << run.help;
            } else if (run.json) {
                out << writeJson(outcome.value) << '\n';
            }
            break;
        case kAutomationError:
            if (run.json) {
                out << writeJson(outcome.value) << '\n';
            } else {
                err << "twcalc: " << outcome.error << '\n';
            }
            break;
        case kUsageError:
            err << "twcalc: " << outcome.error
                << "\nRun 'twcalc --help' or 'twcalc COMMAND --help' for usage.\n";
            break;
        case kFileError:
            err << "twcalc: " << outcome.error << '\n';
            break;
        case kInputRefused:
            if (run.json) {
                out << writeJson(outcome.value) << '\n';
            } else {
                err << "twcalc: " << outcome.error << '\n';
            }
            break;
    }
    // What was printed counts only once it has reached standard output: a full disk or a
    // closed pipe there is a failed run, whatever the command itself returned.
    if (!out.flush()) {
        const auto* descriptor = dynamic_cast<const tw::DescriptorOutput*>(&out);
        const int error = descriptor != nullptr ? descriptor->error() : 0;
        err << "twcalc: could not write standard output"
            << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
        return kFileError;
    }
    return outcome.status;
}

}  // namespace twcalc

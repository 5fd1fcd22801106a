// twcalc dpcalc (--pipe | --fittings) --set i_Field=value ...: the pressure-drop calculator on
// the command line; twcalc dpcalc --name N: the display name of fitting kind N.

#include <climits>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "Commands.h"
#include "PipeUnitOptions.h"
#include "tw/Fittings.h"
#include "tw/Format.h"
#include "tw/dPCalc.h"

namespace twcalc {
namespace {

using Setter = std::function<void(tw::dPCalc&, const std::string& field, const std::string& text)>;

// Every input field of the calculator by its published name.
const std::map<std::string, Setter>& fieldSetters() {
    static const std::map<std::string, Setter> setters = [] {
        std::map<std::string, Setter> m;
#define TW_DPCALC_FIELD_SETTER(Name)                                                  \
    m[#Name] = [](tw::dPCalc& c, const std::string& field, const std::string& text) { \
        c.set##Name(parseFloat(text, field));                                         \
    };
        TW_FOR_EACH_DPCALC_INPUT(TW_DPCALC_FIELD_SETTER)
#undef TW_DPCALC_FIELD_SETTER
        m["i_Liquid"] = [](tw::dPCalc& c, const std::string& field, const std::string& text) {
            if (text == "1" || text == "true") {
                c.seti_Liquid(true);
            } else if (text == "0" || text == "false") {
                c.seti_Liquid(false);
            } else {
                throw UsageError(field + " '" + text + "' is not 0, 1, true or false");
            }
        };
        m["i_FtgNo"] = [](tw::dPCalc& c, const std::string& field, const std::string& text) {
            if (auto index = parseIndex(text)) {
                c.seti_FtgNo(*index);
            } else if (auto kind = tw::findFittingByName(text)) {
                c.seti_FtgNo(*kind);
            } else {
                throw UsageError(field + " '" + text +
                                 "' is neither an index nor a fitting name (Gate, Globe_Std, ...)");
            }
        };
        m["i_FtgQty"] = [](tw::dPCalc& c, const std::string& field, const std::string& text) {
            const std::optional<int> n = parseIndex(text);
            if (!n || *n < SHRT_MIN || *n > SHRT_MAX || (*n == -1 && text != "-1")) {
                throw UsageError(field + " '" + text + "' is not a 16-bit integer");
            }
            c.seti_FtgQty(static_cast<std::int16_t>(*n));
        };
        return m;
    }();
    return setters;
}

void applySetting(tw::dPCalc& calc, const std::string& setting) {
    const std::size_t eq = setting.find('=');
    if (eq == std::string::npos) {
        throw UsageError("--set '" + setting + "' is not of the form i_Field=value");
    }
    const std::string field = setting.substr(0, eq);
    const auto it = fieldSetters().find(field);
    if (it == fieldSetters().end()) {
        std::string names;
        for (const auto& [name, setter] : fieldSetters()) names += " " + name;
        throw UsageError("unknown field '" + field + "'; fields are:" + names);
    }
    it->second(calc, field, setting.substr(eq + 1));
}

struct DpcalcArgs {
    bool pipe = false;
    bool fittings = false;
    std::string name;
    std::vector<std::string> settings;
    PipeUnitOptions units;
};

}  // namespace

void addDpcalcCommands(CLI::App& app, Session& session) {
    auto args = std::make_shared<DpcalcArgs>();
    session.atEachRun([args] { *args = {}; });
    CLI::App* dpcalc = app.add_subcommand(
        "dpcalc",
        "Pressure drop of a straight run (--pipe) or a fitting group (--fittings) with "
        "--set i_Field=value ...; --name N prints the name of fitting kind N");
    dpcalc->add_flag("--pipe", args->pipe, "Run fun_dPPipe");
    dpcalc->add_flag("--fittings", args->fittings, "Run fun_dPFtgT");
    dpcalc->add_option("--name", args->name, "Print the display name of fitting kind N (strVF)");
    dpcalc->add_option("--set", args->settings, "An input field: i_Field=value (repeatable)");
    args->units.addTo(*dpcalc);
    session.addCommonOptions(*dpcalc);

    session.runs(*dpcalc, [args, dpcalc, &session] {
        const int modes = (args->pipe ? 1 : 0) + (args->fittings ? 1 : 0) +
                          (dpcalc->count("--name") != 0 ? 1 : 0);
        if (modes != 1)
            throw ArgumentsError("dpcalc needs exactly one of --pipe, --fittings, --name N");

        tw::dPCalc calc;
        calc.setTW_Language(session.language);
        if (dpcalc->count("--name") != 0) {
            const std::optional<int> index = parseIndex(args->name);
            if (!index) throw UsageError("--name '" + args->name + "' is not an integer");
            auto sink = session.installSink();
            const std::string name = calc.strVF(*index);
            session.emit({{"name", name}}, name);
            return;
        }
        for (const std::string& setting : args->settings) applySetting(calc, setting);
        args->units.applyTo(calc);

        auto sink = session.installSink();
        const float result = args->pipe ? calc.fun_dPPipe() : calc.fun_dPFtgT();
        Json json{{"result", result},
                  {"PipeRe", calc.PipeRe()},
                  {"Pipef", calc.Pipef()},
                  {"PipeVel", calc.PipeVel()},
                  {"PipeLen", calc.PipeLen()},
                  {"PipeLenK", calc.PipeLenK()},
                  {"PipeElevDiff", calc.PipeElevDiff()},
                  {"PipeLendP", calc.PipeLendP()},
                  {"PipeElevDiffdP", calc.PipeElevDiffdP()},
                  {"FittingK", calc.FittingK()},
                  {"FittingKT", calc.FittingKT()},
                  {"dPFtg", calc.dPFtg()},
                  {"PipefT", calc.PipefT()}};
        std::ostringstream plain;
        for (const auto& [key, value] : json.items()) {
            plain << key << '\t'
                  << (value.is_string() ? value.get<std::string>()
                                        : tw::shortestFloat(value.get<float>()))
                  << '\n';
        }
        session.emit(std::move(json), plain.str(), /*withMessages=*/true);
    });
}

}  // namespace twcalc

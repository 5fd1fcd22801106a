// twcalc pipe FUNCTION --Arg value ...: one pipe-flow formula of the common library, with its
// arguments as written back by the formula.

#include <bit>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "Commands.h"
#include "PipeUnitOptions.h"
#include "tw/Fittings.h"
#include "tw/Format.h"
#include "tw/Pipe.h"

namespace twcalc {
namespace {

// The arguments of one call in their published order; a formula may write some of them back.
using Args = std::vector<float>;

struct PipeFunction {
    const char* name;
    std::vector<const char*> args;
    // The fitting kind (FtgNo) is an integer and comes apart from the float arguments; its
    // slot in Args is unused.
    std::function<float(const tw::Pipe&, Args&, std::int32_t kind)> call;
};

const std::vector<PipeFunction>& functions() {
    using P = const tw::Pipe&;
    static const std::vector<PipeFunction> table{
        {"f",
         {"PipeID", "AbsRoughness", "ReynoldNo"},
         [](P p, Args& a, std::int32_t) { return p.f(a[0], a[1], a[2]); }},
        {"ReynoldNo",
         {"MFlow", "PipeID", "Visco"},
         [](P p, Args& a, std::int32_t) { return p.ReynoldNo(a[0], a[1], a[2]); }},
        {"fT",
         {"PipeID", "AbsRoughness"},
         [](P p, Args& a, std::int32_t) { return p.fT(a[0], a[1]); }},
        {"dHDarcyf",
         {"f", "VFlow", "EqvLength", "PipeID"},
         [](P p, Args& a, std::int32_t) { return p.dHDarcyf(a[0], a[1], a[2], a[3]); }},
        {"dHDarcyK",
         {"k", "VFlow", "PipeID"},
         [](P p, Args& a, std::int32_t) { return p.dHDarcyK(a[0], a[1], a[2]); }},
        {"dPDarcyf",
         {"f", "MFlow", "EqvLength", "PipeID", "SVOL"},
         [](P p, Args& a, std::int32_t) { return p.dPDarcyf(a[0], a[1], a[2], a[3], a[4]); }},
        {"dPDarcyK",
         {"k", "MFlow", "PipeID", "SVOL"},
         [](P p, Args& a, std::int32_t) { return p.dPDarcyK(a[0], a[1], a[2], a[3]); }},
        {"dPStrainer",
         {"k", "MFlow", "PipeID", "SVOL", "ViscoX"},
         [](P p, Args& a, std::int32_t) { return p.dPStrainer(a[0], a[1], a[2], a[3], a[4]); }},
        {"KfordP",
         {"dP", "MFlow", "PipeID", "SVOL"},
         [](P p, Args& a, std::int32_t) { return p.KfordP(a[0], a[1], a[2], a[3]); }},
        {"KfordH",
         {"dH", "VFlow", "PipeID"},
         [](P p, Args& a, std::int32_t) { return p.KfordH(a[0], a[1], a[2]); }},
        {"VelPipe",
         {"MFlow", "PipeID", "SVOL"},
         [](P p, Args& a, std::int32_t) { return p.VelPipe(a[0], a[1], a[2]); }},
        {"dPElevDiff",
         {"ElevDiff", "SVOL"},
         [](P p, Args& a, std::int32_t) { return p.dPElevDiff(a[0], a[1]); }},
        {"NozzleGasdP",
         {"MFlow", "PRin", "PipeID", "SVOLin", "Beta", "Isentropic_exponent_k"},
         [](P p, Args& a, std::int32_t) {
             return p.NozzleGasdP(a[0], a[1], a[2], a[3], a[4], a[5]);
         }},
        {"OrificeGasdP",
         {"MFlow", "PRin", "PipeID", "SVOLin", "Beta", "Isentropic_exponent_k"},
         [](P p, Args& a, std::int32_t) {
             return p.OrificeGasdP(a[0], a[1], a[2], a[3], a[4], a[5]);
         }},
        {"FtgK",
         {"FtgNo", "Para1", "Para2", "fT", "PipeID"},
         [](P p, Args& a, std::int32_t kind) { return p.FtgK(kind, a[1], a[2], a[3], a[4]); }},
    };
    return table;
}

const PipeFunction& findFunction(const std::string& name) {
    for (const PipeFunction& fn : functions()) {
        if (name == fn.name) return fn;
    }
    std::string names;
    for (const PipeFunction& fn : functions()) names += std::string(" ") + fn.name;
    throw UsageError("unknown pipe function '" + name + "'; functions are:" + names);
}

// A fitting kind: its enmVF index or its constant name (Globe_Std).
std::int32_t parseKind(const std::string& text) {
    if (auto index = parseIndex(text)) return *index;
    if (auto kind = tw::findFittingByName(text)) return *kind;
    throw UsageError("FtgNo '" + text +
                     "' is neither an index nor a fitting name (Gate, Globe_Std, ...)");
}

struct PipeArgs {
    std::string function;
    std::map<std::string, std::string> values;  // argument name -> text given
    PipeUnitOptions units;
};

}  // namespace

void addPipeCommands(CLI::App& app, Session& session) {
    auto args = std::make_shared<PipeArgs>();
    CLI::App* pipe = app.add_subcommand(
        "pipe", "Evaluate one pipe-flow formula: twcalc pipe FUNCTION --Arg value ...");
    std::string functionNames;
    for (const PipeFunction& fn : functions()) functionNames += std::string(" ") + fn.name;
    pipe->add_option("FUNCTION", args->function, "One of:" + functionNames)->required();
    for (const PipeFunction& fn : functions()) {
        for (const char* name : fn.args) {
            if (args->values.count(name) != 0) continue;
            args->values[name];
            pipe->add_option(std::string("--") + name, args->values[name],
                             std::string(name) + " (in the unit chosen for its quantity)");
        }
    }
    args->units.addTo(*pipe);
    session.addCommonOptions(*pipe);
    // The options hold on to the texts of the map, so the map keeps its entries.
    session.atEachRun([args] {
        args->function.clear();
        for (auto& entry : args->values) entry.second.clear();
        args->units = PipeUnitOptions{};
    });

    session.runs(*pipe, [args, pipe, &session] {
        const PipeFunction& fn = findFunction(args->function);
        Args values;
        std::int32_t kind = 0;
        for (const char* name : fn.args) {
            if (pipe->count(std::string("--") + name) == 0) {
                std::string list;
                for (const char* n : fn.args) list += std::string(" --") + n;
                throw ArgumentsError(std::string("pipe ") + fn.name + " needs" + list);
            }
            const std::string& text = args->values[name];
            if (std::string_view(name) == "FtgNo") {
                kind = parseKind(text);
                values.push_back(0);
            } else {
                values.push_back(parseFloat(text, std::string("--") + name));
            }
        }
        for (const auto& [name, text] : args->values) {
            bool taken = false;
            for (const char* n : fn.args) taken = taken || name == n;
            if (!taken && pipe->count("--" + name) != 0) {
                throw ArgumentsError(std::string("pipe ") + fn.name + " takes no --" + name);
            }
        }

        tw::Pipe formulas;
        formulas.setTW_Language(session.language);
        args->units.applyTo(formulas);
        auto sink = session.installSink();
        const Args given = values;
        const float result = fn.call(formulas, values, kind);

        Json argsJson = Json::object();
        std::ostringstream plain;
        plain << tw::shortestFloat(result) << '\n';
        for (std::size_t i = 0; i < fn.args.size(); ++i) {
            if (std::string_view(fn.args[i]) == "FtgNo") {
                argsJson[fn.args[i]] = kind;
            } else {
                argsJson[fn.args[i]] = values[i];
            }
        }
        // Plain output names the arguments the formula wrote back.
        for (std::size_t i = 0; i < fn.args.size(); ++i) {
            if (std::bit_cast<std::uint32_t>(values[i]) != std::bit_cast<std::uint32_t>(given[i])) {
                plain << fn.args[i] << ' ' << tw::shortestFloat(values[i]) << '\n';
            }
        }
        session.emit({{"result", result}, {"args", argsJson}}, plain.str(), /*withMessages=*/true);
    });
}

}  // namespace twcalc

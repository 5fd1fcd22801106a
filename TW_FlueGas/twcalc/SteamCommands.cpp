// twcalc steam sat | state | visco: the steam table of the common library on the command line.

#include <array>
#include <memory>
#include <sstream>

#include "Commands.h"
#include "tw/Format.h"
#include "tw/Stable.h"

namespace twcalc {
namespace {

// Unit options shared by the three commands: --upr ... --uviscox, each a unit index.
struct UnitOptions {
    std::string upr, utp, usvol, uenth, uentro, uvisco, uviscox;

    void add(CLI::App& c) {
        c.add_option("--upr", upr, "Pressure unit index (0 = kg/cm2 a)");
        c.add_option("--utp", utp, "Temperature unit index (0 = oC)");
        c.add_option("--usvol", usvol, "Specific volume unit index (0 = m3/kg)");
        c.add_option("--uenth", uenth, "Enthalpy unit index (0 = kcal/kg)");
        c.add_option("--uentro", uentro, "Entropy unit index (0 = kcal/kg-K)");
        c.add_option("--uvisco", uvisco, "Viscosity unit index (0 = cP)");
        c.add_option("--uviscox", uviscox, "Kinematic viscosity unit index (0 = cSt)");
    }
    static int index(const std::string& text, const char* what) {
        const auto i = parseIndex(text);
        if (!i) throw UsageError(std::string("--") + what + " needs a unit index");
        return *i;
    }
    void apply(tw::Stable& st) const {
        if (!upr.empty()) st.setuPR(index(upr, "upr"));
        if (!utp.empty()) st.setuTP(index(utp, "utp"));
        if (!usvol.empty()) st.setuSVOL(index(usvol, "usvol"));
        if (!uenth.empty()) st.setuENTH(index(uenth, "uenth"));
        if (!uentro.empty()) st.setuENTRO(index(uentro, "uentro"));
        if (!uvisco.empty()) st.setuVisco(index(uvisco, "uvisco"));
        if (!uviscox.empty()) st.setuViscoX(index(uviscox, "uviscox"));
    }
};

// The five properties of a state by their codes 1 .. 5.
constexpr std::array<const char*, 5> kPropertyOptions{"pr", "tp", "svol", "enth", "entro"};

struct SteamArgs {
    std::array<std::string, 5> property;  // --pr .. --entro
    std::string code, value, code1, value1, code2, value2, x;
    UnitOptions units;
};

int parseCode(const std::string& text, const char* what) {
    const auto i = parseIndex(text);
    if (!i) throw UsageError(std::string(what) + " needs an integer property code");
    return *i;
}

// The steam table object of a command, in the session's language and the command's units;
// made inside the command's message sink and steam-table state.
tw::Stable steamTable(const Session& session, const UnitOptions& units) {
    tw::Stable st;
    st.setTW_Language(session.language);
    units.apply(st);
    return st;
}

std::string plainLines(const Json& result) {
    std::ostringstream out;
    for (const auto& [key, value] : result.items()) {
        if (value.is_number_float()) {
            out << key << ' ' << tw::shortestFloat(value.get<float>()) << '\n';
        } else if (!value.is_array()) {
            out << key << ' ' << value.dump() << '\n';
        }
    }
    return out.str();
}

}  // namespace

void addSteamCommands(CLI::App& app, Session& session) {
    CLI::App* steam = app.add_subcommand("steam", "Steam table: saturation, state, viscosity");
    steam->require_subcommand(1);

    auto sat = std::make_shared<SteamArgs>();
    session.atEachRun([sat] { *sat = {}; });
    CLI::App* satCmd = steam->add_subcommand(
        "sat", "Saturation state (SSTABLE) at --pr P or --tp T, or --code C --value V");
    satCmd->add_option("--pr", sat->property[0], "Saturation pressure");
    satCmd->add_option("--tp", sat->property[1], "Saturation temperature");
    satCmd->add_option("--code", sat->code, "AKSAT: 1 pressure, 2 temperature");
    satCmd->add_option("--value", sat->value, "ARGSAT");
    sat->units.add(*satCmd);
    session.addCommonOptions(*satCmd);
    session.runs(*satCmd, [sat, &session] {
        int code = 0;
        float value = 0;
        const int given =
            !sat->property[0].empty() + !sat->property[1].empty() + !sat->code.empty();
        if (given != 1) throw ArgumentsError("give one of --pr, --tp or --code with --value");
        if (!sat->property[0].empty()) {
            code = 1;
            value = parseFloat(sat->property[0], "--pr");
        } else if (!sat->property[1].empty()) {
            code = 2;
            value = parseFloat(sat->property[1], "--tp");
        } else {
            if (sat->value.empty()) throw ArgumentsError("--code needs --value");
            code = parseCode(sat->code, "--code");
            value = parseFloat(sat->value, "--value");
        }
        auto sink = session.installSink();
        const tw::ScopedSteamTableState oneLook;  // one look at the table files per command
        tw::Stable st = steamTable(session, sat->units);
        st.SSTABLE(code, value);
        Json r = numberFields({{"PSAT", st.PSAT()},
                               {"TSAT", st.TSAT()},
                               {"SVOLF", st.SVOLF()},
                               {"SVOLG", st.SVOLG()},
                               {"ENTHF", st.ENTHF()},
                               {"ENTHG", st.ENTHG()},
                               {"ENTROF", st.ENTROF()},
                               {"ENTROG", st.ENTROG()},
                               {"ViscoF", st.ViscoF()},
                               {"ViscoG", st.ViscoG()},
                               {"ViscoXF", st.ViscoXF()},
                               {"ViscoXG", st.ViscoXG()},
                               {"StableError", st.StableError()}});
        std::string plain = session.json ? std::string() : plainLines(r);
        session.emit(std::move(r), plain, /*withMessages=*/true);
    });

    auto state = std::make_shared<SteamArgs>();
    session.atEachRun([state] { *state = {}; });
    CLI::App* stateCmd = steam->add_subcommand(
        "state",
        "State (Stable) from two of --pr --tp --svol --enth --entro, or --code1 K "
        "--value1 X --code2 K --value2 Y");
    for (std::size_t i = 0; i < kPropertyOptions.size(); ++i) {
        stateCmd->add_option(std::string("--") + kPropertyOptions[i], state->property[i]);
    }
    stateCmd->add_option("--code1", state->code1, "KODE (1 PR, 2 TP, 3 SVOL, 4 ENTH, 5 ENTRO)");
    stateCmd->add_option("--value1", state->value1, "ARG");
    stateCmd->add_option("--code2", state->code2, "ICODE");
    stateCmd->add_option("--value2", state->value2, "ARGL");
    state->units.add(*stateCmd);
    session.addCommonOptions(*stateCmd);
    session.runs(*stateCmd, [state, &session] {
        std::vector<std::pair<int, float>> pairs;
        for (std::size_t i = 0; i < kPropertyOptions.size(); ++i) {
            if (!state->property[i].empty()) {
                pairs.emplace_back(
                    static_cast<int>(i) + 1,
                    parseFloat(state->property[i], std::string("--") + kPropertyOptions[i]));
            }
        }
        const bool byCode = !state->code1.empty() || !state->code2.empty();
        if (byCode) {
            if (!pairs.empty() || state->code1.empty() || state->code2.empty() ||
                state->value1.empty() || state->value2.empty()) {
                throw ArgumentsError("give --code1 --value1 --code2 --value2, or two properties");
            }
            pairs.emplace_back(parseCode(state->code1, "--code1"),
                               parseFloat(state->value1, "--value1"));
            pairs.emplace_back(parseCode(state->code2, "--code2"),
                               parseFloat(state->value2, "--value2"));
        } else if (pairs.size() != 2) {
            throw ArgumentsError("give exactly two of --pr --tp --svol --enth --entro");
        }
        auto sink = session.installSink();
        const tw::ScopedSteamTableState oneLook;  // one look at the table files per command
        tw::Stable st = steamTable(session, state->units);
        st.STABLE(pairs[0].first, pairs[0].second, pairs[1].first, pairs[1].second);
        Json r = numberFields({{"PR", st.PR()},
                               {"TP", st.TP()},
                               {"SVOL", st.SVOL()},
                               {"ENTH", st.ENTH()},
                               {"ENTRO", st.ENTRO()},
                               {"Quality", st.Quality()},
                               {"Visco", st.Visco()},
                               {"ViscoX", st.ViscoX()},
                               {"StableError", st.StableError()}});
        std::string plain = session.json ? std::string() : plainLines(r);
        session.emit(std::move(r), plain, /*withMessages=*/true);
    });

    auto visco = std::make_shared<SteamArgs>();
    session.atEachRun([visco] { *visco = {}; });
    CLI::App* viscoCmd =
        steam->add_subcommand("visco", "Dynamic viscosity (StmVisco) at --pr P --tp T --x X");
    viscoCmd->add_option("--pr", visco->property[0], "Pressure")->required();
    viscoCmd->add_option("--tp", visco->property[1], "Temperature")->required();
    viscoCmd->add_option("--x", visco->x, "Quality: 0 to 1 wet, anything else single phase")
        ->required();
    visco->units.add(*viscoCmd);
    session.addCommonOptions(*viscoCmd);
    session.runs(*viscoCmd, [visco, &session] {
        const float p = parseFloat(visco->property[0], "--pr");
        const float t = parseFloat(visco->property[1], "--tp");
        const float x = parseFloat(visco->x, "--x");
        auto sink = session.installSink();
        const tw::ScopedSteamTableState oneLook;  // one look at the table files per command
        tw::Stable st = steamTable(session, visco->units);
        const float v = st.StmVisco(p, t, x);
        session.emit({{"Visco", v}}, tw::shortestFloat(v), /*withMessages=*/true);
    });
}

}  // namespace twcalc

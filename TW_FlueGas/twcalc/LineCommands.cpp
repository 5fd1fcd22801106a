// twcalc line FILE.twline: the pressure drop of a saved line, segment by segment;
// twcalc line --sizes: the table of nominal pipe sizes and schedules.

#include <iomanip>
#include <memory>
#include <sstream>

#include "Commands.h"
#include "LineGas.h"
#include "Units.h"
#include "tw/Fittings.h"
#include "tw/Format.h"
#include "tw/Line.h"
#include "tw/LineFile.h"
#include "tw/PipeSchedules.h"

namespace twcalc {
namespace {

struct LineArgs {
    std::string file;
    bool sizes = false;
};

void emitSizes(Session& session) {
    Json list = Json::array();
    std::ostringstream plain;
    plain << std::left << std::setw(7) << "NPS" << std::setw(10) << "Schedule" << std::right
          << std::setw(10) << "OD mm" << std::setw(10) << "Wall mm" << std::setw(10) << "ID mm"
          << '\n';
    for (const tw::pipe::PipeSize& s : tw::pipe::pipeSizes()) {
        list.push_back({{"nps", s.nps},
                        {"schedule", s.schedule},
                        {"outside_diameter_mm", s.outsideDiameter},
                        {"wall_mm", s.wall},
                        {"inside_diameter_mm", s.insideDiameter()}});
        plain << std::left << std::setw(7) << s.nps << std::setw(10) << s.schedule << std::right
              << std::setw(10) << tw::fixedDecimals(s.outsideDiameter, 1) << std::setw(10)
              << tw::fixedDecimals(s.wall, 2) << std::setw(10)
              << tw::fixedDecimals(s.insideDiameter(), 2) << '\n';
    }
    session.emit({{"sizes", std::move(list)}}, plain.str());
}

std::string unitText(tw::QuantityId q, int index) {
    return tw::units::quantity(q).units[static_cast<std::size_t>(index)].display;
}

Json unitsJson(const tw::line::LineUnits& u) {
    return {{"upr", unitText(tw::QuantityId::PR, u.upr)},
            {"udp", unitText(tw::QuantityId::dP, u.upr)},
            {"utp", unitText(tw::QuantityId::TP, u.utp)},
            {"umflow", unitText(tw::QuantityId::MFlow, u.umflow)},
            {"updia", unitText(tw::QuantityId::PDia, u.updia)},
            {"ulen", unitText(tw::QuantityId::Len, u.ulen)},
            {"uvisco", unitText(tw::QuantityId::Visco, u.uvisco)},
            {"usvol", unitText(tw::QuantityId::SVOL, u.usvol)},
            {"uvel", unitText(tw::QuantityId::Vel, u.uvel)}};
}

Json messagesJson(const tw::line::LineResult& result) {
    Json list = Json::array();
    for (const tw::line::LineMessage& m : result.messages)
        list.push_back({{"segment", m.segment}, {"text", m.text}});
    return list;
}

// The words of the plain output in both languages.
struct Words {
    const char* line;
    const char* segment;
    const char* changeOfSize;
    const char* pressuresIn;
    const char* dropsIn;
    const char* velocityIn;
    const char* totalDrop;
    const char* outletPressure;
};
constexpr Words kEnglish{"line",          "segment ",          " (for the change of size)",
                         "Pressures in ", ", drops in ",       ", velocity in ",
                         "Total dP ",     ", outlet pressure "};
constexpr Words kKorean{
    "배관",         "구간 ",           " (치수 변경)", "압력 단위 ", ", 압력 강하 단위 ",
    ", 유속 단위 ", "전체 압력 강하 ", ", 출구 압력 "};
const Words& words(int language) {
    return language == tw::TW_Korean ? kKorean : kEnglish;
}

std::string messageLine(const tw::line::LineMessage& m, int language) {
    const Words& w = words(language);
    return (m.segment == 0 ? std::string(w.line) : w.segment + std::to_string(m.segment)) + ": " +
           m.text;
}

Json resultJson(const tw::line::LineResult& result, const tw::line::LineUnits& units) {
    Json segments = Json::array();
    for (const tw::line::SegmentResult& s : result.segments) {
        Json fittings = Json::array();
        for (const tw::line::FittingResult& f : s.fittings) {
            Json group{{"kind", f.kind}, {"quantity", f.quantity}, {"K", f.K}, {"dP", f.dP}};
            if (f.automatic) group["automatic"] = true;
            fittings.push_back(std::move(group));
        }
        segments.push_back({{"inlet_pressure", s.inletPressure},
                            {"outlet_pressure", s.outletPressure},
                            {"velocity", s.velocity},
                            {"reynolds", s.reynolds},
                            {"friction_factor", s.frictionFactor},
                            {"fT", s.fT},
                            {"specific_volume", s.specificVolume},
                            {"viscosity", s.viscosity},
                            {"dP_friction", s.dPFriction},
                            {"dP_fittings", s.dPFittings},
                            {"dP_static", s.dPStatic},
                            {"dP", s.dP},
                            {"substeps", s.substeps},
                            {"fittings", std::move(fittings)}});
    }
    return {{"segments", std::move(segments)},
            {"total", {{"dP", result.totalDP}, {"outlet_pressure", result.outletPressure}}},
            {"units", unitsJson(units)},
            {"messages", messagesJson(result)}};
}

std::string number(double value) {
    return tw::generalNumberNoBlank(value);
}
std::string fixed(double value, int decimals) {
    return tw::fixedDecimals(value, decimals);
}

std::string resultText(const tw::line::LineResult& result, const tw::line::LineUnits& units,
                       int language) {
    const Words& w = words(language);
    const std::string p = unitText(tw::QuantityId::PR, units.upr);
    const std::string dp = unitText(tw::QuantityId::dP, units.upr);
    const std::string vel = unitText(tw::QuantityId::Vel, units.uvel);
    std::ostringstream out;
    const char* heads[] = {"Seg", "P in",    "P out",  "Velocity",  "Re", "f",
                           "fT",  "dP fric", "dP ftg", "dP static", "dP", "Steps"};
    const int widths[] = {4, 11, 11, 10, 11, 9, 9, 10, 10, 10, 10, 6};
    for (std::size_t i = 0; i < std::size(heads); ++i) out << std::setw(widths[i]) << heads[i];
    out << '\n';
    int index = 0;
    for (const tw::line::SegmentResult& s : result.segments) {
        const std::string cells[] = {std::to_string(++index),
                                     fixed(s.inletPressure, 4),
                                     fixed(s.outletPressure, 4),
                                     fixed(s.velocity, 2),
                                     fixed(s.reynolds, 0),
                                     fixed(s.frictionFactor, 5),
                                     fixed(s.fT, 5),
                                     fixed(s.dPFriction, 5),
                                     fixed(s.dPFittings, 5),
                                     fixed(s.dPStatic, 5),
                                     fixed(s.dP, 5),
                                     std::to_string(s.substeps)};
        for (std::size_t i = 0; i < std::size(cells); ++i) out << std::setw(widths[i]) << cells[i];
        out << '\n';
        for (const tw::line::FittingResult& f : s.fittings) {
            out << "      " << f.quantity << " x "
                << tw::kFittingCatalogue[static_cast<std::size_t>(f.kind)].displayName
                << (f.automatic ? w.changeOfSize : "") << ": K " << number(f.K) << ", dP "
                << fixed(f.dP, 5) << '\n';
        }
    }
    out << w.pressuresIn << p << w.dropsIn << dp << w.velocityIn << vel << ".\n";
    out << w.totalDrop << fixed(result.totalDP, 5) << " " << dp << w.outletPressure
        << fixed(result.outletPressure, 4) << " " << p << '\n';
    for (const tw::line::LineMessage& m : result.messages) out << messageLine(m, language) << '\n';
    return out.str();
}

// A gas line names its species; the calculation needs their mean mole weight and, where the
// file leaves them out, the gas's viscosity and isentropic exponent.
void resolveGas(tw::line::Line& line) {
    tw::fluegas::resolveLineGas(line);
}

}  // namespace

void addLineCommands(CLI::App& app, Session& session) {
    auto args = std::make_shared<LineArgs>();
    session.atEachRun([args] { *args = {}; });
    CLI::App* command = app.add_subcommand(
        "line",
        "Pressure drop of a saved line (FILE.twline), segment by segment; --sizes lists the "
        "nominal pipe sizes and schedules");
    command->add_option("FILE", args->file, "The line file (.twline)");
    command->add_flag("--sizes", args->sizes,
                      "List the nominal pipe sizes and schedules (ASME B36.10M/B36.19M)");
    session.addCommonOptions(*command);

    session.runs(*command, [args, &session] {
        if (args->sizes == !args->file.empty())
            throw ArgumentsError("line needs exactly one of FILE and --sizes");
        if (args->sizes) {
            emitSizes(session);
            return;
        }
        tw::line::Line line;
        try {
            line = tw::line::readLineFile(args->file);
        } catch (const tw::line::LineFileError& e) {
            throw UsageError(args->file + ": " + e.what());
        }
        auto sink = session.installSink();
        resolveGas(line);
        const tw::line::LineResult result = tw::line::calculate(line, session.language);
        if (result.refused) {
            if (!session.json) {
                for (const tw::line::LineMessage& m : result.messages)
                    *session.err << messageLine(m, session.language) << '\n';
            }
            session.refuse();
            session.result = Json{{"messages", messagesJson(result)}};
            return;
        }
        session.emit(resultJson(result, line.units),
                     resultText(result, line.units, session.language));
    });
}

}  // namespace twcalc

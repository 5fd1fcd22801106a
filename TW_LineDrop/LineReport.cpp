#include "LineReport.h"

#include <QDateTime>
#include <variant>

#include "LineDropTexts.h"
#include "Units.h"
#include "tw/Fittings.h"
#include "tw/Format.h"

namespace tw::linedrop {
namespace {

std::string unitOf(QuantityId q, int index) {
    const auto& units = tw::units::quantity(q).units;
    return index >= 0 && static_cast<std::size_t>(index) < units.size()
               ? units[static_cast<std::size_t>(index)].display
               : std::string();
}

std::string number(double value) {
    return tw::generalNumberNoBlank(value);
}

struct SheetWords {
    BilingualText program, fluid, kind, segments, results, messages, massFlow, pressure,
        temperature, dryness, viscosity, specificVolume, exponent, molarMass, length, rise,
        totalDrop, outletPressure, composition;
};
constexpr SheetWords kWords{{"프로그램", "Program"},
                            {"유체", "Fluid"},
                            {"종류", "Kind"},
                            {"구간", "Segments"},
                            {"결과", "Results"},
                            {"메시지", "Messages"},
                            {"질량 유량", "Mass flow"},
                            {"입구 압력", "Inlet pressure"},
                            {"온도", "Temperature"},
                            {"건도", "Dryness"},
                            {"점도", "Viscosity"},
                            {"비체적", "Specific volume"},
                            {"등엔트로피 지수", "Isentropic exponent"},
                            {"평균 분자량", "Mean molar mass"},
                            {"길이", "length"},
                            {"높이 변화", "rise"},
                            {"전체 압력 강하", "Total pressure drop"},
                            {"출구 압력", "Outlet pressure"},
                            {"조성", "Composition"}};

}  // namespace

std::string textWith(const BilingualText& text, std::int32_t language, const std::string& value) {
    std::string s = text.in(language == TW_English ? TW_English : TW_Korean);
    if (const std::size_t at = s.find("{value}"); at != std::string::npos) s.replace(at, 7, value);
    return s;
}

std::vector<std::vector<std::string>> resultRows(const tw::line::LineResult& result,
                                                 std::int32_t language) {
    std::vector<std::vector<std::string>> rows;
    int index = 0;
    for (const tw::line::SegmentResult& s : result.segments) {
        rows.push_back({std::to_string(++index), tw::fixedDecimals(s.inletPressure, 4),
                        tw::fixedDecimals(s.outletPressure, 4), tw::fixedDecimals(s.velocity, 2),
                        tw::fixedDecimals(s.reynolds, 0), tw::fixedDecimals(s.frictionFactor, 5),
                        tw::fixedDecimals(s.dPFriction, 5), tw::fixedDecimals(s.dPFittings, 5),
                        tw::fixedDecimals(s.dPStatic, 5), tw::fixedDecimals(s.dP, 5)});
    }
    if (!result.segments.empty()) {
        rows.push_back({kTotal.in(language == TW_English ? TW_English : TW_Korean),
                        tw::fixedDecimals(result.segments.front().inletPressure, 4),
                        tw::fixedDecimals(result.outletPressure, 4), "", "", "", "", "", "",
                        tw::fixedDecimals(result.totalDP, 5)});
    }
    return rows;
}

std::string messageLine(const tw::line::LineMessage& message, std::int32_t language) {
    const std::string where =
        message.segment == 0 ? textWith(kLineWord, language, "")
                             : textWith(kSegmentWord, language, std::to_string(message.segment));
    return where + ": " + message.text;
}

tw::fluegas::CalculationReport lineReport(const tw::line::Line& line,
                                          const tw::line::LineResult& result, std::int32_t language,
                                          const tw::fluegas::ReportHeader& header) {
    const std::int32_t lang = language == TW_English ? TW_English : TW_Korean;
    const auto in = [lang](const BilingualText& t) { return std::string(t.in(lang)); };
    const tw::line::LineUnits& u = line.units;
    tw::fluegas::CalculationReport report;
    report.title = in(kReportTitle);
    const std::array<const char*, 5> labels = tw::fluegas::reportHeaderLabels(lang);
    const std::array<const std::string*, 5> values{
        &header.project, &header.caseName, &header.preparedBy, &header.checkedBy, &header.date};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (!values[i]->empty()) report.about.push_back({labels[i], *values[i], ""});
    }
    report.about.push_back({in(kWords.program), kProgramAndVersion, ""});

    tw::fluegas::ReportSection fluid{in(kWords.fluid), {}, {}};
    const std::string p = unitOf(QuantityId::PR, u.upr);
    const std::string t = tw::fluegas::sheetUnit(unitOf(QuantityId::TP, u.utp));
    std::visit(
        [&](const auto& f) {
            using T = std::decay_t<decltype(f)>;
            int kind = 0;
            if constexpr (std::is_same_v<T, tw::line::SteamOrWater>) kind = f.steam ? 0 : 1;
            if constexpr (std::is_same_v<T, tw::line::SaturatedSteam>) kind = 2;
            if constexpr (std::is_same_v<T, tw::line::SaturatedWater>) kind = 3;
            if constexpr (std::is_same_v<T, tw::line::Gas>) kind = 4;
            if constexpr (std::is_same_v<T, tw::line::TypedFluid>) kind = f.liquid ? 5 : 6;
            fluid.rows.push_back(
                {in(kWords.kind), in(kFluidKindNames[static_cast<std::size_t>(kind)]), ""});
            fluid.rows.push_back({in(kWords.pressure), number(f.pressure), p});
            if constexpr (std::is_same_v<T, tw::line::SteamOrWater>)
                fluid.rows.push_back({in(kWords.temperature), number(f.temperature), t});
            if constexpr (std::is_same_v<T, tw::line::SaturatedSteam>)
                fluid.rows.push_back({in(kWords.dryness), number(f.dryness), ""});
            if constexpr (std::is_same_v<T, tw::line::Gas>) {
                fluid.rows.push_back({in(kWords.temperature), number(f.temperature), t});
                std::string composition;
                for (std::size_t i = 0; i < f.composition.size(); ++i) {
                    if (f.composition[i] == 0) continue;
                    if (!composition.empty()) composition += ", ";
                    composition +=
                        std::string(tw::line::kGasSpeciesNames[i]) + " " + number(f.composition[i]);
                }
                fluid.rows.push_back(
                    {in(kWords.composition), composition, in(kBasisNames[f.volumeBasis ? 0 : 1])});
                if (f.molarMass)
                    fluid.rows.push_back(
                        {in(kWords.molarMass), tw::fixedDecimals(*f.molarMass, 3), "kg/kmol"});
            }
            if constexpr (std::is_same_v<T, tw::line::TypedFluid>)
                fluid.rows.push_back({in(kWords.specificVolume), number(f.specificVolume),
                                      unitOf(QuantityId::SVOL, u.usvol)});
            if constexpr (std::is_same_v<T, tw::line::Gas> ||
                          std::is_same_v<T, tw::line::TypedFluid>) {
                fluid.rows.push_back({in(kWords.viscosity), number(f.viscosity),
                                      unitOf(QuantityId::Visco, u.uvisco)});
                fluid.rows.push_back({in(kWords.exponent), number(f.isentropicExponent), ""});
            }
        },
        line.fluid);
    fluid.rows.push_back(
        {in(kWords.massFlow), number(line.massFlow), unitOf(QuantityId::MFlow, u.umflow)});
    report.sections.push_back(std::move(fluid));

    tw::fluegas::ReportSection segments{in(kWords.segments), {}, {}};
    const std::string len = unitOf(QuantityId::Len, u.ulen);
    for (std::size_t i = 0; i < line.segments.size(); ++i) {
        const tw::line::Segment& s = line.segments[i];
        std::string bore = s.insideDiameter ? "ID " + number(*s.insideDiameter) + " " +
                                                  unitOf(QuantityId::PDia, u.updia)
                                            : "NPS " + s.nps + " Sch " + s.schedule;
        if (const auto* run = std::get_if<tw::line::LengthAndRise>(&s.route))
            bore += ", " + in(kWords.length) + " " + number(run->length) + ", " + in(kWords.rise) +
                    " " + number(run->rise);
        segments.rows.push_back(
            {textWith(kSegmentWord, lang, std::to_string(i + 1)), bore,
             std::holds_alternative<tw::line::LengthAndRise>(s.route) ? len : ""});
        for (const tw::line::FittingGroup& g : s.fittings) {
            const FittingKind* kind = findFitting(g.kind);
            segments.rows.push_back(
                {"", std::to_string(g.quantity) + " x " + (kind ? kind->displayName : "?"), ""});
        }
    }
    report.sections.push_back(std::move(segments));

    tw::fluegas::ReportSection results{in(kWords.results), {}, {}};
    const std::string dp = unitOf(QuantityId::dP, u.upr);
    for (std::size_t i = 0; i < result.segments.size(); ++i) {
        const tw::line::SegmentResult& s = result.segments[i];
        const std::string name = textWith(kSegmentWord, lang, std::to_string(i + 1));
        results.rows.push_back({name + " dP", tw::fixedDecimals(s.dP, 5), dp});
        results.rows.push_back(
            {name + " " + in(kWords.outletPressure), tw::fixedDecimals(s.outletPressure, 4), p});
    }
    results.rows.push_back({in(kWords.totalDrop), tw::fixedDecimals(result.totalDP, 5), dp});
    results.rows.push_back(
        {in(kWords.outletPressure), tw::fixedDecimals(result.outletPressure, 4), p});
    report.sections.push_back(std::move(results));
    if (!result.messages.empty()) {
        tw::fluegas::ReportSection messages{in(kWords.messages), {}, {}};
        for (const tw::line::LineMessage& m : result.messages)
            messages.lines.push_back(messageLine(m, lang));
        report.sections.push_back(std::move(messages));
    }
    return report;
}

}  // namespace tw::linedrop

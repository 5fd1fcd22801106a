// The result lines of the boiler efficiency as every front end shows them.

#include <algorithm>
#include <cmath>

#include "BoilerEfficiency.h"
#include "tw/Format.h"

namespace tw::fluegas {

const std::array<EfficiencyResultLine, kEfficiencyResultLineCount>& efficiencyResultLines() {
    using R = const EfficiencyResult&;
    static const std::array<EfficiencyResultLine, kEfficiencyResultLineCount> kLines{{
        {{"총효율 (고위발열량 기준)", "Gross efficiency (HHV)"},
         {"%", "%"},
         2,
         [](R r) -> std::optional<double> { return r.efficiencyHhvPercent; }},
        {{"순효율 (저위발열량 기준)", "Net efficiency (LHV)"},
         {"%", "%"},
         2,
         [](R r) -> std::optional<double> { return r.efficiencyLhvPercent; }},
        {{"배기가스 손실 (고위발열량 기준)", "Stack loss (HHV)"},
         {"%", "%"},
         2,
         [](R r) -> std::optional<double> { return r.stackLossHhvPercent; }},
        {{"분석계 식의 배기가스 손실", "Stack loss by the analyser formula"},
         {"%", "%"},
         2,
         [](R r) { return r.analyserStackLossPercent; }},
        {{"연소 공기 열 (고위발열량의 %)", "Credit of the combustion air (% of HHV)"},
         {"%", "%"},
         2,
         [](R r) -> std::optional<double> { return r.combustionAirCreditPercentOfHhv; }},
        {{"건가스 O2", "O2 in the dry flue gas"},
         {"Vol %", "vol %"},
         2,
         [](R r) -> std::optional<double> { return r.o2DryPercent; }},
        {{"과잉 공기", "Excess air"},
         {"%", "%"},
         1,
         [](R r) -> std::optional<double> { return r.excessAirPercent; }},
        {{"산 이슬점 (Okkes)", "Acid dew point (Okkes)"},
         {"oC", "oC"},
         1,
         [](R r) { return r.okkesDewPointC; }},
        {{"산 이슬점 (Verhoff)", "Acid dew point (Verhoff)"},
         {"oC", "oC"},
         1,
         [](R r) { return r.verhoffDewPointC; }},
        {{"수분 이슬점", "Water dew point"}, {"oC", "oC"}, 1, [](R r) { return r.waterDewPointC; }},
        {{"산 이슬점 여유", "Margin above the acid dew point"},
         {"K", "K"},
         1,
         [](R r) { return r.acidDewPointMarginK; }},
        {{"입열량 (연료 유량 x 고위발열량)", "Heat input (fuel flow x HHV)"},
         {"kW", "kW"},
         1,
         [](R r) { return r.heatInputKW; }},
        {{"배기가스 유량", "Flue gas flow"},
         {"kg/h", "kg/h"},
         1,
         [](R r) { return r.flueGasKgPerH; }},
        {{"배기가스 유량 (배기가스 온도, 101.325 kPa)", "Flue gas flow (stack, 101.325 kPa)"},
         {"m3/h", "m3/h"},
         1,
         [](R r) { return r.flueGasM3PerHAtStack; }},
    }};
    return kLines;
}

}  // namespace tw::fluegas

namespace tw::fluegas {
namespace {

struct EfficiencyReportTexts {
    BilingualText title{"보일러 효율 계산서", "Boiler Efficiency Calculation Sheet"};
    BilingualText dateTime{"계산 일시", "Date and time"};
    BilingualText program{"프로그램", "Program"};
    BilingualText fuel{"연료", "Fuel"};
    BilingualText solid{"고체 또는 액체 연료 (중량 %)", "Solid or liquid fuel (mass %)"};
    BilingualText gas{"기체 연료 (체적 %)", "Fuel gas (volume %)"};
    BilingualText hhv{"고위발열량 (HHV)", "Higher heating value (HHV)"};
    BilingualText lhv{"저위발열량 (LHV)", "Lower heating value (LHV)"};
    BilingualText measurement{"배기가스 측정과 입력", "Stack measurement and inputs"};
    BilingualText stack{"배기가스 온도", "Stack temperature"};
    BilingualText air{"공기 온도", "Air temperature"};
    BilingualText humidity{"공기 습도", "Air humidity"};
    BilingualText co{"CO (건가스)", "CO (dry flue gas)"};
    BilingualText refuse{"회분 중 탄소", "Carbon in the refuse"};
    BilingualText fuelFlow{"연료 유량", "Fuel flow"};
    BilingualText results{"계산 결과", "Results"};
    BilingualText losses{"손실 (고위발열량의 %)", "Losses (% of HHV)"};
    BilingualText notes{"참고", "Notes"};
    BilingualText notCounted{
        "기준 온도 25 oC. 연료의 현열(25 oC 로 봄)과 회분의 현열은 계산에 넣지 않았습니다.",
        "Reference temperature 25 oC. The fuel's own sensible heat (fuel at 25 oC) and the "
        "sensible heat of the ash are not counted."};
};
constexpr EfficiencyReportTexts kReportTexts;

}  // namespace

EfficiencyChartRanges efficiencyChartRanges(const EfficiencyInput& input,
                                            const EfficiencyResult& result) {
    constexpr double kSteps = 100;
    const double air = input.combustion.airTemperatureC;
    const double from = std::max(result.waterDewPointC.value_or(air), air);
    const double to = std::max(input.stackTemperatureC, from) + kChartStackSpanAboveK;
    const double o2From = 1;
    const double o2To = std::clamp(std::ceil(result.o2DryPercent) + 5, 10.0, 18.0);
    return {{from, to, (to - from) / kSteps}, {o2From, o2To, (o2To - o2From) / kSteps}};
}

CalculationReport buildEfficiencyReport(const EfficiencyInput& input,
                                        const EfficiencyResult& result, std::string_view dateTime,
                                        std::string_view program, std::int32_t requested) {
    const std::int32_t language = requested == TW_Korean ? TW_Korean : TW_English;
    const auto text = [language](const BilingualText& t) { return std::string(t.in(language)); };
    const auto fixed = [](double v, int decimals) { return fixedDecimals(v, decimals); };
    const FlueGasFromFuelResult& c = result.combustion;
    const bool gas = input.combustion.fuel.kind == FuelKind::Gas;

    CalculationReport report;
    report.title = text(kReportTexts.title);
    report.about = {{text(kReportTexts.dateTime), std::string(dateTime), {}},
                    {text(kReportTexts.program), std::string(program), {}}};

    ReportSection fuel{text(kReportTexts.fuel), {}, {}};
    fuel.rows.push_back({text(gas ? kReportTexts.gas : kReportTexts.solid), {}, {}});
    const auto keys = fuelKeys(input.combustion.fuel.kind);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const double percent = input.combustion.fuel.percent[i];
        if (percent != 0) fuel.rows.push_back({keys[i].key, fixed(percent, 3), "%"});
    }
    fuel.rows.push_back({text(kReportTexts.hhv), fixed(c.hhvKJPerKg, 1), "kJ/kg"});
    fuel.rows.push_back({text(kReportTexts.lhv), fixed(c.lhvKJPerKg, 1), "kJ/kg"});
    report.sections.push_back(std::move(fuel));

    ReportSection measured{text(kReportTexts.measurement), {}, {}};
    measured.rows.push_back({text(kReportTexts.stack), fixed(input.stackTemperatureC, 1), "oC"});
    measured.rows.push_back(
        {text(kReportTexts.air), fixed(input.combustion.airTemperatureC, 1), "oC"});
    measured.rows.push_back({text(kReportTexts.humidity), fixed(c.humidityKgPerKg, 4), "kg/kg"});
    measured.rows.push_back({text(kReportTexts.co), fixed(input.combustion.coPpm, 0), "ppm"});
    if (!gas) {
        measured.rows.push_back(
            {text(kReportTexts.refuse), fixed(input.carbonInRefusePercent, 2), "%"});
    }
    if (input.fuelFlow) {
        measured.rows.push_back(
            {text(kReportTexts.fuelFlow), fixed(input.fuelFlow->value, 1),
             input.fuelFlow->basis == FuelFlowBasis::KgPerH ? "kg/h" : "Nm3/h"});
    }
    report.sections.push_back(std::move(measured));

    ReportSection results{text(kReportTexts.results), {}, {}};
    for (const EfficiencyResultLine& line : efficiencyResultLines()) {
        if (const auto value = line.value(result)) {
            results.rows.push_back(
                {line.caption.in(language), fixed(*value, line.decimals), line.unit.in(language)});
        }
    }
    report.sections.push_back(std::move(results));

    ReportSection losses{text(kReportTexts.losses), {}, {}};
    for (const LossDefinition& loss : kLossDefinitions) {
        const auto i = static_cast<std::size_t>(loss.loss);
        std::string unit = "%";
        if (result.lossKW) unit += "  (" + fixed((*result.lossKW)[i], 1) + " kW)";
        losses.rows.push_back(
            {loss.caption.in(language), fixed(result.lossPercentOfHhv[i], 2), unit});
    }
    report.sections.push_back(std::move(losses));

    ReportSection notes{text(kReportTexts.notes), {}, {}};
    notes.lines.push_back(text(kReportTexts.notCounted));
    if (c.flameNote) notes.lines.push_back(c.flameNote->in(language));
    for (const CombustionMessage& m : result.messages) notes.lines.push_back(m.in(language));
    report.sections.push_back(std::move(notes));
    return report;
}

}  // namespace tw::fluegas

#include "CalculationReport.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "CombustionData.h"
#include "mdlTW_FlueGas.h"
#include "tw/Format.h"
#include "tw/Language.h"

namespace tw::fluegas {
namespace {

// Headings and labels of the report.
struct ReportTexts {
    BilingualText title{"배기 가스 계산서", "Flue Gas Calculation Report"};
    BilingualText dateTime{"계산 일시", "Date and time"};
    BilingualText program{"프로그램", "Program"};
    BilingualText composition{"가스 성분", "Gas composition"};
    BilingualText basis{"성분 기준", "Composition basis"};
    BilingualText scaled{"100 %로 환산한 가스 성분", "Gas composition scaled to 100 %"};
    BilingualText temperatures{"온도", "Temperatures"};
    BilingualText method{"계산 방법", "Method"};
    BilingualText formula{"엔탈피 계산 공식", "Enthalpy calculation formula"};
    BilingualText so3Mode{"SO3 변환율 산정", "SO3 conversion"};
    BilingualText automatic{"자동 계산", "Automatic calculation"};
    BilingualText userInput{"사용자 입력", "User input"};
    BilingualText results{"계산 결과", "Results"};
    BilingualText notes{"참고", "Notes"};
    BilingualText messages{"계산 중에 표시된 메시지", "Messages shown by the calculation"};
    BilingualText fuel{"연료로부터 가스 조성", "Flue gas from fuel"};
    BilingualText fuelKind{"연료 종류", "Fuel kind"};
    BilingualText solidFuel{"고체 또는 액체 연료 (원소 분석)",
                            "Solid or liquid fuel (ultimate analysis)"};
    BilingualText gasFuel{"기체 연료", "Fuel gas"};
    BilingualText massAsFired{"중량 % (사용 기준)", "mass % as fired"};
    BilingualText excessAir{"과잉 공기", "Excess air"};
    BilingualText o2Dry{"O2 (건가스)", "O2 (dry flue gas)"};
    BilingualText humidity{"공기 습도", "Air humidity"};
    BilingualText airTemperature{"공기 온도", "Air temperature"};
    BilingualText co{"CO (건가스)", "CO (dry flue gas)"};
    BilingualText hhv{"고위발열량 (HHV)", "Higher heating value (HHV)"};
    BilingualText lhv{"저위발열량 (LHV)", "Lower heating value (LHV)"};
    BilingualText project{"프로젝트", "Project"};
    BilingualText caseName{"케이스", "Case"};
    BilingualText preparedBy{"작성", "Prepared by"};
    BilingualText checkedBy{"검토", "Checked by"};
    BilingualText date{"일자", "Date"};
    BilingualText normalisedFrom{
        "가스 성분의 합계({total} {unit})를 100 %로 환산하여 계산했습니다.",
        "The composition was normalised to 100 % from a total of "
        "{total} {unit}."};
};
constexpr ReportTexts kTexts;

// The names of the enthalpy correlations, by formula index.
constexpr std::array<const char*, 3> kFormulaNames{"NASA Glenn Coefficients", "ASME PTC 4.4 - 1981",
                                                   "B&W STEAM its generation and use"};

// The result rows of the table after the composition and temperatures.
constexpr std::array<int, 6> kResultRows{rowMoleWeight,    rowGasEnthalpy,     rowSo3ConversionRate,
                                         rowOkkesDewPoint, rowVerhoffDewPoint, rowWaterDewPoint};

// A label caption ("&&" shows as "&").
std::string unescaped(std::string_view caption) {
    std::string text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        text += caption[i];
        if (caption[i] == '&' && i + 1 < caption.size() && caption[i + 1] == '&') ++i;
    }
    return text;
}

// Lines of a message text, without empty ones.
void appendLines(std::vector<std::string>& lines, std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

std::string replaced(std::string text, std::string_view marker, const std::string& value) {
    for (std::size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + value.size())) {
        text.replace(at, marker.size(), value);
    }
    return text;
}

// The unit of a result row on the sheet; the mole weight, which the table shows without one,
// in kg/kmol.
std::string resultUnit(const CalculatorTable& table, int row) {
    if (row == rowMoleWeight) return "kg/kmol";
    return sheetUnit(table.text(row, colUnit));
}

std::string fixed(double value, int decimals) {
    return std::isfinite(value) ? fixedDecimals(value, decimals) : std::string("N/A");
}

// The fuel analysis, the air and the heating values the composition came from.
ReportSection fuelSection(const CalculationRecord::FuelOrigin& fuel, std::int32_t language) {
    const auto text = [language](const BilingualText& t) { return std::string(t.in(language)); };
    const CombustionInput& in = fuel.input;
    const FlueGasFromFuelResult& r = fuel.result;
    const bool gas = in.fuel.kind == FuelKind::Gas;
    ReportSection section{text(kTexts.fuel), {}, {}};
    section.rows.push_back(
        {text(kTexts.fuelKind), text(gas ? kTexts.gasFuel : kTexts.solidFuel), {}});
    const std::string analysisUnit = gas ? std::string("Volume %") : text(kTexts.massAsFired);
    const auto keys = fuelKeys(in.fuel.kind);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (in.fuel.percent[i] == 0) continue;  // a key left out of the analysis
        section.rows.push_back({keys[i].key, fixed(in.fuel.percent[i], 3), analysisUnit});
    }
    const std::size_t o2 = index(GasComponent::O2);
    section.rows.push_back({text(kTexts.excessAir), fixed(r.excessAirPercent, 2), "%"});
    section.rows.push_back({text(kTexts.o2Dry), fixed(r.dryVolPercent[o2], 2), "Volume %"});
    section.rows.push_back({text(kTexts.humidity), fixed(r.humidityKgPerKg, 4), "kg/kg"});
    section.rows.push_back(
        {text(kTexts.airTemperature), fixed(in.airTemperatureC, 1), sheetUnit("oC")});
    section.rows.push_back({text(kTexts.co), fixed(in.coPpm, 0), "ppm"});
    section.rows.push_back({text(kTexts.hhv), fixed(r.hhvKJPerKg, 0), "kJ/kg"});
    section.rows.push_back({text(kTexts.lhv), fixed(r.lhvKJPerKg, 0), "kJ/kg"});
    if (r.hhvKJPerNm3)
        section.rows.push_back({text(kTexts.hhv), fixed(*r.hhvKJPerNm3, 0), "kJ/Nm3"});
    if (r.lhvKJPerNm3)
        section.rows.push_back({text(kTexts.lhv), fixed(*r.lhvKJPerNm3, 0), "kJ/Nm3"});
    return section;
}

}  // namespace

std::string sheetUnit(std::string_view unit) {
    if (unit.size() == 2 && unit[0] == 'o' &&
        (unit[1] == 'C' || unit[1] == 'F' || unit[1] == 'R')) {
        return std::string("\xC2\xB0") + unit[1];
    }
    return std::string(unit);
}

std::array<const char*, 5> reportHeaderLabels(std::int32_t requested) {
    const std::int32_t language = requested == TW_Korean ? TW_Korean : TW_English;
    return {kTexts.project.in(language), kTexts.caseName.in(language),
            kTexts.preparedBy.in(language), kTexts.checkedBy.in(language),
            kTexts.date.in(language)};
}

CalculationReport buildCalculationReport(const CalculationRecord& record, std::string_view program,
                                         std::int32_t requested, const ReportHeader& header) {
    const std::int32_t language = requested == TW_Korean ? TW_Korean : TW_English;
    const auto text = [language](const BilingualText& t) { return std::string(t.in(language)); };
    const auto caption = [language](int row) { return std::string(rowCaption(row, language)); };
    const CalculatorTable table = resultTable(record);
    const FlueGasCase& inputs = record.inputs;
    const std::string compositionUnit = compositionUnitText(inputs.basis);

    CalculationReport report;
    report.title = text(kTexts.title);
    const std::array<const char*, 5> labels = reportHeaderLabels(language);
    const std::array<const std::string*, 5> fields{
        &header.project, &header.caseName, &header.preparedBy, &header.checkedBy, &header.date};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        report.about.push_back({labels[i], *fields[i], {}});
    }
    report.about.push_back({text(kTexts.dateTime), record.dateTime, {}});
    report.about.push_back({text(kTexts.program), std::string(program), {}});

    ReportSection composition{text(kTexts.composition), {}, {}};
    composition.rows.push_back({text(kTexts.basis), compositionUnit, {}});
    for (int row = kFirstCompositionRow; row <= kLastCompositionRow; ++row) {
        composition.rows.push_back(
            {caption(row), inputs.cells[static_cast<std::size_t>(row - rowN2)], compositionUnit});
    }
    const std::optional<float>& total = record.results.componentTotal;
    composition.rows.push_back(
        {caption(rowComponentTotal), total ? format000(*total) : std::string(), compositionUnit});
    report.sections.push_back(std::move(composition));

    if (record.results.normalisedComposition) {
        ReportSection scaled{text(kTexts.scaled), {}, {}};
        for (int row = kFirstCompositionRow; row <= rowComponentTotal; ++row) {
            scaled.rows.push_back({caption(row), table.value(row), compositionUnit});
        }
        if (total) {
            scaled.lines.push_back(
                replaced(replaced(text(kTexts.normalisedFrom), "{total}", format000(*total)),
                         "{unit}", compositionUnit));
        }
        report.sections.push_back(std::move(scaled));
    }

    if (record.fuel) report.sections.push_back(fuelSection(*record.fuel, language));

    ReportSection temperatures{text(kTexts.temperatures), {}, {}};
    for (int row : {rowGasTemperature, rowReferenceTemperature}) {
        temperatures.rows.push_back({caption(row), table.value(row), resultUnit(table, row)});
    }
    report.sections.push_back(std::move(temperatures));

    ReportSection method{text(kTexts.method), {}, {}};
    method.rows.push_back(
        {text(kTexts.formula), kFormulaNames[static_cast<std::size_t>(inputs.formula)], {}});
    method.rows.push_back(
        {text(kTexts.so3Mode),
         text(inputs.so3Mode == So3Mode::Automatic ? kTexts.automatic : kTexts.userInput),
         {}});
    report.sections.push_back(std::move(method));

    ReportSection results{text(kTexts.results), {}, {}};
    for (int row : kResultRows) {
        results.rows.push_back({caption(row), table.value(row), resultUnit(table, row)});
    }
    report.sections.push_back(std::move(results));

    ReportSection notes{text(kTexts.notes), {}, {}};
    notes.lines.push_back(unescaped(formulaNote(inputs.formula, language)));
    for (const BilingualText& note : kTableNotes) notes.lines.emplace_back(note.in(language));
    report.sections.push_back(std::move(notes));

    if (!record.messages.empty()) {
        ReportSection messages{text(kTexts.messages), {}, {}};
        // A notice shown once per evaluation is listed once.
        std::vector<std::string_view> listed;
        for (const RecordedMessage& m : record.messages) {
            if (std::find(listed.begin(), listed.end(), m.text) != listed.end()) continue;
            listed.push_back(m.text);
            appendLines(messages.lines, m.text);
        }
        report.sections.push_back(std::move(messages));
    }
    return report;
}

}  // namespace tw::fluegas

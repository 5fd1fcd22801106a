// twcalc efficiency: boiler efficiency by the heat-loss method from a stack measurement, on the
// fuel and air of twcalc combustion; a sweep over stack temperature or O2, and a CSV batch of
// one case a row.

#include <algorithm>
#include <fstream>
#include <memory>

#include "BoilerEfficiency.h"
#include "Commands.h"
#include "CsvBatch.h"
#include "FlueGasBatch.h"
#include "FuelAirOptions.h"
#include "tw/Format.h"

namespace twcalc {
namespace {

namespace fg = tw::fluegas;

struct EfficiencyArgs {
    FuelAirArgs fuelAir;
    std::string stackTemperature, carbonInRefuse, radiationLoss, otherLoss;
    std::string fuelFlow, fuelFlowNm3, analyser;
    std::vector<std::string> sweep;
    std::string csv, out;
};

using EfficiencyOption = CaseOption<EfficiencyArgs>;
constexpr std::array<EfficiencyOption, 7> kEfficiencyOptions{{
    {"stack-temperature", &EfficiencyArgs::stackTemperature,
     "Flue gas temperature at the boiler outlet, oC (required)"},
    {"carbon-in-refuse", &EfficiencyArgs::carbonInRefuse,
     "Carbon in the refuse (ash), percent of the refuse mass; --fuel-mass fuels (default 0)"},
    {"radiation-loss", &EfficiencyArgs::radiationLoss,
     "Radiation and convection loss, percent of the HHV input (default 0)"},
    {"other-loss", &EfficiencyArgs::otherLoss,
     "Other (unaccounted) losses, percent of the HHV input (default 0)"},
    {"fuel-flow", &EfficiencyArgs::fuelFlow,
     "Fuel flow, kg/h as fired: the losses in kW and the flue gas flow"},
    {"fuel-flow-nm3", &EfficiencyArgs::fuelFlowNm3,
     "Fuel gas flow, Nm3/h: the losses in kW and the flue gas flow"},
    {"analyser", &EfficiencyArgs::analyser,
     "The analyser formula's fuel: gas, oil, lpg, or the coefficients A2,B"},
}};

struct SweepRequest {
    fg::SweepVariable variable;
    fg::SweepRange range;
};
struct SweepVariableName {
    const char* name;
    fg::SweepVariable variable;
    const char* key;  // of the sweep rows in JSON
};
constexpr std::array<SweepVariableName, 2> kSweepVariables{{
    {"stack-temperature", fg::SweepVariable::StackTemperature, "stack_temperature_C"},
    {"o2-dry", fg::SweepVariable::O2Dry, "o2_dry_percent"},
}};

const SweepVariableName& sweepVariable(fg::SweepVariable variable) {
    return *std::find_if(kSweepVariables.begin(), kSweepVariables.end(),
                         [&](const SweepVariableName& v) { return v.variable == variable; });
}

std::optional<SweepRequest> sweepFromArgs(const std::vector<std::string>& sweep) {
    if (sweep.empty()) return std::nullopt;
    if (sweep.size() != 2) {
        throw ArgumentsError(
            "--sweep takes a variable and a range: stack-temperature|o2-dry "
            "FROM:TO:STEP");
    }
    const auto variable =
        std::find_if(kSweepVariables.begin(), kSweepVariables.end(),
                     [&](const SweepVariableName& v) { return sweep[0] == v.name; });
    if (variable == kSweepVariables.end()) {
        throw UsageError("--sweep: '" + sweep[0] + "' is neither stack-temperature nor o2-dry");
    }
    const std::string& text = sweep[1];
    const auto first = text.find(':');
    const auto second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos || text.find(':', second + 1) != std::string::npos) {
        throw UsageError("--sweep: '" + text + "' is not FROM:TO:STEP");
    }
    SweepRequest request{variable->variable, {}};
    request.range.from = parseNumber(trimmed(text.substr(0, first)), "--sweep FROM");
    request.range.to =
        parseNumber(trimmed(text.substr(first + 1, second - first - 1)), "--sweep TO");
    request.range.step = parseNumber(trimmed(text.substr(second + 1)), "--sweep STEP");
    return request;
}

fg::AnalyserCoefficients analyserFromText(const std::string& text) {
    if (const auto known = fg::findAnalyserFuel(text)) return *known;
    const auto comma = text.find(',');
    if (comma == std::string::npos) {
        throw UsageError("--analyser: '" + text + "' is neither gas, oil, lpg nor A2,B");
    }
    return {parseNumber(trimmed(text.substr(0, comma)), "--analyser A2"),
            parseNumber(trimmed(text.substr(comma + 1)), "--analyser B")};
}

fg::EfficiencyInput inputFromArgs(const EfficiencyArgs& a) {
    fg::EfficiencyInput input;
    input.combustion = combustionInputFrom(a.fuelAir);
    if (a.stackTemperature.empty()) {
        throw ArgumentsError("give the stack temperature: --stack-temperature");
    }
    input.stackTemperatureC = parseNumber(a.stackTemperature, "--stack-temperature");
    if (!a.carbonInRefuse.empty()) {
        input.carbonInRefusePercent = parseNumber(a.carbonInRefuse, "--carbon-in-refuse");
    }
    if (!a.radiationLoss.empty()) {
        input.radiationLossPercent = parseNumber(a.radiationLoss, "--radiation-loss");
    }
    if (!a.otherLoss.empty()) input.otherLossPercent = parseNumber(a.otherLoss, "--other-loss");
    if (countGiven({&a.fuelFlow, &a.fuelFlowNm3}) > 1) {
        throw ArgumentsError("give the fuel flow once: --fuel-flow or --fuel-flow-nm3");
    }
    if (!a.fuelFlow.empty()) {
        input.fuelFlow =
            fg::FuelFlow{fg::FuelFlowBasis::KgPerH, parseNumber(a.fuelFlow, "--fuel-flow")};
    } else if (!a.fuelFlowNm3.empty()) {
        input.fuelFlow =
            fg::FuelFlow{fg::FuelFlowBasis::Nm3PerH, parseNumber(a.fuelFlowNm3, "--fuel-flow-nm3")};
    }
    if (!a.analyser.empty()) input.analyser = analyserFromText(a.analyser);
    return input;
}

Json lossesJson(const std::array<double, fg::kLossCount>& values) {
    Json losses = Json::object();
    for (const fg::LossDefinition& loss : fg::kLossDefinitions) {
        losses[loss.key] = values[static_cast<std::size_t>(loss.loss)];
    }
    return losses;
}

Json resultJson(const fg::EfficiencyResult& r) {
    Json j = {{"efficiency_hhv_percent", r.efficiencyHhvPercent},
              {"efficiency_lhv_percent", r.efficiencyLhvPercent},
              {"stack_loss_hhv_percent", r.stackLossHhvPercent},
              {"losses_percent_of_hhv", lossesJson(r.lossPercentOfHhv)},
              {"credits_percent_of_hhv", {{"combustion_air", r.combustionAirCreditPercentOfHhv}}},
              {"o2_dry_percent", r.o2DryPercent},
              {"excess_air_percent", r.excessAirPercent}};
    if (r.analyserStackLossPercent) j["analyser_stack_loss_percent"] = *r.analyserStackLossPercent;
    j["dew_points_C"] = {{"okkes", optionalNumber(r.okkesDewPointC)},
                         {"verhoff", optionalNumber(r.verhoffDewPointC)},
                         {"water", optionalNumber(r.waterDewPointC)}};
    j["acid_dew_point_margin_K"] = optionalNumber(r.acidDewPointMarginK);
    if (r.heatInputKW) {
        j["heat_input_kW"] = *r.heatInputKW;
        j["losses_kW"] = lossesJson(r.lossKW.value_or(std::array<double, fg::kLossCount>{}));
        j["flue_gas_kg_per_h"] = optionalNumber(r.flueGasKgPerH);
        j["flue_gas_m3_per_h_at_stack"] = optionalNumber(r.flueGasM3PerHAtStack);
    }
    j["combustion"] = combustionResultJson(r.combustion);
    return j;
}

Json sweepJson(fg::SweepVariable variable, const std::vector<fg::EfficiencySweepPoint>& points) {
    Json rows = Json::array();
    const char* key = sweepVariable(variable).key;
    for (const fg::EfficiencySweepPoint& p : points) {
        rows.push_back({{key, p.value},
                        {"efficiency_hhv_percent", p.efficiencyHhvPercent},
                        {"efficiency_lhv_percent", p.efficiencyLhvPercent},
                        {"stack_loss_hhv_percent", p.stackLossHhvPercent}});
    }
    return rows;
}

// The result lines, the losses in percent of HHV (and kW with a fuel flow), then the sweep.
std::string resultText(const fg::EfficiencyResult& r, std::int32_t language) {
    std::vector<std::vector<std::string>> lines;
    for (const fg::EfficiencyResultLine& line : fg::efficiencyResultLines()) {
        if (const auto value = line.value(r)) {
            lines.push_back({line.caption.in(language), tw::fixedDecimals(*value, line.decimals),
                             line.unit.in(language)});
        }
    }
    const bool ko = language == tw::TW_Korean;
    std::vector<std::vector<std::string>> losses{
        {ko ? "손실" : "Losses", ko ? "고위발열량의 %" : "% of HHV"}};
    if (r.lossKW) losses[0].push_back("kW");
    for (const fg::LossDefinition& loss : fg::kLossDefinitions) {
        const auto i = static_cast<std::size_t>(loss.loss);
        losses.push_back({loss.caption.in(language), tw::fixedDecimals(r.lossPercentOfHhv[i], 2)});
        if (r.lossKW) losses.back().push_back(tw::fixedDecimals((*r.lossKW)[i], 1));
    }
    return alignedColumns(lines) + '\n' + alignedColumns(losses);
}

std::string sweepText(fg::SweepVariable variable,
                      const std::vector<fg::EfficiencySweepPoint>& points, std::int32_t language) {
    const bool ko = language == tw::TW_Korean;
    const bool stack = variable == fg::SweepVariable::StackTemperature;
    std::vector<std::vector<std::string>> rows{
        {stack ? (ko ? "배기가스 온도 oC" : "Stack oC") : (ko ? "건가스 O2 %" : "O2 dry %"),
         ko ? "총효율 %" : "Gross %", ko ? "순효율 %" : "Net %",
         ko ? "배기가스 손실 %" : "Stack loss %"}};
    for (const fg::EfficiencySweepPoint& p : points) {
        rows.push_back({tw::generalNumberNoBlank(p.value),
                        tw::fixedDecimals(p.efficiencyHhvPercent, 2),
                        tw::fixedDecimals(p.efficiencyLhvPercent, 2),
                        tw::fixedDecimals(p.stackLossHhvPercent, 2)});
    }
    return alignedColumns(rows);
}

// Shows the notes of a calculated case through the message sink, the combustion's first.
void showNotes(const fg::EfficiencyResult& r, std::int32_t language) {
    if (r.combustion.flameNote) {
        tw::showMessage(r.combustion.flameNote->in(language), fg::kFlueGasFromFuelCaption,
                        tw::MessageIcon::Information);
    }
    for (const fg::CombustionMessage& m : r.messages) {
        tw::showMessage(m.in(language), fg::kBoilerEfficiencyCaption, tw::MessageIcon::Exclamation);
    }
}

void showRefusal(const fg::CombustionMessage& refusal, std::int32_t language) {
    tw::showMessage(refusal.in(language), fg::kBoilerEfficiencyCaption, tw::MessageIcon::Critical);
}

// A column of the batch: a fuel and air option or an efficiency option.
struct Column {
    const FuelAirOption* fuelAir = nullptr;
    const EfficiencyOption* efficiency = nullptr;
    std::string& field(EfficiencyArgs& a) const {
        return fuelAir ? a.fuelAir.*(fuelAir->field) : a.*(efficiency->field);
    }
};

Column columnOf(const std::string& name) {
    for (const FuelAirOption& o : kFuelAirOptions) {
        if (columnName(o.name) == name) return {&o, nullptr};
    }
    for (const EfficiencyOption& o : kEfficiencyOptions) {
        if (columnName(o.name) == name) return {nullptr, &o};
    }
    return {};
}

// Every result column: those of a fuel gas with an analyser fuel and a fuel flow.
std::vector<std::pair<std::string, std::string>> everyResultColumn() {
    fg::EfficiencyResult every;
    every.combustion.kind = fg::FuelKind::Gas;
    every.combustion.hhvKJPerNm3 = every.combustion.lhvKJPerNm3 = 0.0;
    every.combustion.airNm3PerNm3 = every.combustion.flueGasNm3PerNm3 = 0.0;
    every.analyserStackLossPercent = every.heatInputKW = 0.0;
    every.lossKW = std::array<double, fg::kLossCount>{};
    std::vector<std::pair<std::string, std::string>> columns;
    flattenJson(resultJson(every), "", columns);
    return columns;
}

// The CSV batch: the input columns as given, the result columns and the messages of each case;
// a case that fails says why in its row.
fg::BatchCount runCases(std::ifstream& in, const std::string& path, std::ostream& out) {
    std::vector<Column> columns;
    CsvBatch batch;
    for (const auto& column : everyResultColumn()) batch.resultColumns.push_back(column.first);
    batch.checkHeader = [&](const std::vector<std::string>& header) {
        for (const std::string& name : header) {
            const Column column = columnOf(name);
            if (!column.fuelAir && !column.efficiency)
                throw UsageError(joined({path, ": unknown column '", name, "'"}));
            columns.push_back(column);
        }
    };
    const auto language = static_cast<std::int32_t>(tw::TW_Language);
    batch.calculate = [&](const std::vector<std::string>& fields,
                          std::vector<std::string>& results) {
        EfficiencyArgs a;
        for (std::size_t i = 0; i < fields.size(); ++i) columns[i].field(a) = fields[i];
        const fg::EfficiencyOutcome outcome = fg::evaluateBoilerEfficiency(inputFromArgs(a));
        if (!outcome.result) {
            showRefusal(*outcome.refusal, language);
            return false;
        }
        showNotes(*outcome.result, language);
        std::vector<std::pair<std::string, std::string>> values;
        flattenJson(resultJson(*outcome.result), "", values);
        fillResults(batch.resultColumns, values, results);
        return true;
    };
    return runCsvBatch(in, path, out, batch);
}

bool anyCaseOption(const EfficiencyArgs& a) {
    return anyFuelAirOption(a.fuelAir) ||
           std::any_of(kEfficiencyOptions.begin(), kEfficiencyOptions.end(),
                       [&](const EfficiencyOption& o) { return !(a.*o.field).empty(); }) ||
           !a.sweep.empty();
}

}  // namespace

void addEfficiencyCommands(CLI::App& app, Session& session) {
    auto args = std::make_shared<EfficiencyArgs>();
    session.atEachRun([args] { *args = {}; });
    CLI::App* sub = app.add_subcommand(
        "efficiency",
        "Boiler efficiency by the heat-loss method from a stack measurement: losses, gross "
        "(HHV) and net (LHV) efficiency, the analyser formula and the dew points");
    addFuelAirOptions(*sub, args->fuelAir);
    for (const EfficiencyOption& option : kEfficiencyOptions) {
        sub->add_option(std::string("--") + option.name, (*args).*option.field, option.help);
    }
    sub->add_option("--sweep", args->sweep,
                    "The same case over a range: stack-temperature or o2-dry, then FROM:TO:STEP")
        ->expected(2);
    sub->add_option("--csv", args->csv,
                    "Batch: one case per row; header of option names with '_' for '-' (the "
                    "columns of twcalc combustion --csv and stack_temperature, carbon_in_refuse, "
                    "radiation_loss, other_loss, fuel_flow, fuel_flow_nm3, analyser)");
    sub->add_option("--out", args->out, "Batch: write the result CSV here instead of stdout");
    session.addCommonOptions(*sub);
    session.runs(*sub, [args, &session] {
        tw::TW_Language = static_cast<tw::enmLanguage>(session.language);
        if (!args->csv.empty()) {
            if (anyCaseOption(*args)) throw ArgumentsError("--csv takes every case from the file");
            std::ifstream in = openCsvInput(args->csv);
            session.emitCsvBatch(args->out,
                                 [&](std::ostream& out) { return runCases(in, args->csv, out); });
            return;
        }
        if (!args->out.empty()) throw ArgumentsError("--out belongs to a --csv batch");
        const fg::EfficiencyInput input = inputFromArgs(*args);
        const std::optional<SweepRequest> sweep = sweepFromArgs(args->sweep);
        auto sink = session.installSink();
        const fg::EfficiencyOutcome outcome = fg::evaluateBoilerEfficiency(input);
        if (!outcome.result) {
            showRefusal(*outcome.refusal, session.language);
            session.refuse();
            return;
        }
        std::optional<fg::EfficiencySweepOutcome> swept;
        if (sweep) {
            swept = fg::sweepBoilerEfficiency(input, sweep->variable, sweep->range);
            if (swept->refusal) {
                showRefusal(*swept->refusal, session.language);
                session.refuse();
                return;
            }
        }
        showNotes(*outcome.result, session.language);
        Json result = resultJson(*outcome.result);
        std::string plain = resultText(*outcome.result, session.language);
        if (swept) {
            result["sweep"] = sweepJson(sweep->variable, swept->points);
            plain += '\n' + sweepText(sweep->variable, swept->points, session.language);
        }
        session.emit(std::move(result), plain, /*withMessages=*/true);
    });
}

}  // namespace twcalc

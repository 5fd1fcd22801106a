// twcalc combustion: flue gas from fuel. The composition, air and flue gas quantities, heating
// values and flame temperature of a fuel burnt with excess air or to an O2 target; optionally
// the flue gas calculator run on the wet composition.

#include <algorithm>
#include <fstream>
#include <memory>

#include "Combustion.h"
#include "Commands.h"
#include "CsvBatch.h"
#include "FlueGasBatch.h"
#include "FlueGasCalculator.h"
#include "FuelAirOptions.h"

namespace twcalc {
namespace {

namespace fg = tw::fluegas;

struct CombustionArgs {
    FuelAirArgs fuelAir;
    bool calculate = false;
    std::string t, tref, basis, formula, so3, utp, uenth, upr;
    std::string csv, out;
};

fg::CombustionInput inputFromArgs(const CombustionArgs& a) {
    const fg::CombustionInput input = combustionInputFrom(a.fuelAir);
    const bool calculatorOption =
        countGiven({&a.t, &a.tref, &a.basis, &a.formula, &a.so3, &a.utp, &a.uenth, &a.upr}) > 0;
    if (calculatorOption && !a.calculate) {
        throw ArgumentsError("--t, --tref and the calculator's options belong to --calculate");
    }
    if (a.calculate && (a.t.empty() || a.tref.empty())) {
        throw ArgumentsError("--calculate needs --t and --tref");
    }
    return input;
}

// The wet composition typed into a fresh calculator table with the calculator's options.
fg::FlueGasCase calculatorCase(const CombustionArgs& a, const fg::FlueGasFromFuelResult& r) {
    std::vector<std::pair<std::string, std::string>> options{
        {"t", a.t},     {"tref", a.tref}, {"basis", a.basis}, {"formula", a.formula},
        {"so3", a.so3}, {"utp", a.utp},   {"uenth", a.uenth}, {"upr", a.upr}};
    fg::FlueGasCase c;
    try {
        c = fg::parseFlueGasCase(options);
    } catch (const fg::CaseError& e) {
        throw UsageError(std::string("--") + e.what());
    }
    const auto texts = fg::flueGasCompositionTexts(r, c.basis);
    for (int slot = 0; slot < fg::kSpeciesCount; ++slot) {
        c.cells[static_cast<std::size_t>(fg::rowOfSpecies(slot) - fg::rowN2)] =
            texts[static_cast<std::size_t>(slot)];
    }
    return c;
}

// The CSV batch: the input columns as given, the result columns (the JSON keys of a fuel gas,
// which has them all) and the messages of each case; a case that fails says why in its row.
fg::BatchCount runCases(std::ifstream& in, const std::string& path, std::ostream& out) {
    fg::FlueGasFromFuelResult every;
    every.kind = fg::FuelKind::Gas;
    every.hhvKJPerNm3 = every.lhvKJPerNm3 = every.airNm3PerNm3 = every.flueGasNm3PerNm3 = 0.0;
    std::vector<std::pair<std::string, std::string>> everyColumn;
    flattenJson(combustionResultJson(every), "", everyColumn);
    std::vector<const FuelAirOption*> columns;
    CsvBatch batch;
    for (const auto& column : everyColumn) batch.resultColumns.push_back(column.first);
    batch.checkHeader = [&](const std::vector<std::string>& header) {
        for (const std::string& name : header) {
            const auto option =
                std::find_if(kFuelAirOptions.begin(), kFuelAirOptions.end(),
                             [&](const FuelAirOption& o) { return columnName(o.name) == name; });
            if (option == kFuelAirOptions.end())
                throw UsageError(path + ": unknown column '" + name + "'");
            columns.push_back(&*option);
        }
    };
    batch.calculate = [&](const std::vector<std::string>& fields,
                          std::vector<std::string>& results) {
        CombustionArgs a;
        for (std::size_t i = 0; i < fields.size(); ++i) a.fuelAir.*(columns[i]->field) = fields[i];
        const fg::FlueGasFromFuelOutcome outcome = fg::FlueGasFromFuel(inputFromArgs(a));
        if (!outcome.result) return false;
        std::vector<std::pair<std::string, std::string>> values;
        flattenJson(combustionResultJson(*outcome.result), "", values);
        fillResults(batch.resultColumns, values, results);
        return true;
    };
    return runCsvBatch(in, path, out, batch);
}

void runBatch(const CombustionArgs& args, Session& session) {
    std::ifstream in = openCsvInput(args.csv);
    session.emitCsvBatch(args.out, [&](std::ostream& out) { return runCases(in, args.csv, out); });
}

}  // namespace

void addCombustionCommands(CLI::App& app, Session& session) {
    auto args = std::make_shared<CombustionArgs>();
    session.atEachRun([args] { *args = {}; });
    CLI::App* sub = app.add_subcommand(
        "combustion",
        "Flue gas from fuel: composition, air and flue gas quantities, heating values and "
        "adiabatic flame temperature of a fuel burnt completely");
    addFuelAirOptions(*sub, args->fuelAir);
    sub->add_flag("--calculate", args->calculate,
                  "Also run the flue gas calculator on the wet composition (needs --t and --tref)");
    sub->add_option("--t", args->t, "--calculate: gas temperature (current temperature unit)");
    sub->add_option("--tref", args->tref,
                    "--calculate: enthalpy reference temperature (current temperature unit)");
    sub->add_option("--basis", args->basis,
                    "--calculate: composition basis of the table, vol (default) or wt");
    sub->add_option("--formula", args->formula,
                    "--calculate: enthalpy formula, 0 NASA Glenn (default), 1 ASME PTC 4.4, 2 B&W");
    sub->add_option("--so3", args->so3, "--calculate: SO3 conversion, auto (default) or a rate");
    sub->add_option("--utp", args->utp, "--calculate: temperature unit, index or unit text");
    sub->add_option("--uenth", args->uenth, "--calculate: enthalpy unit, index or unit text");
    sub->add_option("--upr", args->upr, "--calculate: pressure unit, index or unit text");
    sub->add_option("--csv", args->csv,
                    "Batch: one case per row; header of option names with '_' for '-' "
                    "(fuel_mass, fuel_gas, excess_air, o2_dry, o2_wet, humidity, rh, "
                    "air_temperature, co_ppm, hhv)");
    sub->add_option("--out", args->out, "Batch: write the result CSV here instead of stdout");
    session.addCommonOptions(*sub);
    session.runs(*sub, [args, &session] {
        tw::TW_Language = static_cast<tw::enmLanguage>(session.language);
        if (!args->csv.empty()) {
            if (anyFuelAirOption(args->fuelAir) || args->calculate)
                throw ArgumentsError("--csv takes every case from the file");
            runBatch(*args, session);
            return;
        }
        if (!args->out.empty()) throw ArgumentsError("--out belongs to a --csv batch");
        const fg::CombustionInput input = inputFromArgs(*args);
        auto sink = session.installSink();
        const fg::FlueGasFromFuelOutcome outcome = fg::FlueGasFromFuel(input);
        if (!outcome.result) {
            session.refuse();
            return;
        }
        Json result = combustionResultJson(*outcome.result);
        std::string plain = combustionResultText(*outcome.result, session.language);
        if (args->calculate) {
            fg::CalculatorTable table = fg::tableForCase(calculatorCase(*args, *outcome.result));
            fg::Calculate(table);
            result["fluegas"] = {{"table", flueGasTableJson(table)}};
            plain += '\n' + flueGasPlainTable(table);
        }
        session.emit(std::move(result), plain, /*withMessages=*/true);
    });
}

}  // namespace twcalc

// twcalc combustion: flue gas from fuel. The composition, air and flue gas quantities, heating
// values and flame temperature of a fuel burnt with excess air or to an O2 target; optionally
// the flue gas calculator run on the wet composition.

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <memory>
#include <sstream>

#include "Combustion.h"
#include "Commands.h"
#include "FlueGasBatch.h"
#include "FlueGasCalculator.h"
#include "JsonWriter.h"
#include "tw/Format.h"

namespace twcalc {
namespace {

namespace fg = tw::fluegas;

struct CombustionArgs {
    std::string fuelMass, fuelGas;
    std::string excessAir, o2Dry, o2Wet;
    std::string humidity, rh, airTemperature, coPpm, hhv;
    bool calculate = false;
    std::string t, tref, basis, formula, so3, utp, uenth, upr;
    std::string csv, out;
};

// The options of one combustion case: on the command line "--" + name, in a CSV batch the
// column name with "_" for "-".
struct CaseOption {
    const char* name;
    std::string CombustionArgs::*field;
    const char* help;
};
constexpr std::array<CaseOption, 10> kCaseOptions{{
    {"fuel-mass", &CombustionArgs::fuelMass,
     "Solid or liquid fuel, mass percent as fired: \"C=65.4,H=4.2,O=7.8,N=1.3,S=0.8,H2O=10.5,"
     "Ash=10\" (keys C, H, O, N, S, H2O, Ash; absent keys are 0)"},
    {"fuel-gas", &CombustionArgs::fuelGas,
     "Fuel gas, volume percent: \"CH4=91,C2H6=4.5,...\" (keys CH4, C2H6, C3H8, C4H10, H2, CO, "
     "CO2, N2, O2, H2S, H2O, Ar)"},
    {"excess-air", &CombustionArgs::excessAir, "Excess air, percent of stoichiometric"},
    {"o2-dry", &CombustionArgs::o2Dry, "O2 in the dry flue gas, volume percent"},
    {"o2-wet", &CombustionArgs::o2Wet, "O2 in the wet flue gas, volume percent"},
    {"humidity", &CombustionArgs::humidity,
     "Air moisture, kg water per kg dry air (default 0.013)"},
    {"rh", &CombustionArgs::rh,
     "Relative humidity of the air, percent, at the air temperature and 101.325 kPa"},
    {"air-temperature", &CombustionArgs::airTemperature, "Air temperature, oC (default 25)"},
    {"co-ppm", &CombustionArgs::coPpm, "CO in the dry flue gas, ppm (default 0)"},
    {"hhv", &CombustionArgs::hhv,
     "Measured higher heating value of a solid or liquid fuel, kJ/kg as fired"},
}};

std::string columnName(std::string_view option) {
    std::string name(option);
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

std::string joined(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces) text += piece;
    return text;
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// A number by the rules of every twcalc number (parseFloat), kept in double precision: the
// calculation is in double, and 0.02 should stay 0.02.
double parseNumber(const std::string& text, const std::string& what) {
    const float single = parseFloat(text, what);
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    double value = 0;
    const auto r = std::from_chars(first, last, value);
    return r.ec == std::errc() && r.ptr == last ? value : single;
}

// "KEY=PERCENT,KEY=PERCENT,...": keys of the fuel kind in any case, each at most once.
fg::FuelAnalysis parseAnalysis(fg::FuelKind kind, const std::string& text,
                               const std::string& option) {
    fg::FuelAnalysis analysis;
    analysis.kind = kind;
    std::array<bool, fg::kMaxFuelKeys> seen{};
    std::string known;
    for (const fg::FuelKeyDefinition& key : fg::fuelKeys(kind)) {
        known += (known.empty() ? "" : ", ") + std::string(key.key);
    }
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        start = comma + 1;
        const auto equals = item.find('=');
        if (equals == std::string::npos) {
            throw UsageError(joined({option, ": '", trimmed(item), "' is not KEY=PERCENT"}));
        }
        const std::string name = trimmed(std::string_view(item).substr(0, equals));
        const int index = fg::findFuelKey(kind, name);
        if (index < 0) {
            throw UsageError(joined({option, ": unknown key '", name, "'; the keys are ", known}));
        }
        if (seen[static_cast<std::size_t>(index)]) {
            throw UsageError(joined({option, ": the key '", name, "' is given twice"}));
        }
        seen[static_cast<std::size_t>(index)] = true;
        analysis.percent[static_cast<std::size_t>(index)] = parseNumber(
            trimmed(std::string_view(item).substr(equals + 1)), joined({option, " ", name}));
    }
    return analysis;
}

int countGiven(std::initializer_list<const std::string*> options) {
    int given = 0;
    for (const std::string* option : options) given += !option->empty();
    return given;
}

fg::CombustionInput inputFromArgs(const CombustionArgs& a) {
    if (countGiven({&a.fuelMass, &a.fuelGas}) != 1) {
        throw ArgumentsError(
            "give one fuel: --fuel-mass \"C=..,H=..\" or --fuel-gas \"CH4=..,..\"");
    }
    if (countGiven({&a.excessAir, &a.o2Dry, &a.o2Wet}) != 1) {
        throw ArgumentsError("give one air quantity: --excess-air, --o2-dry or --o2-wet");
    }
    if (countGiven({&a.humidity, &a.rh}) > 1) {
        throw ArgumentsError("give the air moisture once: --humidity or --rh");
    }
    fg::CombustionInput input;
    input.fuel = a.fuelMass.empty() ? parseAnalysis(fg::FuelKind::Gas, a.fuelGas, "--fuel-gas")
                                    : parseAnalysis(fg::FuelKind::Solid, a.fuelMass, "--fuel-mass");
    if (!a.excessAir.empty()) {
        input.airQuantity = fg::AirQuantity::ExcessAir;
        input.airQuantityPercent = parseNumber(a.excessAir, "--excess-air");
    } else if (!a.o2Dry.empty()) {
        input.airQuantity = fg::AirQuantity::O2Dry;
        input.airQuantityPercent = parseNumber(a.o2Dry, "--o2-dry");
    } else {
        input.airQuantity = fg::AirQuantity::O2Wet;
        input.airQuantityPercent = parseNumber(a.o2Wet, "--o2-wet");
    }
    if (!a.humidity.empty()) {
        input.moistureValue = parseNumber(a.humidity, "--humidity");
    } else if (!a.rh.empty()) {
        input.moisture = fg::AirMoisture::RelativeHumidity;
        input.moistureValue = parseNumber(a.rh, "--rh");
    }
    if (!a.airTemperature.empty()) {
        input.airTemperatureC = parseNumber(a.airTemperature, "--air-temperature");
    }
    if (!a.coPpm.empty()) input.coPpm = parseNumber(a.coPpm, "--co-ppm");
    if (!a.hhv.empty()) input.measuredHhvKJPerKg = parseNumber(a.hhv, "--hhv");

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

// The species in the calculator table's row order, by name.
Json composition(const std::array<double, tw::kGasComponentCount>& percent, bool withWater) {
    Json species = Json::object();
    for (int row = fg::rowN2; row <= fg::rowH2O; ++row) {
        const int slot = fg::rowDefinitions()[static_cast<std::size_t>(row)].speciesSlot;
        if (!withWater && slot == static_cast<int>(tw::GasComponent::H2O)) continue;
        species[fg::rowCaption(row, tw::TW_English)] = percent[static_cast<std::size_t>(slot)];
    }
    return species;
}

Json optionalNumber(const std::optional<double>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json resultJson(const fg::FlueGasFromFuelResult& r) {
    const bool gas = r.kind == fg::FuelKind::Gas;
    Json fuel = {{"kind", gas ? "gas" : "solid"},
                 {"hhv_kJ_per_kg", r.hhvKJPerKg},
                 {"lhv_kJ_per_kg", r.lhvKJPerKg}};
    Json air = {{"stoichiometric_kg_per_kg_fuel", r.stoichiometricAirKgPerKg},
                {"kg_per_kg_fuel", r.airKgPerKg},
                {"Nm3_per_kg_fuel", r.airNm3PerKg},
                {"excess_percent", r.excessAirPercent},
                {"humidity_kg_per_kg", r.humidityKgPerKg}};
    Json flueGas = {{"wet_vol_percent", composition(r.wetVolPercent, true)},
                    {"dry_vol_percent", composition(r.dryVolPercent, false)},
                    {"wet_wt_percent", composition(r.wetWtPercent, true)},
                    {"kg_per_kg_fuel", r.flueGasKgPerKg},
                    {"Nm3_per_kg_fuel", r.flueGasNm3PerKg}};
    if (gas) {
        fuel["hhv_kJ_per_Nm3"] = optionalNumber(r.hhvKJPerNm3);
        fuel["lhv_kJ_per_Nm3"] = optionalNumber(r.lhvKJPerNm3);
        air["Nm3_per_Nm3_fuel"] = optionalNumber(r.airNm3PerNm3);
        flueGas["Nm3_per_Nm3_fuel"] = optionalNumber(r.flueGasNm3PerNm3);
    }
    flueGas["mole_weight"] = r.moleWeight;
    flueGas["co2_max_dry_percent"] = r.co2MaxDryPercent;
    return {{"fuel", fuel},
            {"air", air},
            {"flue_gas", flueGas},
            {"adiabatic_flame_temperature_C", optionalNumber(r.adiabaticFlameTemperatureC)}};
}

// Rows of cells in columns two blanks apart: the first column left-aligned, the others right.
std::string columns(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], terminalWidth(row[i]));
        }
    }
    std::ostringstream out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            const std::string pad(widths[i] - terminalWidth(row[i]), ' ');
            line += i == 0 ? row[i] + pad : "  " + pad + row[i];
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
    return out.str();
}

// The result lines (caption, value, unit), then the composition in three columns.
std::string resultText(const fg::FlueGasFromFuelResult& r, std::int32_t language) {
    std::vector<std::vector<std::string>> lines;
    for (const fg::CombustionResultLine& line : fg::combustionResultLines()) {
        if (const auto value = line.value(r)) {
            lines.push_back({line.caption.in(language), tw::fixedDecimals(*value, line.decimals),
                             line.unit.in(language)});
        }
    }
    std::vector<std::vector<std::string>> species{{""}};
    for (const tw::BilingualText& caption : fg::kFlueGasCompositionColumns) {
        species[0].push_back(caption.in(language));
    }
    for (int row = fg::rowN2; row <= fg::rowH2O; ++row) {
        const auto slot = static_cast<std::size_t>(
            fg::rowDefinitions()[static_cast<std::size_t>(row)].speciesSlot);
        species.push_back({fg::rowCaption(row, language),
                           tw::fixedDecimals(r.wetVolPercent[slot], fg::kCompositionDecimals),
                           tw::fixedDecimals(r.dryVolPercent[slot], fg::kCompositionDecimals),
                           tw::fixedDecimals(r.wetWtPercent[slot], fg::kCompositionDecimals)});
    }
    return columns(lines) + '\n' + columns(species);
}

// A JSON object's scalars as CSV columns: the keys joined by "_" as names, numbers as the
// JSON writer writes them.
void flatten(const Json& value, const std::string& name,
             std::vector<std::pair<std::string, std::string>>& columns) {
    if (value.is_object()) {
        for (const auto& [key, item] : value.items()) {
            flatten(item, name.empty() ? key : joined({name, "_", key}), columns);
        }
    } else {
        columns.emplace_back(name, value.is_string() ? value.get<std::string>()
                                   : value.is_null() ? ""
                                                     : writeJson(value));
    }
}

// The CSV batch: the input columns as given, the result columns (the JSON keys of a fuel gas,
// which has them all) and the messages of each case; a case that fails says why in its row.
fg::BatchCount runCases(std::ifstream& in, const std::string& path, std::ostream& out) {
    errno = 0;
    fg::CsvRecordReader reader(in);
    std::vector<std::string> header;
    try {
        header = fg::readCsvHeader(reader);
    } catch (const fg::CsvHeaderError& e) {
        if (in.bad()) checkCsvInputRead(in, path);
        throw UsageError(joined({path, ": ", e.what()}));
    }
    std::vector<const CaseOption*> columns;
    for (const std::string& name : header) {
        const auto option =
            std::find_if(kCaseOptions.begin(), kCaseOptions.end(),
                         [&](const CaseOption& o) { return columnName(o.name) == name; });
        if (option == kCaseOptions.end())
            throw UsageError(joined({path, ": unknown column '", name, "'"}));
        columns.push_back(&*option);
    }
    fg::FlueGasFromFuelResult every;
    every.kind = fg::FuelKind::Gas;
    every.hhvKJPerNm3 = every.lhvKJPerNm3 = every.airNm3PerNm3 = every.flueGasNm3PerNm3 = 0.0;
    std::vector<std::pair<std::string, std::string>> resultColumns;
    flatten(resultJson(every), "", resultColumns);

    const auto writeRecord = [&out](const std::vector<std::string>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            out << (i ? "," : "") << fg::csvField(fields[i]);
        out << "\r\n";
    };
    std::vector<std::string> outHeader = header;
    for (const auto& column : resultColumns) outHeader.push_back(column.first);
    outHeader.emplace_back("messages");
    writeRecord(outHeader);

    fg::BatchCount count;
    fg::CsvRecord record;
    while (reader.next(record)) {
        if (record.blank()) continue;
        if (count.cases % 64 == 0) fg::checkBatchInterrupt();
        ++count.cases;
        const std::vector<std::string>& fields = record.fields;
        std::vector<std::string> row = fields;
        row.resize(header.size());
        std::vector<std::string> results(resultColumns.size());
        tw::RecordingMessageSink recorder;
        std::string messages;
        bool calculated = false;
        try {
            if (record.refusal) throw UsageError(*record.refusal);
            if (fields.size() != header.size()) {
                throw UsageError("the row has " + std::to_string(fields.size()) +
                                 " fields, the header " + std::to_string(header.size()));
            }
            CombustionArgs a;
            for (std::size_t i = 0; i < header.size(); ++i)
                a.*(columns[i]->field) = trimmed(fields[i]);
            const fg::CombustionInput input = inputFromArgs(a);
            tw::ScopedMessageSink guard(recorder);
            if (const auto outcome = fg::FlueGasFromFuel(input); outcome.result) {
                calculated = true;
                std::vector<std::pair<std::string, std::string>> values;
                flatten(resultJson(*outcome.result), "", values);
                for (std::size_t i = 0, v = 0; i < resultColumns.size() && v < values.size(); ++i) {
                    if (resultColumns[i].first == values[v].first) results[i] = values[v++].second;
                }
            }
        } catch (const UsageError& e) {
            messages = e.what();
        }
        if (!calculated) ++count.refused;
        for (const tw::RecordedMessage& m : recorder.messages()) {
            messages += (messages.empty() ? "" : "\n") + m.caption + ": " + m.text;
        }
        row.insert(row.end(), results.begin(), results.end());
        row.push_back(messages);
        writeRecord(row);
    }
    checkCsvInputRead(in, path);
    return count;
}

void runBatch(const CombustionArgs& args, Session& session) {
    std::ifstream in = openCsvInput(args.csv);
    session.emitCsvBatch(args.out, [&](std::ostream& out) { return runCases(in, args.csv, out); });
}

}  // namespace

void addCombustionCommands(CLI::App& app, Session& session) {
    auto args = std::make_shared<CombustionArgs>();
    CLI::App* sub = app.add_subcommand(
        "combustion",
        "Flue gas from fuel: composition, air and flue gas quantities, heating values and "
        "adiabatic flame temperature of a fuel burnt completely");
    for (const CaseOption& option : kCaseOptions) {
        sub->add_option(std::string("--") + option.name, (*args).*option.field, option.help);
    }
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
    sub->callback([args, &session] {
        tw::TW_Language = static_cast<tw::enmLanguage>(session.language);
        if (!args->csv.empty()) {
            const bool anyOption =
                std::any_of(kCaseOptions.begin(), kCaseOptions.end(),
                            [&](const CaseOption& o) { return !((*args).*o.field).empty(); });
            if (anyOption || args->calculate)
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
        Json result = resultJson(*outcome.result);
        std::string plain = resultText(*outcome.result, session.language);
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

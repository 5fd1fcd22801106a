// The fuel and air options of a combustion case and the combustion result as the commands
// show it.

#include "FuelAirOptions.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "Commands.h"
#include "FlueGasBatch.h"
#include "JsonWriter.h"
#include "tw/Format.h"

namespace twcalc {

namespace fg = tw::fluegas;

const std::array<FuelAirOption, 10> kFuelAirOptions{{
    {"fuel-mass", &FuelAirArgs::fuelMass,
     "Solid or liquid fuel, mass percent as fired: \"C=65.4,H=4.2,O=7.8,N=1.3,S=0.8,H2O=10.5,"
     "Ash=10\" (keys C, H, O, N, S, H2O, Ash; absent keys are 0)"},
    {"fuel-gas", &FuelAirArgs::fuelGas,
     "Fuel gas, volume percent: \"CH4=91,C2H6=4.5,...\" (keys CH4, C2H6, C3H8, C4H10, H2, CO, "
     "CO2, N2, O2, H2S, H2O, Ar)"},
    {"excess-air", &FuelAirArgs::excessAir, "Excess air, percent of stoichiometric"},
    {"o2-dry", &FuelAirArgs::o2Dry, "O2 in the dry flue gas, volume percent"},
    {"o2-wet", &FuelAirArgs::o2Wet, "O2 in the wet flue gas, volume percent"},
    {"humidity", &FuelAirArgs::humidity, "Air moisture, kg water per kg dry air (default 0.013)"},
    {"rh", &FuelAirArgs::rh,
     "Relative humidity of the air, percent, at the air temperature and 101.325 kPa"},
    {"air-temperature", &FuelAirArgs::airTemperature, "Air temperature, oC (default 25)"},
    {"co-ppm", &FuelAirArgs::coPpm, "CO in the dry flue gas, ppm (default 0)"},
    {"hhv", &FuelAirArgs::hhv,
     "Measured higher heating value of a solid or liquid fuel, kJ/kg as fired"},
}};

void addFuelAirOptions(CLI::App& command, FuelAirArgs& args) {
    for (const FuelAirOption& option : kFuelAirOptions) {
        command.add_option(std::string("--") + option.name, args.*option.field, option.help);
    }
}

bool anyFuelAirOption(const FuelAirArgs& args) {
    return std::any_of(kFuelAirOptions.begin(), kFuelAirOptions.end(),
                       [&](const FuelAirOption& o) { return !(args.*o.field).empty(); });
}

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

namespace {

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

}  // namespace

int countGiven(std::initializer_list<const std::string*> options) {
    int given = 0;
    for (const std::string* option : options) given += !option->empty();
    return given;
}

fg::CombustionInput combustionInputFrom(const FuelAirArgs& a) {
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
    return input;
}

namespace {

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

}  // namespace

Json optionalNumber(const std::optional<double>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json combustionResultJson(const fg::FlueGasFromFuelResult& r) {
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

std::string alignedColumns(const std::vector<std::vector<std::string>>& rows) {
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

std::string combustionResultText(const fg::FlueGasFromFuelResult& r, std::int32_t language) {
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
    return alignedColumns(lines) + '\n' + alignedColumns(species);
}

void flattenJson(const Json& value, const std::string& name,
                 std::vector<std::pair<std::string, std::string>>& columns) {
    if (value.is_object()) {
        for (const auto& [key, item] : value.items()) {
            flattenJson(item, name.empty() ? key : joined({name, "_", key}), columns);
        }
    } else {
        columns.emplace_back(name, value.is_string() ? value.get<std::string>()
                                   : value.is_null() ? ""
                                                     : writeJson(value));
    }
}

}  // namespace twcalc

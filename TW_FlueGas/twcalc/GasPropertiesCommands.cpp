// twcalc gas-properties: density, heat capacities, enthalpy, entropy, speed of sound and the
// transport properties of a flue gas at its temperature and pressure, with its dew points; a
// table over temperature (--sweep) or a CSV batch of cases.

#include "GasPropertiesCommands.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

#include "CommandLayer.h"
#include "Commands.h"
#include "CsvRecords.h"
#include "FlueGasBatch.h"
#include "Units.h"
#include "tw/Format.h"

namespace twcalc::gasprops {

namespace gp = tw::gasprops;
using tw::QuantityId;

namespace {

std::string display(QuantityId q, int index) {
    return tw::gasprops::unitDisplay(q, index);
}

// The unit options, with the quantity each one chooses.
struct UnitOption {
    std::string_view name;
    QuantityId quantity;
    int GasUnits::*member;
};
constexpr UnitOption kUnitOptions[] = {
    {"utp", QuantityId::TP, &GasUnits::uTP},
    {"upr", QuantityId::PR, &GasUnits::uPR},
    {"uvisco", QuantityId::Visco, &GasUnits::uVisco},
    {"uthcond", QuantityId::ThCond, &GasUnits::uThCond},
    {"udensity", QuantityId::Density, &GasUnits::uDensity},
    {"uentro", QuantityId::ENTRO, &GasUnits::uENTRO},
    {"uenth", QuantityId::ENTH, &GasUnits::uENTH},
};

int parseUnit(std::string_view name, QuantityId q, const std::string& text) {
    const tw::units::QuantityInfo& info = tw::units::quantity(q);
    if (auto index = parseIndex(text)) {
        if (info.valid(*index)) return *index;
        throw UsageError("--" + std::string(name) + " " + text + " is not a " + info.key +
                         " unit index (0 to " + std::to_string(info.count() - 1) + ")");
    }
    if (auto index = tw::units::findUnit(q, text)) return *index;
    throw UsageError("unknown " + std::string(info.key) + " unit '" + text + "' for --" +
                     std::string(name) +
                     "; give an index or the exact display string (see 'twcalc units')");
}

}  // namespace

// A number of the command line as the double of its decimal text: 0.1 is 0.1, not the
// single-precision 0.100000001.
double decimal(float v) {
    const std::string text = tw::shortestFloat(v);
    double d = v;
    std::from_chars(text.data(), text.data() + text.size(), d);
    return d;
}

Json propertiesJson(const GasUnits& units, const gp::GasProperties& properties) {
    Json object = Json::object();
    for (const PropertyColumn& c : kPropertyColumns) {
        object[std::string(c.key)] = propertyInUnits(units, c.key, properties.*c.member);
    }
    return object;
}

Json dewPointJson(const GasUnits& units, const std::optional<double>& celsius) {
    if (!celsius) return nullptr;
    return tw::gasprops::celsiusInUnits(units.uTP, *celsius);
}

GasCase gasCaseFromOptions(const std::vector<std::pair<std::string, std::string>>& options) {
    GasCase c;
    for (const auto& [name, text] : options) {
        if (text.empty()) continue;
        const auto composition = std::find(kCaseOptionNames.begin(), kCaseOptionNames.begin() + 7,
                                           std::string_view(name));
        if (composition != kCaseOptionNames.begin() + 7) {
            // Option order n2, ar, o2, co2, co, so2, h2o; amounts in GasComponent order.
            constexpr tw::GasComponent kSpecies[] = {tw::GasComponent::N2, tw::GasComponent::Ar,
                                                     tw::GasComponent::O2, tw::GasComponent::CO2,
                                                     tw::GasComponent::CO, tw::GasComponent::SO2,
                                                     tw::GasComponent::H2O};
            const auto i = static_cast<std::size_t>(composition - kCaseOptionNames.begin());
            c.percent[tw::index(kSpecies[i])] = decimal(parseFloat(text, "--" + name));
        } else if (name == "basis") {
            if (text != "vol" && text != "wt") {
                throw UsageError("--basis takes vol or wt, not '" + text + "'");
            }
            c.isVolumeBasis = text == "vol";
        } else if (name == "t") {
            c.t = decimal(parseFloat(text, "--t"));
        } else if (name == "p") {
            c.p = decimal(parseFloat(text, "--p"));
        } else {
            const auto unit = std::find_if(std::begin(kUnitOptions), std::end(kUnitOptions),
                                           [&](const UnitOption& u) { return u.name == name; });
            if (unit == std::end(kUnitOptions)) throw UsageError("unknown option --" + name);
            c.units.*(unit->member) = parseUnit(unit->name, unit->quantity, text);
        }
    }
    return c;
}

namespace {

struct Sweep {
    double from = 0, to = 0, step = 0;
    std::size_t rows = 0;
    double at(std::size_t k) const { return from + step * static_cast<double>(k); }
};

constexpr std::size_t kMostSweepRows = 100000;

Sweep parseSweep(const std::vector<std::string>& words) {
    if (words.size() != 2 || words[0] != "t") {
        throw UsageError("--sweep takes t FROM:TO:STEP (a table over the temperature)");
    }
    const std::string& range = words[1];
    const auto first = range.find(':');
    const auto second = first == std::string::npos ? first : range.find(':', first + 1);
    if (second == std::string::npos || range.find(':', second + 1) != std::string::npos) {
        throw UsageError("--sweep t needs FROM:TO:STEP, not '" + range + "'");
    }
    Sweep s;
    s.from = decimal(parseFloat(range.substr(0, first), "--sweep FROM"));
    s.to = decimal(parseFloat(range.substr(first + 1, second - first - 1), "--sweep TO"));
    s.step = decimal(parseFloat(range.substr(second + 1), "--sweep STEP"));
    const double span = s.to - s.from;
    if (!(s.step != 0.0) || (span != 0.0 && (span > 0) != (s.step > 0))) {
        throw UsageError("--sweep STEP must be nonzero and lead from FROM to TO");
    }
    // A step that lands on TO within rounding includes TO.
    const double count = std::floor(span / s.step + 1e-9) + 1;
    if (!(count <= static_cast<double>(kMostSweepRows))) {
        throw UsageError("--sweep would give more than " + std::to_string(kMostSweepRows) +
                         " rows");
    }
    s.rows = static_cast<std::size_t>(count);
    return s;
}

struct GasPropertiesArgs {
    std::array<std::string, kCaseOptionNames.size()> options;
    std::vector<std::string> sweep;
    std::string csv, out;
};

std::vector<std::pair<std::string, std::string>> namedOptions(const GasPropertiesArgs& args) {
    std::vector<std::pair<std::string, std::string>> named;
    for (std::size_t i = 0; i < kCaseOptionNames.size(); ++i) {
        named.emplace_back(kCaseOptionNames[i], args.options[i]);
    }
    return named;
}

double casePressure(const GasCase& c) {
    return c.p ? absolutePascal(c.units.uPR, *c.p) : gp::kStandardAtmospherePa;
}

Json unitsJson(const GasUnits& units, bool withSweep) {
    Json object = Json::object();
    for (const PropertyColumn& c : kPropertyColumns) {
        const std::string text = unitText(units, c.key);
        if (!text.empty()) object[std::string(c.key)] = text;
    }
    object["dew_points"] = display(QuantityId::TP, units.uTP);
    if (withSweep) object["t"] = display(QuantityId::TP, units.uTP);
    return object;
}

std::string plainNumber(double v) {
    return numberText(v);
}

std::string plainText(const Json& result, const GasUnits& units) {
    std::ostringstream out;
    for (const PropertyColumn& c : kPropertyColumns) {
        const std::string key(c.key);
        out << key << ' ' << plainNumber(result[key].get<double>());
        if (const std::string u = unitText(units, c.key); !u.empty()) out << ' ' << u;
        out << '\n';
    }
    for (const char* name : {"water", "okkes", "verhoff"}) {
        const Json& v = result["dew_points"][name];
        out << "dew_point_" << name << ' '
            << (v.is_null()
                    ? std::string("null")
                    : plainNumber(v.get<double>()) + " " + display(QuantityId::TP, units.uTP))
            << '\n';
    }
    if (result.contains("sweep")) {
        out << "sweep t";
        for (const PropertyColumn& c : kPropertyColumns) out << ' ' << c.key;
        out << '\n';
        for (const Json& row : result["sweep"]) {
            out << plainNumber(row["t"].get<double>());
            for (const PropertyColumn& c : kPropertyColumns) {
                out << ' ' << plainNumber(row[std::string(c.key)].get<double>());
            }
            out << '\n';
        }
    }
    return out.str();
}

// The single case: nothing when the calculation refused it (its messages say why).
std::optional<Json> caseResult(const GasCase& c, const std::optional<Sweep>& sweep) {
    auto gas = gp::normaliseComposition(c.isVolumeBasis, c.percent);
    if (!gas) return std::nullopt;
    const double p = casePressure(c);
    const double t = c.t ? *c.t : sweep->from;
    const auto properties = gp::gasProperties(*gas, kelvin(c.units.uTP, t), p);
    if (!properties) return std::nullopt;
    Json result = propertiesJson(c.units, *properties);
    const gp::DewPoints d = gp::dewPoints(*gas, p);
    result["dew_points"] = {{"water", dewPointJson(c.units, d.water)},
                            {"okkes", dewPointJson(c.units, d.okkes)},
                            {"verhoff", dewPointJson(c.units, d.verhoff)}};
    result["units"] = unitsJson(c.units, sweep.has_value());
    if (sweep) {
        Json rows = Json::array();
        for (std::size_t k = 0; k < sweep->rows; ++k) {
            const double tk = sweep->at(k);
            const double T = kelvin(c.units.uTP, tk);
            if (!gp::acceptTemperature(T)) return std::nullopt;
            Json row = {{"t", tk}};
            row.update(propertiesJson(c.units, gp::gasPropertiesUnchecked(*gas, T, p)));
            rows.push_back(std::move(row));
        }
        result["sweep"] = std::move(rows);
    }
    return result;
}

// ----- CSV batch ---------------------------------------------------------------------------

std::vector<std::string> resultColumns() {
    std::vector<std::string> columns;
    for (const PropertyColumn& c : kPropertyColumns) columns.emplace_back(c.key);
    for (const char* name : {"dew_points.water", "dew_points.okkes", "dew_points.verhoff"}) {
        columns.emplace_back(name);
    }
    columns.emplace_back("messages");
    return columns;
}

std::string messagesField(const std::vector<tw::RecordedMessage>& messages) {
    std::string text;
    for (const tw::RecordedMessage& m : messages) {
        if (!text.empty()) text += '\n';
        text += m.caption + ": " + m.text;
    }
    return text;
}

// The result fields of one row, empty where there is no value.
std::vector<std::string> rowResults(const std::vector<std::pair<std::string, std::string>>& named,
                                    std::string& messages, bool& calculated) {
    std::vector<std::string> fields(resultColumns().size() - 1);
    tw::RecordingMessageSink recorder;
    {
        tw::ScopedMessageSink guard(recorder);
        try {
            const GasCase c = gasCaseFromOptions(named);
            if (!c.t) throw UsageError("--t is needed (the gas temperature)");
            if (auto result = caseResult(c, std::nullopt)) {
                calculated = true;
                std::size_t i = 0;
                for (const PropertyColumn& column : kPropertyColumns) {
                    fields[i++] = numberText((*result)[std::string(column.key)].get<double>());
                }
                for (const char* name : {"water", "okkes", "verhoff"}) {
                    const Json& v = (*result)["dew_points"][name];
                    fields[i++] = v.is_null() ? std::string() : numberText(v.get<double>());
                }
            }
        } catch (const UsageError& e) {
            messages = e.what();
        }
    }
    const std::string shown = messagesField(recorder.messages());
    if (!shown.empty()) messages = messages.empty() ? shown : messages + "\n" + shown;
    return fields;
}

tw::fluegas::BatchCount runBatch(std::ifstream& in, const std::string& path, std::ostream& out) {
    namespace fg = tw::fluegas;
    errno = 0;
    fg::CsvRecordReader reader(in);
    std::vector<std::string> header;
    try {
        header = fg::readCsvHeader(reader);
    } catch (const fg::CsvHeaderError& e) {
        if (in.bad()) checkCsvInputRead(in, path);
        throw UsageError(path + ": " + e.what());
    }
    for (const std::string& name : header) {
        if (std::find(kCaseOptionNames.begin(), kCaseOptionNames.end(), name) ==
            kCaseOptionNames.end()) {
            throw UsageError(path + ": unknown column '" + name +
                             "'; the columns are options of "
                             "gas-properties (n2, ar, o2, co2, co, so2, h2o, basis, t, p, utp, "
                             "upr, uvisco, uthcond, udensity, uentro, uenth)");
        }
    }
    std::string line;
    for (std::size_t i = 0; i < header.size(); ++i)
        line += (i ? "," : "") + fg::csvField(header[i]);
    for (const std::string& column : resultColumns()) line += "," + column;
    out << line << '\n';

    fg::BatchCount count;
    fg::CsvRecord record;
    while (out && reader.next(record)) {
        if (record.blank()) continue;
        if (count.cases % 64 == 0) fg::checkBatchInterrupt();
        ++count.cases;
        std::vector<std::string> fields = record.fields;
        std::string messages;
        std::vector<std::string> results(resultColumns().size() - 1);
        bool calculated = false;
        if (record.refusal) {
            messages = *record.refusal;
        } else if (fields.size() != header.size()) {
            messages = "the row has " + std::to_string(fields.size()) + " fields, the header " +
                       std::to_string(header.size());
        } else {
            std::vector<std::pair<std::string, std::string>> named;
            for (std::size_t i = 0; i < header.size(); ++i)
                named.emplace_back(header[i], fields[i]);
            results = rowResults(named, messages, calculated);
        }
        if (!calculated) ++count.refused;
        fields.resize(header.size());
        line.clear();
        for (std::size_t i = 0; i < fields.size(); ++i)
            line += (i ? "," : "") + fg::csvField(fields[i]);
        for (const std::string& r : results) line += "," + r;
        line += "," + fg::csvField(messages);
        out << line << '\n';
    }
    checkCsvInputRead(in, path);
    return count;
}

}  // namespace

}  // namespace twcalc::gasprops

namespace twcalc {

void addGasPropertiesCommands(CLI::App& app, Session& session) {
    using namespace gasprops;
    auto args = std::make_shared<GasPropertiesArgs>();
    session.atEachRun([args] { *args = {}; });
    CLI::App* sub = app.add_subcommand(
        "gas-properties",
        "Physical properties of a flue gas at its temperature and pressure: density, cp, cv, "
        "gamma, enthalpy from 25 oC, entropy, speed of sound, viscosity, thermal conductivity, "
        "Prandtl number and the dew points; a table over temperature, or a CSV batch of cases");
    const std::array<std::string, kCaseOptionNames.size()> help{
        "N2 percent",
        "Ar percent",
        "O2 percent",
        "CO2 percent",
        "CO percent",
        "SO2 percent",
        "H2O percent",
        "Composition basis of the percents: vol (default) or wt",
        "Gas temperature (--utp unit), above 200 K and up to 3000 K",
        "Gas pressure (--upr unit; default 101.325 kPa a)",
        "Temperature unit: index or unit text (default 0, oC)",
        "Pressure unit: index or unit text (default 0, kg/cm2 a)",
        "Viscosity unit of the results: index or unit text (default 0, cP)",
        "Thermal conductivity unit of the results: index or unit text (default 0, "
        "kcal/hr-m-oC)",
        "Density unit of the results: index or unit text (default 0, kg/m3)",
        "Unit of cp, cv and entropy: index or unit text (default 0, kcal/kg-K)",
        "Enthalpy unit: index or unit text (default 0, kcal/kg)"};
    for (std::size_t i = 0; i < kCaseOptionNames.size(); ++i) {
        sub->add_option("--" + std::string(kCaseOptionNames[i]), args->options[i], help[i]);
    }
    sub->add_option("--sweep", args->sweep,
                    "A table over temperature: --sweep t FROM:TO:STEP (--utp unit); the rows "
                    "hold every property but the dew points")
        ->expected(1, 2);
    sub->add_option("--csv", args->csv,
                    "Batch: one case per row; header of option names (n2, ar, o2, co2, co, so2, "
                    "h2o, basis, t, p, utp, upr, uvisco, uthcond, udensity, uentro, uenth)");
    sub->add_option("--out", args->out, "Batch: write the result CSV here instead of stdout");
    session.addCommonOptions(*sub);
    session.runs(*sub, [args, &session] {
        tw::TW_Language = static_cast<tw::enmLanguage>(session.language);
        if (!args->csv.empty()) {
            const bool anyCaseOption =
                std::any_of(args->options.begin(), args->options.end(),
                            [](const std::string& s) { return !s.empty(); }) ||
                !args->sweep.empty();
            if (anyCaseOption) throw ArgumentsError("--csv takes every case from the file");
            std::ifstream in = openCsvInput(args->csv);
            session.emitCsvBatch(args->out,
                                 [&](std::ostream& out) { return runBatch(in, args->csv, out); });
            return;
        }
        if (!args->out.empty()) throw ArgumentsError("--out belongs to a --csv batch");
        const GasCase c = gasCaseFromOptions(namedOptions(*args));
        std::optional<Sweep> sweep;
        if (!args->sweep.empty()) sweep = parseSweep(args->sweep);
        if (!c.t && !sweep) throw ArgumentsError("give the gas temperature --t (or a --sweep)");
        auto sink = session.installSink();
        if (auto result = caseResult(c, sweep)) {
            const std::string plain = plainText(*result, c.units);
            session.emit(std::move(*result), plain, /*withMessages=*/true);
        } else {
            session.refuse();
        }
    });
}

}  // namespace twcalc

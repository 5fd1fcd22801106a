// twcalc convert KEY FROM TO VALUE and twcalc units [KEY]: the unit catalogue on the command line.

#include <sstream>

#include "Commands.h"
#include "Units.h"
#include "tw/Format.h"

namespace twcalc {
namespace {

using tw::QuantityId;
namespace units = tw::units;

QuantityId parseKey(const std::string& key) {
    if (auto q = units::findQuantity(key)) return *q;
    std::string keys;
    for (const units::QuantityInfo& q : units::quantities()) keys += std::string(" ") + q.key;
    throw UsageError("unknown quantity '" + key + "'; quantities are:" + keys);
}

// A unit given as an index (any integer) or as its exact display string.
int parseUnit(QuantityId q, const std::string& text) {
    if (auto index = parseIndex(text)) return *index;
    if (auto index = units::findUnit(q, text)) return *index;
    std::string names;
    const units::QuantityInfo& info = units::quantity(q);
    for (int i = 0; i < info.count(); ++i) {
        names +=
            "\n  " + std::to_string(i) + ": " + info.units[static_cast<std::size_t>(i)].display;
    }
    throw UsageError("unknown " + std::string(info.key) + " unit '" + text +
                     "'; give an index or one of:" + names);
}

Json unitList(const units::QuantityInfo& q) {
    Json list = Json::array();
    for (const units::UnitEntry& u : q.units) list.push_back(u.display);
    return list;
}

struct ConvertArgs {
    std::string key, from, to, value;
};

}  // namespace

void addConvertCommands(CLI::App& app, Session& session) {
    auto args = std::make_shared<ConvertArgs>();
    session.atEachRun([args] { *args = {}; });
    CLI::App* convert = app.add_subcommand("convert",
                                           "Convert VALUE of quantity KEY from unit FROM_UNIT to "
                                           "unit TO_UNIT (index or display string)");
    convert->add_option("KEY", args->key, "Quantity key (PR, dP, TP, SVOL, ENTH, ...)")->required();
    convert->add_option("FROM_UNIT", args->from, "Source unit: index or exact display string")
        ->required();
    convert->add_option("TO_UNIT", args->to, "Target unit: index or exact display string")
        ->required();
    convert->add_option("VALUE", args->value, "Value to convert (single precision)")->required();
    session.addCommonOptions(*convert);
    session.runs(*convert, [args, &session] {
        const QuantityId q = parseKey(args->key);
        const int from = parseUnit(q, args->from);
        const int to = parseUnit(q, args->to);
        const float value = parseFloat(args->value, "VALUE");
        auto sink = session.installSink();
        const float result = units::convert(q, from, to, value);
        session.emit(numberFields({{"value", result}}),
                     session.json ? std::string() : tw::shortestFloat(result));
    });

    auto key = std::make_shared<std::string>();
    session.atEachRun([key] { key->clear(); });
    CLI::App* list = app.add_subcommand("units", "List the unit catalogue, or the units of KEY");
    list->add_option("KEY", *key, "Quantity key");
    session.addCommonOptions(*list);
    session.runs(*list, [key, &session] {
        auto sink = session.installSink();
        std::ostringstream plain;
        if (!key->empty()) {
            const units::QuantityInfo& q = units::quantity(parseKey(*key));
            for (int i = 0; i < q.count(); ++i) {
                plain << i << '\t' << q.units[static_cast<std::size_t>(i)].display << '\n';
            }
            session.emit({{"units", unitList(q)}}, plain.str());
            return;
        }
        Json all = Json::object();
        for (const units::QuantityInfo& q : units::quantities()) {
            all[q.key] = unitList(q);
            plain << q.key << ':';
            for (int i = 0; i < q.count(); ++i) {
                plain << ' ' << i << '=' << '"' << q.units[static_cast<std::size_t>(i)].display
                      << '"';
            }
            plain << '\n';
        }
        Json systems = Json::array();
        plain << "systems:";
        for (const char* name : units::systemNames()) {
            systems.push_back(name);
            plain << " \"" << name << '"';
        }
        all["systems"] = systems;
        session.emit(all, plain.str());
    });
}

}  // namespace twcalc

// gas_properties_batch: the physical properties of many flue gas states at once, from numpy
// arrays, through the same case options and unit conversions as twcalc gas-properties.

#include "GasPropertiesBatch.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "BatchColumns.h"
#include "GasProperties.h"
#include "GasPropertiesCommands.h"
#include "Units.h"
#include "tw/MessageSink.h"

namespace py = pybind11;
namespace gp = tw::gasprops;
namespace gpc = twcalc::gasprops;

namespace {

// The number columns of a case: the composition, the temperature and the pressure.
constexpr std::string_view kNumberColumns[] = {"n2",  "ar",  "o2", "co2", "co",
                                               "so2", "h2o", "t",  "p"};
// Option order n2, ar, o2, co2, co, so2, h2o in GasComponent order.
constexpr tw::GasComponent kSpecies[] = {
    tw::GasComponent::N2, tw::GasComponent::Ar,  tw::GasComponent::O2, tw::GasComponent::CO2,
    tw::GasComponent::CO, tw::GasComponent::SO2, tw::GasComponent::H2O};

struct Column {
    std::size_t slot;            // index into kNumberColumns
    std::vector<double> values;  // one, or one per case
    double at(std::size_t c) const { return values.size() == 1 ? values[0] : values[c]; }
};

constexpr std::size_t kDewPointCount = 3;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

py::dict gasPropertiesBatch(const py::dict& numbers, const py::dict& settings,
                            const std::string& lang, std::mutex& libraryLock) {
    if (lang != "en" && lang != "ko") {
        throw py::value_error("--lang '" + lang + "': give en or ko");
    }
    std::vector<Column> columns;
    py::ssize_t cases = -1;
    for (const auto& [key, item] : numbers) {
        const auto name = key.cast<std::string>();
        const auto* slot = std::find(std::begin(kNumberColumns), std::end(kNumberColumns), name);
        if (slot == std::end(kNumberColumns)) {
            throw py::type_error("gas_properties_batch() got an unexpected column '" + name + "'");
        }
        columns.push_back({static_cast<std::size_t>(slot - std::begin(kNumberColumns)),
                           twsuite::batchColumnValues(name, item, cases)});
    }
    if (std::none_of(columns.begin(), columns.end(), [](const Column& c) { return c.slot == 7; })) {
        throw py::type_error("gas_properties_batch() needs t, the gas temperatures");
    }
    if (cases < 0) cases = 1;
    const auto n = static_cast<std::size_t>(cases);

    // The settings every case shares, read as twcalc reads them.
    std::vector<std::pair<std::string, std::string>> settingTexts;
    for (const auto& [key, item] : settings) {
        settingTexts.emplace_back(key.cast<std::string>(), item.cast<std::string>());
    }
    gpc::GasCase shared;
    try {
        shared = gpc::gasCaseFromOptions(settingTexts);
    } catch (const twcalc::UsageError& e) {
        throw py::value_error(e.what());
    }
    const gpc::GasUnits& units = shared.units;

    std::vector<py::array_t<double>> results;
    std::vector<double*> out;
    for (std::size_t i = 0; i < gpc::kPropertyColumns.size() + kDewPointCount; ++i) {
        results.emplace_back(cases);
        out.push_back(results.back().mutable_data());
    }
    std::vector<std::vector<tw::RecordedMessage>> messages(n);
    {
        py::gil_scoped_release released;
        const std::lock_guard<std::mutex> guard(libraryLock);
        tw::TW_Language = lang == "ko" ? tw::TW_Korean : tw::TW_English;
        for (std::size_t c = 0; c < n; ++c) {
            tw::RecordingMessageSink recorder;
            const tw::ScopedMessageSink sink(recorder);
            std::array<double, tw::kGasComponentCount> percent{};
            double t = kNaN;
            double p = kNaN;
            bool pressureGiven = false;
            for (const Column& column : columns) {
                const double v = column.at(c);
                if (column.slot < 7) {
                    percent[tw::index(kSpecies[column.slot])] = v;
                } else if (column.slot == 7) {
                    t = v;
                } else {
                    p = v;
                    pressureGiven = true;
                }
            }
            for (double* o : out) o[c] = kNaN;
            const auto gas = gp::normaliseComposition(shared.isVolumeBasis, percent);
            const double pa =
                pressureGiven ? gpc::absolutePascal(units.uPR, p) : gp::kStandardAtmospherePa;
            if (gas) {
                if (const auto r = gp::gasProperties(*gas, gpc::kelvin(units.uTP, t), pa)) {
                    std::size_t i = 0;
                    for (const gpc::PropertyColumn& column : gpc::kPropertyColumns) {
                        out[i++][c] = gpc::propertyInUnits(units, column.key, (*r).*column.member);
                    }
                    const gp::DewPoints d = gp::dewPoints(*gas, pa);
                    for (const auto& dew : {d.water, d.okkes, d.verhoff}) {
                        if (dew) {
                            out[i][c] = gp::celsiusInUnits(units.uTP, *dew);
                        }
                        ++i;
                    }
                }
            }
            messages[c] = recorder.messages();
        }
    }

    py::dict batch;
    std::size_t i = 0;
    for (const gpc::PropertyColumn& column : gpc::kPropertyColumns) {
        batch[py::str(column.key.data(), column.key.size())] = results[i++];
    }
    py::dict dewPoints;
    for (const char* name : {"water", "okkes", "verhoff"}) dewPoints[name] = results[i++];
    batch["dew_points"] = dewPoints;
    py::dict unitTexts;
    for (const gpc::PropertyColumn& column : gpc::kPropertyColumns) {
        const std::string text = gpc::unitText(units, column.key);
        if (!text.empty()) unitTexts[py::str(column.key.data(), column.key.size())] = text;
    }
    unitTexts["dew_points"] =
        tw::units::quantity(tw::QuantityId::TP).units[static_cast<std::size_t>(units.uTP)].display;
    batch["units"] = unitTexts;
    twsuite::InterpreterTurns turns;
    py::list perCase(n);
    for (std::size_t c = 0; c < n; ++c) {
        py::list list;
        for (const tw::RecordedMessage& m : messages[c]) {
            py::dict d;
            d["caption"] = m.caption;
            d["text"] = m.text;
            d["icon"] = std::string(tw::iconName(m.icon));
            list.append(std::move(d));
        }
        perCase[c] = std::move(list);
        turns(c);
    }
    batch["messages"] = perCase;
    return batch;
}

void addGasPropertiesBatch(py::module_& m, std::mutex& libraryLock) {
    m.def(
        "gas_properties_batch",
        [&libraryLock](const py::dict& numbers, const py::dict& settings, const std::string& lang) {
            return gasPropertiesBatch(numbers, settings, lang, libraryLock);
        },
        py::arg("numbers"), py::arg("settings"), py::arg("lang"),
        "The properties of one flue gas state per array element, without the interpreter lock.");
    std::vector<std::string> numberColumns(std::begin(kNumberColumns), std::end(kNumberColumns));
    m.attr("GAS_PROPERTIES_NUMBERS") = numberColumns;
    std::vector<std::string> settingNames;
    for (const std::string_view name : gpc::kCaseOptionNames) {
        if (std::find(std::begin(kNumberColumns), std::end(kNumberColumns), name) ==
            std::end(kNumberColumns)) {
            settingNames.emplace_back(name);
        }
    }
    m.attr("GAS_PROPERTIES_SETTINGS") = settingNames;
}

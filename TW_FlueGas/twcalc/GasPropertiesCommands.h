#pragma once
// twcalc gas-properties: the physical properties of a flue gas as values, for every front end
// of the command layer (the command, its CSV batch and the Python batch).

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "GasProperties.h"
#include "GasPropertyUnits.h"
#include "Session.h"

namespace twcalc::gasprops {

// The options of one case, without "--", in the order of a batch's input columns.
inline constexpr std::array<std::string_view, 17> kCaseOptionNames{
    "n2", "ar",  "o2",  "co2",    "co",      "so2",      "h2o",    "basis", "t",
    "p",  "utp", "upr", "uvisco", "uthcond", "udensity", "uentro", "uenth"};

using tw::gasprops::absolutePascal;
using tw::gasprops::GasUnits;
using tw::gasprops::kelvin;
using tw::gasprops::kPropertyColumns;
using tw::gasprops::PropertyColumn;
using tw::gasprops::propertyInUnits;
using tw::gasprops::unitText;

struct GasCase {
    bool isVolumeBasis = true;
    std::array<double, tw::kGasComponentCount> percent{};  // GasComponent order
    // Numbers by the command line's rule, as the doubles of their decimal texts.
    std::optional<double> t;  // in uTP
    std::optional<double> p;  // in uPR; 101.325 kPa when left out
    GasUnits units;
};

// Reads the named options of one case (texts as given; an empty text is an option left out).
// A UsageError naming the option when a value cannot be used.
GasCase gasCaseFromOptions(const std::vector<std::pair<std::string, std::string>>& options);

// A number of the command line (a finite float) as the double of its decimal text.
double decimal(float v);

// The properties of a state as the JSON object's keys, in the case's units.
Json propertiesJson(const GasUnits& units, const tw::gasprops::GasProperties& properties);
// A dew point in oC as the JSON value in uTP (null when there is none).
Json dewPointJson(const GasUnits& units, const std::optional<double>& celsius);

}  // namespace twcalc::gasprops

#pragma once
// The gas properties as users see them: each property by its key ("density", "viscosity", ...)
// in the units of the catalogue that the user chose, and temperatures and pressures from the
// user's units, in double precision.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "GasProperties.h"
#include "Units.h"
#include "tw/Language.h"

namespace tw::gasprops {

// The units of the inputs and results: indexes into the catalogue's lists.
struct GasUnits {
    int uTP = 0, uPR = 0, uVisco = 0, uThCond = 0, uDensity = 0, uENTRO = 0, uENTH = 0;
};

// One property: its key, its member of GasProperties, and how it is shown: through a quantity
// of the catalogue (from the unit siUnit, after scaling the SI value by siScale) or in the
// fixed unit (empty for a dimensionless property).
struct PropertyColumn {
    std::string_view key;
    double GasProperties::*member;
    std::optional<QuantityId> quantity;
    int siUnit;
    double siScale;
    std::string_view fixedUnit;
    BilingualText caption;  // as tables and reports show it
};
// Every property of a state, in the order users see them.
extern const std::array<PropertyColumn, 13> kPropertyColumns;
// The captions of the dew points: water, Okkes, Verhoff and Banchero.
extern const std::array<BilingualText, 3> kDewPointCaptions;
// The column of a key; std::out_of_range for another key.
const PropertyColumn& propertyColumn(std::string_view key);

// A property in the chosen units, and the unit text of its key ("" when dimensionless).
double propertyInUnits(const GasUnits& units, std::string_view key, double si);
std::string unitText(const GasUnits& units, std::string_view key);
// The display text of a unit of the catalogue.
std::string unitDisplay(QuantityId q, int index);
// The unit index of `units` for a quantity of the gas properties.
int unitOf(const GasUnits& units, QuantityId q);

// A temperature in `uTP` in kelvin and back, a pressure in `uPR` as an absolute pressure in Pa
// and back, and a temperature in oC (a dew point) in `uTP`.
double kelvin(int uTP, double t);
double fromKelvin(int uTP, double T);
double absolutePascal(int uPR, double p);
double fromAbsolutePascal(int uPR, double p);
double celsiusInUnits(int uTP, double celsius);

}  // namespace tw::gasprops

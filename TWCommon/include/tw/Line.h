#pragma once
// A line: an ordered run of pipe segments from an inlet to an outlet, each with its bore, its
// length and rise (or its end coordinates) and its fittings, carrying one fluid at one mass
// flow. The calculation walks the segments from the inlet: the outlet pressure of one segment
// is the inlet pressure of the next. Steam and water take their properties from the steam
// table, isenthalpic from the inlet state; a gas expands at constant temperature and viscosity.
// Compressible segments are taken in sub-steps that each drop a small share of their own inlet
// pressure, so that the density stays that of the sub-step.
//
// Every value of the model is in the line's own units (LineUnits): what a file holds, so that
// writing a line back gives the same numbers.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "tw/Language.h"

namespace tw::line {

// Unit indexes into the catalogue lists, 0 the base unit: pressure (absolute or gauge),
// temperature, mass flow, pipe bore and roughness, length (runs, rises, coordinates), dynamic
// viscosity, specific volume, velocity. Drops are pressure differences in the pressure unit.
struct LineUnits {
    int upr = 0, utp = 0, umflow = 0, updia = 0, ulen = 0, uvisco = 0, usvol = 0, uvel = 0;
};

// The fields of a file that the program does not know, kept as written: (key, JSON text).
using UnknownFields = std::vector<std::pair<std::string, std::string>>;

struct FittingGroup {
    std::int32_t kind = 0;  // catalogue index (enmVF)
    std::int32_t quantity = 1;
    float para1 = 0, para2 = 0;
    UnknownFields unknown;
};

// Length along the pipe and rise (outlet above inlet positive).
struct LengthAndRise {
    float length = 0, rise = 0;
};
// End coordinates (north, east, up).
struct EndCoordinates {
    std::array<float, 3> from{}, to{};
};

struct Segment {
    // The bore: a nominal size and schedule, or an inside diameter (updia).
    std::string nps, schedule;
    std::optional<float> insideDiameter;
    std::optional<float> roughness;  // updia; commercial steel when absent
    std::variant<LengthAndRise, EndCoordinates> route;
    std::vector<FittingGroup> fittings;
    UnknownFields unknown;
};

// The fluid at the line's inlet.
struct SteamOrWater {
    bool steam = true;  // superheated steam, else compressed (subcooled) water
    float pressure = 0, temperature = 0;
};
struct SaturatedSteam {
    float pressure = 0, dryness = 1;
};
struct SaturatedWater {
    float pressure = 0;
};
// An ideal gas of the flue gas species; its mean molar mass is worked out from the composition
// by the program that knows the species (the calculation needs only the molar mass).
struct Gas {
    std::array<float, 7> composition{};  // N2, O2, CO2, CO, SO2, H2O, Ar
    bool volumeBasis = true;
    float pressure = 0, temperature = 0, viscosity = 0, isentropicExponent = 1.4f;
    std::optional<double> molarMass;  // kg/kmol
    // False where the file leaves the viscosity or the isentropic exponent out: the program
    // that knows the species works them out from the composition at the inlet state.
    bool viscosityGiven = true, exponentGiven = true;
};
struct TypedFluid {
    bool liquid = true;
    float pressure = 0, specificVolume = 0, viscosity = 0, isentropicExponent = 1.4f;
};
using Fluid = std::variant<SteamOrWater, SaturatedSteam, SaturatedWater, Gas, TypedFluid>;

// The seven species in the order of Gas::composition, as the file names them.
inline constexpr std::array<const char*, 7> kGasSpeciesNames{"N2",  "O2",  "CO2", "CO",
                                                             "SO2", "H2O", "Ar"};

inline constexpr double kDefaultMaxSubstepDropPercent = 1.0;
inline constexpr float kCommercialSteelRoughnessMm = 0.0457f;

struct Line {
    LineUnits units;
    double maxSubstepDropPercent = kDefaultMaxSubstepDropPercent;
    Fluid fluid = SteamOrWater{};
    float massFlow = 0;
    std::vector<Segment> segments;
    UnknownFields unknown;                     // top level
    UnknownFields unknownUnits, unknownFluid;  // inside "units" and "fluid"
};

// Results, in the line's units.
struct FittingResult {
    std::int32_t kind = 0, quantity = 0;
    double K = 0;            // per fitting, referred to the diameter its formula uses
    double dP = 0;           // of the whole group
    bool automatic = false;  // the reducer or increaser the line put in for a change of size
};

struct SegmentResult {
    double inletPressure = 0, outletPressure = 0;
    // At the segment's inlet.
    double velocity = 0, reynolds = 0, frictionFactor = 0, specificVolume = 0, viscosity = 0;
    double fT = 0;
    double dPFriction = 0, dPFittings = 0, dPStatic = 0, dP = 0;
    int substeps = 0;
    std::vector<FittingResult> fittings;
};

// A message of the calculation: the segment it comes from (1 the first, 0 the inlet fluid or the
// line as a whole) and its text.
struct LineMessage {
    int segment = 0;
    std::string text;
};

struct LineResult {
    std::vector<SegmentResult> segments;
    double totalDP = 0, outletPressure = 0;
    std::vector<LineMessage> messages;
    // The calculation refused the line (its messages say why); the segments are those before.
    bool refused = false;
};

// Calculates the line. Messages of the library's formulas are collected into the result, in
// `language` for those of the line itself. The steam table files are those beside the library;
// tw::AutomationError for a floating-point fault of the formulas.
LineResult calculate(const Line& line, std::int32_t language = TW_English);

}  // namespace tw::line

#pragma once
// The fuel and air options of a combustion case, shared by the commands that start from a fuel
// (combustion, efficiency): the option table, its parsing into a combustion input, and the
// combustion result as JSON, as text and as CSV columns.

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Combustion.h"
#include "Session.h"

namespace twcalc {

// The texts of the fuel and air options as given; empty when left out.
struct FuelAirArgs {
    std::string fuelMass, fuelGas;
    std::string excessAir, o2Dry, o2Wet;
    std::string humidity, rh, airTemperature, coPpm, hhv;
};

// One option of a case: on the command line "--" + name, in a CSV batch the column name with
// "_" for "-".
template <class Args>
struct CaseOption {
    const char* name;
    std::string Args::*field;
    const char* help;
};
using FuelAirOption = CaseOption<FuelAirArgs>;
extern const std::array<FuelAirOption, 10> kFuelAirOptions;

// Adds the fuel and air options to a command, writing into `args`.
void addFuelAirOptions(CLI::App& command, FuelAirArgs& args);
// True when any fuel or air option was given.
bool anyFuelAirOption(const FuelAirArgs& args);

// The combustion input of the options; ArgumentsError when they do not fit together, UsageError
// for a value that cannot be read.
tw::fluegas::CombustionInput combustionInputFrom(const FuelAirArgs& args);

// A number by the rules of every twcalc number (parseFloat), kept in double precision.
double parseNumber(const std::string& text, const std::string& what);
// How many of the options were given.
int countGiven(std::initializer_list<const std::string*> options);

std::string columnName(std::string_view option);
std::string joined(std::initializer_list<std::string_view> pieces);
std::string trimmed(std::string_view text);

Json optionalNumber(const std::optional<double>& value);
// The object of twcalc combustion without its messages.
Json combustionResultJson(const tw::fluegas::FlueGasFromFuelResult& result);
// The result lines (caption, value, unit), then the composition in three columns.
std::string combustionResultText(const tw::fluegas::FlueGasFromFuelResult& result,
                                 std::int32_t language);
// Rows of cells in columns two blanks apart: the first column left-aligned, the others right.
std::string alignedColumns(const std::vector<std::vector<std::string>>& rows);
// A JSON object's scalars as CSV columns: the keys joined by "_" as names, numbers as the JSON
// writer writes them, null as empty.
void flattenJson(const Json& value, const std::string& name,
                 std::vector<std::pair<std::string, std::string>>& columns);

}  // namespace twcalc

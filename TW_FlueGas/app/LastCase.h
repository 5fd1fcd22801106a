#pragma once
// The case the calculator showed when it last closed, kept in a per-user state file (an INI
// file in the user's configuration folder) so that the window reopens with it: the texts of
// the composition rows and of the two temperatures with the temperature unit they are in, the
// composition basis, the enthalpy formula and the SO3 conversion mode (with the user's rate).
// The settings file TW_FlueGas.twn stays as it is; this file is a convenience, so a damaged
// one is ignored value by value, without a message.

#include <filesystem>
#include <optional>

#include "CalculationReport.h"
#include "FlueGasBatch.h"

namespace tw::fluegas {

inline constexpr const char* kLastCaseFileName = "LastCase.ini";

// The case in the file. Every value that is missing or unusable keeps its default (an empty
// cell, volume basis, formula 0, automatic SO3 conversion); the temperatures count only with a
// usable temperature unit (FlueGasCase::uTP). Nothing when there is no file, when something
// other than a regular file takes its name, or when it cannot be read.
std::optional<FlueGasCase> readLastCase(const std::filesystem::path& file);

// Writes the case whole (QSettings replaces the file in one step), keeping the window's
// choices beside it. Something other than a regular file in its place is left alone. False
// when the file could not be written.
bool writeLastCase(const std::filesystem::path& file, const FlueGasCase& flueGasCase);

// Whether the file's lock ("NAME.lock", which the write takes) can be had within `waitMs`
// milliseconds. A lock left by a program on another computer counts as held until it is half a
// minute old; an exit should not wait that long for a convenience file.
bool lastCaseLockFree(const std::filesystem::path& file, int waitMs);

// What the user chose in the window and wants kept: the language picked in the Language menu
// (nothing until one was picked) and the header fields of the calculation sheet.
struct WindowChoices {
    std::optional<std::int32_t> language;
    ReportHeader header;
};
// The choices in the file; an unusable value is left at its default, a missing file gives
// the defaults.
WindowChoices readWindowChoices(const std::filesystem::path& file);
// Writes the choices beside the case in the file. False when the file could not be written.
bool writeWindowChoices(const std::filesystem::path& file, const WindowChoices& choices);

}  // namespace tw::fluegas

#pragma once
// The settings file TW_FlueGas.twn: the calculator's default units, 23 unit indexes, one per
// line (CR LF), in alphabetical order of the quantity names. Plain C++ (no Qt), so that the
// reading and writing rules can be tested on their own.

#include <array>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "AtomicFile.h"
#include "tw/AutomationError.h"
#include "tw/Unit.h"

namespace tw::fluegas {

// The quantity held by each line of the file, line 1 first.
inline constexpr std::array<QuantityId, 23> kSettingsLineOrder = {
    QuantityId::Area,    QuantityId::Density, QuantityId::Energy,    QuantityId::ENTH,
    QuantityId::ENTRO,   QuantityId::Force,   QuantityId::HtDensity, QuantityId::HtResist,
    QuantityId::HtTrans, QuantityId::Len,     QuantityId::Mass,      QuantityId::MFlow,
    QuantityId::PDia,    QuantityId::Power,   QuantityId::PR,        QuantityId::SVOL,
    QuantityId::ThCond,  QuantityId::TP,      QuantityId::Vel,       QuantityId::VFlow,
    QuantityId::Visco,   QuantityId::ViscoX,  QuantityId::Vol};

inline constexpr std::string_view kSettingsExtension = ".twn";

// What reading the settings gave.
enum class SettingsOrigin {
    Read,          // 23 lines were read (some may have been refused, see `error`)
    CreatedEmpty,  // there was no file; an empty one was created
    TooShort,      // fewer than 23 lines (an empty file included): nothing was taken over
    Unreadable,    // the name exists but cannot be read as a file: unreadable, or a folder,
                   // a named pipe or a device in the file's place (see `error`)
};

struct SettingsRead {
    Unit units;  // class defaults, with every valid line taken over
    SettingsOrigin origin = SettingsOrigin::CreatedEmpty;
    // The first refused line or the failure to open: shown once to the user as "Error #".
    std::optional<AutomationError> error;
};

// Collects the lines a settings file contributes: its first 23 lines, each cut to a length no
// unit index needs, so that a stray huge file is never held whole. Bytes arrive in any pieces.
class SettingsLines {
  public:
    void feed(std::string_view bytes);
    // True once 23 lines are complete: the rest of the file does not matter.
    bool full() const noexcept { return lines_ == kSettingsLineOrder.size(); }
    // The collected lines, each ending in a line feed (a last line without one included).
    std::string text() const;

  private:
    std::string text_;
    std::size_t lines_ = 0;
    std::size_t lineLength_ = 0;  // characters of the open line seen so far
};

// Applies the text of a settings file to class-default units. A line that is not a decimal
// integer (error 13) or not an index of its quantity's list (error 9) leaves that quantity at
// its default; the first such refusal is reported.
SettingsRead parseSettings(std::string_view text);

// The file text for `units`: 23 lines, each ending in CR LF.
std::string settingsText(const Unit& units);

// Reads the file at `path`. A missing file is created empty (an error is reported only when
// that creation fails, with origin CreatedEmpty and the error set). Only a regular file is read:
// the name is opened without waiting (a named pipe without a writer never blocks the start) and
// anything else in its place is Unreadable.
SettingsRead loadSettingsFile(const std::filesystem::path& path);

// When this program started; temporary files of an interrupted save are older than that.
std::filesystem::file_time_type programStartTime();

// Writes the file whole into a temporary file beside it and renames that over it, so the old
// file stays intact until the new one is complete. Every failure removes the temporary file,
// and temporary files of earlier saves that were interrupted (named like ours and older than
// `startedAt`) are removed first. A name taken by something other than a regular file is not
// replaced (error 75). Returns the error on failure.
std::optional<AutomationError> saveSettingsFile(
    const std::filesystem::path& path, const Unit& units,
    std::filesystem::file_time_type startedAt = programStartTime());

// Whether `dir` lies in the system's shared software folders (/usr, /opt, /bin, /sbin and
// below), where a program installed for every user lives and no user's settings belong.
bool isSharedProgramDirectory(const std::filesystem::path& dir);

// Where the settings live: beside the program when it runs from a folder of its own (not a
// shared program directory) that accepts new files, otherwise in the per-user configuration
// directory (created when needed).
std::filesystem::path settingsFilePath(const std::filesystem::path& programDir,
                                       const std::filesystem::path& userConfigDir,
                                       std::string_view baseName);

}  // namespace tw::fluegas

#pragma once
// Files written whole: the text goes into a temporary file beside the target, is forced to the
// disk and renamed over the target only when complete, so that a failure or a crash never
// leaves half a file and the previous file stays as it was. Plain C++ (no Qt).

#include <filesystem>
#include <optional>
#include <string_view>

#include "tw/AutomationError.h"

namespace tw::fluegas {

// The platform's file error for a system error number: 70 "Permission denied" for a refused
// access, 57 "Device I/O error" when the disk or a size limit stops a write, 75
// "Path/File access error" otherwise.
AutomationError fileAccessError(int errorNumber);

// A temporary file name beside `path`: its name, ".tmp" and up to six hexadecimal digits. The
// settings folder's probe takes such names, and earlier versions of the program saved through
// them.
std::filesystem::path temporaryBeside(const std::filesystem::path& path);
// Whether `name` is such a temporary file name for a file named `target`.
bool isTemporaryOf(std::string_view name, std::string_view target);

// True when `path` names something other than a regular file (a folder, a named pipe, a
// device), which a save must not replace.
bool nameTakenByNonFile(const std::filesystem::path& path);

// Writes `text` as the whole content of `path` through the library's atomic file writer (a
// link is followed to its file; the temporary file is removed on every failure); a name taken
// by something other than a regular file is not replaced (error 75). Returns the error on
// failure.
std::optional<AutomationError> writeFileAtomically(const std::filesystem::path& path,
                                                   std::string_view text);

}  // namespace tw::fluegas

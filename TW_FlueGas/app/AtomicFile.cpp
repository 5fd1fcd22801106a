#include "AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <random>
#include <string>

#include "tw/AtomicFile.h"

namespace tw::fluegas {
namespace {

namespace fs = std::filesystem;

constexpr int kPermissionDenied = 70;
constexpr int kPathFileAccess = 75;
constexpr int kDeviceIo = 57;

constexpr std::string_view kTemporaryTag = ".tmp";
constexpr std::size_t kTemporaryDigits = 6;

}  // namespace

AutomationError fileAccessError(int errorNumber) {
    switch (errorNumber) {
        case EACCES:
        case EPERM:
        case EROFS:
            return AutomationError(kPermissionDenied, "Permission denied");
        case ENOSPC:
        case EFBIG:
        case EDQUOT:
        case EIO:
            return AutomationError(kDeviceIo, "Device I/O error");
        default:
            return AutomationError(kPathFileAccess, "Path/File access error");
    }
}

fs::path temporaryBeside(const fs::path& path) {
    std::random_device seed;
    const unsigned tag = std::uniform_int_distribution<unsigned>(0, 0xFFFFFF)(seed);
    char suffix[16];
    const auto r = std::to_chars(suffix, suffix + sizeof suffix, tag, 16);
    fs::path tmp = path;
    tmp += kTemporaryTag;
    tmp += std::string(suffix, r.ptr);
    return tmp;
}

bool isTemporaryOf(std::string_view name, std::string_view target) {
    if (!name.starts_with(target)) return false;
    name.remove_prefix(target.size());
    if (!name.starts_with(kTemporaryTag)) return false;
    name.remove_prefix(kTemporaryTag.size());
    if (name.empty() || name.size() > kTemporaryDigits) return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool nameTakenByNonFile(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    return fs::exists(status) && !fs::is_regular_file(status);
}

std::optional<AutomationError> writeFileAtomically(const fs::path& path, std::string_view text) {
    if (nameTakenByNonFile(path)) return fileAccessError(EISDIR);
    try {
        tw::writeFileAtomically(path, text);
    } catch (const FileError& e) {
        return fileAccessError(e.systemError());
    }
    return std::nullopt;
}

}  // namespace tw::fluegas

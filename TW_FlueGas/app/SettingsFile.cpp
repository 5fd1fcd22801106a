#include "SettingsFile.h"

#include <cerrno>
#include <charconv>
#include <fstream>
#include <random>
#include <system_error>

namespace tw::fluegas {
namespace {

namespace fs = std::filesystem;

// Platform file errors with their standard descriptions.
constexpr int kTypeMismatch = 13;
constexpr int kPermissionDenied = 70;
constexpr int kPathFileAccess = 75;
constexpr int kDeviceIo = 57;

AutomationError fileError(int number) {
    switch (number) {
        case kTypeMismatch:
            return AutomationError(number, "Type mismatch");
        case kPermissionDenied:
            return AutomationError(number, "Permission denied");
        case kDeviceIo:
            return AutomationError(number, "Device I/O error");
        default:
            return AutomationError(kPathFileAccess, "Path/File access error");
    }
}

AutomationError openError(int err) {
    return fileError(err == EACCES || err == EPERM ? kPermissionDenied : kPathFileAccess);
}

// A line longer than this cannot hold a unit index; reading stops there, so a stray large
// file never gets loaded whole.
constexpr std::size_t kLongestLine = 64;

std::string_view trimBlanks(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// One line as a unit index of `q`; the error when it is refused.
std::optional<AutomationError> applyLine(Unit& units, QuantityId q, std::string_view line) {
    const std::string_view digits = trimBlanks(line);
    int value = 0;
    const char* first = digits.data();
    const char* last = first + digits.size();
    if (!digits.empty() && *first == '+') ++first;  // "+3" is still an integer
    const auto [end, ec] = std::from_chars(first, last, value);
    if (digits.empty() || end != last) return fileError(kTypeMismatch);
    if (ec == std::errc::result_out_of_range) return AutomationError(ErrorNumber::Overflow);
    if (!units::quantity(q).valid(value)) return AutomationError(ErrorNumber::SubscriptOutOfRange);
    units.setUnit(q, value);
    return std::nullopt;
}

bool createEmptyFile(const fs::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    return static_cast<bool>(out);
}

fs::path temporaryBeside(const fs::path& path) {
    std::random_device seed;
    const unsigned tag = std::uniform_int_distribution<unsigned>(0, 0xFFFFFF)(seed);
    char suffix[16];
    const auto r = std::to_chars(suffix, suffix + sizeof suffix, tag, 16);
    fs::path tmp = path;
    tmp += ".tmp";
    tmp += std::string(suffix, r.ptr);
    return tmp;
}

// Whether new files can be made in `dir`: a probe file is created and removed.
bool acceptsNewFiles(const fs::path& dir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return false;
    const fs::path probe = temporaryBeside(dir / "TW_FlueGas.probe");
    {
        std::ofstream out(probe, std::ios::binary);
        if (!out) return false;
    }
    fs::remove(probe, ec);
    return true;
}

}  // namespace

SettingsRead parseSettings(std::string_view text) {
    SettingsRead result;
    result.origin = SettingsOrigin::Read;
    std::array<std::string_view, kSettingsLineOrder.size()> lines{};
    std::size_t count = 0;
    while (count < lines.size() && !text.empty()) {
        const std::size_t lf = text.find('\n');
        lines[count++] = text.substr(0, lf);
        text = lf == std::string_view::npos ? std::string_view{} : text.substr(lf + 1);
    }
    // Fewer lines than quantities: the end of the file came first, nothing is taken over.
    if (count < lines.size()) {
        result.origin = SettingsOrigin::TooShort;
        return result;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto refused = applyLine(result.units, kSettingsLineOrder[i], lines[i]);
        if (refused && !result.error) result.error = std::move(refused);
    }
    return result;
}

std::string settingsText(const Unit& units) {
    std::string text;
    for (QuantityId q : kSettingsLineOrder) {
        text += std::to_string(units.current(q));
        text += "\r\n";
    }
    return text;
}

SettingsRead loadSettingsFile(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        SettingsRead created;
        created.origin = SettingsOrigin::CreatedEmpty;
        if (!createEmptyFile(path)) created.error = openError(errno);
        return created;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in || fs::is_directory(path, ec)) {
        SettingsRead unreadable;
        unreadable.origin = SettingsOrigin::Unreadable;
        unreadable.error = openError(errno);
        return unreadable;
    }
    // Only the first 23 lines matter; read no more than they can take.
    std::string text;
    std::string line;
    for (std::size_t i = 0; i < kSettingsLineOrder.size(); ++i) {
        if (!std::getline(in, line)) break;
        if (line.size() > kLongestLine) line.resize(kLongestLine);
        text += line;
        text += '\n';
        if (in.eof()) break;
    }
    return parseSettings(text);
}

std::optional<AutomationError> saveSettingsFile(const fs::path& path, const Unit& units) {
    const fs::path tmp = temporaryBeside(path);
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return openError(errno);
        const std::string text = settingsText(units);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            fs::remove(tmp, ignored);
            return fileError(kDeviceIo);
        }
    }
    std::error_code ec;
    fs::rename(tmp, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(tmp, ignored);
        return openError(ec.value());
    }
    return std::nullopt;
}

bool isSharedProgramDirectory(const fs::path& dir) {
    if (dir.empty()) return false;
    std::error_code ec;
    const fs::path inside = fs::absolute(dir, ec).lexically_normal().relative_path();
    if (ec || inside.empty()) return false;
    const fs::path top = *inside.begin();
    return top == "usr" || top == "opt" || top == "bin" || top == "sbin";
}

fs::path settingsFilePath(const fs::path& programDir, const fs::path& userConfigDir,
                          std::string_view baseName) {
    std::string name(baseName);
    name += kSettingsExtension;
    // A program installed for every user keeps each user's settings apart, even where the
    // shared folder is writable (as it is for root).
    const bool besideProgram = !isSharedProgramDirectory(programDir) && acceptsNewFiles(programDir);
    if (besideProgram || userConfigDir.empty()) return programDir / name;
    std::error_code ec;
    fs::create_directories(userConfigDir, ec);
    return userConfigDir / name;
}

}  // namespace tw::fluegas

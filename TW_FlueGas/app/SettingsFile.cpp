#include "SettingsFile.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <fstream>
#include <system_error>

#include "tw/FileDescriptor.h"

namespace tw::fluegas {
namespace {

namespace fs = std::filesystem;

AutomationError typeMismatch() {
    return AutomationError(13, "Type mismatch");
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
    if (digits.empty() || end != last) return typeMismatch();
    if (ec == std::errc::result_out_of_range) return AutomationError(ErrorNumber::Overflow);
    if (!units::quantity(q).valid(value)) return AutomationError(ErrorNumber::SubscriptOutOfRange);
    units.setUnit(q, value);
    return std::nullopt;
}

bool createEmptyFile(const fs::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    return static_cast<bool>(out);
}

// The probe that tells whether the program's folder takes new files.
constexpr std::string_view kProbeName = "TW_FlueGas.probe";

// Removes what an interrupted save (or probe) left beside `path`: regular files named like our
// temporaries and last written before `startedAt`. A newer one may belong to another copy of
// the program that is saving right now, and is left alone.
void removeStaleTemporaries(const fs::path& path, fs::file_time_type startedAt) {
    std::error_code ec;
    const fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const std::string target = path.filename().string();
    fs::directory_iterator it(dir, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!isTemporaryOf(name, target) && !isTemporaryOf(name, kProbeName)) continue;
        std::error_code entryError;
        if (!it->is_regular_file(entryError) || it->is_symlink(entryError)) continue;
        const auto written = it->last_write_time(entryError);
        if (entryError || written >= startedAt) continue;
        fs::remove(it->path(), entryError);
    }
}

// Whether new files can be made in `dir`: a probe file is created and removed.
bool acceptsNewFiles(const fs::path& dir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return false;
    const fs::path probe = temporaryBeside(dir / kProbeName);
    {
        std::ofstream out(probe, std::ios::binary);
        if (!out) return false;
    }
    fs::remove(probe, ec);
    return true;
}

}  // namespace

// The program's start, taken while the program's static data is set up.
const fs::file_time_type kProgramStarted = fs::file_time_type::clock::now();

void SettingsLines::feed(std::string_view bytes) {
    for (char c : bytes) {
        if (full()) return;
        if (c == '\n') {
            text_ += '\n';
            ++lines_;
            lineLength_ = 0;
        } else if (lineLength_++ < kLongestLine) {
            text_ += c;
        }
    }
}

std::string SettingsLines::text() const {
    // A last line without its line end still counts.
    if (full() || lineLength_ == 0) return text_;
    return text_ + '\n';
}

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
        if (!createEmptyFile(path)) created.error = fileAccessError(errno);
        return created;
    }
    // Anything but a regular file (a named pipe would hang the start) counts as damaged.
    const tw::RegularFileForReading file = tw::openRegularFileForReading(path);
    if (!file.fd.valid()) {
        SettingsRead unreadable;
        unreadable.origin = SettingsOrigin::Unreadable;
        unreadable.error = fileAccessError(file.error);
        return unreadable;
    }
    // Only the first 23 lines matter; read no more than they can take.
    SettingsLines lines;
    char buffer[4096];
    while (!lines.full()) {
        const ssize_t n = ::read(file.fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        lines.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    return parseSettings(lines.text());
}

fs::file_time_type programStartTime() {
    return kProgramStarted;
}

std::optional<AutomationError> saveSettingsFile(const fs::path& path, const Unit& units,
                                                fs::file_time_type startedAt) {
    if (nameTakenByNonFile(path)) return fileAccessError(EISDIR);
    removeStaleTemporaries(path, startedAt);
    return writeFileAtomically(path, settingsText(units));
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

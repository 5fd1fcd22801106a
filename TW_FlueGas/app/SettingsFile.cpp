#include "SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// Temporary files are named after the file they replace: ".tmp" and up to six hexadecimal
// digits.
constexpr std::string_view kTemporaryTag = ".tmp";
constexpr std::size_t kTemporaryDigits = 6;

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

// Whether `name` is a temporary file name of ours for the file named `target`.
bool isTemporaryOf(std::string_view name, std::string_view target) {
    if (!name.starts_with(target)) return false;
    name.remove_prefix(target.size());
    if (!name.starts_with(kTemporaryTag)) return false;
    name.remove_prefix(kTemporaryTag.size());
    if (name.empty() || name.size() > kTemporaryDigits) return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
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

// The temporary file of one save: created new (never an existing file of that name), removed
// again on every way out except a completed rename.
class TemporaryFile {
  public:
    explicit TemporaryFile(const fs::path& target) : path_(temporaryBeside(target)) {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        error_ = fd_ < 0 ? errno : 0;
        created_ = fd_ >= 0;
    }
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (created_ && !committed_) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool created() const noexcept { return created_; }
    int error() const noexcept { return error_; }

    // Writes all of `text`, forces it to the disk and closes the file; false on any failure.
    bool writeAndClose(std::string_view text) {
        while (!text.empty()) {
            const ssize_t n = ::write(fd_, text.data(), text.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return fail();
            text.remove_prefix(static_cast<std::size_t>(n));
        }
        if (::fsync(fd_) != 0) return fail();
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) return fail();
        return true;
    }

    // Renames the temporary file over `target`; the error number on failure.
    std::error_code renameOver(const fs::path& target) {
        std::error_code ec;
        fs::rename(path_, target, ec);
        if (!ec) committed_ = true;
        return ec;
    }

  private:
    bool fail() {
        error_ = errno;
        return false;
    }

    fs::path path_;
    int fd_ = -1;
    int error_ = 0;
    bool created_ = false;
    bool committed_ = false;
};

// A file opened for reading without waiting on a named pipe or a device: the descriptor only
// when it is a regular file, the error number otherwise.
struct OpenedFile {
    int fd = -1;
    int error = 0;
    bool regular = false;
};

OpenedFile openRegularForReading(const fs::path& path) {
    OpenedFile file;
    file.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file.fd < 0) {
        file.error = errno;
        return file;
    }
    struct stat st {};
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        file.error = EISDIR;  // anything but a regular file counts as a damaged settings file
        ::close(file.fd);
        file.fd = -1;
        return file;
    }
    // Reads of a regular file never wait; clear the flag all the same.
    ::fcntl(file.fd, F_SETFL, ::fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);
    file.regular = true;
    return file;
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
        if (!createEmptyFile(path)) created.error = openError(errno);
        return created;
    }
    const OpenedFile file = openRegularForReading(path);
    if (!file.regular) {
        SettingsRead unreadable;
        unreadable.origin = SettingsOrigin::Unreadable;
        unreadable.error = openError(file.error);
        return unreadable;
    }
    // Only the first 23 lines matter; read no more than they can take.
    SettingsLines lines;
    char buffer[4096];
    while (!lines.full()) {
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        lines.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    ::close(file.fd);
    return parseSettings(lines.text());
}

bool nameTakenByNonFile(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    return fs::exists(status) && !fs::is_regular_file(status);
}

fs::file_time_type programStartTime() {
    return kProgramStarted;
}

std::optional<AutomationError> saveSettingsFile(const fs::path& path, const Unit& units,
                                                fs::file_time_type startedAt) {
    if (nameTakenByNonFile(path)) return fileError(kPathFileAccess);
    removeStaleTemporaries(path, startedAt);
    TemporaryFile tmp(path);
    if (!tmp.created()) return openError(tmp.error());
    if (!tmp.writeAndClose(settingsText(units))) {
        return fileError(kDeviceIo);
    }
    if (const std::error_code ec = tmp.renameOver(path)) return openError(ec.value());
    return std::nullopt;
}

fs::path settingsFilePath(const fs::path& programDir, const fs::path& userConfigDir,
                          std::string_view baseName) {
    std::string name(baseName);
    name += kSettingsExtension;
    if (acceptsNewFiles(programDir) || userConfigDir.empty()) return programDir / name;
    std::error_code ec;
    fs::create_directories(userConfigDir, ec);
    return userConfigDir / name;
}

}  // namespace tw::fluegas

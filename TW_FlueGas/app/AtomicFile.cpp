#include "AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <random>
#include <string>
#include <system_error>

namespace tw::fluegas {
namespace {

namespace fs = std::filesystem;

constexpr int kPermissionDenied = 70;
constexpr int kPathFileAccess = 75;
constexpr int kDeviceIo = 57;

constexpr std::string_view kTemporaryTag = ".tmp";
constexpr std::size_t kTemporaryDigits = 6;

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

    // Writes all of `text`, forces it to the disk and closes the file; false on any failure,
    // a short write included.
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

}  // namespace

AutomationError fileAccessError(int errorNumber) {
    if (errorNumber == EACCES || errorNumber == EPERM || errorNumber == EROFS) {
        return AutomationError(kPermissionDenied, "Permission denied");
    }
    return AutomationError(kPathFileAccess, "Path/File access error");
}

AutomationError deviceIoError() {
    return AutomationError(kDeviceIo, "Device I/O error");
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
    TemporaryFile tmp(path);
    if (!tmp.created()) return fileAccessError(tmp.error());
    if (!tmp.writeAndClose(text)) return deviceIoError();
    if (const std::error_code ec = tmp.renameOver(path)) return fileAccessError(ec.value());
    return std::nullopt;
}

}  // namespace tw::fluegas

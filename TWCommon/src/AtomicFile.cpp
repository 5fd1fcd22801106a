#include "tw/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <random>

#include "tw/FileDescriptor.h"

namespace tw {
namespace fs = std::filesystem;

namespace {

// When this program started, as far as files are concerned: the moment the library was
// loaded, less two seconds for the coarse clocks of file systems (some keep times to two
// seconds). A temporary last written before it cannot belong to a save of this program.
const timespec kProgramStart = [] {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    now.tv_sec -= 2;
    return now;
}();

constexpr std::string_view kTemporaryInfix = ".tmp-";
constexpr std::size_t kRandomLength = 6;
constexpr std::string_view kRandomAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// Links followed at most, as the system does for a path.
constexpr int kMaxLinks = 40;

std::string reasonOf(int error) {
    return std::strerror(error);
}

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

bool isOurTemporaryName(std::string_view name, std::string_view targetName) {
    if (name.size() != targetName.size() + kTemporaryInfix.size() + kRandomLength) return false;
    if (!name.starts_with(targetName)) return false;
    name.remove_prefix(targetName.size());
    if (!name.starts_with(kTemporaryInfix)) return false;
    name.remove_prefix(kTemporaryInfix.size());
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return kRandomAlphabet.find(c) != std::string_view::npos; });
}

bool writtenBeforeProgramStart(const struct stat& st) {
    return st.st_mtim.tv_sec < kProgramStart.tv_sec || (st.st_mtim.tv_sec == kProgramStart.tv_sec &&
                                                        st.st_mtim.tv_nsec < kProgramStart.tv_nsec);
}

// Removes temporaries of `targetName` in `directory` that a writer left behind when it died:
// the name pattern, a regular file of this user with one link, written before this program
// started, and no writer holding its lock. Anything else is left alone; failures are ignored,
// since a leftover costs only space.
void removeStaleTemporaries(const fs::path& directory, const std::string& targetName) {
    const fs::path dirPath = directory.empty() ? fs::path(".") : directory;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(dirPath.c_str()), ::closedir);
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (!isOurTemporaryName(name, targetName)) continue;
        const fs::path path = dirPath / std::string(name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
            st.st_nlink != 1 || !writtenBeforeProgramStart(st)) {
            continue;
        }
        const FileDescriptor fd(
            ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        struct stat opened {};
        if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || opened.st_dev != st.st_dev ||
            opened.st_ino != st.st_ino || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            continue;
        }
        ::unlink(path.c_str());
    }
}

struct Target {
    fs::path path;
    std::optional<struct stat> existing;
};

// Follows symbolic links from `requested` to the file they end at; refuses an existing file
// that is not regular.
Target resolveTarget(const fs::path& requested) {
    fs::path path = requested;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) return {path, std::nullopt};
            const int error = errno;
            throw FileError("cannot write " + quoted(requested) + ": " + reasonOf(error), error);
        }
        if (S_ISREG(st.st_mode)) return {path, st};
        if (!S_ISLNK(st.st_mode)) {
            throw FileError("cannot write " + quoted(requested) +
                            (path == requested ? "" : " (" + quoted(path) + ")") +
                            ": not a regular file");
        }
        std::error_code ec;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) {
            throw FileError("cannot write " + quoted(requested) + ": " + ec.message(), ec.value());
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    throw FileError("cannot write " + quoted(requested) + ": " + reasonOf(ELOOP), ELOOP);
}

std::string randomSuffix() {
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, kRandomAlphabet.size() - 1);
    std::string suffix(kRandomLength, ' ');
    for (char& c : suffix) c = kRandomAlphabet[pick(device)];
    return suffix;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

DescriptorOutput::Buffer::Buffer(int fd) : fd_(fd), space_(std::size_t{1} << 16) {
    setp(space_.data(), space_.data() + space_.size());
}

bool DescriptorOutput::Buffer::writeAll(const char* text, std::size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(fd_, text, count);
        if (written < 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            return false;
        }
        text += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

bool DescriptorOutput::Buffer::drain() {
    if (error_ != 0) return false;
    const bool ok = writeAll(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(space_.data(), space_.data() + space_.size());
    return ok;
}

DescriptorOutput::Buffer::int_type DescriptorOutput::Buffer::overflow(int_type ch) {
    if (!drain()) return traits_type::eof();
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
    return ch;
}

std::streamsize DescriptorOutput::Buffer::xsputn(const char* text, std::streamsize count) {
    if (error_ != 0) return 0;
    const auto n = static_cast<std::size_t>(count);
    if (n <= static_cast<std::size_t>(epptr() - pptr())) {
        std::copy_n(text, n, pptr());
        pbump(static_cast<int>(n));
        return count;
    }
    // Too long for what is left: send the buffer, then keep a short text or write a long one
    // straight through.
    if (!drain()) return 0;
    if (n < space_.size()) {
        std::copy_n(text, n, pptr());
        pbump(static_cast<int>(n));
        return count;
    }
    return writeAll(text, n) ? count : 0;
}

int DescriptorOutput::Buffer::sync() {
    return drain() ? 0 : -1;
}

DescriptorOutput::DescriptorOutput(int fd) : std::ostream(nullptr), buffer_(fd) {
    rdbuf(&buffer_);
}

DescriptorOutput::~DescriptorOutput() {
    buffer_.pubsync();
}

// ---------------------------------------------------------------------------------------------

AtomicFile::Opened AtomicFile::open(const fs::path& path) {
    Target target = resolveTarget(path);
    const fs::path directory = target.path.parent_path();
    const std::string name = target.path.filename().string();
    removeStaleTemporaries(directory, name);

    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path temporary = directory / (name + std::string(kTemporaryInfix) + randomSuffix());
        const int fd =
            ::open(temporary.c_str(),
                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0) {
            const int error = errno;
            if (error == EEXIST) continue;
            throw FileError("cannot write " + quoted(path) + ": " + reasonOf(error), error);
        }
        // The lock tells other programs cleaning up stale temporaries that this one is alive.
        ::flock(fd, LOCK_EX | LOCK_NB);
        if (target.existing) {
            // The new file keeps the old one's permissions and, where allowed, its owner.
            ::fchmod(fd, target.existing->st_mode & 07777);
            if (target.existing->st_uid != ::geteuid() || target.existing->st_gid != ::getegid()) {
                [[maybe_unused]] const int ignored =
                    ::fchown(fd, target.existing->st_uid, target.existing->st_gid);
            }
        }
        return {std::move(target.path), std::move(temporary), fd};
    }
    throw FileError("cannot write " + quoted(path) + ": " + reasonOf(EEXIST), EEXIST);
}

AtomicFile::AtomicFile(const fs::path& path) : AtomicFile(path, open(path)) {}

AtomicFile::AtomicFile(const fs::path& path, Opened opened)
    : requested_(path),
      target_(std::move(opened.target)),
      temporary_(std::move(opened.temporary)),
      fd_(opened.fd),
      stream_(fd_) {}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::discard() noexcept {
    if (!open_) return;
    open_ = false;
    ::unlink(temporary_.c_str());
    ::close(fd_);
}

void AtomicFile::fail(int systemError, const std::string& reason) {
    discard();
    throw FileError("cannot write " + quoted(requested_) + ": " + reason, systemError);
}

void AtomicFile::commit() {
    if (!open_) throw FileError("cannot write " + quoted(requested_) + ": already closed");
    if (!stream_.flush()) {
        fail(stream_.error(),
             stream_.error() != 0 ? reasonOf(stream_.error()) : "the output stream failed");
    }
    if (::fsync(fd_) != 0) fail(errno, reasonOf(errno));
    // Whatever took the target's place meanwhile must still be a file we may replace.
    struct stat st {};
    if (::lstat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) fail(0, "not a regular file");
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail(errno, reasonOf(errno));
    open_ = false;
    ::close(fd_);
    // The rename itself reaches the disk with the directory.
    const fs::path directory = target_.parent_path().empty() ? "." : target_.parent_path();
    const FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

void writeFileAtomically(const fs::path& path, std::string_view contents) {
    AtomicFile file(path);
    file.stream().write(contents.data(), static_cast<std::streamsize>(contents.size()));
    file.commit();
}

}  // namespace tw

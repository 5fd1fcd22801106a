#include "tw/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
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
// The longest name of a directory entry on the file systems in use (NAME_MAX).
constexpr std::size_t kNameMax = 255;
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
    const std::string stem = temporaryStem(targetName);
    if (name.size() != stem.size() + kRandomLength || !name.starts_with(stem)) return false;
    name.remove_prefix(stem.size());
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return kRandomAlphabet.find(c) != std::string_view::npos; });
}

// The temporaries this process holds, for removal when it ends on a signal: the paths' texts
// stay valid while their AtomicFile lives, and a slot is cleared before its path goes.
constexpr std::size_t kSignalSlots = 64;
std::array<std::atomic<const char*>, kSignalSlots> gTemporaries{};

int registerTemporary(const char* path) noexcept {
    for (std::size_t i = 0; i < kSignalSlots; ++i) {
        const char* expected = nullptr;
        if (gTemporaries[i].compare_exchange_strong(expected, path)) return static_cast<int>(i);
    }
    return -1;  // more files open at once than slots: that one is not cleaned on a signal
}

void unregisterTemporary(int& slot) noexcept {
    if (slot >= 0) gTemporaries[static_cast<std::size_t>(slot)].store(nullptr);
    slot = -1;
}

// A file without a name in the system's folder for temporaries, for contents that are copied
// into a target written in place.
int unnamedTemporary() {
    const char* env = std::getenv("TMPDIR");
    const std::string directory = env != nullptr && *env != '\0' ? env : "/tmp";
    int fd = ::open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    std::string name = directory + "/tw-write-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(name.c_str());
    return fd;
}

// A plain write of the existing file would be refused: the error number, else 0.
int writeRefused(const fs::path& target) {
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

// A sticky folder (such as /tmp) lets only the owners of a file or of the folder rename over
// the file.
bool stickyFolderRefusesRename(const fs::path& directory, const struct stat& target) {
    struct stat folder {};
    const fs::path dir = directory.empty() ? fs::path(".") : directory;
    if (::stat(dir.c_str(), &folder) != 0 || (folder.st_mode & S_ISVTX) == 0) return false;
    const uid_t me = ::geteuid();
    return me != 0 && target.st_uid != me && folder.st_uid != me;
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
        unstarted_ += static_cast<std::size_t>(written);
    }
    startWriteback();
    return true;
}

void DescriptorOutput::Buffer::startWriteback() noexcept {
#ifdef __linux__
    // A long output is handed to the disk while it is written, a few megabytes at a time, so
    // that the flush of a commit waits only for its last part. Only a start: nothing waits here,
    // and a descriptor that is no file (a pipe) says so once and is not asked again.
    constexpr std::size_t kWritebackBytes = std::size_t{4} << 20;
    if (!writeback_ || unstarted_ < kWritebackBytes) return;
    unstarted_ = 0;
    if (::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE) != 0) writeback_ = false;
#endif
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

std::string temporaryStem(std::string_view targetName) {
    constexpr std::size_t kLongest = kNameMax - kTemporaryInfix.size() - kRandomLength;
    std::size_t keep = std::min(targetName.size(), kLongest);
    // Not within a character of UTF-8: back to the first byte of the one cut.
    if (keep < targetName.size()) {
        while (keep > 0 && (static_cast<unsigned char>(targetName[keep]) & 0xC0U) == 0x80U) --keep;
    }
    return std::string(targetName.substr(0, keep)) + std::string(kTemporaryInfix);
}

void removeTemporariesOnSignal() noexcept {
    for (auto& slot : gTemporaries) {
        if (const char* path = slot.load()) ::unlink(path);
    }
}

AtomicFile::Opened AtomicFile::open(const fs::path& path) {
    Target target = resolveTarget(path);
    const fs::path directory = target.path.parent_path();
    const std::string name = target.path.filename().string();
    const auto refuse = [&path](int error) {
        throw FileError("cannot write " + quoted(path) + ": " + reasonOf(error), error);
    };
    if (target.existing) {
        if (const int error = writeRefused(target.path); error != 0) refuse(error);
    }
    const auto inPlace = [&]() -> Opened {
        const int fd = unnamedTemporary();
        if (fd < 0) refuse(errno);
        return {std::move(target.path), {}, fd, true};
    };
    if (target.existing &&
        (target.existing->st_nlink > 1 || stickyFolderRefusesRename(directory, *target.existing))) {
        return inPlace();
    }
    removeStaleTemporaries(directory, name);

    const std::string stem = temporaryStem(name);
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path temporary = directory / (stem + randomSuffix());
        const int fd = ::open(temporary.c_str(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0) {
            const int error = errno;
            if (error == EEXIST) continue;
            // A folder that takes no new file: a target that may be written is written in place.
            if ((error == EACCES || error == EPERM) && target.existing) return inPlace();
            refuse(error);
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
      inPlace_(opened.inPlace),
      stream_(fd_) {
    if (!temporary_.empty()) slot_ = registerTemporary(temporary_.c_str());
}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::discard() noexcept {
    if (!open_) return;
    open_ = false;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    unregisterTemporary(slot_);
    ::close(fd_);
}

void AtomicFile::copyIntoTarget() {
    const FileDescriptor out(
        ::open(target_.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (!out.valid()) fail(errno, reasonOf(errno));
    if (::fstat(out.get(), &st) != 0 || !S_ISREG(st.st_mode)) fail(0, "not a regular file");
    std::vector<char> block(std::size_t{1} << 16);
    off_t at = 0;
    while (true) {
        const ssize_t n = ::pread(fd_, block.data(), block.size(), at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail(errno, reasonOf(errno));
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::pwrite(out.get(), block.data() + done,
                                       static_cast<std::size_t>(n - done), at + done);
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) fail(errno, reasonOf(errno));
            done += w;
        }
        at += n;
    }
    if (::ftruncate(out.get(), at) != 0 || ::fsync(out.get()) != 0) fail(errno, reasonOf(errno));
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
    if (inPlace_) {
        copyIntoTarget();
        discard();
        return;
    }
    if (::fsync(fd_) != 0) fail(errno, reasonOf(errno));
    // Whatever took the target's place meanwhile must still be a file we may replace.
    struct stat st {};
    const bool exists = ::lstat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) fail(0, "not a regular file");
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        // A folder that refuses the rename over a file this user may write: in place.
        if ((error == EACCES || error == EPERM) && exists && writeRefused(target_) == 0) {
            copyIntoTarget();
            discard();
            return;
        }
        fail(error, reasonOf(error));
    }
    unregisterTemporary(slot_);
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

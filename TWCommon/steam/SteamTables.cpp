// Loading and checking the steam table files, and keeping the loaded tables in step with the
// files.
//
// How a change of the files is noticed. A lookup used to reopen its files every time, so a
// file that went missing, became unreadable, was truncated or replaced showed at the very next
// lookup. The tables are now read once, and every public call of Stable first asks whether
// anything changed since:
// - At first, and wherever no watch can be set up (inotify unavailable or out of instances, a
//   directory that does not exist) or the directory itself is moved or deleted, each public
//   call compares a stat of every file it uses (device, inode, size, modification and change
//   times) with the file as it was taken, and takes it again when they differ: about 1.3 us a
//   file, against 25 us for the old opening and reading. This misses a rewrite in place that
//   keeps the size within the file system's timestamp resolution, and a change of the manifest
//   alone.
// - A program that goes on looking up (a batch, the window after a while) sets up an inotify
//   watch on the data directory after kCallsBeforeWatching calls. It reports every change to
//   the directory's entries (written, truncated, attributes changed, created, deleted, renamed
//   over), and the question is then one FIONREAD on the watch descriptor, which does not block:
//   about 0.4 us whatever the number of files. The kernel queues an event before the changing
//   call returns, so a change made before a public call starts is always seen by it; the files
//   named by the events are taken again. The watch waits for those calls because it costs a
//   short-lived program more than it saves: closing an inotify instance that has watched waits
//   for the kernel's grace period, some 10 to 15 ms at exit.
// - Inside a ScopedSteamTableState (a batch's block of rows) only the first public call asks the
//   watch; the others work on the state it found, so a change made while the block is being
//   calculated is seen from the next block on. Without the watch every call compares the files
//   as before.
// The check runs once per public call (SSTABLE, Stable, StmVisco and the creation of the object),
// not per internal lookup, so one call always works on one state of the files. A changed file is
// only looked at (is it there?) until a call needs its records; then it is read and checked.

#include "SteamTables.h"

#include <dlfcn.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <map>
#include <string>

#include "tw/FileDescriptor.h"
#include "tw/Stable.h"

namespace tw::steam {
namespace {

constexpr std::size_t kLargestManifest = std::size_t{64} * 1024;

std::atomic<std::uint64_t> lastGeneration{0};

std::int64_t nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

FileIdentity identityOfStat(const struct stat& st) {
    return {true,
            static_cast<std::uint64_t>(st.st_dev),
            static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size),
            nanoseconds(st.st_mtim),
            nanoseconds(st.st_ctim)};
}

// Up to `limit` bytes of a regular file; nullopt when it cannot be opened or read, or is not a
// regular file (a named pipe would block, a directory cannot be read).
std::optional<std::vector<unsigned char>> readRegularFile(const std::filesystem::path& path,
                                                          std::size_t limit) {
    const RegularFileForReading file = openRegularFileForReading(path);
    if (!file.fd.valid()) return std::nullopt;
    std::vector<unsigned char> bytes(limit);
    std::size_t filled = 0;
    while (filled < limit) {
        const ssize_t n = ::read(file.fd.get(), bytes.data() + filled, limit - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        filled += static_cast<std::size_t>(n);
    }
    bytes.resize(filled);
    return bytes;
}

// The file's records as floats, read straight into place; nullopt when it cannot be opened or
// read, or is not a regular file. `whole` tells whether the file held exactly that many bytes.
struct TableBytes {
    std::vector<float> values;
    bool whole = false;
};
std::optional<TableBytes> readTableFile(const std::filesystem::path& path, std::size_t floats) {
    const RegularFileForReading file = openRegularFileForReading(path);
    if (!file.fd.valid()) return std::nullopt;
    TableBytes table;
    if (file.size != floats * 4) return table;  // not the layout's
    table.values.resize(floats);
    auto* bytes = reinterpret_cast<unsigned char*>(table.values.data());
    std::size_t filled = 0;
    while (filled <= floats * 4) {
        unsigned char extra = 0;  // one byte past the end tells a file that grew meanwhile
        unsigned char* at = filled < floats * 4 ? bytes + filled : &extra;
        const std::size_t want = filled < floats * 4 ? floats * 4 - filled : 1;
        const ssize_t n = ::read(file.fd.get(), at, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        filled += static_cast<std::size_t>(n);
    }
    table.whole = filled == floats * 4;
    return table;
}

float littleEndianFloat(const unsigned char* b) {
    const std::uint32_t bits = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 |
                               std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
    return std::bit_cast<float>(bits);
}

bool allFinite(std::span<const float> values) {
    for (float v : values) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

bool plausibleSaturation(std::span<const float> v) {
    if (!allFinite(v)) return false;
    const std::size_t records = v.size() / 8;
    for (std::size_t r = 0; r < records; ++r) {
        const float* x = &v[r * 8];  // p, T, vf, vg, hf, hg, sf, sg
        if (!(x[0] > 0 && x[2] > 0 && x[2] <= x[3] && x[4] <= x[5] && x[6] <= x[7])) return false;
        if (r > 0 && !(x[0] < x[-8] && x[1] < x[-7])) return false;
    }
    return true;
}

bool plausiblePressures(std::span<const float> v) {
    if (!allFinite(v)) return false;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (!(v[i] > 0) || (i > 0 && !(v[i] < v[i - 1]))) return false;
    }
    return true;
}

bool plausibleGrid(std::span<const float> v) {
    for (int row = 0; row < kRows; ++row) {
        const std::span<const float> r = v.subspan(static_cast<std::size_t>(row) * kSlots * 4,
                                                   static_cast<std::size_t>(kSlots) * 4);
        std::size_t entries = 0;  // entries have a positive volume; zeros fill the rest
        while (entries < static_cast<std::size_t>(kSlots) && r[entries * 4 + 1] > 0) ++entries;
        if (entries < 2) return false;
        for (std::size_t i = entries * 4; i < r.size(); ++i) {
            if (r[i] != 0) return false;
        }
        if (!allFinite(r.first(entries * 4))) return false;
        int saturationPairs = 0;
        for (std::size_t e = 1; e < entries; ++e) {
            const float* above = &r[(e - 1) * 4];
            const float* below = &r[e * 4];
            for (int c = 0; c < 4; ++c) {
                if (!(below[c] <= above[c])) return false;
            }
            if (below[0] == above[0]) ++saturationPairs;
        }
        if (saturationPairs > 1) return false;
    }
    return true;
}

}  // namespace

FileIdentity identityOf(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return identityOfStat(st);
}

namespace {

// The checks after the size: the manifest's size and CRC-32, then the values (already decoded
// into `values`).
LoadedFile checkValues(TableFile which, std::vector<float> values,
                       std::span<const unsigned char> bytes, const ManifestRecord& manifest) {
    LoadedFile file;
    if (manifest.named && (!manifest.entry || manifest.entry->size != bytes.size() ||
                           manifest.entry->crc != crc32(bytes))) {
        file.state = FileState::BadChecksum;
        return file;
    }
    const bool plausible = which == kSaturationFile ? plausibleSaturation(values)
                           : which == kPressureFile ? plausiblePressures(values)
                                                    : plausibleGrid(values);
    if (!plausible) {
        file.state = FileState::Implausible;
        return file;
    }
    file.state = FileState::Ready;
    file.values = std::move(values);
    return file;
}

}  // namespace

LoadedFile checkTableFile(TableFile which, std::span<const unsigned char> bytes,
                          const ManifestRecord& manifest) {
    const TableFileLayout& layout = kTableFiles[which];
    if (bytes.size() != layout.bytes()) {
        LoadedFile file;
        file.state = FileState::WrongSize;
        return file;
    }
    std::vector<float> values(layout.floats());
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = littleEndianFloat(&bytes[i * 4]);
    return checkValues(which, std::move(values), bytes, manifest);
}

Manifest readManifest(const std::filesystem::path& directory) {
    const std::filesystem::path path = directory / kManifestFile;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT) return {};
    // One byte beyond the largest manifest tells one that is too large.
    const auto bytes = readRegularFile(path, kLargestManifest + 1);
    if (!bytes || bytes->size() > kLargestManifest) return {Manifest::State::Unusable, {}};
    return {Manifest::State::Present, std::string(bytes->begin(), bytes->end())};
}

LoadedFile lookAtTableFile(const std::filesystem::path& directory, TableFile which) {
    LoadedFile file;
    file.identity = identityOf(directory / kTableFiles[which].name);
    file.state = file.identity.exists ? FileState::NotRead : FileState::Missing;
    return file;
}

LoadedFile loadTableFile(const std::filesystem::path& directory, TableFile which,
                         const Manifest& manifest) {
    const TableFileLayout& layout = kTableFiles[which];
    const std::filesystem::path path = directory / layout.name;
    // The identity is taken before the content: a change while reading shows at the next check.
    const FileIdentity identity = identityOf(path);
    LoadedFile file;
    if (!identity.exists) {
        file.state = FileState::Missing;
    } else if (auto table = readTableFile(path, layout.floats())) {
        if (!table->whole) {
            file.state = FileState::WrongSize;
        } else {
            // The floats were read as the file's bytes: little-endian, so swapped only on a
            // big-endian machine; the checksum is over the bytes as read.
            std::vector<unsigned char> bigEndianCopy;
            std::span<const unsigned char> bytes(
                reinterpret_cast<const unsigned char*>(table->values.data()), layout.bytes());
            if constexpr (std::endian::native != std::endian::little) {
                bigEndianCopy.assign(bytes.begin(), bytes.end());
                bytes = bigEndianCopy;
                for (std::size_t i = 0; i < table->values.size(); ++i) {
                    table->values[i] = littleEndianFloat(&bigEndianCopy[i * 4]);
                }
            }
            file = checkValues(which, std::move(table->values), bytes,
                               manifestRecord(manifest, layout.name));
            file.withoutChecksum = file.ready() && manifest.state == Manifest::State::Absent;
        }
    } else {
        file.state = FileState::Unreadable;
    }
    file.identity = identity;
    return file;
}

// ---------------------------------------------------------------------------------------------
// Change notification: one inotify descriptor for the process, one watch per data directory.
// A child made by fork() shares the descriptor with its parent, and whichever reads an event
// takes it from the other; so a child gives the watch up and compares identities instead.

namespace {
std::atomic<unsigned> forks{0};  // counted in each child
void countFork() noexcept {
    forks.fetch_add(1);
}
}  // namespace

class alignas(kOwnCacheLine) ChangeWatch {
  public:
    ChangeWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), forks_(forks.load()) {
        ::pthread_atfork(nullptr, nullptr, &countFork);
    }
    ~ChangeWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    // A watch on `path` reporting to `directory`; -1 when none can be set up.
    int add(const std::filesystem::path& path, DataDirectory* directory) {
        if (fd_ < 0) return -1;
        const std::lock_guard lock(mutex_);
        const int id = ::inotify_add_watch(fd_, path.c_str(),
                                           IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE |
                                               IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                               IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
        if (id >= 0) directories_[id] = directory;
        return id;
    }
    void remove(int id) {
        const std::lock_guard lock(mutex_);
        if (directories_.erase(id) != 0) ::inotify_rm_watch(fd_, id);
    }

    // True in a child process made after the watch.
    bool inherited() const noexcept { return forks.load() != forks_; }

    // True when events wait to be handed out, or another thread is handing them out now.
    bool pending() const noexcept {
        int bytes = 0;
        if (::ioctl(fd_, FIONREAD, &bytes) != 0) return true;  // drain() then finds out why
        return bytes > 0 || draining_.load();
    }

    // Hands every queued event to the directory it concerns. A thread that found events gone
    // (taken by another thread) sees `draining_` set until they have been handed out, and
    // waits here for that.
    void drain() {
        const std::lock_guard lock(mutex_);
        draining_.store(true);
        alignas(inotify_event) char buffer[4096];
        while (true) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (n < 0 && errno != EAGAIN) loseAll();
                break;
            }
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                dispatch(*event);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        draining_.store(false);
    }

  private:
    void loseAll() {
        for (auto& [id, directory] : directories_) directory->watchLost();
        directories_.clear();
    }

    void dispatch(const inotify_event& event) {
        if ((event.mask & IN_Q_OVERFLOW) != 0) {
            for (auto& entry : directories_) {
                entry.second->markChanged(DataDirectory::kAllFiles | DataDirectory::kManifestBit);
            }
            return;
        }
        const auto found = directories_.find(event.wd);
        if (found == directories_.end()) return;
        DataDirectory* directory = found->second;
        if ((event.mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) != 0) {
            // The watch no longer follows the directory's path.
            directory->watchLost();
            if ((event.mask & IN_IGNORED) == 0) ::inotify_rm_watch(fd_, event.wd);
            directories_.erase(found);
            return;
        }
        if (event.len == 0) {  // the directory itself (its permissions, say)
            directory->markChanged(DataDirectory::kAllFiles | DataDirectory::kManifestBit);
            return;
        }
        const std::string_view name(event.name);
        for (std::size_t f = 0; f < kTableFileCount; ++f) {
            if (name == kTableFiles[f].name) directory->markChanged(1U << f);
        }
        if (name == kManifestFile) directory->markChanged(DataDirectory::kManifestBit);
    }

    int fd_;
    unsigned forks_;
    mutable std::atomic<bool> draining_{false};
    std::mutex mutex_;
    std::map<int, DataDirectory*> directories_;  // a directory removes itself before it ends
};

namespace {

std::shared_ptr<ChangeWatch> changeWatch() {
    static const std::shared_ptr<ChangeWatch> watch = std::make_shared<ChangeWatch>();
    return watch;
}

std::filesystem::path libraryDirectory() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&libraryDirectory), &info) != 0 &&
        info.dli_fname != nullptr) {
        return std::filesystem::absolute(info.dli_fname).parent_path();
    }
    return std::filesystem::current_path();
}

}  // namespace

DataDirectory::DataDirectory(std::filesystem::path directory) : path_(std::move(directory)) {
    for (std::size_t f = 0; f < kTableFileCount; ++f) filePaths_[f] = path_ / kTableFiles[f].name;
    const std::lock_guard lock(mutex_);
    lookAgainLocked(kAllFiles);
}

DataDirectory::~DataDirectory() {
    if (watchId_ >= 0) watch_->remove(watchId_);
}

std::shared_ptr<DataDirectory> DataDirectory::library() {
    static const std::shared_ptr<DataDirectory> directory = at(libraryDirectory());
    return directory;
}

std::shared_ptr<DataDirectory> DataDirectory::at(const std::filesystem::path& directory) {
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::weak_ptr<DataDirectory>> directories;
    const std::lock_guard lock(mutex);
    if (auto existing = directories[directory].lock()) return existing;
    std::erase_if(directories, [](const auto& e) { return e.second.expired(); });
    auto created = std::make_shared<DataDirectory>(directory);
    directories[directory] = created;
    return created;
}

void DataDirectory::markChanged(unsigned files) noexcept {
    changed_.fetch_or((files & kManifestBit) != 0 ? kAllFiles : files);
}

void DataDirectory::startWatching() {
    const std::lock_guard lock(mutex_);
    if (watchTried_.exchange(true)) return;
    watch_ = changeWatch();
    watchId_ = watch_->add(path_, this);
    if (watchId_ < 0) return;
    // A change made before the watch reports nothing: the files are compared with what was
    // taken of them once more, now that every later change will be reported.
    unsigned differ = 0;
    for (std::size_t f = 0; f < kTableFileCount; ++f) {
        if (identityOf(filePaths_[f]) != current_->file(static_cast<TableFile>(f)).identity) {
            differ |= 1U << f;
        }
    }
    if (differ != 0) lookAgainLocked(differ);
    watched_.store(true);
}

void DataDirectory::watchLost() noexcept {
    watched_.store(false);
    markChanged(kAllFiles);
}

void DataDirectory::publishLocked(std::shared_ptr<TableSet> next) {
    next->generation = ++lastGeneration;
    current_ = std::move(next);
    generation_.store(current_->generation);
}

void DataDirectory::lookAgainLocked(unsigned files) {
    auto next = current_ ? std::make_shared<TableSet>(*current_) : std::make_shared<TableSet>();
    for (std::size_t f = 0; f < kTableFileCount; ++f) {
        if ((files & (1U << f)) != 0 || !next->files[f]) {
            next->files[f] = std::make_shared<const LoadedFile>(
                lookAtTableFile(path_, static_cast<TableFile>(f)));
        }
    }
    publishLocked(std::move(next));
}

namespace {

// The files of `files` that `tables` holds unread.
unsigned unread(const TableSet& tables, unsigned files) {
    unsigned bits = 0;
    for (std::size_t f = 0; f < kTableFileCount; ++f) {
        if ((files & (1U << f)) != 0 &&
            tables.file(static_cast<TableFile>(f)).state == FileState::NotRead) {
            bits |= 1U << f;
        }
    }
    return bits;
}

}  // namespace

void DataDirectory::readLocked(unsigned files) {
    const unsigned toRead = unread(*current_, files);
    if (toRead == 0) return;
    const Manifest manifest = readManifest(path_);
    auto next = std::make_shared<TableSet>(*current_);
    for (std::size_t f = 0; f < kTableFileCount; ++f) {
        if ((toRead & (1U << f)) != 0) {
            next->files[f] = std::make_shared<const LoadedFile>(
                loadTableFile(path_, static_cast<TableFile>(f), manifest));
        }
    }
    publishLocked(std::move(next));
}

namespace {

// The scope of one state of the files on this thread (ScopedSteamTableState): open, and whether
// its first question to the watch has been asked.
thread_local bool inOneState = false;
thread_local bool askedInThisState = false;

// True when this call is to ask the watch: always outside a scope, the first time inside one.
bool askTheWatch() noexcept {
    if (!inOneState) return true;
    const bool ask = !askedInThisState;
    askedInThisState = true;
    return ask;
}

}  // namespace

void DataDirectory::refresh(std::shared_ptr<const TableSet>& held, unsigned checked,
                            unsigned read) {
    if (!watchTried_.load() && calls_.fetch_add(1) >= kCallsBeforeWatching) startWatching();
    if (watched_.load() && watch_->inherited()) watchLost();
    if (watched_.load()) {
        if (askTheWatch() && watch_->pending()) watch_->drain();
        if (watched_.load()) {
            if (changed_.load() != 0 || !held || held->generation != generation_.load() ||
                unread(*held, read) != 0) {
                const std::lock_guard lock(mutex_);
                if (const unsigned files = changed_.exchange(0); files != 0) {
                    lookAgainLocked(files);
                }
                readLocked(read);
                held = current_;
            }
            return;
        }
    }
    refreshByIdentity(held, checked, read);
}

void DataDirectory::refreshByIdentity(std::shared_ptr<const TableSet>& held, unsigned checked,
                                      unsigned read) {
    if (!held || held->generation != generation_.load()) {
        const std::lock_guard lock(mutex_);
        held = current_;
    }
    // One stat per file the call uses.
    std::array<FileIdentity, kTableFileCount> now{};
    unsigned differ = changed_.load();
    for (std::size_t f = 0; f < kTableFileCount; ++f) {
        if (((checked | read) & (1U << f)) == 0) continue;
        now[f] = identityOf(filePaths_[f]);
        if (now[f] != held->file(static_cast<TableFile>(f)).identity) differ |= 1U << f;
    }
    if (differ == 0 && unread(*held, read) == 0) return;
    const std::lock_guard lock(mutex_);
    unsigned lookAgain = changed_.exchange(0);
    for (std::size_t f = 0; f < kTableFileCount; ++f) {
        // Another thread may have taken the file anew meanwhile.
        if ((differ & (1U << f)) != 0 &&
            now[f] != current_->file(static_cast<TableFile>(f)).identity) {
            lookAgain |= 1U << f;
        }
    }
    if (lookAgain != 0) lookAgainLocked(lookAgain);
    readLocked(read);
    held = current_;
}

}  // namespace tw::steam

namespace tw {

ScopedSteamTableState::ScopedSteamTableState() : outermost_(!steam::inOneState) {
    if (outermost_) {
        steam::inOneState = true;
        steam::askedInThisState = false;
    }
}

ScopedSteamTableState::~ScopedSteamTableState() {
    if (outermost_) steam::inOneState = false;
}

}  // namespace tw

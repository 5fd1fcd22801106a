#pragma once
// The steam tables in memory. The three table files of a data directory are read once per
// process (each when a lookup first needs it), checked, and kept as immutable tables that every
// Stable object of that directory shares; a file that goes missing, becomes unreadable, is
// truncated or replaced is noticed at the next public call and read again (see
// DataDirectory::refresh).

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "SteamTableLayout.h"

namespace tw::steam {

// What became of a table file when it was read. Every state but Ready makes each lookup on the
// file fail: Missing is the file that is not there, the others count as unreadable.
enum class FileState {
    Ready,
    NotRead,      // there when last looked at; read when a lookup first needs it
    Missing,      // no such file
    Unreadable,   // cannot be opened or read, or is not a regular file
    WrongSize,    // not the size of the record layout
    BadChecksum,  // size or CRC-32 other than the manifest's, or its manifest line is unusable
    Implausible,  // values that no steam table holds (see checkTableFile)
};

// Identity of a file when it was read, for the checks without change notification.
struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modified = 0, changed = 0;  // nanoseconds
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity identityOf(const std::filesystem::path& path);

// What every thread reads at every lookup (the table set, its files, the directory and its change
// watch) is kept on cache lines of its own: a neighbour on the heap that one thread writes, case
// after case, would otherwise take the line away from the other threads' lookups each time.
inline constexpr std::size_t kOwnCacheLine = 64;

struct alignas(kOwnCacheLine) LoadedFile {
    FileState state = FileState::Missing;
    FileIdentity identity;
    std::vector<float> values;  // the records' floats in file order (Ready only)
    // Taken without a manifest: checked for plausibility, not against a checksum.
    bool withoutChecksum = false;
    bool ready() const noexcept { return state == FileState::Ready; }
};

// Checks the whole content of one table file: its size against the layout, its size and
// CRC-32 against the manifest where a line names it, and the plausibility of its values:
// - every value finite;
// - saturation table: pressure and temperature positive and strictly falling from record to
//   record, volumes positive, and liquid volume, enthalpy and entropy not above the vapour's;
// - pressure list: positive and strictly falling;
// - state grid: each row one isobar: its entries (positive volume) come first and the rest of
//   the row is zero, at least two entries, all four columns falling or equal down the row, and
//   equal temperatures (the saturation pair) at most once.
LoadedFile checkTableFile(TableFile which, std::span<const unsigned char> bytes,
                          const ManifestRecord& manifest);

// Reads and checks a table file of `directory` against the directory's manifest.
LoadedFile loadTableFile(const std::filesystem::path& directory, TableFile which,
                         const Manifest& manifest);
// The manifest of `directory` as it is there now.
Manifest readManifest(const std::filesystem::path& directory);
// Only whether the file is there: NotRead or Missing, with its identity.
LoadedFile lookAtTableFile(const std::filesystem::path& directory, TableFile which);

// One consistent state of the three files.
struct alignas(kOwnCacheLine) TableSet {
    std::uint64_t generation = 0;
    std::array<std::shared_ptr<const LoadedFile>, kTableFileCount> files;
    const LoadedFile& file(TableFile f) const { return *files[f]; }
};

class ChangeWatch;

// The tables of one data directory, kept in step with its files.
class alignas(kOwnCacheLine) DataDirectory {
  public:
    // The directory of libTWCommon.so, found once per process; its tables stay loaded.
    static std::shared_ptr<DataDirectory> library();
    // Any other directory (tests, tools): shared while some Stable object uses it.
    static std::shared_ptr<DataDirectory> at(const std::filesystem::path& directory);

    explicit DataDirectory(std::filesystem::path directory);
    ~DataDirectory();
    DataDirectory(const DataDirectory&) = delete;
    DataDirectory& operator=(const DataDirectory&) = delete;

    const std::filesystem::path& path() const noexcept { return path_; }

    // Brings `held` up to the files as they are now. `checked` (bits 1 << TableFile) names the
    // files whose presence the caller needs to know, `read` those it will look up: they are
    // read now if they have not been since they last changed. Called once per public call of
    // Stable; thread-safe.
    void refresh(std::shared_ptr<const TableSet>& held, unsigned checked, unsigned read);

    // Sets up the change watch now rather than after kCallsBeforeWatching calls (tests).
    void startWatching();
    bool watching() const noexcept { return watched_.load(); }
    // Marks files to be read again (bits 1 << TableFile; the manifest bit marks all three).
    void markChanged(unsigned files) noexcept;
    // The change watch has stopped (the directory was moved or deleted): from now on every
    // refresh compares the identity of each file used.
    void watchLost() noexcept;

    static constexpr unsigned kCallsBeforeWatching = 1000;
    static constexpr unsigned kAllFiles = 0b111;
    static constexpr unsigned kManifestBit = 0b1000;

  private:
    // Takes the files anew: whether each is there (they are read when first needed).
    void lookAgainLocked(unsigned files);
    // Reads those of `files` that have not been read since they last changed.
    void readLocked(unsigned files);
    void publishLocked(std::shared_ptr<TableSet> next);
    void refreshByIdentity(std::shared_ptr<const TableSet>& held, unsigned checked, unsigned read);

    std::filesystem::path path_;
    // The path of each table file, made once: a refresh without the watch stats them per call.
    std::array<std::filesystem::path, kTableFileCount> filePaths_;
    std::shared_ptr<ChangeWatch> watch_;  // set with watched_, before it turns true
    int watchId_ = -1;
    std::atomic<unsigned> calls_{0};
    std::atomic<bool> watchTried_{false};
    std::atomic<bool> watched_{false};
    std::atomic<unsigned> changed_{0};
    std::atomic<std::uint64_t> generation_{0};
    std::mutex mutex_;  // guards current_ and the reloads
    std::shared_ptr<const TableSet> current_;
};

}  // namespace tw::steam

#pragma once
// The record layout of the three steam table files and of the manifest the generator writes
// beside them. Shared by the generator, the loader and the lookups.
//
// Every file holds little-endian IEEE-754 32-bit floats; record n (from 1) begins at byte
// (n - 1) x record length. The lookups address records by number (the saturation bisection over
// records 1 to 375 and the record after its bracket, rows 1 to 185 of the pressure list, slots 1
// to 72 of each grid row), so the layout fixes the number of records of each file and with it
// the file's size: a file of any other size cannot be a table in this layout.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tw::steam {

inline constexpr int kSaturationRecords = 375;  // searched; the record after a bracket is read
inline constexpr int kRows = 185;               // pressure rows of the state grid
inline constexpr int kSlots = 72;               // entries of one row

// The three files, in the order the missing-files text names them.
enum TableFile : std::size_t { kGridFile = 0, kPressureFile = 1, kSaturationFile = 2 };
inline constexpr std::size_t kTableFileCount = 3;

struct TableFileLayout {
    const char* name;
    std::size_t floatsPerRecord;
    std::size_t records;
    constexpr std::size_t floats() const noexcept { return floatsPerRecord * records; }
    constexpr std::size_t bytes() const noexcept { return floats() * 4; }
};

inline constexpr std::array<TableFileLayout, kTableFileCount> kTableFiles{{
    {"TWStb.twd", 4, static_cast<std::size_t>(kRows) * kSlots},  // T, v, h, s: 213,120 bytes
    {"TWStbP.twd", 1, kRows},                                    // p: 740 bytes
    {"TWSStb.twd", 8, kSaturationRecords + 1},  // p, T, vf, vg, hf, hg, sf, sg: 12,032 bytes
}};

// The manifest: a text file with one line per table file, "name size crc32" (size in bytes,
// CRC-32 of IEEE 802.3 as eight hexadecimal digits, the checksum of zlib and of `crc32`).
// Lines that start with '#' are comments.
inline constexpr const char* kManifestFile = "TWStbManifest.txt";

std::uint32_t crc32(std::span<const unsigned char> bytes) noexcept;

struct ManifestEntry {
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
};
// The manifest line of one file, without its line end.
std::string manifestLine(std::string_view name, const ManifestEntry& entry);

// What the manifest says about one table file: nothing (no line names it), an entry, or a line
// that names it but cannot be read (the file is then taken as damaged).
struct ManifestRecord {
    bool named = false;
    std::optional<ManifestEntry> entry;
};
ManifestRecord findInManifest(std::string_view manifest, std::string_view name);

// A manifest as its directory holds it. Only an absent manifest means "no checksums" (the
// values are then checked for plausibility alone); one that is there but cannot be read (a
// directory, a named pipe, a read error, beyond 64 KiB) or is not well formed fails the
// checksum of every file.
struct Manifest {
    enum class State { Absent, Unusable, Present };
    State state = State::Absent;
    std::string text;  // Present only
};
// Well formed: each line blank, a comment ('#') or "name size crc32" naming one of the table
// files, and each table file named exactly once.
bool wellFormedManifest(std::string_view text);
// What `manifest` says about the table file `name`: nothing when it is absent, an unusable
// line when it is unusable or not well formed.
ManifestRecord manifestRecord(const Manifest& manifest, std::string_view name);

}  // namespace tw::steam

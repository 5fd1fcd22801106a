#pragma once
// Where the lookups take their records from. Both sources give record n (from 1) of a table
// file as little-endian 32-bit floats, and raise UnreadableFile where the file cannot serve it.
// - MemorySource: the tables read once per process (SteamTables.h). A file that is missing or
//   damaged cannot serve any record.
// - FileSource: opens the files for each lookup and reads the records it needs, as the lookups
//   did before the tables were kept in memory. The tests use it as the reference that the
//   tables in memory must reproduce value for value.

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "SteamTables.h"
#include "tw/Stable.h"

namespace tw::steam {

// Raised when a table file cannot be used: it cannot be opened, a record cannot be read whole,
// or (in memory) it is missing or damaged.
struct UnreadableFile {
    std::string fileName;
};

// One table file opened for record access; a record that cannot be read whole is never taken
// as data.
class RecordFile {
  public:
    // Opens the file in `directory`; UnreadableFile when it cannot be opened.
    RecordFile(const std::filesystem::path& directory, TableFile which);

    template <std::size_t N>
    std::array<float, N> record(long n) const {
        std::array<float, N> r{};
        read(n, r.data(), N);
        return r;
    }
    // One value of record n (column from 0).
    template <std::size_t N>
    float value(long n, std::size_t column) const {
        return record<N>(n)[column];
    }

  private:
    void read(long n, float* out, std::size_t floats) const;

    struct Closer {
        // The unique_ptr below owns the file; this is its deleter.
        void operator()(std::FILE* f) const noexcept {
            std::fclose(f);  // NOLINT(cppcoreguidelines-owning-memory)
        }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    TableFile which_;
};

struct FileSource {
    std::filesystem::path directory;
    RecordFile saturation() const { return {directory, kSaturationFile}; }
    RecordFile pressures() const { return {directory, kPressureFile}; }
    RecordFile grid() const { return {directory, kGridFile}; }
};

// The records of one loaded table file.
class MemoryRecords {
  public:
    explicit MemoryRecords(const LoadedFile& file, TableFile which) : file_(file), which_(which) {
        if (!file.ready()) throw UnreadableFile{kTableFiles[which].name};
    }
    template <std::size_t N>
    std::array<float, N> record(long n) const {
        const float* first = at<N>(n);
        std::array<float, N> r;
        for (std::size_t i = 0; i < N; ++i) r[i] = first[i];
        return r;
    }
    template <std::size_t N>
    float value(long n, std::size_t column) const {
        return at<N>(n)[column];
    }

  private:
    template <std::size_t N>
    const float* at(long n) const {
        const TableFileLayout& layout = kTableFiles[which_];
        if (N != layout.floatsPerRecord || n < 1 || static_cast<std::size_t>(n) > layout.records) {
            throw UnreadableFile{layout.name};
        }
        return file_.values.data() + static_cast<std::size_t>(n - 1) * N;
    }

    const LoadedFile& file_;
    TableFile which_;
};

struct MemorySource {
    const TableSet& tables;
    MemoryRecords saturation() const { return file(kSaturationFile); }
    MemoryRecords pressures() const { return file(kPressureFile); }
    MemoryRecords grid() const { return file(kGridFile); }
    MemoryRecords file(TableFile which) const { return MemoryRecords(tables.file(which), which); }
};

// Makes a Stable object read its records from the files on every lookup (FileSource): the
// reference of the tests.
struct ReferenceAccess {
    static void readFilesOnEveryLookup(Stable& st) noexcept { st.readsFiles_ = true; }
};

}  // namespace tw::steam

#pragma once
// Random access to the records of the steam table files: little-endian 32-bit floats, record
// numbers from 1. A record that cannot be read whole is never taken as data.

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace tw::steam {

// Raised when a table file cannot be opened or a record cannot be read whole.
struct UnreadableFile {
    std::string fileName;
};

class RecordFile {
  public:
    // Opens `name` in `directory`; UnreadableFile when it cannot be opened.
    RecordFile(const std::filesystem::path& directory, std::string name, std::size_t floats);

    // Record n (from 1) decoded into `out` (the record's floats); UnreadableFile when the
    // record lies outside the file or the file ends inside it.
    void read(long n, float* out) const;
    template <std::size_t N>
    std::array<float, N> read(long n) const {
        std::array<float, N> r{};
        read(n, r.data());
        return r;
    }
    const std::string& name() const noexcept { return name_; }

  private:
    struct Closer {
        void operator()(std::FILE* f) const noexcept { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::string name_;
    std::size_t floats_;
};

}  // namespace tw::steam

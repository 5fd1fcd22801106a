#include "SteamTableFiles.h"

#include <bit>
#include <cstdint>

namespace tw::steam {

RecordFile::RecordFile(const std::filesystem::path& directory, TableFile which)
    : file_(std::fopen((directory / kTableFiles[which].name).string().c_str(), "rb")),
      which_(which) {
    if (!file_) throw UnreadableFile{kTableFiles[which].name};
    // Every lookup reads a handful of scattered records: no read-ahead buffer.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
}

void RecordFile::read(long n, float* out, std::size_t floats) const {
    const long length = static_cast<long>(floats * 4);
    if (floats != kTableFiles[which_].floatsPerRecord || n < 1 ||
        std::fseek(file_.get(), (n - 1) * length, SEEK_SET) != 0) {
        throw UnreadableFile{kTableFiles[which_].name};
    }
    unsigned char bytes[64];
    if (std::fread(bytes, 1, static_cast<std::size_t>(length), file_.get()) !=
        static_cast<std::size_t>(length)) {
        throw UnreadableFile{kTableFiles[which_].name};
    }
    for (std::size_t i = 0; i < floats; ++i) {
        const unsigned char* b = bytes + 4 * i;
        const std::uint32_t bits = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 |
                                   std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
        out[i] = std::bit_cast<float>(bits);
    }
}

}  // namespace tw::steam

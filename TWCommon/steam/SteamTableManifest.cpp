// CRC-32 and the manifest lines of the steam table files.

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

#include "SteamTableLayout.h"

namespace tw::steam {
namespace {

// CRC-32 of IEEE 802.3, reflected, polynomial 0xEDB88320, eight bytes at a step: table k holds
// the remainders of a byte followed by k zero bytes.
constexpr std::array<std::array<std::uint32_t, 256>, 8> makeCrcTables() {
    std::array<std::array<std::uint32_t, 256>, 8> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
        t[0][n] = c;
    }
    for (std::size_t k = 1; k < 8; ++k) {
        for (std::size_t n = 0; n < 256; ++n)
            t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFFU];
    }
    return t;
}
constexpr auto kCrcTables = makeCrcTables();

// The blank-separated words of a line.
std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

template <class T>
std::optional<T> parseWhole(std::string_view text, int base) {
    T value{};
    const char* last = text.data() + text.size();
    const auto r = std::from_chars(text.data(), last, value, base);
    if (r.ec != std::errc() || r.ptr != last) return std::nullopt;
    return value;
}

std::optional<ManifestEntry> parseEntry(const std::vector<std::string_view>& w) {
    if (w.size() != 3 || w[2].size() != 8) return std::nullopt;
    const auto size = parseWhole<std::uint64_t>(w[1], 10);
    const auto crc = parseWhole<std::uint32_t>(w[2], 16);
    if (!size || !crc) return std::nullopt;
    return ManifestEntry{*size, *crc};
}

}  // namespace

std::uint32_t crc32(std::span<const unsigned char> bytes) noexcept {
    const auto& t = kCrcTables;
    std::uint32_t c = 0xFFFFFFFFU;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        const std::uint32_t low =
            c ^ (std::uint32_t{bytes[i]} | std::uint32_t{bytes[i + 1]} << 8 |
                 std::uint32_t{bytes[i + 2]} << 16 | std::uint32_t{bytes[i + 3]} << 24);
        c = t[7][low & 0xFFU] ^ t[6][(low >> 8) & 0xFFU] ^ t[5][(low >> 16) & 0xFFU] ^
            t[4][low >> 24] ^ t[3][bytes[i + 4]] ^ t[2][bytes[i + 5]] ^ t[1][bytes[i + 6]] ^
            t[0][bytes[i + 7]];
    }
    for (; i < bytes.size(); ++i) c = t[0][(c ^ bytes[i]) & 0xFFU] ^ (c >> 8);
    return c ^ 0xFFFFFFFFU;
}

std::string manifestLine(std::string_view name, const ManifestEntry& entry) {
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(entry.crc));
    return std::string(name) + ' ' + std::to_string(entry.size) + ' ' + crc;
}

ManifestRecord findInManifest(std::string_view manifest, std::string_view name) {
    ManifestRecord record;
    while (!manifest.empty()) {
        const std::size_t end = manifest.find('\n');
        std::string_view line = manifest.substr(0, end);
        manifest = end == std::string_view::npos ? std::string_view{} : manifest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // Only a line whose first word is the name is split (a comment starts with '#').
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos || line.compare(start, name.size(), name) != 0) {
            continue;
        }
        const std::vector<std::string_view> w = words(line);
        if (w[0] != name) continue;
        if (record.named) return {true, std::nullopt};  // named twice: which line holds?
        record.named = true;
        record.entry = parseEntry(w);
    }
    return record;
}

bool wellFormedManifest(std::string_view text) {
    std::array<int, kTableFileCount> named{};
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::vector<std::string_view> w = words(line);
        if (w.empty() || w[0].front() == '#') continue;
        const auto file = std::find_if(kTableFiles.begin(), kTableFiles.end(),
                                       [&](const TableFileLayout& f) { return w[0] == f.name; });
        if (file == kTableFiles.end() || !parseEntry(w)) return false;
        ++named[static_cast<std::size_t>(file - kTableFiles.begin())];
    }
    return std::all_of(named.begin(), named.end(), [](int n) { return n == 1; });
}

ManifestRecord manifestRecord(const Manifest& manifest, std::string_view name) {
    switch (manifest.state) {
        case Manifest::State::Absent:
            return {};
        case Manifest::State::Present:
            if (wellFormedManifest(manifest.text)) return findInManifest(manifest.text, name);
            break;
        case Manifest::State::Unusable:
            break;
    }
    return {true, std::nullopt};
}

}  // namespace tw::steam

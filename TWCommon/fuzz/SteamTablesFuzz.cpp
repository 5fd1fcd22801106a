// libFuzzer target for the steam table loader and the record reader: a fuzzed byte string
// becomes one file of a data directory (a table file or the manifest), either whole or laid over
// a valid file, and the lookups run on it through the tables in memory and through the files
// themselves. Nothing may crash, hang or read out of bounds; a file the loader refuses must fail
// every lookup on it with code 7, and a file it takes must be one the checks accept.
//
// Input: byte 0 chooses the file (0 saturation table, 1 pressure list, 2 grid, 3 manifest), in
// bit 2 whether the manifest stays, and in bit 3 the data directory: one whose changes are
// reported by the change watch, or one that compares file identities (where a rewrite of the
// same size within the file system's timestamp resolution, or of the manifest alone, goes
// unnoticed by design, so only crashes count there). Byte 1 gives the form: even, the rest is
// the whole file; odd, bytes 2 to 5 give an offset (little-endian) and the rest is laid over a
// valid copy there.
//
//   cmake --preset fuzz && cmake --build --preset fuzz --target steam_tables_fuzz
//   build-fuzz/bin/steam_tables_fuzz -runs=1000000 -max_len=4096 build-fuzz/steam-corpus \
//       TWCommon/fuzz/steam_tables

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "SteamTableFiles.h"
#include "SteamTables.h"
#include "tw/MessageSink.h"
#include "tw/Stable.h"

namespace {

namespace fs = std::filesystem;
namespace steam = tw::steam;

const char* const kNames[] = {"TWSStb.twd", "TWStbP.twd", "TWStb.twd", "TWStbManifest.txt"};

std::vector<unsigned char> readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& p, const std::vector<unsigned char>& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A data directory of valid files for the run, removed at its end.
struct Directory {
    fs::path path;
    std::vector<std::vector<unsigned char>> valid;  // the four files as generated
    // Kept for the whole run, so that the tables of the directory stay loaded and each input
    // makes only its own file be read again, as in a program that runs on while a file changes.
    std::unique_ptr<tw::Stable> keeper;

    Directory(const char* name, bool watched)
        : path(fs::temp_directory_path() /
               ("tw_steam_fuzz_" + std::to_string(::getpid()) + "_" + name)) {
        fs::create_directories(path);
        for (const char* file : kNames) {
            valid.push_back(readAll(fs::path(TW_STEAM_TABLES) / file));
            writeAll(path / file, valid.back());
        }
        keeper = std::make_unique<tw::Stable>(path);
        const auto data = steam::DataDirectory::at(path);
        if (watched) {
            data->startWatching();
        } else {
            data->watchLost();
        }
    }
    ~Directory() {
        keeper.reset();
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;
};

Directory& directory(bool watched) {
    static Directory withWatch("watched", true);
    static Directory byIdentity("compared", false);
    return watched ? withWatch : byIdentity;
}

class QuietSink final : public tw::MessageSink {
  public:
    tw::MessageAnswer show(std::string_view, std::string_view, tw::MessageIcon,
                           tw::MessageButtons) override {
        return tw::MessageAnswer::OK;
    }
    void beep() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const bool watched = (data[0] & 8) == 0;
    Directory& dir = directory(watched);
    const std::size_t which = data[0] % 4;
    const bool keepManifest = (data[0] & 4) != 0;
    std::vector<unsigned char> file;
    if (data[1] % 2 == 0) {
        file.assign(data + 2, data + size);
    } else {
        if (size < 6) return 0;
        std::uint32_t offset = 0;
        std::memcpy(&offset, data + 2, 4);
        file = dir.valid[which];
        offset %= static_cast<std::uint32_t>(file.size() + 1);
        const std::size_t n = std::min(size - 6, file.size() - offset);
        std::memcpy(file.data() + offset, data + 6, n);
    }

    // The checks alone, on the bytes as each kind of table, and as a manifest.
    for (std::size_t f = 0; f < steam::kTableFileCount; ++f) {
        (void)steam::checkTableFile(static_cast<steam::TableFile>(f), file, {});
    }
    const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
    const steam::ManifestRecord record = steam::findInManifest(text, kNames[data[0] % 3]);
    if (record.entry && !record.named) std::abort();
    // A manifest that is not well formed names no file usably.
    const steam::Manifest asManifest{steam::Manifest::State::Present, std::string(text)};
    if (!steam::wellFormedManifest(text) &&
        steam::manifestRecord(asManifest, kNames[data[0] % 3]).entry) {
        std::abort();
    }

    writeAll(dir.path / kNames[which], file);
    if (!keepManifest && which != 3) fs::remove(dir.path / kNames[3]);

    QuietSink sink;
    const tw::ScopedThreadMessageSink guard(sink);
    {
        tw::Stable st(dir.path);
        st.SSTABLE(tw::ktoSStable_PR, 1.0332f);
        const float satError = st.StableError();
        st.SSTABLE(tw::ktoSStable_TP, 250.0f);
        st.STABLE(tw::ktoStable_PR, 10.0f, tw::ktoStable_TP, 300.0f);
        st.STABLE(tw::ktoStable_ENTH, 700.0f, tw::ktoStable_ENTRO, 1.7f);
        (void)st.StmVisco(50.0f, 20.0f, -1.0f);
        // A refused saturation table fails every saturation lookup with code 7, and one the
        // loader takes never does.
        const steam::LoadedFile loaded =
            steam::loadTableFile(dir.path, steam::kSaturationFile, steam::readManifest(dir.path));
        if (watched && loaded.ready() != (satError != 7)) std::abort();
        // The record reader on the same files.
        tw::Stable reference(dir.path);
        steam::ReferenceAccess::readFilesOnEveryLookup(reference);
        reference.SSTABLE(tw::ktoSStable_PR, 1.0332f);
        reference.STABLE(tw::ktoStable_PR, 10.0f, tw::ktoStable_TP, 300.0f);
    }

    writeAll(dir.path / kNames[which], dir.valid[which]);
    writeAll(dir.path / kNames[3], dir.valid[3]);
    return 0;
}

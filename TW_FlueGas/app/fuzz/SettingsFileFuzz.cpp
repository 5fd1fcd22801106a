// Feeds arbitrary bytes to the settings file reader as the file would deliver them, in two
// pieces cut anywhere: the lines it keeps stay bounded and the same however the bytes arrive,
// and whatever units it takes over are written and read back unchanged and without a refusal.
//
// Run (from the source tree):
//   cmake --preset fuzz && cmake --build --preset fuzz --target settings_file_fuzz
//   cp -r TW_FlueGas/app/fuzz/settings-corpus build-fuzz/settings-corpus
//   build-fuzz/bin/settings_file_fuzz -runs=1000000 build-fuzz/settings-corpus

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "SettingsFile.h"

using namespace tw::fluegas;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SettingsLines whole;
    whole.feed(bytes);
    const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    SettingsLines pieces;
    pieces.feed(bytes.substr(0, cut));
    pieces.feed(bytes.substr(cut));
    const std::string text = whole.text();
    if (pieces.text() != text) std::abort();
    // 23 lines of at most 64 characters and a line feed.
    if (text.size() > kSettingsLineOrder.size() * 65) std::abort();

    const SettingsRead read = parseSettings(text);
    (void)parseSettings(bytes);
    const SettingsRead back = parseSettings(settingsText(read.units));
    if (back.origin != SettingsOrigin::Read || back.error) std::abort();
    for (tw::QuantityId q : kSettingsLineOrder) {
        if (back.units.current(q) != read.units.current(q)) std::abort();
    }
    return 0;
}

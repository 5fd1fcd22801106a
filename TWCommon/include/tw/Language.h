#pragma once
#include <cstdint>

namespace tw {

// Language of captions and messages. Values other than these two show no message at all.
enum enmLanguage : std::int32_t {
    TW_Korean = 0,
    TW_English = 1,
};

// A pair of texts in both languages; the one of `language` is chosen at show time.
struct BilingualText {
    const char* korean;
    const char* english;

    // nullptr for a language value that is neither Korean nor English.
    const char* in(std::int32_t language) const noexcept {
        if (language == TW_Korean) return korean;
        if (language == TW_English) return english;
        return nullptr;
    }
};

}  // namespace tw

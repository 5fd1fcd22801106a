// libFuzzer target for the number texts that read or write user input: the leading-number rule
// and the fixed-decimal and general forms of whatever it reads.
//   cmake --preset fuzz && cmake --build --preset fuzz --target fuzz_number_texts
//   build-fuzz/bin/fuzz_number_texts -max_total_time=60
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tw/Format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tw::LeadingNumber n = tw::readLeadingNumber(text);
    if (n.length > size) __builtin_trap();
    if (!n.found() && n.value != 0) __builtin_trap();
    const auto f = static_cast<float>(n.value);
    (void)tw::format000(f);
    (void)tw::fixedDecimals(n.value, 2);
    (void)tw::generalNumber(n.value);
    (void)tw::shortestFloat(f);
    return 0;
}

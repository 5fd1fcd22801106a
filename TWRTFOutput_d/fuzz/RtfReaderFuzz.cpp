// Feeds arbitrary bytes to the RTF reader and writes what it read back out, then reads that
// again: neither may crash, hang or grow without bound, and the writer's output must always be
// readable RTF.
//
// Run (from the source tree):
//   cmake --preset fuzz && cmake --build build-fuzz --target rtf_reader_fuzz
//   mkdir -p build-fuzz/rtf-corpus && cp TWRTFOutput_d/tests/data/*.rtf build-fuzz/rtf-corpus/
//   build-fuzz/bin/rtf_reader_fuzz -max_total_time=600 -max_len=65536 -rss_limit_mb=1024 \
//       -timeout=10 -dict=TWRTFOutput_d/fuzz/rtf.dict build-fuzz/rtf-corpus

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "TWRTFOutput/RtfDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto document = tw::rtf::read(input);
    if (!document) return 0;
    const QByteArray written = tw::rtf::write(*document);
    const auto again = tw::rtf::read(written);
    if (!again) std::abort();  // the writer produced something that is not RTF
    // Written once, the text reads back unchanged.
    if (again->text() != document->text()) std::abort();
    return 0;
}

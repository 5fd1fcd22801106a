// Steam table lookups as a caller waits for them: SSTABLE and Stable (p, T) per call, and the
// part of it that is opening and reading the table files.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "tw/MessageSink.h"
#include "tw/Stable.h"

namespace {

void BM_SSTABLE_ByPressure(benchmark::State& state) {
    tw::Stable st;
    float p = 0.01f;
    for (auto _ : state) {
        st.SSTABLE(tw::ktoSStable_PR, p);
        benchmark::DoNotOptimize(st.TSAT());
        p = p < 200.0f ? p * 1.37f : 0.01f;
    }
}
BENCHMARK(BM_SSTABLE_ByPressure);

void BM_Stable_PressureTemperature(benchmark::State& state) {
    tw::Stable st;
    float p = 0.02f, t = 15.0f;
    for (auto _ : state) {
        st.STABLE(tw::ktoStable_PR, p, tw::ktoStable_TP, t);
        benchmark::DoNotOptimize(st.ENTH());
        p = p < 200.0f ? p * 1.41f : 0.02f;
        t = t < 680.0f ? t + 37.3f : 15.0f;
    }
}
BENCHMARK(BM_Stable_PressureTemperature);

// What a lookup spends on the files alone: opening, reading a few scattered records as a
// bisection does (nine saturation records), closing.
void BM_OpenAndReadSaturationFile(benchmark::State& state) {
    const auto path = tw::Stable().dataDirectory() / "TWSStb.twd";
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.string().c_str(), "rb");
        std::setvbuf(f, nullptr, _IONBF, 0);
        unsigned char buf[32];
        long record = 256;
        for (int i = 0; i < 11; ++i) {
            std::fseek(f, (record - 1) * 32, SEEK_SET);
            benchmark::DoNotOptimize(std::fread(buf, 1, 32, f));
            record = record / 2 + 1;
        }
        std::fclose(f);
    }
}
BENCHMARK(BM_OpenAndReadSaturationFile);

void BM_OpenAndCloseOnly(benchmark::State& state) {
    const auto path = tw::Stable().dataDirectory() / "TWStb.twd";
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.string().c_str(), "rb");
        benchmark::DoNotOptimize(f);
        std::fclose(f);
    }
}
BENCHMARK(BM_OpenAndCloseOnly);

}  // namespace

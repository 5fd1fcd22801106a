// Steam table lookups as a caller waits for them: SSTABLE and Stable (p, T) per call, the
// viscosity alone, making a Stable object (what the water dew point does for every
// calculation), and, for comparison, what one lookup spent on the files when it reopened them.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "tw/MessageSink.h"
#include "tw/Stable.h"

namespace {

void BM_SSTABLE_ByPressure(benchmark::State& state) {
    tw::Stable st;
    float p = 0.01f;
    for (auto _ : state) {
        st.SSTABLE(tw::ktoSStable_PR, p);
        benchmark::DoNotOptimize(st.TSAT());
        p = p < 160.0f ? p * 1.37f : 0.01f;  // up to about 220 kg/cm2 a, all in range
    }
}
BENCHMARK(BM_SSTABLE_ByPressure);

void BM_SSTABLE_ByTemperature(benchmark::State& state) {
    tw::Stable st;
    float t = 1.5f;
    for (auto _ : state) {
        st.SSTABLE(tw::ktoSStable_TP, t);
        benchmark::DoNotOptimize(st.PSAT());
        t = t < 370.0f ? t + 7.3f : 1.5f;
    }
}
BENCHMARK(BM_SSTABLE_ByTemperature);

// The saturation temperature alone, as the water dew point asks for it.
void BM_SaturationTemperature_ByPressure(benchmark::State& state) {
    tw::Stable st;
    float p = 0.01f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(st.SaturationTemperature(tw::ktoSStable_PR, p));
        p = p < 160.0f ? p * 1.37f : 0.01f;
    }
}
BENCHMARK(BM_SaturationTemperature_ByPressure);

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

// Enthalpy and entropy: the row search interpolates at every probe.
void BM_Stable_EnthalpyEntropy(benchmark::State& state) {
    tw::Stable st;
    float h = 700.0f;
    for (auto _ : state) {
        st.STABLE(tw::ktoStable_ENTH, h, tw::ktoStable_ENTRO, 1.7f);
        benchmark::DoNotOptimize(st.PR());
        h = h < 800.0f ? h + 3.1f : 700.0f;
    }
}
BENCHMARK(BM_Stable_EnthalpyEntropy);

void BM_StmVisco(benchmark::State& state) {
    tw::Stable st;
    float t = 20.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(st.StmVisco(10.0f, t, 2.0f));
        t = t < 600.0f ? t + 13.7f : 20.0f;
    }
}
BENCHMARK(BM_StmVisco);

// A new object for one saturation lookup, as the water dew point makes it; on several threads
// at once, each with its own objects.
void BM_NewObjectAndSSTABLE(benchmark::State& state) {
    for (auto _ : state) {
        tw::Stable st;
        st.SSTABLE(tw::ktoSStable_PR, 0.072324f);
        benchmark::DoNotOptimize(st.TSAT());
    }
}
BENCHMARK(BM_NewObjectAndSSTABLE)->ThreadRange(1, 2)->UseRealTime();

// What a lookup spent on the files before the tables were kept in memory: opening the
// saturation table, reading eleven scattered records as a bisection does, closing.
void BM_OpenAndReadSaturationFile(benchmark::State& state) {
    const auto path = tw::Stable().dataDirectory() / "TWSStb.twd";
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.string().c_str(), "rb");
        if (f == nullptr) {
            state.SkipWithError("no saturation table");
            break;
        }
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

}  // namespace

// Conversions per second over a mix of every quantity and unit pair.
#include <benchmark/benchmark.h>

#include <vector>

#include "Units.h"

namespace {

struct Case {
    tw::QuantityId q;
    int from;
    int to;
    float value;
};

std::vector<Case> allPairs() {
    std::vector<Case> cases;
    for (const tw::units::QuantityInfo& q : tw::units::quantities()) {
        for (int s = 0; s < q.count(); ++s) {
            for (int t = 0; t < q.count(); ++t) cases.push_back({q.id, s, t, 12.5f + s});
        }
    }
    return cases;
}

void BM_ConversionMix(benchmark::State& state) {
    const std::vector<Case> cases = allPairs();
    for (auto _ : state) {
        for (const Case& c : cases) {
            benchmark::DoNotOptimize(tw::units::convert(c.q, c.from, c.to, c.value));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(cases.size()));
}
BENCHMARK(BM_ConversionMix);

}  // namespace

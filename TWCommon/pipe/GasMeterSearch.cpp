// The gas meter searches over the accumulated single-precision differentials.

#include "GasMeterSearch.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cmath>
#include <optional>

#include "PipeMath.h"
#include "tw/AutomationError.h"

namespace tw::pipe {
namespace {

// The step 0.001f and every differential accumulated from it are whole multiples of 2^-33
// ("ticks"): 0.001f is 8589935 ticks, and floats from 0.001 up are spaced one tick or more.
constexpr double kTick = 0x1p-33;
constexpr std::int64_t kStepTicks = 8589935;
static_assert(static_cast<double>(0.001f) == kStepTicks * kTick);

// An accumulated differential plus the step, rounded as a float addition rounds it: to 24
// significant bits, to the nearest, ties to the even one.
constexpr std::int64_t addStep(std::int64_t ticks) {
    const std::int64_t sum = ticks + kStepTicks;
    const int width = std::bit_width(static_cast<std::uint64_t>(sum));
    if (width <= 24) return sum;
    const std::int64_t spacing = std::int64_t{1} << (width - 24);
    std::int64_t multiple = sum / spacing;
    const std::int64_t rest = sum % spacing;
    if (2 * rest > spacing || (2 * rest == spacing && multiple % 2 == 1)) ++multiple;
    return multiple * spacing;
}

// Steps with one increment: differential k of a run is firstTicks + (k - firstStep) increments.
struct Run {
    std::int64_t firstStep = 0;
    std::int64_t firstTicks = 0;
    std::int64_t increment = 0;
};
struct Runs {
    std::array<Run, 80> run{};
    std::size_t count = 0;
    std::int64_t endStep = 0;  // one past the first differential beyond the limit
};

constexpr Runs buildRuns() {
    Runs runs;
    auto add = [&runs](std::int64_t step, std::int64_t ticks, std::int64_t increment) {
        if (runs.count > 0) {
            const Run& previous = runs.run[runs.count - 1];
            if (previous.increment == increment &&
                previous.firstTicks + (step - previous.firstStep) * increment == ticks) {
                return;
            }
        }
        runs.run[runs.count++] = Run{step, ticks, increment};
    };
    const auto limitTicks = static_cast<std::int64_t>(DifferentialSteps::kLimit / kTick);
    std::int64_t step = 0;
    std::int64_t ticks = 0;
    while (ticks <= limitTicks) {
        const int width = std::bit_width(static_cast<std::uint64_t>(ticks));
        if (width >= 26) {
            // Floats of this binade are `spacing` ticks apart (4 or more). As long as the sum
            // stays in the binade, every addition rounds the step to the same multiple of the
            // spacing; the step being an odd number of ticks, it never falls on a tie.
            const std::int64_t spacing = std::int64_t{1} << (width - 24);
            const std::int64_t increment = (kStepTicks + spacing / 2) / spacing * spacing;
            const std::int64_t room = (std::int64_t{1} << width) - kStepTicks - ticks;
            if (room > 0) {
                const std::int64_t steps = (room + increment - 1) / increment;
                add(step, ticks, increment);
                step += steps;
                ticks += steps * increment;
                continue;
            }
        }
        const std::int64_t next = addStep(ticks);
        add(step, ticks, next - ticks);
        ++step;
        ticks = next;
    }
    runs.endStep = step + 1;
    return runs;
}

constexpr Runs kRuns = buildRuns();

const Run* runsBegin() {
    return kRuns.run.data();
}
const Run* runsEnd() {
    return kRuns.run.data() + kRuns.count;
}

// Ranges this short are walked step by step: a bisection would not evaluate fewer steps.
constexpr std::int64_t kWalkedRange = 4;

// The first step in [first, last] where `reached` holds, last + 1 when it holds nowhere;
// `reached` changes at most once over the range, from false to true.
template <class Reached>
std::int64_t firstReached(std::int64_t first, std::int64_t last, Reached reached) {
    std::int64_t low = first;
    std::int64_t high = last + 1;
    while (high - low > kWalkedRange) {
        const std::int64_t middle = low + (high - low) / 2;
        if (reached(middle)) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    while (low < high && !reached(low)) ++low;
    return low;
}

// The first step in [first, last] where `reached` holds, probing first, first + 1, first + 3,
// first + 7, ... before bisecting, so that an answer near the start costs little. `reached`
// may hold over one block of steps only, not to the end: a probe inside the block finds its
// start. last + 1 when no probe meets the block.
template <class Reached>
std::int64_t firstReachedFromStart(std::int64_t first, std::int64_t last, Reached reached) {
    std::int64_t notReached = first - 1;
    for (std::int64_t offset = 0; notReached < last; offset = 2 * offset + 1) {
        const std::int64_t probe = std::min(first + offset, last);
        if (reached(probe)) return firstReached(notReached + 1, probe - 1, reached);
        notReached = probe;
    }
    return last + 1;
}

}  // namespace

float DifferentialSteps::at(std::int64_t k) {
    assert(k >= 0 && k < kRuns.endStep);
    // Searches look up steps near each other; walk from the run of the last lookup when it is
    // close, else bisect the runs.
    const Run* run = runsBegin() + run_;
    const Run* next = run + 1;
    if (k < run->firstStep || (next != runsEnd() && k >= next->firstStep)) {
        if (next != runsEnd() && k >= next->firstStep &&
            (next + 1 == runsEnd() || k < (next + 1)->firstStep)) {
            run = next;
        } else {
            run = std::upper_bound(
                      runsBegin(), runsEnd(), k,
                      [](std::int64_t step, const Run& r) { return step < r.firstStep; }) -
                  1;
        }
        run_ = static_cast<std::size_t>(run - runsBegin());
    }
    const std::int64_t ticks = run->firstTicks + (k - run->firstStep) * run->increment;
    return static_cast<float>(static_cast<double>(ticks) * kTick);
}

std::int64_t DifferentialSteps::countUpTo(float limit) {
    assert(limit >= 0 && limit <= kLimit);
    // The differentials are whole ticks, so the whole ticks of the limit decide.
    const auto limitTicks = static_cast<std::int64_t>(limit / kTick);
    const Run* next =
        std::upper_bound(runsBegin(), runsEnd(), limitTicks,
                         [](std::int64_t ticks, const Run& r) { return ticks < r.firstTicks; });
    const Run& run = *(next - 1);
    const std::int64_t runEnd = next == runsEnd() ? kRuns.endStep : next->firstStep;
    const std::int64_t within =
        std::min((limitTicks - run.firstTicks) / run.increment, runEnd - run.firstStep - 1);
    return run.firstStep + within + 1;
}

double meterFlow(double boreMm, double C, double Y, double dp, double v) {
    return finite(1.265 * boreMm * boreMm * Y * C * checkedSqrt(dp / 1.01972 / v));
}

NozzleSearch searchNozzle(float P1, float W, float D, double v, float Beta,
                          float Isentropic_exponent_k) {
    const double beta = Beta;
    const double kappa = Isentropic_exponent_k;
    const double d = static_cast<double>(D) * beta;
    const double beta4 = (beta * beta) * (beta * beta);

    // Discharge coefficient with the velocity of approach factor.
    const double C = checkedDivide(0.98, checkedSqrt(1 - beta4));
    // Expansion factor of an isentropic nozzle at pressure ratio tau.
    auto expansion = [&](double tau) {
        const double tau2k = std::pow(tau, 2 / kappa);
        const double y2 = kappa / (kappa - 1) * tau2k * (1 - std::pow(tau, (kappa - 1) / kappa)) *
                          checkedDivide(1 - beta4, 1 - beta4 * tau2k) / (1 - tau);
        return checkedSqrt(finite(y2));
    };

    // The steps evaluated last, since the searches come back to them: the pressure ratio and
    // the expansion factor cost two powers each.
    struct Evaluated {
        std::int64_t k = -1;
        float dp = 0;
        double ratio = 1;
        double Y = 1;
    };
    std::array<Evaluated, 4> evaluated;
    std::size_t oldest = 0;
    DifferentialSteps steps;
    auto stepAt = [&](std::int64_t k) -> const Evaluated& {
        for (const Evaluated& e : evaluated) {
            if (e.k == k) return e;
        }
        Evaluated& e = evaluated[oldest];
        oldest = (oldest + 1) % evaluated.size();
        e.k = k;
        e.dp = steps.at(k);
        e.ratio = (static_cast<double>(P1) - e.dp) / P1;
        e.Y = expansion(e.ratio);
        return e;
    };
    auto flowAt = [&](std::int64_t k) {
        const Evaluated& e = stepAt(k);
        return meterFlow(d, C, e.Y, e.dp, v);
    };
    // The mass flux sqrt(Y^2 dp) peaks at the critical pressure ratio.
    auto fluxAt = [&](std::int64_t k) {
        if (k == 0) return 0.0;
        const Evaluated& e = stepAt(k);
        return std::sqrt(e.Y * e.Y * e.dp);
    };

    NozzleSearch found;
    const std::int64_t last = DifferentialSteps::countUpTo(P1) - 1;
    if (last >= 1) {
        // The first step in full: a specific volume that converted to zero fails here. Past it,
        // with a bore ratio below 1, nothing in the equations can overflow.
        flowAt(1);
        // The critical step: the first where the mass flux stops rising (the last step when it
        // never does).
        const std::int64_t critical = std::min(
            firstReached(1, last, [&](std::int64_t k) { return !(fluxAt(k) > fluxAt(k - 1)); }),
            last);
        found.criticalRatio = stepAt(critical).ratio;
        found.criticalExpansion = stepAt(critical).Y;

        // The flow rises with the differential up to the critical step. Around the peak two
        // neighbouring steps may differ by less than the rounding of the equations, so the
        // last three steps are taken one by one; below them the rise is plain.
        auto within = [&](std::int64_t k) { return flowAt(k) <= W; };
        std::optional<std::int64_t> lastWithin;
        const std::int64_t plainEnd = critical - 3;
        for (std::int64_t k = critical; k > plainEnd && k >= 1; --k) {
            if (within(k)) {
                lastWithin = k;
                break;
            }
        }
        if (!lastWithin && plainEnd >= 1) {
            const std::int64_t firstAbove =
                firstReachedFromStart(1, plainEnd + 1, [&](std::int64_t k) { return !within(k); });
            if (firstAbove > 1) lastWithin = firstAbove - 1;
        }
        if (lastWithin) found.lastDrop = stepAt(*lastWithin).dp;
    }

    const double tauC = found.criticalRatio;
    found.criticalDrop = P1 - P1 * tauC;
    found.criticalFlow = meterFlow(d, C, found.criticalExpansion, (P1 - tauC * P1), v);
    return found;
}

OrificeSearch searchOrifice(float P1, float W, float D, double v, float Beta,
                            float Isentropic_exponent_k) {
    const double b = Beta;
    const double kappa = Isentropic_exponent_k;
    const double d = static_cast<double>(D) * b;

    // Two tap arrangements: flange taps and pipe taps, each with its discharge coefficient and
    // its expansion factor Y = 1 - slope dp / P1 / kappa.
    struct TapSet {
        double C;
        double expansionSlope;
    };
    const TapSet flange{0.598 + 0.01 * b + 0.00001947 * std::pow(10 * b, 4.425),
                        0.41 + 0.35 * std::pow(b, 4)};
    const TapSet pipeTaps{0.58925 + 0.2725 * b - 0.825 * b * b + 1.75 * std::pow(b, 3),
                          0.333 + 1.145 * (b * b + 0.7 * std::pow(b, 5) + 12 * std::pow(b, 13))};
    DifferentialSteps steps;
    auto expansionAt = [&](const TapSet& set, float dp) {
        return 1 - set.expansionSlope * dp / P1 / kappa;
    };
    auto flowAt = [&](const TapSet& set, std::int64_t k) {
        const float dp = steps.at(k);
        return meterFlow(d, set.C, expansionAt(set, dp), dp, v);
    };
    const std::int64_t last = DifferentialSteps::countUpTo(P1) - 1;

    // The first step whose flow exceeds the given flow. The flow rises with the differential
    // to one peak and falls after it, so such steps form one block.
    auto firstAbove = [&](const TapSet& set) -> std::optional<std::int64_t> {
        auto above = [&](std::int64_t k) { return flowAt(set, k) > W; };
        const std::int64_t probed = firstReachedFromStart(0, last, above);
        if (probed <= last) return probed;
        // No probe met the block: if there is one, it lies around the peak.
        const std::int64_t peak = std::min(
            firstReached(0, last - 1,
                         [&](std::int64_t k) { return !(flowAt(set, k + 1) > flowAt(set, k)); }),
            last);
        if (!above(peak)) return std::nullopt;
        return firstReached(0, peak, above);
    };

    // Bounds of every product and quotient the flow equation forms over the search; meters so
    // far from any real one that they might overflow are searched step by step instead, so
    // that the error is raised where the search meets it.
    const double common = 1.265 * std::max(1.0, std::fabs(d)) * std::max(1.0, std::fabs(d)) *
                          std::max(1.0, std::sqrt(P1 / 1.01972 / v));
    auto bound = [&](const TapSet& set) {
        const double slope = std::fabs(set.expansionSlope);
        return common * (1 + slope) * std::max(1.0, std::fabs(set.C)) * std::max(1.0, slope * P1);
    };
    constexpr double kSafe = 1e300;
    std::optional<std::int64_t> flangeAbove;
    std::optional<std::int64_t> pipeAbove;
    if (bound(flange) < kSafe && bound(pipeTaps) < kSafe) {
        flangeAbove = firstAbove(flange);
        if (flangeAbove) pipeAbove = firstAbove(pipeTaps);
    } else {
        for (std::int64_t k = 0; k <= last && !(flangeAbove && pipeAbove); ++k) {
            const double flangeFlow = flowAt(flange, k);
            const double pipeFlow = flowAt(pipeTaps, k);
            if (!flangeAbove && !(flangeFlow <= W)) flangeAbove = k;
            if (!pipeAbove && !(pipeFlow <= W)) pipeAbove = k;
        }
    }

    OrificeSearch found;
    if (!flangeAbove) {
        found.throatExpansion = expansionAt(flange, steps.at(last));
        found.throatFlow = flowAt(flange, last);
        return found;
    }
    const std::int64_t above = pipeAbove ? *pipeAbove : *flangeAbove;
    found.passes = true;
    found.drop = above > 0 ? steps.at(above - 1) : 0.0f;
    return found;
}

}  // namespace tw::pipe

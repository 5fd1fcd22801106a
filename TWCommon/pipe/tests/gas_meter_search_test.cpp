// The gas meter searches bisect over the accumulated differentials; they must find, bit for
// bit, what stepping through every differential found. The stepping searches are kept here as
// the reference, exactly as they ran before.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "../GasMeterSearch.h"
#include "tw/AutomationError.h"
#include "tw/MessageSink.h"
#include "tw/Pipe.h"

using namespace tw;
using pipe::DifferentialSteps;
using pipe::NozzleSearch;
using pipe::OrificeSearch;

namespace {

// ---- The reference: the stepping searches as they were ------------------------------------

double referenceMeterFlow(double boreMm, double C, double Y, double dp, double v) {
    const double root = dp / 1.01972 / v;
    if (!(root >= 0)) throw AutomationError(ErrorNumber::InvalidCall);
    return checkedFinite(1.265 * boreMm * boreMm * Y * C * std::sqrt(root));
}

double referenceDivide(double numerator, double denominator) {
    if (denominator == 0) throw AutomationError(ErrorNumber::DivisionByZero);
    return checkedFinite(numerator / denominator);
}

double referenceSqrt(double x) {
    if (!(x >= 0)) throw AutomationError(ErrorNumber::InvalidCall);
    return std::sqrt(x);
}

NozzleSearch referenceNozzle(float P1, float W, float D, double v, float Beta,
                             float Isentropic_exponent_k) {
    const double beta = Beta;
    const double kappa = Isentropic_exponent_k;
    const double d = static_cast<double>(D) * beta;
    const double beta4 = (beta * beta) * (beta * beta);
    const double C = referenceDivide(0.98, referenceSqrt(1 - beta4));
    auto expansion = [&](double tau) {
        const double tau2k = std::pow(tau, 2 / kappa);
        const double y2 = kappa / (kappa - 1) * tau2k * (1 - std::pow(tau, (kappa - 1) / kappa)) *
                          referenceDivide(1 - beta4, 1 - beta4 * tau2k) / (1 - tau);
        return referenceSqrt(checkedFinite(y2));
    };
    float dpLast = 0;
    double tauC = 1;
    double yC = 1;
    double previousF = 0;
    for (float dp = 0.001f; dp <= P1; dp += 0.001f) {
        const double tau = (static_cast<double>(P1) - dp) / P1;
        const double Y = expansion(tau);
        if (referenceMeterFlow(d, C, Y, dp, v) <= W) dpLast = dp;
        const double F = std::sqrt(Y * Y * dp);
        tauC = tau;
        yC = Y;
        if (!(F > previousF)) break;
        previousF = F;
    }
    NozzleSearch found;
    found.lastDrop = dpLast;
    found.criticalRatio = tauC;
    found.criticalExpansion = yC;
    found.criticalDrop = P1 - P1 * tauC;
    found.criticalFlow = referenceMeterFlow(d, C, yC, (P1 - tauC * P1), v);
    return found;
}

OrificeSearch referenceOrifice(float P1, float W, float D, double v, float Beta,
                               float Isentropic_exponent_k) {
    const double b = Beta;
    const double kappa = Isentropic_exponent_k;
    const double d = static_cast<double>(D) * b;
    struct TapSet {
        double C;
        double expansionSlope;
        float lastDrop = 0;
        bool reached = false;
        double lastY = 1;
        double lastW = 0;
    };
    TapSet flange{0.598 + 0.01 * b + 0.00001947 * std::pow(10 * b, 4.425),
                  0.41 + 0.35 * std::pow(b, 4)};
    TapSet pipeTaps{0.58925 + 0.2725 * b - 0.825 * b * b + 1.75 * std::pow(b, 3),
                    0.333 + 1.145 * (b * b + 0.7 * std::pow(b, 5) + 12 * std::pow(b, 13))};
    for (float dp = 0; dp <= P1; dp += 0.001f) {
        for (TapSet* set : {&flange, &pipeTaps}) {
            set->lastY = 1 - set->expansionSlope * dp / P1 / kappa;
            set->lastW = referenceMeterFlow(d, set->C, set->lastY, dp, v);
            if (set->reached) continue;
            if (set->lastW <= W) {
                set->lastDrop = dp;
            } else {
                set->reached = true;
            }
        }
        if (flange.reached && pipeTaps.reached) break;
    }
    OrificeSearch found;
    if (flange.reached) {
        found.passes = true;
        found.drop = pipeTaps.reached ? pipeTaps.lastDrop : flange.lastDrop;
    } else {
        found.throatExpansion = flange.lastY;
        found.throatFlow = flange.lastW;
    }
    return found;
}

// ---- Comparison ---------------------------------------------------------------------------

// A search's outcome as bits, or the automation error it raised.
struct Outcome {
    int error = 0;
    std::vector<std::uint64_t> bits;
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

template <class Search>
Outcome outcomeOf(Search&& search) {
    Outcome o;
    try {
        o.bits = search();
    } catch (const AutomationError& e) {
        o.error = e.number();
    }
    return o;
}

std::vector<std::uint64_t> bitsOf(const NozzleSearch& s) {
    return {std::bit_cast<std::uint32_t>(s.lastDrop), std::bit_cast<std::uint64_t>(s.criticalRatio),
            std::bit_cast<std::uint64_t>(s.criticalExpansion),
            std::bit_cast<std::uint64_t>(s.criticalDrop),
            std::bit_cast<std::uint64_t>(s.criticalFlow)};
}

std::vector<std::uint64_t> bitsOf(const OrificeSearch& s) {
    return {s.passes, std::bit_cast<std::uint32_t>(s.drop),
            std::bit_cast<std::uint64_t>(s.throatExpansion),
            std::bit_cast<std::uint64_t>(s.throatFlow)};
}

struct Meter {
    float P1, W, D;
    double v;
    float beta, kappa;
};

std::string describe(const Meter& m) {
    char text[200];
    std::snprintf(text, sizeof text, "P1 %a W %a D %a v %a beta %a kappa %a", m.P1, m.W, m.D, m.v,
                  m.beta, m.kappa);
    return text;
}

// Counts of the sample, for the report of the run.
struct Tally {
    int cases = 0, passing = 0, critical = 0, errors = 0;
};

void compareNozzle(const Meter& m, Tally& tally) {
    const Outcome expected =
        outcomeOf([&] { return bitsOf(referenceNozzle(m.P1, m.W, m.D, m.v, m.beta, m.kappa)); });
    const Outcome actual =
        outcomeOf([&] { return bitsOf(pipe::searchNozzle(m.P1, m.W, m.D, m.v, m.beta, m.kappa)); });
    ASSERT_EQ(actual, expected) << "nozzle " << describe(m);
    ++tally.cases;
    if (expected.error != 0) {
        ++tally.errors;
    } else if (std::bit_cast<double>(expected.bits[4]) >= m.W) {
        ++tally.passing;
    } else {
        ++tally.critical;
    }
}

void compareOrifice(const Meter& m, Tally& tally) {
    const Outcome expected =
        outcomeOf([&] { return bitsOf(referenceOrifice(m.P1, m.W, m.D, m.v, m.beta, m.kappa)); });
    const Outcome actual = outcomeOf(
        [&] { return bitsOf(pipe::searchOrifice(m.P1, m.W, m.D, m.v, m.beta, m.kappa)); });
    ASSERT_EQ(actual, expected) << "orifice " << describe(m);
    ++tally.cases;
    if (expected.error != 0) {
        ++tally.errors;
    } else if (expected.bits[0] != 0) {
        ++tally.passing;
    } else {
        ++tally.critical;
    }
}

// ---- The accumulated differentials --------------------------------------------------------

TEST(DifferentialSteps, EveryStepEqualsTheAccumulatedSingle) {
    float dp = 0;
    std::int64_t k = 0;
    DifferentialSteps steps;
    for (; dp <= DifferentialSteps::kLimit; dp += 0.001f, ++k) {
        ASSERT_EQ(std::bit_cast<std::uint32_t>(steps.at(k)), std::bit_cast<std::uint32_t>(dp))
            << "step " << k;
    }
    // The first differential past the limit is there too.
    EXPECT_EQ(steps.at(k), dp);
    // Lookups in any order find the same steps.
    std::mt19937_64 random(7);
    std::vector<float> accumulated(static_cast<std::size_t>(k) + 1);
    dp = 0;
    for (float& a : accumulated) {
        a = dp;
        dp += 0.001f;
    }
    for (int i = 0; i < 100000; ++i) {
        const auto j = std::uniform_int_distribution<std::int64_t>(0, k)(random);
        ASSERT_EQ(steps.at(j), accumulated[static_cast<std::size_t>(j)]) << "step " << j;
    }
}

TEST(DifferentialSteps, CountsTheStepsUpToALimit) {
    // Limits on a step, just below and just above it, between steps and below the first one.
    std::vector<float> limits{0, 1e-30f, 0.0005f, 0.001f, 0.0015f, 1, 10, 1000, 2048};
    for (const std::int64_t k : {1, 2, 3, 4, 5, 977, 1000, 4096, 65536, 100000, 999999}) {
        const float step = DifferentialSteps().at(k);
        limits.insert(limits.end(), {step, std::nextafter(step, 0.0f), std::nextafter(step, 1e9f)});
    }
    for (const float limit : limits) {
        std::int64_t count = 0;
        for (float dp = 0; dp <= limit; dp += 0.001f) ++count;
        EXPECT_EQ(DifferentialSteps::countUpTo(limit), count) << limit;
    }
}

// ---- Dense comparison ---------------------------------------------------------------------

// Gas constants (kgf m / kg K) of hydrogen, steam, air and carbon dioxide: the specific volume
// v = R T / (P 10^4) spans the gases a plant meters.
constexpr double kGasConstants[] = {420.6, 47.06, 29.27, 19.27};

class MeterSample {
  public:
    explicit MeterSample(unsigned seed) : random_(seed) {}

    // A meter with its flow chosen around the flows the meter can pass: far below, near and
    // beyond its largest flow, and exactly on a flow one of its steps gives.
    Meter next(float maxPressure, bool orifice) {
        Meter m{};
        m.P1 = logUniform(0.0005, maxPressure);
        const double T = uniform(-50, 1000) + 273.15;
        const double R = kGasConstants[index(4)];
        m.v = static_cast<float>(R * T / (m.P1 * 1e4));
        m.D = logUniform(5, 2000);
        switch (index(12)) {
            case 0:
                m.beta = 0;
                break;
            case 1:
                m.beta = 0.999f;
                break;
            case 2:
                m.beta = orifice ? 1.3f : 0.9999f;
                break;
            default:
                m.beta = static_cast<float>(uniform(0.05, 0.95));
        }
        switch (index(10)) {
            case 0:
                m.kappa = 1.0000001f;
                break;
            case 1:
                m.kappa = 1e30f;
                break;
            default:
                m.kappa = static_cast<float>(uniform(1.001, 1.8));
        }
        // The flow at the inlet pressure as differential, with no expansion: the scale of the
        // flows the meter passes.
        const double d = static_cast<double>(m.D) * m.beta;
        const double scale = 1.265 * d * d * 0.6 * std::sqrt(m.P1 / 1.01972 / m.v);
        m.W = static_cast<float>(scale * std::exp(uniform(std::log(1e-5), std::log(3.0))));
        return m;
    }

    double uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random_);
    }
    float logUniform(double low, double high) {
        return static_cast<float>(std::exp(uniform(std::log(low), std::log(high))));
    }
    std::size_t index(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
    }

  private:
    std::mt19937_64 random_;
};

// Flows on the edges the searches decide by: exactly the (single-precision) flow of a step and
// its neighbours, and the largest flow the meter passes.
std::vector<float> edgeFlows(double flow) {
    const auto f = static_cast<float>(flow);
    return {f, std::nextafter(f, 0.0f), std::nextafter(f, 3.4e38f)};
}

// The flow of the nozzle at step k, as the stepping search computed it.
double nozzleFlowAt(const Meter& m, std::int64_t k) {
    const double beta = m.beta;
    const double kappa = m.kappa;
    const double beta4 = (beta * beta) * (beta * beta);
    const double C = 0.98 / std::sqrt(1 - beta4);
    const float dp = DifferentialSteps().at(k);
    const double tau = (static_cast<double>(m.P1) - dp) / m.P1;
    const double tau2k = std::pow(tau, 2 / kappa);
    const double y2 = kappa / (kappa - 1) * tau2k * (1 - std::pow(tau, (kappa - 1) / kappa)) *
                      ((1 - beta4) / (1 - beta4 * tau2k)) / (1 - tau);
    const double d = static_cast<double>(m.D) * beta;
    return 1.265 * d * d * std::sqrt(y2) * C * std::sqrt(dp / 1.01972 / m.v);
}

TEST(GasMeterSearches, NozzleFindsWhatSteppingFound) {
    MeterSample sample(20240611);
    Tally tally;
    for (int i = 0; i < 3000; ++i) {
        const Meter m = sample.next(i % 150 == 0 ? 1000.0f : 10.0f, false);
        compareNozzle(m, tally);
        if (HasFatalFailure()) return;
        // The critical flow, and the flows of the steps around the critical step and of a few
        // below it, exactly.
        try {
            const NozzleSearch found = referenceNozzle(m.P1, m.W, m.D, m.v, m.beta, m.kappa);
            std::vector<float> flows = edgeFlows(found.criticalFlow);
            const std::int64_t critical =
                DifferentialSteps::countUpTo(static_cast<float>(found.criticalDrop)) - 1;
            for (const std::int64_t k : {critical - 3, critical - 2, critical - 1, critical,
                                         critical + 1, critical / 2, critical / 9}) {
                if (k < 1 || k >= DifferentialSteps::countUpTo(m.P1)) continue;
                for (const float w : edgeFlows(nozzleFlowAt(m, k))) flows.push_back(w);
            }
            for (const float w : flows) {
                Meter edge = m;
                edge.W = w;
                compareNozzle(edge, tally);
                if (HasFatalFailure()) return;
            }
        } catch (const AutomationError&) {
        }
    }
    std::printf("nozzle: %d cases, %d passing, %d critical, %d errors\n", tally.cases,
                tally.passing, tally.critical, tally.errors);
    EXPECT_GT(tally.passing, 1000);
    EXPECT_GT(tally.critical, 1000);
}

TEST(GasMeterSearches, OrificeFindsWhatSteppingFound) {
    MeterSample sample(19700101);
    Tally tally;
    for (int i = 0; i < 3000; ++i) {
        const Meter m = sample.next(i % 100 == 0 ? 1000.0f : 30.0f, true);
        compareOrifice(m, tally);
        if (HasFatalFailure()) return;
        // The flows of the flange and pipe taps at a few steps, and the largest flange-tap
        // flow, exactly: the edges of "passes" and "critical".
        const double b = m.beta;
        const double d = static_cast<double>(m.D) * b;
        const double flangeC = 0.598 + 0.01 * b + 0.00001947 * std::pow(10 * b, 4.425);
        const double flangeSlope = 0.41 + 0.35 * std::pow(b, 4);
        const double pipeC = 0.58925 + 0.2725 * b - 0.825 * b * b + 1.75 * std::pow(b, 3);
        const double pipeSlope =
            0.333 + 1.145 * (b * b + 0.7 * std::pow(b, 5) + 12 * std::pow(b, 13));
        auto flow = [&](double C, double slope, float dp) {
            return 1.265 * d * d * (1 - slope * dp / m.P1 / m.kappa) * C *
                   std::sqrt(dp / 1.01972 / m.v);
        };
        std::vector<float> flows;
        double largest = 0;
        const std::int64_t steps = DifferentialSteps::countUpTo(m.P1);
        for (std::int64_t k = 0; k < steps; ++k) {
            largest = std::max(largest, flow(flangeC, flangeSlope, DifferentialSteps().at(k)));
        }
        for (const float w : edgeFlows(largest)) flows.push_back(w);
        for (const std::int64_t k : {steps / 3, steps / 17, std::int64_t{2}}) {
            if (k >= steps) continue;
            for (const float w : edgeFlows(flow(flangeC, flangeSlope, DifferentialSteps().at(k))))
                flows.push_back(w);
            for (const float w : edgeFlows(flow(pipeC, pipeSlope, DifferentialSteps().at(k))))
                flows.push_back(w);
        }
        for (const float w : flows) {
            Meter edge = m;
            edge.W = w;
            compareOrifice(edge, tally);
            if (HasFatalFailure()) return;
        }
    }
    std::printf("orifice: %d cases, %d passing, %d critical, %d errors\n", tally.cases,
                tally.passing, tally.critical, tally.errors);
    EXPECT_GT(tally.passing, 1000);
    EXPECT_GT(tally.critical, 500);
}

// Inputs outside any real meter: the searches raise the same errors at the same places, and
// find the same answers where stepping found one.
TEST(GasMeterSearches, UnrealMetersBehaveAsSteppingDid) {
    Tally tally;
    const float P1s[] = {0.0005f, 0.001f, 0.0011f, 0.002f, 0.5f, 7};
    for (const float P1 : P1s) {
        const std::vector<Meter> meters{
            {P1, 100, 100, 0.1, -0.5f, 1.4f},      // negative bore ratio
            {P1, 100, 100, 0.1, 2e7f, 1.4f},       // a huge bore ratio, still finite flows
            {P1, 100, 100, 0.1, 3e38f, 1.4f},      // bore ratio whose coefficients overflow
            {P1, 100, 1e20f, 1e-40, 1e10f, 1.4f},  // flows near the double range, step by step
            {P1, 100, 3e38f, 1e-40, 40, 1.4f},     // huge bore, tiny specific volume
            {P1, 100, 100, 0, 0.5f, 1.4f},         // a specific volume that converted to zero
            {P1, 100, 100, 1e300, 0.5f, 1.4f},     // no flow at all
            {P1, -5, 100, 0.1, 0.5f, 1.4f},        // negative flow
            {P1, 0, 0, 0.1, 0.5f, 1.4f},           // no pipe
            {P1, 100, -100, 0.1, 0.5f, 1.4f},      // negative diameter
            {P1, 1e6f, 100, 0.1, 0.5f, 1.4f},      // far beyond the meter
            {P1, 100, 100, 0.1, 0.5f, 3e38f},      // no expansion
            {P1, 100, 100, 0.1, 1, 1.4f},          // full bore nozzle
            {P1, 100, 100, 0.1, 0.99999994f, 1.4f}};
        for (const Meter& m : meters) {
            compareNozzle(m, tally);
            compareOrifice(m, tally);
        }
    }
    EXPECT_GT(tally.errors, 0);
}

}  // namespace

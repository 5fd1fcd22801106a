// The steam table against IAPWS-IF97 at the same states, sampled over the whole range. The
// worst errors are printed so that they can be quoted.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "tw/IF97.h"
#include "tw/MessageSink.h"
#include "tw/Stable.h"

namespace {

namespace if97 = tw::if97;

constexpr double kMPa = 0.0980665;  // MPa per kg/cm2
constexpr double kKcal = 4.1868;    // kJ per kcal

struct Worst {
    explicit Worst(std::string n = {}) : name(std::move(n)) {}
    std::string name;
    double value = 0;
    std::string where;
    void update(double e, const std::string& at) {
        if (!(e <= value)) {  // NaN counts as worst
            value = e;
            where = at;
        }
    }
    void print() const { std::printf("  %-28s %.6g  at %s\n", name.c_str(), value, where.c_str()); }
};

double relative(double a, double b) {
    return std::abs(a - b) / std::abs(b);
}

std::string at(const char* fmt, double a, double b = 0) {
    char buf[96];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}

TEST(SteamAccuracy, SaturationTableFollowsIF97From1To370C) {
    tw::RecordingMessageSink sink;
    tw::ScopedMessageSink guard(sink);
    tw::Stable st;
    Worst tsat("TSAT by pressure (K)"), psat("PSAT by temperature (rel)");
    Worst vf("SVOLF (rel)"), vg("SVOLG (rel)");
    Worst hf("ENTHF (excess over limit)"), hg("ENTHG (excess over limit)");
    Worst sf("ENTROF (excess over limit)"), sg("ENTROG (excess over limit)");
    // Limits: h within 0.1 % or 0.2 kcal/kg, s within 0.1 % or 0.0005 kcal/kg-K; the excess
    // is the error divided by the larger of the two (1 = on the limit).
    auto excess = [](double a, double b, double absolute) {
        return std::abs(a - b) / std::max(0.001 * std::abs(b), absolute);
    };
    for (double t = 1.0; t <= 370.0; t += 0.3719) {
        const double tk = t + 273.15;
        const double pKg = if97::saturationPressure(tk) / kMPa;
        const if97::Properties f = if97::saturatedLiquid(tk), g = if97::saturatedVapour(tk);
        st.SSTABLE(tw::ktoSStable_TP, static_cast<float>(t));
        ASSERT_EQ(st.StableError(), 0) << t;
        const std::string where = at("%.4f oC", t);
        psat.update(relative(st.PSAT(), pKg), where);
        vf.update(relative(st.SVOLF(), f.v), where);
        vg.update(relative(st.SVOLG(), g.v), where);
        hf.update(excess(st.ENTHF(), f.h / kKcal, 0.2), where);
        hg.update(excess(st.ENTHG(), g.h / kKcal, 0.2), where);
        sf.update(excess(st.ENTROF(), f.s / kKcal, 0.0005), where);
        sg.update(excess(st.ENTROG(), g.s / kKcal, 0.0005), where);
        st.SSTABLE(tw::ktoSStable_PR, static_cast<float>(pKg));
        ASSERT_EQ(st.StableError(), 0) << pKg;
        tsat.update(std::abs(st.TSAT() - t), at("%.6g kg/cm2 a", pKg));
    }
    EXPECT_TRUE(sink.messages().empty());
    std::printf("Saturation table against IF97, 1 to 370 oC:\n");
    for (const Worst* w : {&tsat, &psat, &vf, &vg, &hf, &hg, &sf, &sg}) w->print();
    EXPECT_LE(tsat.value, 0.02);
    EXPECT_LE(psat.value, 0.001);
    EXPECT_LE(vf.value, 0.002);
    EXPECT_LE(vg.value, 0.002);
    for (const Worst* w : {&hf, &hg, &sf, &sg}) EXPECT_LE(w->value, 1.0) << w->name;
}

// Single-phase states at least 15 K from saturation, 0.01 to 200 kg/cm2 a, 10 to 700 oC, given
// by (p, T), (p, h), (p, s) and (T, v).
TEST(SteamAccuracy, SinglePhaseStatesFollowIF97) {
    tw::RecordingMessageSink sink;
    tw::ScopedMessageSink guard(sink);
    tw::Stable st;
    const char* ways[] = {"(p, T)", "(p, h)", "(p, s)", "(T, v)"};
    Worst h[4], v[4], s[4];
    for (int w = 0; w < 4; ++w) {
        h[w].name = std::string("ENTH ") + ways[w];
        v[w].name = std::string("SVOL ") + ways[w];
        s[w].name = std::string("ENTRO ") + ways[w];
    }
    int samples = 0;
    for (int i = 0; i <= 52; ++i) {
        const double pKg = 0.0101 * std::pow(200.0 / 0.0101, i / 52.0);
        const double p = pKg * kMPa;
        const double tsat = if97::saturationTemperature(p) - 273.15;
        for (double t = 10.3; t <= 700.0; t += 7.7) {
            if (std::abs(t - tsat) < 15.0) continue;
            const if97::Properties ref = if97::stateAt(p, t + 273.15);
            const double hRef = ref.h / kKcal, sRef = ref.s / kKcal;
            const std::string where = at("%.5g kg/cm2 a, %.1f oC", pKg, t);
            const float pf = static_cast<float>(pKg), tf = static_cast<float>(t);
            struct Way {
                int k1;
                float x1;
                int k2;
                float x2;
            };
            const Way calls[4] = {{1, pf, 2, tf},
                                  {1, pf, 4, static_cast<float>(hRef)},
                                  {1, pf, 5, static_cast<float>(sRef)},
                                  {2, tf, 3, static_cast<float>(ref.v)}};
            for (int w = 0; w < 4; ++w) {
                // Entropies below the table's lower bound (cold liquid) are outside the range.
                if (w == 2 && sRef < 0.035) continue;
                if (w == 1 && hRef < 10.1) continue;
                st.STABLE(calls[w].k1, calls[w].x1, calls[w].k2, calls[w].x2);
                h[w].update(relative(st.ENTH(), hRef), where);
                v[w].update(relative(st.SVOL(), ref.v), where);
                s[w].update(relative(st.ENTRO(), sRef), where);
            }
            ++samples;
        }
    }
    EXPECT_GT(samples, 3000);
    EXPECT_TRUE(sink.messages().empty()) << sink.messages().front().text;
    std::printf("Single-phase states against IF97 (%d states):\n", samples);
    for (int w = 0; w < 4; ++w) {
        h[w].print();
        v[w].print();
        s[w].print();
        EXPECT_LE(h[w].value, 0.005) << ways[w];
        EXPECT_LE(v[w].value, 0.02) << ways[w];
        EXPECT_LE(s[w].value, 0.005) << ways[w];
    }
}

}  // namespace

#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <string_view>
#include <thread>
#include <vector>

#include "FlueGasTestSupport.h"

using namespace tw;
using tw::testing::toDigits;

namespace {

using Gas = std::array<float, kGasComponentCount>;  // GasComponent order

bool moleWeight(bool isVolumeBasis, const Gas& x) {
    return tryFlueGasMoleWeight(isVolumeBasis, x[0], x[1], x[2], x[3], x[4], x[5], x[6]);
}

constexpr Gas kFlueGas = {76, 4, 12, 0, 0.1f, 7, 0.9f};
constexpr std::string_view kNotice =
    "Total of component percent input for flue gas mole weight calculation is not equal to "
    "100%.\nCalculation is performed on the basis of component percent ratio.";

class Composition : public tw::testing::FlueGasTest {};

struct WorkedComposition {
    const char* what;
    bool isVolumeBasis;
    Gas input;
    const char* moleWeight;
    std::array<const char*, kGasComponentCount> other;  // the derived basis, GasComponent order
};

TEST_F(Composition, WorkedValuesOfBothBases) {
    const WorkedComposition cases[] = {
        {"flue gas",
         true,
         kFlueGas,
         "29.53569",
         {"72.08189", "4.333605", "17.88074", "0", "0.2169071", "4.269581", "1.21728"}},
        {"flue gas halved",
         true,
         {38, 2, 6, 0, 0.05f, 3.5f, 0.45f},
         "29.53569",
         {"72.08189", "4.333605", "17.88074", "0", "0.2169071", "4.269581", "1.21728"}},
        {"air",
         true,
         {79, 21, 0, 0, 0, 0, 0},
         "28.85006",
         {"76.70788", "23.29212", "0", "0", "0", "0", "0"}},
        {"weight basis",
         false,
         {73, 4.5f, 18, 0, 0.2f, 4, 0.3f},
         "29.51394",
         {"76.91135", "4.150528", "12.07114", "0", "0.0921375", "6.553193", "0.2216427"}},
        {"nitrogen alone",
         true,
         {50, 0, 0, 0, 0, 0, 0},
         "28.013",
         {"100", "0", "0", "0", "0", "0", "0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(moleWeight(c.isVolumeBasis, c.input));
        EXPECT_TRUE(toDigits(FlueGasComposition.MoleWeight, c.moleWeight));
        const auto& derived =
            c.isVolumeBasis ? FlueGasComposition.WtPercent : FlueGasComposition.VolPercent;
        for (std::size_t i = 0; i < derived.size(); ++i) {
            SCOPED_TRACE(gasComponentName(static_cast<GasComponent>(i)));
            EXPECT_TRUE(toDigits(derived[i], c.other[i]));
        }
    }
}

TEST_F(Composition, NoticeExactlyWhenTheSingleTotalIsNot100) {
    struct Case {
        float n2;  // with O2 21 and nothing else
        bool notice;
    };
    const Case cases[] = {{79, false}, {79.0001f, true}, {78.9999f, true}, {29, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n2);
        recorder_.clear();
        ASSERT_TRUE(moleWeight(true, {c.n2, 21, 0, 0, 0, 0, 0}));
        ASSERT_EQ(messages().size(), c.notice ? 1u : 0u);
        if (c.notice) {
            EXPECT_EQ(messages()[0].text, kNotice);
            EXPECT_EQ(messages()[0].caption, "Sub FlueGasMoleWeight");
            EXPECT_EQ(messages()[0].icon, MessageIcon::Information);
        }
    }
    // 99.99999 as a single is not 100.
    recorder_.clear();
    ASSERT_TRUE(moleWeight(true, {99.99999f, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(Composition, NoticeInTheProgramLanguageOnly) {
    TW_Language = TW_Korean;
    moleWeight(true, {50, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text,
              "연소 가스 몰중량(Mole Weight) 계산을 위해 입력한 성분 합계가 100% 가 "
              "아닙니다.\n성분 구성 비율 기준으로 계산합니다.");
    recorder_.clear();
    TW_Language = static_cast<enmLanguage>(5);
    EXPECT_TRUE(moleWeight(true, {50, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(FlueGasComposition.VolPercent[0], 100.0f);
}

TEST_F(Composition, RefusedCompositionsKeepThePreviousRecord) {
    ASSERT_TRUE(moleWeight(true, kFlueGas));
    const FlueGasCompositionRecord before = FlueGasComposition;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        Gas gas;
        bool message;
    };
    const Case cases[] = {
        {"all zero", {0, 0, 0, 0, 0, 0, 0}, false},
        {"negative entry", {80, 21, 0, -1, 0, 0, 0}, true},
        {"negative total", {-5, 0, 0, 0, 0, 0, 0}, true},
        {"NaN entry", {79, nan, 0, 0, 0, 0, 0}, true},
        {"infinite entry", {inf, 21, 0, 0, 0, 0, 0}, true},
        {"total past the single range", {3e38f, 3e38f, 0, 0, 0, 0, 0}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        recorder_.clear();
        for (bool volume : {true, false}) EXPECT_FALSE(moleWeight(volume, c.gas));
        EXPECT_EQ(messages().size(), c.message ? 2u : 0u);
        if (c.message) {
            EXPECT_EQ(messages()[0].caption, "Sub FlueGasMoleWeight");
            EXPECT_EQ(messages()[0].icon, MessageIcon::Critical);
        }
        EXPECT_EQ(FlueGasComposition.MoleWeight, before.MoleWeight);
        EXPECT_EQ(FlueGasComposition.WtPercent, before.WtPercent);
        EXPECT_EQ(FlueGasComposition.VolPercent, before.VolPercent);
    }
}

// A thread takes the record of a composition it normalised last instead of working it out
// again: every call in turn must give what the same call gives on a thread that normalised
// nothing before, the notice included, whatever came between.
TEST_F(Composition, ACompositionNormalisedAgainGivesWhatAFirstNormalisationGives) {
    const Gas other = {73, 3.5f, 13, 0, 0.1f, 8.5f, 0.9f};  // 99 in all: with the notice
    Gas negativeZero = kFlueGas;
    negativeZero[3] = -0.0f;
    struct Step {
        const char* what;
        bool isVolumeBasis;
        Gas gas;
    };
    const Step steps[] = {
        {"first", true, kFlueGas},
        {"again", true, kFlueGas},
        {"other basis", false, kFlueGas},
        {"back", true, kFlueGas},
        {"other gas", true, other},
        {"other again", true, other},
        {"-0 for 0", true, negativeZero},
        {"refused between", true, {-1, 0, 0, 0, 0, 0, 0}},
        {"after refused", true, negativeZero},
        {"record overwritten", true, negativeZero},
    };
    const auto bits = [](const FlueGasCompositionRecord& r) {
        std::vector<std::uint32_t> b{std::bit_cast<std::uint32_t>(r.MoleWeight)};
        for (float v : r.VolPercent) b.push_back(std::bit_cast<std::uint32_t>(v));
        for (float v : r.WtPercent) b.push_back(std::bit_cast<std::uint32_t>(v));
        return b;
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (std::string_view(step.what) == "record overwritten") FlueGasComposition = {};
        bool freshResult = false;
        FlueGasCompositionRecord fresh;
        const std::size_t before = messages().size();
        std::thread([&] {
            freshResult = moleWeight(step.isVolumeBasis, step.gas);
            fresh = FlueGasComposition;
        }).join();
        const std::size_t freshMessages = messages().size() - before;
        EXPECT_EQ(moleWeight(step.isVolumeBasis, step.gas), freshResult);
        EXPECT_EQ(messages().size() - before - freshMessages, freshMessages);
        if (freshResult) {
            EXPECT_EQ(bits(FlueGasComposition), bits(fresh));
        }
    }
}

TEST_F(Composition, WeightPercentsOfAVolumeGasGiveItsVolumePercentsBack) {
    ASSERT_TRUE(moleWeight(true, kFlueGas));
    const FlueGasCompositionRecord byVolume = FlueGasComposition;
    const auto& w = byVolume.WtPercent;
    ASSERT_TRUE(moleWeight(false, {w[0], w[1], w[2], w[3], w[4], w[5], w[6]}));
    for (std::size_t i = 0; i < w.size(); ++i) {
        EXPECT_NEAR(FlueGasComposition.VolPercent[i], byVolume.VolPercent[i],
                    2e-6 * byVolume.VolPercent[i] + 1e-7);
    }
    EXPECT_NEAR(FlueGasComposition.MoleWeight, byVolume.MoleWeight, 1e-5);
}

TEST_F(Composition, TinyAmountsStayFiniteOrAreRefused) {
    // A gas of a few denormal amounts: normalised without NaN, or refused.
    const bool accepted = moleWeight(false, {1e-45f, 0, 0, 0, 0, 0, 0});
    if (accepted) {
        EXPECT_TRUE(std::isfinite(FlueGasComposition.MoleWeight));
        EXPECT_GT(FlueGasComposition.MoleWeight, 0.0f);
    }
}

}  // namespace

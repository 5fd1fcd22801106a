#pragma once
// Shared set-up of the flue gas module tests: a recording message sink, English messages and a
// fresh composition record for every test.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>

#include "mdlTW_FlueGas.h"
#include "tw/MessageSink.h"

namespace tw::testing {

class FlueGasTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FlueGasComposition = {};
        TW_Language = TW_English;
    }
    void TearDown() override { TW_Language = TW_Korean; }

    const std::vector<RecordedMessage>& messages() const { return recorder_.messages(); }
    std::string lastText() const {
        return messages().empty() ? std::string() : messages().back().text;
    }

    RecordingMessageSink recorder_;
    ScopedMessageSink guard_{recorder_};
};

// True when `value` rounds to the decimal text `expected` at its number of decimals: a worked
// value reproduced "to the digits given".
inline ::testing::AssertionResult toDigits(double value, std::string_view expected) {
    const std::string text(expected);
    const auto point = text.find('.');
    const int decimals = point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
    const double want = std::stod(text);
    const double halfStep = 0.5 * std::pow(10.0, -decimals);
    if (std::fabs(value - want) <= halfStep * (1 + 1e-9)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << value << " does not round to " << expected << " (off by " << value - want << ")";
}

}  // namespace tw::testing

#pragma once
// Arithmetic of the pipe formulas that raises the automation error of the fault it meets,
// instead of carrying a NaN or an infinity into a result.

#include <cmath>
#include <string_view>

#include "tw/AutomationError.h"
#include "tw/MessageSink.h"

namespace tw::pipe {

// Caption of the library's message boxes that have no caption of their own: the library title.
inline constexpr std::string_view kLibraryTitle = "TWCommon";

// A refused input: the message of the caller's language in a box with the library title.
inline void refuse(const BilingualText& message, enmLanguage language,
                   MessageIcon icon = MessageIcon::Critical) {
    showMessage(message, language, kLibraryTitle, icon);
}

// The arguments of a public pipe formula are numbers: a NaN or an infinity is an invalid call,
// raised before anything is computed, shown or written back to the caller. x - x is 0 for every
// number and NaN for a NaN or an infinity, so one comparison tests all the arguments.
template <class... Values>
void requireFinite(Values... values) {
    if (!(((values - values) + ... + 0.0f) == 0)) throw AutomationError(ErrorNumber::InvalidCall);
}

// checkedFinite and checkedFloat with their test inline, since the formulas call them in their
// loops: the value itself, or the floating-point error it stands for.
inline double finite(double value) {
    return std::isfinite(value) ? value : checkedFinite(value);
}
inline float toSingle(double value) {
    const auto single = static_cast<float>(value);
    return std::isfinite(single) ? single : checkedFloat(value);
}

// Natural logarithm; a non-positive (or NaN) argument is an invalid call.
inline double checkedLog(double x) {
    if (!(x > 0)) throw AutomationError(ErrorNumber::InvalidCall);
    return std::log(x);
}

// Square root; a negative (or NaN) argument is an invalid call.
inline double checkedSqrt(double x) {
    if (!(x >= 0)) throw AutomationError(ErrorNumber::InvalidCall);
    return std::sqrt(x);
}

// Quotient; a zero divisor is a division by zero, a result past the range an overflow.
inline double checkedDivide(double numerator, double denominator) {
    if (denominator == 0) throw AutomationError(ErrorNumber::DivisionByZero);
    return finite(numerator / denominator);
}

}  // namespace tw::pipe

#pragma once
// Errors raised to callers of the suite's components. Each carries the automation error number
// and its standard description, so hosts can show "Error #" + number + line feed + description.

#include <cmath>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tw {

enum class ErrorNumber : int {
    InvalidCall = 5,          // "Invalid procedure call or argument"
    Overflow = 6,             // "Overflow"
    SubscriptOutOfRange = 9,  // "Subscript out of range"
    DivisionByZero = 11,      // "Division by zero"
    SetNotSupportedAtRuntime = 382,
    SetNotPermitted = 387,
    DialogCancelled = 32755,  // a common dialog closed with Cancel
};

// The standard description of an automation error number ("" for numbers the suite never raises).
std::string_view standardErrorDescription(int number);

class AutomationError : public std::runtime_error {
  public:
    explicit AutomationError(ErrorNumber number);
    AutomationError(int number, std::string description);

    int number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    // "Error #" + number + line feed + description: the text hosts show for a platform error.
    std::string messageText() const;

  private:
    int number_;
    std::string description_;
};

// Raises the floating-point error of a value that is not finite: NaN is an invalid operation
// (5), infinity an overflow (6).
[[noreturn]] void raiseNonFinite(double value);

// Raises the floating-point error that matches a non-finite result: NaN is an invalid operation
// (5), infinity an overflow (6). Finite values pass through.
inline double checkedFinite(double value) {
    if (!std::isfinite(value)) [[unlikely]]
        raiseNonFinite(value);
    return value;
}
// As checkedFinite, and also refuses a value that overflows when rounded to single precision.
// Inline: every unit conversion and most correlations end with it.
inline float checkedFloat(double value) {
    checkedFinite(value);
    const auto f = static_cast<float>(value);
    if (std::isinf(f)) [[unlikely]]
        raiseNonFinite(f);
    return f;
}

}  // namespace tw

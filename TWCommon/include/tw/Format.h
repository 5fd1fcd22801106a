#pragma once
// Number texts of the suite. The locale never changes any of them: the decimal separator is ".".

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

// General number form: at most 7 significant digits, trailing zeros dropped, exponent form
// ("1E-05", "1.234568E+08") outside 0.0001 .. 9999999, and a leading blank for a value that
// is not negative (" 200", "-17.77778"). Used wherever a message joins a number into its text.
std::string generalNumber(double value);
// The same without the leading blank.
std::string generalNumberNoBlank(double value);

// The shortest decimal text that reads back to the same float ("0.1", "1e-08", "9999999").
std::string shortestFloat(float value);

// Fixed-decimal patterns "0.000", "0.00", "0.0": the shortest decimal text of the value is
// rounded half away from zero, so 2.675f gives "2.68". Negative results that round to zero keep
// no sign ("0.00").
std::string fixedDecimals(double value, int decimals);
std::string fixedDecimals(float value, int decimals);
// The same text appended to `out`, without a string of its own where arithmetic decides.
void appendFixedDecimals(std::string& out, float value, int decimals);
// The double the text of appendFixedDecimals(value, decimals) reads back to, worked out without
// the text where arithmetic decides the digits; nothing where the digits must be written first.
std::optional<double> fixedDecimalsNumber(float value, int decimals);
// The single that fixedDecimals(value, decimals) reads back to (std::from_chars), as the
// rounded value a routine goes on with.
float fixedDecimalsValue(double value, int decimals);
inline std::string format000(float v) {
    return fixedDecimals(v, 3);
}
inline std::string format00(float v) {
    return fixedDecimals(v, 2);
}
inline std::string format0(float v) {
    return fixedDecimals(v, 1);
}

// The leading-number rule: the longest leading part of a text that forms a decimal number
// (leading blanks, optional sign, digits, decimal point, exponent). A text without one reads as
// 0. A number too large for a double reads as an infinity of its sign, so that callers decide.
struct LeadingNumber {
    double value = 0.0;
    std::size_t length = 0;  // characters taken, leading blanks included; 0 when none
    bool found() const noexcept { return length != 0; }
};
LeadingNumber readLeadingNumber(std::string_view text);
inline double leadingNumber(std::string_view text) {
    return readLeadingNumber(text).value;
}
// The common cell: a whole text of an optional '-' and at most 15 digits with one decimal point
// at most ("74.454", "-3", "0.9"), and its value, the one the leading-number rule reads;
// nothing for any other text.
std::optional<double> plainDecimal(std::string_view text);

}  // namespace tw

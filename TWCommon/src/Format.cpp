#include "tw/Format.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <system_error>
#include <type_traits>

namespace tw {
namespace {

// Powers of ten that are exact doubles (up to 1e10 also exact singles).
constexpr std::array<double, 23> kExactPowersOfTen{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

std::string nonFinite(double value) {
    if (std::isnan(value)) return "NaN";
    return value < 0 ? "-Infinity" : "Infinity";
}

// Decimal digits of a value without sign: value = 0.d1d2d3... x 10^(pointPosition).
struct Decimal {
    char digits[32];
    int count = 0;
    int pointPosition = 0;  // digits before the decimal point (may be <= 0 or > count)
};

// The shortest decimal text of the value (the one that reads back to the same value).
template <class T>
Decimal shortestDecimal(T magnitude) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    const std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
    const auto e = text.find('e');
    Decimal d;
    for (char c : text.substr(0, e)) {
        if (c != '.') d.digits[d.count++] = c;
    }
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                    exponent);
    d.pointPosition = exponent + 1;
    return d;
}

// Rounds half away from zero to `decimals` places and writes the fixed-point text.
std::string fixedFromDecimal(bool negative, const Decimal& d, int decimals) {
    // The digits down to 10^-decimals, rounded half away from zero; a carry out of the first
    // digit adds a digit in front.
    const int keep = d.pointPosition + decimals;
    std::string kept;
    if (keep >= 0) {
        kept.reserve(static_cast<std::size_t>(keep) + 1);
        kept.append(d.digits, static_cast<std::size_t>(std::min(keep, d.count)));
        kept.resize(static_cast<std::size_t>(keep), '0');
        if (keep < d.count && d.digits[keep] >= '5') {
            int i = keep - 1;
            for (; i >= 0 && kept[static_cast<std::size_t>(i)] == '9'; --i) {
                kept[static_cast<std::size_t>(i)] = '0';
            }
            if (i >= 0) {
                ++kept[static_cast<std::size_t>(i)];
            } else {
                kept.insert(kept.begin(), '1');
            }
        }
    }
    // Its integer part is the first (size - decimals) digits, without leading zeros.
    const int intDigits = static_cast<int>(kept.size()) - decimals;
    std::size_t intStart = 0;
    while (static_cast<int>(intStart) < intDigits && kept[intStart] == '0') ++intStart;
    const bool noInteger = static_cast<int>(intStart) >= intDigits;
    const std::size_t fracStart = static_cast<std::size_t>(std::max(intDigits, 0));
    const bool isZero = noInteger && kept.find_first_not_of('0', fracStart) == std::string::npos;
    std::string out;
    out.reserve(kept.size() + static_cast<std::size_t>(std::max(decimals, 0)) + 4);
    if (negative && !isZero) out += '-';
    if (noInteger) {
        out += '0';
    } else {
        out.append(kept, intStart, static_cast<std::size_t>(intDigits) - intStart);
    }
    if (decimals > 0) {
        out += '.';
        if (intDigits < 0) out.append(static_cast<std::size_t>(-intDigits), '0');
        out.append(kept, fracStart);
    }
    return out;
}

// The next value above a finite, non-negative magnitude: nextafter towards infinity, by the bit
// pattern (the next pattern is the next value for every finite value that is not negative).
template <class T>
T nextAbove(T magnitude) {
    using Bits =
        std::conditional_t<sizeof(T) == sizeof(std::uint32_t), std::uint32_t, std::uint64_t>;
    static_assert(sizeof(T) == sizeof(Bits));
    return std::bit_cast<T>(static_cast<Bits>(std::bit_cast<Bits>(magnitude) + 1));
}

// The value in units of 10^-decimals, rounded half away from zero, by arithmetic, where that
// gives what rounding the shortest decimal text gives. That text lies within half a unit in the
// last place of the value, so the two can round differently only when a rounding boundary (a 5
// just past the last kept decimal) lies that close to the value; there, and for values too large
// to scale exactly, nothing is returned and the digits of the text decide.
template <class T>
[[gnu::always_inline]] inline std::optional<std::uint64_t> unitsByArithmetic(T value,
                                                                             int decimals) {
    constexpr int kMostDecimals = 6;
    const T magnitude = std::fabs(value);
    if (decimals < 0 || decimals > kMostDecimals || !(magnitude < T(1e9))) return std::nullopt;
    const double scale = kExactPowersOfTen[static_cast<std::size_t>(decimals)];
    const double scaled = static_cast<double>(magnitude) * scale;
    // Below 1e15, so the conversion truncates exactly what floor would take off.
    const auto truncated = static_cast<std::uint64_t>(scaled);
    const double whole = static_cast<double>(truncated);
    const double fraction = scaled - whole;
    const double halfUlp =
        (static_cast<double>(nextAbove(magnitude)) - static_cast<double>(magnitude)) * scale / 2;
    // Scaling adds at most one rounding of the double product.
    const double margin = halfUlp + scaled * std::numeric_limits<double>::epsilon();
    if (std::fabs(fraction - 0.5) <= margin) return std::nullopt;
    return truncated + (fraction > 0.5 ? 1 : 0);
}

// Two digits at a time: "00" to "99".
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

template <class Units>
char* writeDigitPair(Units pair, char* p) {
    const std::size_t at = 2 * static_cast<std::size_t>(pair);
    p[-1] = kDigitPairs[at + 1];
    p[-2] = kDigitPairs[at];
    return p - 2;
}

// The fixed-point text of `units` of 10^-decimals, written backwards from `end`; returns its
// first character.
template <class Units>
char* writeDigits(Units units, int decimals, bool negative, char* end) {
    char* p = end;
    int i = 0;
    for (; i + 1 < decimals; i += 2) {
        p = writeDigitPair(units % 100, p);
        units /= 100;
    }
    if (i < decimals) {
        *--p = static_cast<char>('0' + units % 10);
        units /= 10;
    }
    if (decimals > 0) *--p = '.';
    for (; units >= 100; units /= 100) p = writeDigitPair(units % 100, p);
    if (units >= 10) {
        p = writeDigitPair(units, p);
    } else {
        *--p = static_cast<char>('0' + units);
    }
    if (negative) *--p = '-';
    return p;
}

char* writeUnits(std::uint64_t units, int decimals, bool negative, char* end) {
    // In 32 bits where they fit: a division by ten there is the cheaper multiplication.
    if (units <= std::numeric_limits<std::uint32_t>::max()) {
        return writeDigits(static_cast<std::uint32_t>(units), decimals, negative, end);
    }
    return writeDigits(units, decimals, negative, end);
}

// The fixed-point text by arithmetic (see unitsByArithmetic), written backwards from `end`;
// `begin` is set to its first character. False where the digits of the text must decide.
template <class T>
bool fixedByArithmetic(T value, int decimals, char* end, char*& begin) {
    const std::optional<std::uint64_t> units = unitsByArithmetic(value, decimals);
    if (!units) return false;
    begin = writeUnits(*units, decimals, std::signbit(value) && *units != 0, end);
    return true;
}

template <class T>
std::string fixedImpl(T value, int decimals) {
    if (!std::isfinite(value)) return nonFinite(static_cast<double>(value));
    if (decimals < 0) decimals = 0;
    char buf[40];
    char* const end = buf + sizeof buf;
    char* begin = end;
    if (fixedByArithmetic(value, decimals, end, begin)) return std::string(begin, end);
    if (value == 0) {
        Decimal zero;
        zero.digits[0] = '0';
        zero.count = 1;
        zero.pointPosition = 1;
        return fixedFromDecimal(false, zero, decimals);
    }
    return fixedFromDecimal(std::signbit(value), shortestDecimal(std::fabs(value)), decimals);
}

}  // namespace

std::string generalNumberNoBlank(double value) {
    if (!std::isfinite(value)) return nonFinite(value);
    if (value == 0) return "0";
    // Seven significant digits, rounded on the exact value.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6e", std::fabs(value));
    std::string_view text(buf);
    std::string digits;
    digits.push_back(text[0]);
    digits.append(text.substr(2, 6));
    int exponent = 0;
    const auto e = text.find('e');
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                    exponent);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = value < 0 ? "-" : "";
    if (exponent < -4 || exponent > 6) {
        out += digits.substr(0, 1);
        if (digits.size() > 1) out += "." + digits.substr(1);
        char exp[16];
        std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return out + exp;
    }
    if (exponent < 0) {
        return out + "0." + std::string(static_cast<std::size_t>(-(exponent + 1)), '0') + digits;
    }
    const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= intDigits)
        return out + digits + std::string(intDigits - digits.size(), '0');
    return out + digits.substr(0, intDigits) + "." + digits.substr(intDigits);
}

std::string generalNumber(double value) {
    std::string text = generalNumberNoBlank(value);
    if (!std::signbit(value) || std::isnan(value)) text.insert(text.begin(), ' ');
    return text;
}

std::string shortestFloat(float value) {
    if (!std::isfinite(value)) return nonFinite(value);
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

std::string fixedDecimals(double value, int decimals) {
    return fixedImpl(value, decimals);
}
std::string fixedDecimals(float value, int decimals) {
    return fixedImpl(value, decimals);
}

void appendFixedDecimals(std::string& out, float value, int decimals) {
    char buf[40];
    char* const end = buf + sizeof buf;
    char* begin = end;
    if (std::isfinite(value) && fixedByArithmetic(value, decimals, end, begin)) {
        out.append(begin, static_cast<std::size_t>(end - begin));
    } else {
        out += fixedImpl(value, decimals);
    }
}

std::optional<double> fixedDecimalsNumber(float value, int decimals) {
    if (!std::isfinite(value)) return std::nullopt;
    const std::optional<std::uint64_t> units = unitsByArithmetic(value, decimals);
    if (!units) return std::nullopt;
    // Fewer than 10^15 units and a power of ten up to 10^6 are exact doubles, so one division
    // rounds as a reader of the text "ddd.ddd" does.
    const double magnitude =
        static_cast<double>(*units) / kExactPowersOfTen[static_cast<std::size_t>(decimals)];
    return std::signbit(value) && *units != 0 ? -magnitude : magnitude;
}

float fixedDecimalsValue(double value, int decimals) {
    // A whole number of units below 2^24 and a power of ten up to 1e10 are exact singles, so
    // one division rounds correctly: the single from_chars reads from the text.
    if (std::isfinite(value) && decimals >= 0 && decimals <= 10) {
        const std::optional<std::uint64_t> units = unitsByArithmetic(value, decimals);
        if (units && *units <= (std::uint64_t{1} << 24)) {
            const float magnitude =
                static_cast<float>(*units) /
                static_cast<float>(kExactPowersOfTen[static_cast<std::size_t>(decimals)]);
            return std::signbit(value) && *units != 0 ? -magnitude : magnitude;
        }
    }
    const std::string text = fixedImpl(value, decimals);
    float read = 0.0f;
    std::from_chars(text.data(), text.data() + text.size(), read);
    return read;
}

namespace {

// The common cell of a table, a whole text of at most 15 digits with a sign and a decimal point
// at most and no exponent ("74.454", "-3", "0.9"), read in one pass. Nothing for any other
// text, which the full rule reads; for these both give the same value and length.
std::optional<LeadingNumber> readPlainDecimal(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    bool negative = false;
    if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fractionDigits = 0;
    bool point = false;
    for (; p != end; ++p) {
        const auto d = static_cast<unsigned>(*p - '0');
        if (d <= 9) {
            mantissa = mantissa * 10 + d;
            ++digits;
            fractionDigits += point ? 1 : 0;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || digits > 15) return std::nullopt;
    const double magnitude =
        static_cast<double>(mantissa) / kExactPowersOfTen[static_cast<std::size_t>(fractionDigits)];
    return LeadingNumber{negative ? -magnitude : magnitude, text.size()};
}

// The full leading-number rule, for every text the plain reader does not take; kept out of line
// so that the plain reader's calls do not pay for its frame.
[[gnu::noinline]] LeadingNumber readLeadingNumberByRule(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    std::size_t digits = 0;
    bool seenNonZero = false;
    int leadingIntDigits = 0;    // significant integer digits, for the overflow direction
    std::uint64_t mantissa = 0;  // the digits as an integer, while there are at most 19
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        seenNonZero = seenNonZero || text[i] != '0';
        if (seenNonZero) ++leadingIntDigits;
        mantissa = mantissa * 10 + static_cast<unsigned>(text[i] - '0');
        ++i;
        ++digits;
        if (digits == 19) break;
    }
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        seenNonZero = seenNonZero || text[i] != '0';
        if (seenNonZero) ++leadingIntDigits;
        ++i;
        ++digits;
    }
    int leadingFracZeros = 0;
    std::size_t fractionDigits = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        bool countingZeros = !seenNonZero;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (countingZeros && text[i] == '0') ++leadingFracZeros;
            if (text[i] != '0') {
                countingZeros = false;
                seenNonZero = true;
            }
            if (digits < 19) mantissa = mantissa * 10 + static_cast<unsigned>(text[i] - '0');
            ++i;
            ++digits;
            ++fractionDigits;
        }
    }
    if (digits == 0) return {};
    std::size_t end = i;
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            expNegative = text[j] == '-';
            ++j;
        }
        const std::size_t expDigitsStart = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            if (exponent < 100000) exponent = exponent * 10 + (text[j] - '0');
            ++j;
        }
        if (j > expDigitsStart) {
            end = j;
            if (expNegative) exponent = -exponent;
        } else {
            exponent = 0;
        }
    }
    LeadingNumber result;
    result.length = end;
    // At most 15 digits times a power of ten up to 1e22 are both exact doubles, so one
    // multiplication or division rounds correctly: the same double from_chars gives (Clinger's
    // fast path), for the short numbers of a table at a fraction of the cost.
    if (digits <= 15) {
        const long scale = exponent - static_cast<long>(fractionDigits);
        if (scale >= -22 && scale <= 22) {
            const double m = static_cast<double>(mantissa);
            const double magnitude =
                scale < 0 ? m / kExactPowersOfTen[-scale] : m * kExactPowersOfTen[scale];
            result.value = negative ? -magnitude : magnitude;
            return result;
        }
    }
    double magnitude = 0;
    auto r = std::from_chars(text.data() + mantissaStart, text.data() + end, magnitude,
                             std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Decimal magnitude of the number decides between overflow and underflow.
        const long scale =
            leadingIntDigits > 0 ? leadingIntDigits + exponent : exponent - leadingFracZeros;
        magnitude = (seenNonZero && scale > 0) ? std::numeric_limits<double>::infinity() : 0.0;
    }
    result.value = negative ? -magnitude : magnitude;
    return result;
}

}  // namespace

std::optional<double> plainDecimal(std::string_view text) {
    if (!text.empty() && text.front() == '+') return std::nullopt;
    const std::optional<LeadingNumber> plain = readPlainDecimal(text);
    if (!plain) return std::nullopt;
    return plain->value;
}

LeadingNumber readLeadingNumber(std::string_view text) {
    if (const std::optional<LeadingNumber> plain = readPlainDecimal(text)) return *plain;
    return readLeadingNumberByRule(text);
}

}  // namespace tw

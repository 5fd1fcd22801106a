#include "tw/Format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

namespace tw {
namespace {

std::string nonFinite(double value) {
    if (std::isnan(value)) return "NaN";
    return value < 0 ? "-Infinity" : "Infinity";
}

// Decimal digits of a value without sign: value = 0.d1d2d3... x 10^(pointPosition).
struct Decimal {
    std::string digits;
    int pointPosition = 0;  // digits before the decimal point (may be <= 0 or > digits.size())
};

template <class T>
Decimal shortestDecimal(T magnitude) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
    const auto e = text.find('e');
    Decimal d;
    for (char c : text.substr(0, e)) {
        if (c != '.') d.digits.push_back(c);
    }
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                    exponent);
    d.pointPosition = exponent + 1;
    return d;
}

// Rounds half away from zero to `decimals` places and writes the fixed-point text.
std::string fixedFromDecimal(bool negative, Decimal d, int decimals) {
    const int keep = d.pointPosition + decimals;  // digits that stay
    std::string kept;
    if (keep >= 0) {
        kept = d.digits.substr(
            0, static_cast<std::size_t>(std::min<int>(keep, static_cast<int>(d.digits.size()))));
        kept.resize(static_cast<std::size_t>(keep), '0');
        const bool roundUp = keep < static_cast<int>(d.digits.size()) &&
                             d.digits[static_cast<std::size_t>(keep)] >= '5';
        if (roundUp) {
            int i = keep - 1;
            for (; i >= 0; --i) {
                if (kept[static_cast<std::size_t>(i)] == '9') {
                    kept[static_cast<std::size_t>(i)] = '0';
                } else {
                    ++kept[static_cast<std::size_t>(i)];
                    break;
                }
            }
            if (i < 0) {
                kept.insert(kept.begin(), '1');
                ++d.pointPosition;
            }
        }
    }
    // kept holds the digits down to 10^-decimals; its integer part is the first
    // (size - decimals) digits.
    const int intDigits = static_cast<int>(kept.size()) - decimals;
    std::string intPart = intDigits > 0 ? kept.substr(0, static_cast<std::size_t>(intDigits)) : "";
    std::string fracPart = intDigits >= 0
                               ? kept.substr(static_cast<std::size_t>(intDigits))
                               : std::string(static_cast<std::size_t>(-intDigits), '0') + kept;
    fracPart.resize(static_cast<std::size_t>(decimals), '0');
    const auto firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);
    const bool isZero = intPart == "0" && fracPart.find_first_not_of('0') == std::string::npos;
    std::string out = (negative && !isZero) ? "-" : "";
    out += intPart;
    if (decimals > 0) out += "." + fracPart;
    return out;
}

template <class T>
std::string fixedImpl(T value, int decimals) {
    if (!std::isfinite(value)) return nonFinite(static_cast<double>(value));
    if (decimals < 0) decimals = 0;
    if (value == 0) return fixedFromDecimal(false, Decimal{"0", 1}, decimals);
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

LeadingNumber readLeadingNumber(std::string_view text) {
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
    int leadingIntDigits = 0;  // significant integer digits, for the overflow direction
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        seenNonZero = seenNonZero || text[i] != '0';
        if (seenNonZero) ++leadingIntDigits;
        ++i;
        ++digits;
    }
    int leadingFracZeros = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        bool countingZeros = !seenNonZero;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (countingZeros && text[i] == '0') ++leadingFracZeros;
            if (text[i] != '0') {
                countingZeros = false;
                seenNonZero = true;
            }
            ++i;
            ++digits;
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

}  // namespace tw

#include "JsonWriter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

#include "tw/Format.h"

namespace twcalc {
namespace {

void write(const Json& v, std::string& out) {
    switch (v.type()) {
        case Json::value_t::object: {
            out += '{';
            bool first = true;
            for (const auto& [key, item] : v.items()) {
                if (!first) out += ", ";
                first = false;
                out += Json(key).dump(-1, ' ', false, Json::error_handler_t::replace);
                out += ": ";
                write(item, out);
            }
            out += '}';
            break;
        }
        case Json::value_t::array: {
            out += '[';
            bool first = true;
            for (const auto& item : v) {
                if (!first) out += ", ";
                first = false;
                write(item, out);
            }
            out += ']';
            break;
        }
        case Json::value_t::number_float: {
            out += jsonNumberText(v.get<double>()).value_or("null");
            break;
        }
        default:
            out += v.dump(-1, ' ', false, Json::error_handler_t::replace);
            break;
    }
}

}  // namespace

std::optional<std::string> jsonNumberText(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    char text[40];
    const auto single = static_cast<float>(value);
    const bool heldBySingle = std::isfinite(single) && static_cast<double>(single) == value;
    const std::to_chars_result r = heldBySingle ? std::to_chars(text, text + sizeof text, single)
                                                : std::to_chars(text, text + sizeof text, value);
    return std::string(text, r.ptr);
}

namespace {

// 10^0 to 10^22: as doubles, the powers of ten a double holds exactly.
template <class Number>
constexpr std::array<Number, 23> powersOfTen() {
    std::array<Number, 23> powers{};
    Number power = 1;
    for (Number& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}

__extension__ using Wide = unsigned __int128;

constexpr std::array<double, 23> kExactPowersOfTen = powersOfTen<double>();
constexpr std::array<Wide, 23> kWholePowersOfTen = powersOfTen<Wide>();

int significantDigits(std::uint64_t number) {
    int count = 1;
    while (number >= 10) {
        number /= 10;
        ++count;
    }
    return count;
}

// The value of a positive single's shortest decimal text, worked out without writing the text,
// for singles from 2^-40 up to 2^64 (others: nullopt). The single's rounding interval (half
// the gap to each neighbour, its ends belonging to it when the significand is even) is scaled
// to integers of ten or eleven digits, exactly, in 128 bits; digits are then dropped as long
// as a whole number is left inside it. Of the numbers inside at that length, the nearest to the
// single is its text (a tie going to the even one), as std::to_chars chooses. That decimal is
// read back as from_chars would: at most eleven digits times a power of ten up to 1e22 is one
// exactly rounded multiplication or division.
std::optional<double> shortestSingleValue(float single) {
    const auto bits = std::bit_cast<std::uint32_t>(single);
    const int binaryExponent = static_cast<int>(bits >> 23) - 127;  // of the leading bit
    constexpr int kLowest = -40;
    constexpr int kHighest = 63;
    if (binaryExponent < kLowest || binaryExponent > kHighest) return std::nullopt;
    const std::uint32_t fraction = bits & 0x7FFFFFU;
    const std::uint64_t significand = fraction | 0x800000U;
    const int e = binaryExponent - 23;  // single = significand * 2^e
    // The interval in units of 2^(e-2); below a power of two the gap to the lower neighbour
    // is half the gap above.
    const std::uint64_t centre = 4 * significand;
    const std::uint64_t upper = centre + 2;
    const std::uint64_t lower = centre - (fraction == 0 ? 1 : 2);
    const bool endsBelong = significand % 2 == 0;
    // floor(log10(single)) is this or one more; the finest digit 10^start leaves ten or more.
    const int start = ((binaryExponent * 78913) >> 18) - 9;
    // The interval's ends and centre in digits of 10^start: units / denominator, exactly. For
    // a start of 10^0 and up the single is above 10^9, a whole number: its units fit 64 bits
    // and the denominator is that power of ten; below, the denominator is a power of two.
    const int shift = e < 2 ? 2 - e : 0;
    const Wide scale = start < 0 ? (Wide{1} << (e < 2 ? 0 : e - 2)) *
                                       kWholePowersOfTen[static_cast<std::size_t>(-start)]
                                 : Wide{1} << (e - 2);
    const Wide denominator =
        start < 0 ? Wide{1} << shift : kWholePowersOfTen[static_cast<std::size_t>(start)];
    struct Digits {
        std::uint64_t whole;
        Wide remainder;  // of `denominator`
    };
    const auto digitsOf = [&](std::uint64_t units) -> Digits {
        const Wide scaled = units * scale;
        if (start >= 0) {
            const auto narrow = static_cast<std::uint64_t>(scaled);
            const auto power = static_cast<std::uint64_t>(denominator);
            return {narrow / power, narrow % power};
        }
        return {static_cast<std::uint64_t>(scaled >> shift), scaled & (denominator - 1)};
    };
    // The whole numbers of digits 10^start inside the interval: least .. most.
    const Digits low = digitsOf(lower);
    const Digits high = digitsOf(upper);
    const Digits mid = digitsOf(centre);
    std::uint64_t least = low.whole + (low.remainder != 0 || !endsBelong ? 1 : 0);
    std::uint64_t most = high.whole - (high.remainder == 0 && !endsBelong ? 1 : 0);
    // Drop a digit as long as a whole number of the coarser digit stays inside.
    int dropped = 0;
    while ((least + 9) / 10 <= most / 10) {
        least = (least + 9) / 10;
        most /= 10;
        ++dropped;
    }
    // The nearest of those to the single, ties to even.
    const auto dropDivisor =
        static_cast<std::uint64_t>(kWholePowersOfTen[static_cast<std::size_t>(dropped)]);
    const Wide remainder = Wide{mid.whole % dropDivisor} * denominator + mid.remainder;
    const Wide unit = denominator * dropDivisor;
    std::uint64_t digits = mid.whole / dropDivisor;
    if (2 * remainder > unit || (2 * remainder == unit && digits % 2 != 0)) ++digits;
    digits = std::clamp(digits, least, most);
    const int exponent = start + dropped;
    if (exponent > 0) {
        // A whole number whose digits end in zeros: to_chars writes it in full, the single's
        // own value, unless "d.ddde+XX" is shorter.
        const int places = exponent + (significantDigits(digits) - 1);  // of the leading digit
        const int sure = significantDigits(digits);
        if (places + 1 <= sure + (sure > 1 ? 1 : 0) + 4) return static_cast<double>(single);
    }
    const auto whole = static_cast<double>(digits);
    return exponent >= 0 ? whole * kExactPowersOfTen[static_cast<std::size_t>(exponent)]
                         : whole / kExactPowersOfTen[static_cast<std::size_t>(-exponent)];
}

}  // namespace

double jsonNumberValue(double value) {
    if (!std::isfinite(value)) return std::numeric_limits<double>::quiet_NaN();
    const auto single = static_cast<float>(value);
    // A double's shortest text reads back to the double itself; so does the text of a whole
    // number below 2^24, which names it exactly. Only the other singles need their text.
    constexpr double kExactWholeSingles = 16777216.0;
    if (!std::isfinite(single) || static_cast<double>(single) != value ||
        (std::trunc(value) == value && std::fabs(value) < kExactWholeSingles))
        return value;
    if (const std::optional<double> shortest = shortestSingleValue(std::fabs(single))) {
        return std::signbit(single) ? -*shortest : *shortest;
    }
    char text[40];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, single);
    // A single's shortest text has at most nine digits: the leading-number rule reads it to the
    // double from_chars gives, mostly by one exact multiplication or division.
    return tw::leadingNumber(std::string_view(text, static_cast<std::size_t>(r.ptr - text)));
}

namespace {

void dismantle(Json& value, int depth) {
    constexpr int kDeepest = 64;  // anything deeper is left to the destructor
    if (depth > kDeepest) return;
    if (value.is_array()) {
        auto& items = value.get_ref<Json::array_t&>();
        for (Json& item : items) dismantle(item, depth + 1);
        items.clear();
    } else if (value.is_object()) {
        auto& fields = value.get_ref<Json::object_t&>();
        for (auto& field : fields) dismantle(field.second, depth + 1);
        fields.clear();
    }
}

}  // namespace

void dismantle(Json& value) {
    dismantle(value, 0);
}

std::string writeJson(const Json& value) {
    std::string out;
    write(value, out);
    return out;
}

}  // namespace twcalc

#include "JsonWriter.h"

#include <charconv>
#include <cmath>
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

double jsonNumberValue(double value) {
    if (!std::isfinite(value)) return std::numeric_limits<double>::quiet_NaN();
    const auto single = static_cast<float>(value);
    // A double's shortest text reads back to the double itself; so does the text of a whole
    // number below 2^24, which names it exactly. Only the other singles need their text.
    constexpr double kExactWholeSingles = 16777216.0;
    if (!std::isfinite(single) || static_cast<double>(single) != value ||
        (std::trunc(value) == value && std::fabs(value) < kExactWholeSingles))
        return value;
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

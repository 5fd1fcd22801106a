#include "JsonWriter.h"

#include <cmath>
#include <cstdio>

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
            const double d = v.get<double>();
            if (!std::isfinite(d)) {
                out += "null";
                break;
            }
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.9g", d);
            out += buf;
            break;
        }
        default:
            out += v.dump(-1, ' ', false, Json::error_handler_t::replace);
            break;
    }
}

}  // namespace

std::string writeJson(const Json& value) {
    std::string out;
    write(value, out);
    return out;
}

}  // namespace twcalc

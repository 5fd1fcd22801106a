// Reading and writing the line file.

#include "tw/LineFile.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <variant>

#include "Units.h"
#include "tw/AtomicFile.h"
#include "tw/FileDescriptor.h"
#include "tw/Fittings.h"
#include "tw/Format.h"

namespace tw::line {
namespace {

using Json = nlohmann::ordered_json;

// Files larger than this are not line files.
constexpr std::uint64_t kMaxFileBytes = 16u << 20;

// Where a value sits in the document: keys and array indexes from the top.
using PathStep = std::variant<std::string, std::size_t>;
using Path = std::vector<PathStep>;

std::string pathText(const Path& path) {
    std::string text;
    for (const PathStep& step : path) {
        if (const auto* key = std::get_if<std::string>(&step)) {
            if (!text.empty()) text += '.';
            text += *key;
        } else {
            text += '[' + std::to_string(std::get<std::size_t>(step)) + ']';
        }
    }
    return text;
}

// Finds the offset of a value in the text of a valid JSON document by walking its structure;
// where the path leaves the document (a field that is absent) it gives the deepest value the
// path reached.
class Locator {
  public:
    explicit Locator(std::string_view text) : t_(text) {}

    std::size_t find(const Path& path) {
        i_ = 0;
        ws();
        std::size_t best = i_;
        for (const PathStep& step : path) {
            if (i_ >= t_.size()) break;
            const std::optional<std::size_t> at = enter(step);
            if (!at) break;
            best = *at;
        }
        return best;
    }

  private:
    // From the start of an object or array to the start of the member `step`.
    std::optional<std::size_t> enter(const PathStep& step) {
        const char open = t_[i_];
        if (open == '{' && std::holds_alternative<std::string>(step)) {
            ++i_;
            while (true) {
                ws();
                if (i_ >= t_.size() || t_[i_] != '"') return std::nullopt;
                const std::string key = readString();
                ws();
                ++i_;  // ':'
                ws();
                if (key == std::get<std::string>(step)) return i_;
                skipValue();
                ws();
                if (i_ >= t_.size() || t_[i_] != ',') return std::nullopt;
                ++i_;
            }
        }
        if (open == '[' && std::holds_alternative<std::size_t>(step)) {
            ++i_;
            for (std::size_t n = 0;; ++n) {
                ws();
                if (i_ >= t_.size() || t_[i_] == ']') return std::nullopt;
                if (n == std::get<std::size_t>(step)) return i_;
                skipValue();
                ws();
                if (i_ >= t_.size() || t_[i_] != ',') return std::nullopt;
                ++i_;
            }
        }
        return std::nullopt;
    }

    void ws() {
        while (i_ < t_.size() &&
               (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\n' || t_[i_] == '\r'))
            ++i_;
    }
    // The raw text of a string (escapes left as written: keys of this format have none).
    std::string readString() {
        std::string s;
        ++i_;
        while (i_ < t_.size() && t_[i_] != '"') {
            if (t_[i_] == '\\') s += t_[i_++];
            if (i_ < t_.size()) s += t_[i_++];
        }
        ++i_;
        return s;
    }
    void skipValue() {
        if (i_ >= t_.size()) return;
        const char c = t_[i_];
        if (c == '"') {
            readString();
        } else if (c == '{' || c == '[') {
            int depth = 0;
            while (i_ < t_.size()) {
                const char d = t_[i_];
                if (d == '"') {
                    readString();
                    continue;
                }
                if (d == '{' || d == '[') ++depth;
                if (d == '}' || d == ']') --depth;
                ++i_;
                if (depth == 0) return;
            }
        } else {
            while (i_ < t_.size() && t_[i_] != ',' && t_[i_] != '}' && t_[i_] != ']' &&
                   t_[i_] != ' ' && t_[i_] != '\n' && t_[i_] != '\r' && t_[i_] != '\t')
                ++i_;
        }
    }

    std::string_view t_;
    std::size_t i_ = 0;
};

int lineAt(std::string_view text, std::size_t offset) {
    int line = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') ++line;
    }
    return line;
}

// Reads the document into the model, with the path of the value at hand for the errors.
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    Line read() {
        Json doc;
        try {
            doc = Json::parse(text_.begin(), text_.end());
        } catch (const Json::parse_error& e) {
            throw LineFileError(lineAt(text_, e.byte == 0 ? 0 : e.byte - 1), "",
                                "not a JSON document: " + std::string(e.what()));
        }
        requireObject(doc, {});
        Line line;
        const Json& format = member(doc, {}, "format");
        if (!format.is_string() || format.get<std::string>() != "twline")
            fail({"format"}, "should be \"twline\"");
        if (doc.contains("version")) {
            const Json& v = doc["version"];
            if (!v.is_number_integer() || v.get<std::int64_t>() != 1)
                fail({"version"}, "only version 1 is read by this program");
        }
        if (doc.contains("units")) readUnits(doc["units"], line);
        if (doc.contains("max_substep_drop_percent")) {
            const double limit =
                number(doc["max_substep_drop_percent"], {"max_substep_drop_percent"});
            if (!(limit > 0 && limit <= 50))
                fail({"max_substep_drop_percent"}, "should be larger than 0 and at most 50");
            line.maxSubstepDropPercent = limit;
        }
        line.fluid = readFluid(member(doc, {}, "fluid"), line);
        line.massFlow = single(member(doc, {}, "mass_flow"), {"mass_flow"});
        const Json& segments = member(doc, {}, "segments");
        if (!segments.is_array()) fail({"segments"}, "should be an array of segments");
        for (std::size_t i = 0; i < segments.size(); ++i)
            line.segments.push_back(readSegment(segments[i], {"segments", i}));
        line.unknown = unknownOf(doc, {"format", "version", "units", "max_substep_drop_percent",
                                       "fluid", "mass_flow", "segments"});
        return line;
    }

  private:
    [[noreturn]] void fail(const Path& path, const std::string& reason) const {
        throw LineFileError(lineAt(text_, Locator(text_).find(path)), pathText(path), reason);
    }
    static Path join(Path path, PathStep step) {
        path.push_back(std::move(step));
        return path;
    }
    void requireObject(const Json& value, const Path& path) const {
        if (!value.is_object()) fail(path, "should be an object");
    }
    const Json& member(const Json& object, const Path& path, const std::string& key) const {
        if (!object.contains(key)) fail(join(path, key), "is missing");
        return object[key];
    }
    double number(const Json& value, const Path& path) const {
        if (!value.is_number()) fail(path, "should be a number");
        const double x = value.get<double>();
        if (!std::isfinite(x)) fail(path, "should be a finite number");
        return x;
    }
    float single(const Json& value, const Path& path) const {
        const double x = number(value, path);
        if (std::abs(x) > std::numeric_limits<float>::max())
            fail(path, "is beyond the single-precision range");
        return static_cast<float>(x);
    }
    std::string textOf(const Json& value, const Path& path) const {
        if (value.is_string()) return value.get<std::string>();
        if (value.is_number_integer()) return std::to_string(value.get<std::int64_t>());
        fail(path, "should be a text");
    }
    static UnknownFields unknownOf(const Json& object, std::initializer_list<const char*> known) {
        UnknownFields fields;
        for (const auto& [key, value] : object.items()) {
            bool isKnown = false;
            for (const char* k : known) isKnown = isKnown || key == k;
            if (!isKnown) fields.emplace_back(key, value.dump());
        }
        return fields;
    }

    void readUnits(const Json& units, Line& line) const {
        requireObject(units, {"units"});
        struct Entry {
            const char* key;
            QuantityId quantity;
            int LineUnits::*member;
        };
        static constexpr Entry entries[] = {{"upr", QuantityId::PR, &LineUnits::upr},
                                            {"utp", QuantityId::TP, &LineUnits::utp},
                                            {"umflow", QuantityId::MFlow, &LineUnits::umflow},
                                            {"updia", QuantityId::PDia, &LineUnits::updia},
                                            {"ulen", QuantityId::Len, &LineUnits::ulen},
                                            {"uvisco", QuantityId::Visco, &LineUnits::uvisco},
                                            {"usvol", QuantityId::SVOL, &LineUnits::usvol},
                                            {"uvel", QuantityId::Vel, &LineUnits::uvel}};
        for (const Entry& e : entries) {
            if (!units.contains(e.key)) continue;
            const Json& value = units[e.key];
            const Path path{"units", e.key};
            const units::QuantityInfo& q = units::quantity(e.quantity);
            int index = -1;
            if (value.is_number_integer()) {
                const auto n = value.get<std::int64_t>();
                if (n >= 0 && n < q.count()) index = static_cast<int>(n);
            } else if (value.is_string()) {
                if (auto found = units::findUnit(e.quantity, value.get<std::string>()))
                    index = *found;
            } else {
                fail(path, "should be a unit index or a unit text");
            }
            if (index < 0) {
                std::string list;
                for (int i = 0; i < q.count(); ++i)
                    list += std::string(i ? ", " : "") + std::to_string(i) + " \"" +
                            q.units[static_cast<std::size_t>(i)].display + "\"";
                fail(path, "names no " + std::string(q.key) + " unit; units are " + list);
            }
            line.units.*e.member = index;
        }
        line.unknownUnits =
            unknownOf(units, {"upr", "utp", "umflow", "updia", "ulen", "uvisco", "usvol", "uvel"});
    }

    Fluid readFluid(const Json& f, Line& line) const {
        const Path at{"fluid"};
        requireObject(f, at);
        const std::string kind = textOf(member(f, at, "kind"), {"fluid", "kind"});
        auto value = [&](const char* key) { return single(member(f, at, key), {"fluid", key}); };
        Fluid fluid;
        if (kind == "steam" || kind == "water") {
            fluid = SteamOrWater{kind == "steam", value("pressure"), value("temperature")};
            line.unknownFluid = unknownOf(f, {"kind", "pressure", "temperature"});
        } else if (kind == "saturated-steam") {
            fluid = SaturatedSteam{value("pressure"), value("dryness")};
            line.unknownFluid = unknownOf(f, {"kind", "pressure", "dryness"});
        } else if (kind == "saturated-water") {
            fluid = SaturatedWater{value("pressure")};
            line.unknownFluid = unknownOf(f, {"kind", "pressure"});
        } else if (kind == "gas") {
            Gas gas;
            const Json& c = member(f, at, "composition");
            requireObject(c, {"fluid", "composition"});
            for (const auto& [species, amount] : c.items()) {
                std::size_t i = 0;
                while (i < kGasSpeciesNames.size() && species != kGasSpeciesNames[i]) ++i;
                if (i == kGasSpeciesNames.size())
                    fail({"fluid", "composition", species},
                         "is not one of N2, O2, CO2, CO, SO2, H2O, Ar");
                gas.composition[i] = single(amount, {"fluid", "composition", species});
            }
            if (f.contains("basis")) {
                const std::string basis = textOf(f["basis"], {"fluid", "basis"});
                if (basis != "vol" && basis != "wt")
                    fail({"fluid", "basis"}, "should be vol or wt");
                gas.volumeBasis = basis == "vol";
            }
            gas.pressure = value("pressure");
            gas.temperature = value("temperature");
            gas.viscosityGiven = f.contains("viscosity");
            if (gas.viscosityGiven) gas.viscosity = value("viscosity");
            gas.exponentGiven = f.contains("isentropic_exponent");
            if (gas.exponentGiven) gas.isentropicExponent = value("isentropic_exponent");
            fluid = gas;
            line.unknownFluid = unknownOf(f, {"kind", "composition", "basis", "pressure",
                                              "temperature", "viscosity", "isentropic_exponent"});
        } else if (kind == "typed") {
            TypedFluid t;
            const Json& liquid = member(f, at, "liquid");
            if (!liquid.is_boolean()) fail({"fluid", "liquid"}, "should be true or false");
            t.liquid = liquid.get<bool>();
            t.pressure = value("pressure");
            t.specificVolume = value("specific_volume");
            t.viscosity = value("viscosity");
            if (!t.liquid || f.contains("isentropic_exponent"))
                t.isentropicExponent = value("isentropic_exponent");
            fluid = t;
            line.unknownFluid = unknownOf(f, {"kind", "liquid", "pressure", "specific_volume",
                                              "viscosity", "isentropic_exponent"});
        } else {
            fail({"fluid", "kind"},
                 "should be steam, water, saturated-steam, saturated-water, gas or typed");
        }
        return fluid;
    }

    Segment readSegment(const Json& s, const Path& at) const {
        requireObject(s, at);
        Segment seg;
        const bool bySize = s.contains("nps") || s.contains("schedule");
        if (bySize && s.contains("inside_diameter"))
            fail(join(at, "inside_diameter"), "give either nps and schedule or inside_diameter");
        if (bySize) {
            seg.nps = textOf(member(s, at, "nps"), join(at, "nps"));
            seg.schedule = textOf(member(s, at, "schedule"), join(at, "schedule"));
        } else if (s.contains("inside_diameter")) {
            seg.insideDiameter = single(s["inside_diameter"], join(at, "inside_diameter"));
        } else {
            fail(join(at, "nps"), "is missing: give nps and schedule, or inside_diameter");
        }
        if (s.contains("roughness")) seg.roughness = single(s["roughness"], join(at, "roughness"));
        const bool byLength = s.contains("length") || s.contains("rise");
        const bool byCoordinates = s.contains("from") || s.contains("to");
        if (byLength && byCoordinates)
            fail(join(at, "from"), "give either length and rise or from and to");
        if (byLength) {
            LengthAndRise lr;
            lr.length = single(member(s, at, "length"), join(at, "length"));
            if (s.contains("rise")) lr.rise = single(s["rise"], join(at, "rise"));
            seg.route = lr;
        } else if (byCoordinates) {
            EndCoordinates c;
            c.from = point(member(s, at, "from"), join(at, "from"));
            c.to = point(member(s, at, "to"), join(at, "to"));
            seg.route = c;
        } else {
            fail(join(at, "length"), "is missing: give length (and rise), or from and to");
        }
        if (s.contains("fittings")) {
            const Json& list = s["fittings"];
            const Path listAt = join(at, "fittings");
            if (!list.is_array()) fail(listAt, "should be an array of fitting groups");
            for (std::size_t i = 0; i < list.size(); ++i)
                seg.fittings.push_back(readFitting(list[i], join(listAt, i)));
        }
        seg.unknown = unknownOf(s, {"nps", "schedule", "inside_diameter", "roughness", "length",
                                    "rise", "from", "to", "fittings"});
        return seg;
    }

    std::array<float, 3> point(const Json& p, const Path& at) const {
        if (!p.is_array() || p.size() != 3) fail(at, "should be [north, east, up]");
        return {single(p[0], join(at, std::size_t{0})), single(p[1], join(at, std::size_t{1})),
                single(p[2], join(at, std::size_t{2}))};
    }

    FittingGroup readFitting(const Json& g, const Path& at) const {
        requireObject(g, at);
        FittingGroup f;
        const Json& kind = member(g, at, "kind");
        if (kind.is_number_integer()) {
            const auto n = kind.get<std::int64_t>();
            if (findFitting(static_cast<std::int32_t>(n)) == nullptr || n < 0 || n >= kFittingCount)
                fail(join(at, "kind"), "should be a catalogue index 0 to 47");
            f.kind = static_cast<std::int32_t>(n);
        } else if (kind.is_string()) {
            const auto found = findFittingByName(kind.get<std::string>());
            if (!found) fail(join(at, "kind"), "names no fitting kind (Gate, Globe_Std, ...)");
            f.kind = *found;
        } else {
            fail(join(at, "kind"), "should be a catalogue index or a fitting name");
        }
        if (g.contains("quantity")) {
            const Json& q = g["quantity"];
            if (!q.is_number_integer() || q.get<std::int64_t>() < 0 ||
                q.get<std::int64_t>() > 32767)
                fail(join(at, "quantity"), "should be a whole number 0 to 32767");
            f.quantity = static_cast<std::int32_t>(q.get<std::int64_t>());
        }
        if (g.contains("para1")) f.para1 = single(g["para1"], join(at, "para1"));
        if (g.contains("para2")) f.para2 = single(g["para2"], join(at, "para2"));
        f.unknown = unknownOf(g, {"kind", "quantity", "para1", "para2"});
        return f;
    }

    std::string_view text_;
};

// A single as the shortest decimal that reads back to it, so that the file shows 0.1, not the
// double nearest to the single nearest to 0.1.
double decimal(float value) {
    return std::strtod(shortestFloat(value).c_str(), nullptr);
}

void appendUnknown(Json& object, const UnknownFields& fields) {
    for (const auto& [key, text] : fields) {
        if (!object.contains(key)) object[key] = Json::parse(text);
    }
}

}  // namespace

LineFileError::LineFileError(int line, std::string field, const std::string& reason)
    : std::runtime_error("line " + std::to_string(line) + (field.empty() ? "" : ": " + field) +
                         ": " + reason),
      line_(line),
      field_(std::move(field)),
      reason_(reason) {}

Line readLine(std::string_view text) {
    return Reader(text).read();
}

Line readLineFile(const std::filesystem::path& path) {
    RegularFileForReading file = openRegularFileForReading(path);
    if (!file.fd.valid())
        throw FileError(path.string() + ": " + std::strerror(file.error), file.error);
    if (file.size > kMaxFileBytes)
        throw LineFileError(1, "", "the file is larger than 16 MiB; not a line file");
    std::string text;
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(file.fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            throw FileError(path.string() + ": " + std::strerror(error), error);
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > kMaxFileBytes)
            throw LineFileError(1, "", "the file is larger than 16 MiB; not a line file");
    }
    return readLine(text);
}

std::string writeLine(const Line& line) {
    Json doc;
    doc["format"] = "twline";
    doc["version"] = 1;
    const LineUnits& u = line.units;
    Json units{{"upr", u.upr},   {"utp", u.utp},       {"umflow", u.umflow}, {"updia", u.updia},
               {"ulen", u.ulen}, {"uvisco", u.uvisco}, {"usvol", u.usvol},   {"uvel", u.uvel}};
    appendUnknown(units, line.unknownUnits);
    doc["units"] = units;
    doc["max_substep_drop_percent"] = line.maxSubstepDropPercent;

    Json fluid;
    std::visit(
        [&fluid](const auto& f) {
            using T = std::decay_t<decltype(f)>;
            if constexpr (std::is_same_v<T, SteamOrWater>) {
                fluid = {{"kind", f.steam ? "steam" : "water"},
                         {"pressure", decimal(f.pressure)},
                         {"temperature", decimal(f.temperature)}};
            } else if constexpr (std::is_same_v<T, SaturatedSteam>) {
                fluid = {{"kind", "saturated-steam"},
                         {"pressure", decimal(f.pressure)},
                         {"dryness", decimal(f.dryness)}};
            } else if constexpr (std::is_same_v<T, SaturatedWater>) {
                fluid = {{"kind", "saturated-water"}, {"pressure", decimal(f.pressure)}};
            } else if constexpr (std::is_same_v<T, Gas>) {
                Json composition = Json::object();
                for (std::size_t i = 0; i < kGasSpeciesNames.size(); ++i)
                    composition[kGasSpeciesNames[i]] = decimal(f.composition[i]);
                fluid = {{"kind", "gas"},
                         {"composition", composition},
                         {"basis", f.volumeBasis ? "vol" : "wt"},
                         {"pressure", decimal(f.pressure)},
                         {"temperature", decimal(f.temperature)}};
                if (f.viscosityGiven) fluid["viscosity"] = decimal(f.viscosity);
                if (f.exponentGiven) fluid["isentropic_exponent"] = decimal(f.isentropicExponent);
            } else {
                fluid = {{"kind", "typed"},
                         {"liquid", f.liquid},
                         {"pressure", decimal(f.pressure)},
                         {"specific_volume", decimal(f.specificVolume)},
                         {"viscosity", decimal(f.viscosity)},
                         {"isentropic_exponent", decimal(f.isentropicExponent)}};
            }
        },
        line.fluid);
    appendUnknown(fluid, line.unknownFluid);
    doc["fluid"] = fluid;
    doc["mass_flow"] = decimal(line.massFlow);

    Json segments = Json::array();
    for (const Segment& s : line.segments) {
        Json seg;
        if (s.insideDiameter) {
            seg["inside_diameter"] = decimal(*s.insideDiameter);
        } else {
            seg["nps"] = s.nps;
            seg["schedule"] = s.schedule;
        }
        if (s.roughness) seg["roughness"] = decimal(*s.roughness);
        if (const auto* lr = std::get_if<LengthAndRise>(&s.route)) {
            seg["length"] = decimal(lr->length);
            seg["rise"] = decimal(lr->rise);
        } else {
            const auto& c = std::get<EndCoordinates>(s.route);
            seg["from"] = {decimal(c.from[0]), decimal(c.from[1]), decimal(c.from[2])};
            seg["to"] = {decimal(c.to[0]), decimal(c.to[1]), decimal(c.to[2])};
        }
        Json fittings = Json::array();
        for (const FittingGroup& g : s.fittings) {
            Json group{{"kind", g.kind},
                       {"quantity", g.quantity},
                       {"para1", decimal(g.para1)},
                       {"para2", decimal(g.para2)}};
            appendUnknown(group, g.unknown);
            fittings.push_back(group);
        }
        seg["fittings"] = fittings;
        appendUnknown(seg, s.unknown);
        segments.push_back(seg);
    }
    doc["segments"] = segments;
    appendUnknown(doc, line.unknown);
    return doc.dump(2) + "\n";
}

void writeLineFile(const std::filesystem::path& path, const Line& line) {
    writeFileAtomically(path, writeLine(line));
}

}  // namespace tw::line

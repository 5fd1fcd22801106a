// The steam table lookups: saturation by bisection over the saturation table, states by a
// bisection over the pressure rows and the slots of the state grid, with linear interpolation
// and the wet-region rules at the saturation pair of each row. The lookups read their records
// through a source: the tables in memory, or (for the tests' reference) the files themselves.

#include "tw/Stable.h"

#include <array>
#include <atomic>
#include <cmath>
#include <optional>
#include <type_traits>

#include "SteamTableFiles.h"
#include "tw/Format.h"
#include "tw/Language.h"
#include "tw/MessageSink.h"

namespace tw {
namespace {

using steam::kRows;
using steam::kSaturationRecords;
using steam::kSlots;
using steam::UnreadableFile;

constexpr float kFailed = 9999999.0f;  // every working value of a failed lookup
constexpr float kNotWet = 2.0f;        // working quality outside the wet region
constexpr float kOneBar = 1.01972f;    // kg/cm2 a: the vapour viscosity there has no density term
constexpr std::int16_t kUnreadable = 7;
constexpr std::int16_t kFileMissing = 8;
constexpr std::int16_t kUndeterminedWet = 10;

// The files a public call uses (bits 1 << file).
constexpr unsigned kSaturationOnly = 1U << steam::kSaturationFile;
constexpr unsigned kAllFiles = steam::DataDirectory::kAllFiles;

// Range of a property with its line of the range message.
struct Bound {
    float low, high;
    BilingualText line;
};
bool admits(const Bound& b, float v) {
    return v >= b.low && v <= b.high;
}  // NaN fails

// State lookup ranges by code 1 .. 5 (kg/cm2 a, oC, m3/kg, kcal/kg, kcal/kg-K).
constexpr std::array<Bound, 5> kStateBounds{{
    {0.01f, 250.0f, {"0.01 <= 압력(kg/cm2 a) <= 250", "0.01 <= Pressure(kg/cm2 a) <= 250"}},
    {10.0f, 700.0f, {"10 <= 온도(deg C) <= 700", "10 <= Temperature(deg C) <= 700"}},
    {0.00099f,
     457.0f,
     {"0.00099 <= 비체적(m3/kg) <= 457", "0.00099 <= Specific Volume(m3/kg) <= 457"}},
    {10.1f, 938.4f, {"10.1 <= 엔탈피(kcal/kg) <= 938.4", "10.1 <= Enthalpy(kcal/kg) <= 938.4"}},
    {0.035f,
     2.74f,
     {"0.035 <= 엔트로피(kcal/kg-K) <= 2.74", "0.035 <= Entropy(kcal/kg-K) <= 2.74"}},
}};
// Saturation lookup ranges by code 1 and 2. The temperature line states 375.15; the admitted
// bound is 374.15.
constexpr std::array<Bound, 2> kSaturationBounds{{
    {0.006697f,
     225.56f,
     {"0.006697 <= 압력(kg/cm2 a) <= 225.56", "0.006697 <= Pressure(kg/cm2 a) <= 225.56"}},
    {1.0f, 374.15f, {"1 <= 온도(deg C) <= 375.15", "1 <= Temperature(deg C) <= 375.15"}},
}};

constexpr BilingualText kSameProperties{"입력한 2개의 증기 성질이 동일합니다.(달라야 함.)",
                                        "Input two different properties."};
constexpr BilingualText kOutOfRange{"입력한 증기 성질이 내장된 증기표의 범위(아래)를 벗어납니다.",
                                    "Input values are out of the built-in data range as below."};
constexpr BilingualText kWrongCode{"입력한 증기 성질 코드 값이 잘못 되었읍니다.",
                                   "Input property code argument is wrong."};
constexpr BilingualText kStateCodes{" (1 에서 5 사이의 정수 이어야 함.)",
                                    " (to be integer in between 1 and 5 inclusive.)"};
constexpr BilingualText kSaturationCodes{" (1 이나 2의 정수 이어야 함.)",
                                         " (to be integer 1 or 2.)"};
constexpr std::array<BilingualText, 2> kUndetermined{{
    {"입력한 증기 성질이 내장된 증기표의 범위(아래)를 벗어나거나 혹은",
     "Input values are out of the built-in data range, or"},
    {"만족하는 조건이 무한대로 많은 포화증기 상태입니다.",
     "the condition to satisfy are undetermined."},
}};
constexpr std::array<BilingualText, 4> kUnreliableWet{{
    {"입력한 증기 성질이 불특정한 포화증기 상태이어서",
     "Since the input condition is undetermined saturated steam,"},
    {"구한 증기 값은 믿을 수가 없읍니다.", "the output values are not reliable."},
    {"입력한 값을 확인하시거나, 혹은", "Check the input values, or"},
    {"포화증기 프로그램(SSTABLE)을 사용하십시요.", "use saturation program."},
}};
constexpr BilingualText kInputsAre{"입력한 값은 다음과 같습니다.", "Input values are as below."};
constexpr std::array<BilingualText, 3> kAllFailed{{
    {"구한 증기 성질 값이 모두 9999999로 설정되므로,",
     "The output values are all set to 9999999, and"},
    {"본 증기 성질을 이용한 모든 계산 결과는 잘못된 값입니다.",
     "the calculation results using this steam table outputs are wrong."},
    {"입력 값을 확인 바랍니다.", "Check input values."},
}};
constexpr BilingualText kMissingFiles{
    "[TWCommon.dll] 파일이 있는 디렉토리에",
    "The following files are necessary at the directory having [TWCommon.dll] file."};
constexpr BilingualText kWithoutManifest{
    "증기표 폴더에 TWStbManifest.txt 가 없어, 증기표 파일을 체크섬 없이 값의 타당성만 확인하고 "
    "사용합니다.",
    "The steam table folder holds no TWStbManifest.txt: the steam table files are used after a "
    "check of their values alone, without checksums."};
constexpr BilingualText kUnreadableFile{
    "증기표 파일을 읽을 수 없습니다(파일이 짧거나 손상됨): ",
    "A steam table file cannot be read (too short or damaged): "};

constexpr char kCR = '\r';
constexpr char kLF = '\n';

// The next step of a bisection: half the last one, in the direction d (+2 or -2) says. The
// steps start at a power of two, so the half is exact and the search's original formula,
// round-half-even of |step| / d, gives the same numbers without a division and a rounding.
constexpr int halfStep(int step, int d) {
    const int half = (step < 0 ? -step : step) / 2;
    return d < 0 ? -half : half;
}
static_assert(halfStep(512, 2) == 256 && halfStep(-4, 2) == 2 && halfStep(2, -2) == -1);

std::string number(float v) {
    return shortestFloat(v);
}

std::string saturationCall(std::int32_t code, float value) {
    return "SSTABLE (" + std::to_string(code) + ", " + number(value) + ")";
}
std::string stateCall(std::int32_t kode, float arg, std::int32_t icode, float argl) {
    return "STABLE (" + std::to_string(kode) + ", " + number(arg) + ", " + std::to_string(icode) +
           ", " + number(argl) + ")";
}
std::string unreadableLine(int language, const std::string& fileName) {
    return std::string(kUnreadableFile.in(language)) + "<" + fileName + ">" + kCR;
}

// The message of lookup errors 1 to 7: the first lines, the call line, the closing lines.
std::string failureText(int language, const std::string& firstLines, const std::string& call) {
    std::string text(1, kCR);
    text += firstLines;
    text += kInputsAre.in(language);
    text += kCR;
    text += call;
    text += kCR;
    text += kCR;
    for (std::size_t i = 0; i < kAllFailed.size(); ++i) {
        text += kAllFailed[i].in(language);
        if (i + 1 < kAllFailed.size()) text += kCR;
    }
    return text;
}

std::string line(const BilingualText& t, int language) {
    return std::string(t.in(language)) + kCR;
}

void report(const std::string& text) {
    showMessage(text, "", MessageIcon::Critical);
}

bool knownLanguage(int language) {
    return language == TW_Korean || language == TW_English;
}

// One grid entry: temperature, volume, enthalpy, entropy.
struct Entry {
    float t = 0, v = 0, h = 0, s = 0;
    bool valid() const { return v > 0; }  // unused slots hold zeros
    float column(int code) const {        // code 2 .. 5
        switch (code) {
            case 2:
                return t;
            case 3:
                return v;
            case 4:
                return h;
            default:
                return s;
        }
    }
};

// A state with pressure, by code 1 .. 5.
struct State {
    double p = 0, t = 0, v = 0, h = 0, s = 0;
    double column(int code) const {
        switch (code) {
            case 1:
                return p;
            case 2:
                return t;
            case 3:
                return v;
            case 4:
                return h;
            default:
                return s;
        }
    }
};

// (A - B) r + B for every property, with r = (x - B_key) / (A_key - B_key); single precision
// wherever a value is kept.
double ratio(double x, double a, double b) {
    return a == b ? 0.0 : (x - b) / (a - b);
}
State between(const State& a, const State& b, double r) {
    auto f = [r](double x, double y) {
        return static_cast<double>(static_cast<float>((x - y) * r + y));
    };
    return {f(a.p, b.p), f(a.t, b.t), f(a.v, b.v), f(a.h, b.h), f(a.s, b.s)};
}
State withPressure(const Entry& e, double p) {
    return {p, e.t, e.v, e.h, e.s};
}

// The lookup ended with an error code; the state search unwinds to the caller.
struct LookupFailed {
    std::int16_t code;
};

}  // namespace

namespace steam {

// The grid search of one state lookup, with the grid and the pressure list at hand.
template <class Records>
class StateSearch {
  public:
    StateSearch(Records grid, Records pressures, int k1, float x1, int k2, float x2)
        : grid_(std::move(grid)),
          pressures_(std::move(pressures)),
          k1_(k1),
          x1_(x1),
          k2_(k2),
          x2_(x2) {}

    Entry entry(long record) const {
        const auto r = grid_.template record<4>(record);
        return {r[0], r[1], r[2], r[3]};
    }
    float pressure(int row) const { return pressures_.template value<1>(row, 0); }
    static long recordOf(int row, int slot) { return static_cast<long>(row - 1) * kSlots + slot; }
    static int slotOf(long record) { return static_cast<int>((record - 1) % kSlots) + 1; }

    // Inner bisection over the slots of a row: the record n with the last entry whose k2
    // column is at least x2 (slot 0 when the row starts below x2).
    long slotSearch(int row) const {
        int q = 0, step = 128, e = 2;
        for (int probe = 0; probe < 7; ++probe) {
            step = halfStep(step, e);
            q += step;
            // Past the row, or x2 above the probed entry: back.
            e = q > kSlots || x2_ > entry(recordOf(row, q)).column(k2_) ? -2 : 2;
        }
        return recordOf(row, q) - (e == -2 ? 1 : 0);
    }

    // The bracket (n, n + 1) moved inside the row's entries, for the probes of the row search,
    // which only need a direction and may extrapolate.
    long clampedBracket(int row, long n) const {
        if (slotOf(n) < 1 || n < recordOf(row, 1)) return recordOf(row, 1);
        while (n > recordOf(row, 1) &&
               (slotOf(n) >= kSlots || !entry(n + 1).valid() || !entry(n).valid())) {
            --n;
        }
        return n;
    }

    // A final bracket (upper, upper + 1) must lie in the row and contain x2 (the data of the
    // row); otherwise the state is outside the table (error 2).
    void requireBracket(int row, long upper) const {
        if (upper < recordOf(row, 1) || upper + 1 > recordOf(row, kSlots)) throw LookupFailed{2};
        const Entry a = entry(upper), b = entry(upper + 1);
        if (!a.valid() || !b.valid()) throw LookupFailed{2};
    }
    // A final bracket: inside the row's entries, and x2 at most a few intervals beyond the first
    // or last entry of the row (near 700 oC a state given by temperature and volume lies up to
    // 60 K above the top entry of the higher-pressure row, where the vapour is nearly linear);
    // anything further lies outside the table (error 2).
    long finalBracket(int row, long n) const {
        n = clampedBracket(row, n);
        requireBracket(row, n);
        const double r = ratio(x2_, entry(n).column(k2_), entry(n + 1).column(k2_));
        if (!(r >= -2.0 && r <= 4.0)) throw LookupFailed{2};
        return n;
    }

    State atX2(int row, long upper) const {
        const Entry a = entry(upper), b = entry(upper + 1);
        const double p = pressure(row);
        return between(withPressure(a, p), withPressure(b, p),
                       ratio(x2_, a.column(k2_), b.column(k2_)));
    }

    // Outer bisection over the rows (3.4) and the brackets of both rows (3.5 to 3.7).
    void search() {
        int p = 0, step = 256, d = 2;
        long n = 0;
        for (int probe = 0; probe < 8; ++probe) {
            step = halfStep(step, d);
            p += step;
            d = 2;
            if (p > kRows) {
                d = -2;
            } else if (k1_ == 1) {
                if (x1_ > pressure(p)) d = -2;
            } else {
                n = clampedBracket(p, slotSearch(p));
                const double value = atX2(p, n).column(k1_);
                if (k1_ == 3 ? x1_ < value : x1_ > value) d = -2;
            }
        }
        if (k1_ == 1) {
            if (d == -2) --p;
            if (p < 1 || p > kRows) throw LookupFailed{4};
            n = slotSearch(p);
            p2_ = p + 1;
        } else {
            if (p > kRows) throw LookupFailed{4};
            n = slotSearch(p);
            p2_ = d == 2 ? p + 1 : p - 1;
        }
        if (p2_ < 1 || p2_ > kRows) throw LookupFailed{4};
        p_ = p;
        n = finalBracket(p_, n);
        n_ = n;
        scanSecondRow();
    }

    // 3.7: the first entry m of row p2 whose k2 column is at most x2; bracket (m - 1, m).
    void scanSecondRow() {
        for (int slot = 1; slot <= kSlots; ++slot) {
            const long m = recordOf(p2_, slot);
            const Entry e = entry(m);
            if (!e.valid()) break;  // past the row's data
            if (e.column(k2_) <= x2_) {
                m2_ = finalBracket(p2_, m - 1);
                return;
            }
        }
        // Below every entry of the row: at most one interval beyond its last entry.
        m2_ = finalBracket(p2_, recordOf(p2_, kSlots));
    }

    // 3.8: the interpolated state of the two brackets.
    State interpolate() const {
        if (k1_ != 1) {
            const State a = atX2(p_, n_), b = atX2(p2_, m2_);
            return between(b, a, ratio(x1_, b.column(k1_), a.column(k1_)));
        }
        const double pp = pressure(p_), pp2 = pressure(p2_);
        const double r = ratio(x1_, pp, pp2);
        const State upper = between(withPressure(entry(n_), pp), withPressure(entry(m2_), pp2), r);
        const State lower =
            between(withPressure(entry(n_ + 1), pp), withPressure(entry(m2_ + 1), pp2), r);
        State s = between(upper, lower, ratio(x2_, upper.column(k2_), lower.column(k2_)));
        s.p = x1_;
        return s;
    }

    bool straddles(long upper) const { return entry(upper).t == entry(upper + 1).t; }
    bool rowStraddles() const { return straddles(n_); }
    bool secondRowStraddles() const { return straddles(m2_); }

    void moveRow(int by) {
        n_ += by;
        requireBracket(p_, n_);
    }
    void moveSecondRow(int by) {
        m2_ += by;
        requireBracket(p2_, m2_);
    }

    float rowPressure() const { return pressure(p_); }
    float secondRowPressure() const { return pressure(p2_); }
    float rowLowerTemperature() const { return entry(n_ + 1).t; }
    float secondRowUpperTemperature() const { return entry(m2_).t; }

  private:
    Records grid_;
    Records pressures_;
    int k1_;
    float x1_;
    int k2_;
    float x2_;
    int p_ = 0, p2_ = 0;
    long n_ = 0, m2_ = 0;
};

// The lookups and the public operations of one Stable object on one source of records.
template <class Source>
class Lookups {
  public:
    Lookups(Stable& st, Source source) : st_(st), source_(std::move(source)) {}

    void SSTABLE(std::int32_t AKSAT, float ARGSAT);
    float SaturationTemperature(std::int32_t AKSAT, float ARGSAT);
    void STABLE(std::int32_t KODE, float ARG, std::int32_t ICODE, float ARGL);
    float StmVisco(float P, float T, float X);

  private:
    void satLookup(std::int32_t code, float value);
    void stateLookup(std::int32_t kode, float arg, std::int32_t icode, float argl);
    float steamViscosity(float P, float T, float X);
    float toBase(std::int32_t code, float value) const;
    float qualityOfWorkingState();
    bool knownLanguage() const { return tw::knownLanguage(st_.language_); }

    void setSaturationFailed() {
        Stable::Saturation& w = st_.workSat_;
        w.PSAT = w.TSAT = w.SVOLF = w.SVOLG = kFailed;
        w.ENTHF = w.ENTHG = w.ENTROF = w.ENTROG = kFailed;
    }
    void setStateFailed() {
        Stable::WorkingState& w = st_.work_;
        w.pressure = w.temperature = w.volume = w.enthalpy = w.entropy = kFailed;
        w.quality = kNotWet;
    }

    Stable& st_;
    Source source_;
};

template <class Source>
float Lookups<Source>::toBase(std::int32_t code, float value) const {
    const Unit& u = st_.units_;
    switch (code) {
        case 1:
            return u.CvtPR(u.uPR(), 0, value);
        case 2:
            return u.CvtTP(u.uTP(), 0, value);
        case 3:
            return u.CvtSVOL(u.uSVOL(), 0, value);
        case 4:
            return u.CvtENTH(u.uENTH(), 0, value);
        case 5:
            return u.CvtENTRO(u.uENTRO(), 0, value);
        default:
            return 0.0f;
    }
}

template <class Source>
void Lookups<Source>::satLookup(std::int32_t code, float value) {
    const int language = st_.language_;
    if (!st_.missingFiles_.empty()) {
        // The missing-files message alone; the failed values keep the result from reading as
        // valid.
        st_.showMissingFiles();
        setSaturationFailed();
        st_.error_ = kFileMissing;
        return;
    }
    auto fail = [&](std::int16_t error, const std::string& firstLines) {
        st_.error_ = error;
        setSaturationFailed();
        messageSink().beep();
        if (knownLanguage()) {
            report(failureText(language, firstLines, saturationCall(code, value)));
        }
    };
    try {
        const auto file = source_.saturation();
        setSaturationFailed();
        st_.error_ = 0;
        if (code != 1 && code != 2) {
            fail(6, knownLanguage() ? line(kWrongCode, language) + line(kSaturationCodes, language)
                                    : "");
            return;
        }
        const Bound& bound = kSaturationBounds[static_cast<std::size_t>(code - 1)];
        if (!admits(bound, value)) {
            fail(5,
                 knownLanguage() ? line(kOutOfRange, language) + line(bound.line, language) : "");
            return;
        }
        const std::size_t key = static_cast<std::size_t>(code - 1);
        int i = 0, s = 512, d = 2;
        for (int probe = 0; probe < 9; ++probe) {
            s = halfStep(s, d);
            i += s;
            // Past the table, or the value above the probed record's: back.
            d = i > kSaturationRecords || value > file.template value<8>(i, key) ? -2 : 2;
        }
        if (d == -2) --i;
        if (i < 1) {  // above the first record: outside the table
            fail(5,
                 knownLanguage() ? line(kOutOfRange, language) + line(bound.line, language) : "");
            return;
        }
        const auto a = file.template record<8>(i), b = file.template record<8>(i + 1);
        const double r = ratio(value, a[key], b[key]);
        Stable::Saturation& w = st_.workSat_;
        float* out[8] = {&w.PSAT,  &w.TSAT,  &w.SVOLF,  &w.SVOLG,
                         &w.ENTHF, &w.ENTHG, &w.ENTROF, &w.ENTROG};
        for (std::size_t j = 0; j < 8; ++j) {
            *out[j] = static_cast<float>((static_cast<double>(a[j]) - b[j]) * r + b[j]);
        }
    } catch (const UnreadableFile& e) {
        fail(kUnreadable, knownLanguage() ? unreadableLine(language, e.fileName) : "");
    }
}

template <class Source>
void Lookups<Source>::stateLookup(std::int32_t kode, float arg, std::int32_t icode, float argl) {
    if (!st_.missingFiles_.empty()) {
        st_.showMissingFiles();
        setStateFailed();
        st_.error_ = kFileMissing;
        return;
    }
    const int language = st_.language_;
    int k1 = kode, k2 = icode;
    float x1 = arg, x2 = argl;
    if (icode < kode) {
        std::swap(k1, k2);
        std::swap(x1, x2);
    }
    Stable::WorkingState& work = st_.work_;
    const Stable::Saturation& sat = st_.workSat_;
    auto assign = [&work](const State& s) {
        work.pressure = static_cast<float>(s.p);
        work.temperature = static_cast<float>(s.t);
        work.volume = static_cast<float>(s.v);
        work.enthalpy = static_cast<float>(s.h);
        work.entropy = static_cast<float>(s.s);
    };
    // The saturated-liquid and saturated-vapour values of a property (code 2 .. 5).
    auto pair = [&sat](int code) -> std::pair<double, double> {
        switch (code) {
            case 2:
                return {sat.TSAT, sat.TSAT};
            case 3:
                return {sat.SVOLF, sat.SVOLG};
            case 4:
                return {sat.ENTHF, sat.ENTHG};
            default:
                return {sat.ENTROF, sat.ENTROG};
        }
    };
    // The wet state of quality X: volume, enthalpy and entropy from their saturated pairs.
    auto wet = [&work, &sat](double X) {
        work.temperature = sat.TSAT;
        work.quality = static_cast<float>(X);
        auto mix = [X](float f, float g) { return static_cast<float>(f + X * (double(g) - f)); };
        work.volume = mix(sat.SVOLF, sat.SVOLG);
        work.enthalpy = mix(sat.ENTHF, sat.ENTHG);
        work.entropy = mix(sat.ENTROF, sat.ENTROG);
    };
    try {
        // The grid first, then the pressure list: the first that cannot be used is named.
        auto grid = source_.grid();
        StateSearch<decltype(grid)> search(std::move(grid), source_.pressures(), k1, x1, k2, x2);
        setStateFailed();
        st_.error_ = 0;
        if (k1 == k2) throw LookupFailed{1};
        if (k1 < 1 || k2 > 5) throw LookupFailed{3};
        if (!admits(kStateBounds[static_cast<std::size_t>(k1 - 1)], x1) ||
            !admits(kStateBounds[static_cast<std::size_t>(k2 - 1)], x2)) {
            throw LookupFailed{2};
        }
        search.search();
        assign(search.interpolate());
        bool straddleDone = false, pressureTemperatureDone = false;
        while (true) {
            const bool sp = search.rowStraddles(), sp2 = search.secondRowStraddles();
            if ((sp || sp2) && !straddleDone) {
                straddleDone = true;
                if (sp && sp2) {
                    if ((k1 == 1 && k2 == 2) || (k1 != 1 && k1 != 2)) {
                        throw LookupFailed{kUndeterminedWet};
                    }
                    satLookup(k1, x1);
                    if (st_.error_ != 0) return;
                    const auto [f, g] = pair(k2);
                    const double X = ratio(x2, g, f);
                    wet(X);
                    work.pressure = sat.PSAT;
                    return;
                }
                satLookup(1, work.pressure);
                if (st_.error_ != 0) return;
                int move = 0;  // +1 forward (towards lower temperatures), -1 back
                if (k2 == 2) {
                    if (x2 == sat.TSAT) throw LookupFailed{kUndeterminedWet};
                    move = x2 < sat.TSAT ? 1 : -1;
                } else {
                    const auto [f, g] = pair(k2);
                    if (x2 < f) {
                        move = 1;
                    } else if (x2 > g) {
                        move = -1;
                    } else {
                        wet(ratio(x2, g, f));  // the interpolated pressure stays
                        return;
                    }
                }
                if (sp) {
                    search.moveRow(move);
                    search.scanSecondRow();
                } else {
                    search.moveSecondRow(move);
                }
                assign(search.interpolate());
                return;  // an interpolation repeated by the straddle handling ends the lookup
            }
            if (!sp && !sp2 && k1 == 1 && k2 == 2 && x1 <= 225.56f && !pressureTemperatureDone) {
                pressureTemperatureDone = true;
                // The two rows may put the given temperature on different sides of their
                // saturation lines; then both brackets move to the side of the given state.
                satLookup(1, search.rowPressure());
                if (st_.error_ != 0) return;
                const float tA = sat.TSAT;
                satLookup(1, search.secondRowPressure());
                if (st_.error_ != 0) return;
                const float tB = sat.TSAT;
                if (tA - 0.02 <= search.rowLowerTemperature() ||
                    tB + 0.02 >= search.secondRowUpperTemperature()) {
                    return;
                }
                satLookup(1, x1);
                if (st_.error_ != 0) return;
                if (x2 == sat.TSAT) throw LookupFailed{kUndeterminedWet};
                if (x2 < sat.TSAT) {
                    search.moveSecondRow(2);
                } else {
                    search.moveRow(-2);
                    search.scanSecondRow();
                }
                assign(search.interpolate());
                continue;  // examined again: only the straddle handling can still apply
            }
            return;
        }
    } catch (const LookupFailed& e) {
        st_.error_ = e.code;
    } catch (const UnreadableFile& e) {
        st_.error_ = kUnreadable;
        messageSink().beep();
        setStateFailed();
        if (knownLanguage()) {
            report(failureText(language, unreadableLine(language, e.fileName),
                               stateCall(kode, arg, icode, argl)));
        }
        return;
    }
    messageSink().beep();
    if (st_.error_ == kUndeterminedWet) {
        if (!knownLanguage()) return;
        std::string text;
        for (const BilingualText& t : kUnreliableWet) text += line(t, language);
        text += kCR;
        text += line(kInputsAre, language);
        text += stateCall(kode, arg, icode, argl);
        report(text);
        return;
    }
    setStateFailed();
    if (!knownLanguage()) return;
    std::string first;
    switch (st_.error_) {
        case 1:
            first = line(kSameProperties, language);
            break;
        case 2:
            first = line(kOutOfRange, language) +
                    line(kStateBounds[static_cast<std::size_t>(k1 - 1)].line, language) +
                    line(kStateBounds[static_cast<std::size_t>(k2 - 1)].line, language);
            break;
        case 3:
            first = line(kWrongCode, language) + line(kStateCodes, language);
            break;
        default:
            first = line(kUndetermined[0], language) + line(kUndetermined[1], language);
            break;
    }
    report(failureText(language, first, stateCall(kode, arg, icode, argl)));
}

// Viscosities in micropoise: vapour at low density, liquid along saturation.
inline double vapourBase(double t) {
    return 0.407 * t + 80.4;
}
inline double liquidViscosity(double t) {
    return 241.4 * std::pow(10.0, 247.8 / (t + 133.15));
}
inline double withDensity(double mu0, double t, double rho) {
    return t < 357 ? mu0 - rho * (1858 - 5.9 * t)
                   : mu0 + 353 * rho + 676.5 * rho * rho + 102.1 * rho * rho * rho;
}

template <class Source>
float Lookups<Source>::steamViscosity(float P, float T, float X) {
    satLookup(1, P);
    if (st_.error_ != 0) return 0.0f;
    const Stable::Saturation& sat = st_.workSat_;
    const float tsat = sat.TSAT;
    double result = 0;
    if (X >= 0 && X <= 1) {
        double muG = vapourBase(tsat);
        if (P != kOneBar) {
            satLookup(1, P);
            const double rhoG = (1.0 / sat.SVOLG) / 1000.0;  // g/cm3
            muG = withDensity(muG, tsat, rhoG);
        }
        const double muF = liquidViscosity(tsat);
        result = 1.0 / ((1.0 - X) / muF + X / muG) / 10000.0;
    } else if (T > tsat) {
        const double mu0 = vapourBase(T);
        if (P == kOneBar) {
            result = mu0 / 10000.0;
        } else {
            stateLookup(1, P, 2, T);
            const double rho = (1.0 / st_.work_.volume) / 1000.0;
            result = withDensity(mu0, T, rho) / 10000.0;
        }
    } else if (T == tsat) {
        result = liquidViscosity(T) / 10000.0;
    } else if (T < tsat) {
        satLookup(2, T);
        const double ps = sat.PSAT;
        result = liquidViscosity(T) *
                 (1.0 + 1.0467 * ((P - ps) / 1.01972 / 1000000.0) * (T - 31.85)) / 10000.0;
    }
    // Working values left by missing files can make the formulas meaningless; never return a
    // non-number.
    if (!std::isfinite(result) || std::abs(result) > 3.0e38) return 0.0f;
    return static_cast<float>(result);
}

template <class Source>
void Lookups<Source>::SSTABLE(std::int32_t AKSAT, float ARGSAT) {
    const Unit& u = st_.units_;
    Stable::Saturation& w = st_.workSat_;
    Stable::Saturation& out = st_.sat_;
    const float value = AKSAT == 1   ? u.CvtPR(u.uPR(), 0, ARGSAT)
                        : AKSAT == 2 ? u.CvtTP(u.uTP(), 0, ARGSAT)
                                     : 0.0f;
    satLookup(AKSAT, value);
    w.ViscoF = steamViscosity(w.PSAT, 100, 0);
    w.ViscoG = steamViscosity(w.PSAT, 100, 1);
    w.ViscoXF = static_cast<float>(double(w.ViscoF) * w.SVOLF * 1000.0);
    w.ViscoXG = static_cast<float>(double(w.ViscoG) * w.SVOLG * 1000.0);
    out.ViscoF = u.CvtVisco(0, u.uVisco(), w.ViscoF);
    out.ViscoG = u.CvtVisco(0, u.uVisco(), w.ViscoG);
    out.ViscoXF = u.CvtViscoX(0, u.uViscoX(), w.ViscoXF);
    out.ViscoXG = u.CvtViscoX(0, u.uViscoX(), w.ViscoXG);
    satLookup(AKSAT, value);
    out.PSAT = u.CvtPR(0, u.uPR(), w.PSAT);
    out.TSAT = u.CvtTP(0, u.uTP(), w.TSAT);
    out.SVOLF = u.CvtSVOL(0, u.uSVOL(), w.SVOLF);
    out.SVOLG = u.CvtSVOL(0, u.uSVOL(), w.SVOLG);
    out.ENTHF = u.CvtENTH(0, u.uENTH(), w.ENTHF);
    out.ENTHG = u.CvtENTH(0, u.uENTH(), w.ENTHG);
    out.ENTROF = u.CvtENTRO(0, u.uENTRO(), w.ENTROF);
    out.ENTROG = u.CvtENTRO(0, u.uENTRO(), w.ENTROG);
}

// SSTABLE's lookups, without the arithmetic whose results nobody reads. Of SSTABLE's six
// saturation lookups, each of the two viscosity steps looks up saturation at the pressure the
// working state holds when it starts, and a second time at the same pressure only when the
// first succeeded: that one shows nothing and leaves the same working values, so it is left
// out. The last lookup repeats the first: it shows its messages again only when it failed, and
// otherwise leaves the working values of the first.
template <class Source>
float Lookups<Source>::SaturationTemperature(std::int32_t AKSAT, float ARGSAT) {
    const Unit& u = st_.units_;
    Stable::Saturation& w = st_.workSat_;
    const float value = AKSAT == 1   ? u.CvtPR(u.uPR(), 0, ARGSAT)
                        : AKSAT == 2 ? u.CvtTP(u.uTP(), 0, ARGSAT)
                                     : 0.0f;
    satLookup(AKSAT, value);
    const Stable::Saturation found = w;
    const std::int16_t error = st_.error_;
    // A lookup in memory by a pressure that came back as the saturation pressure found would
    // only repeat itself: the same tables, the same pressure, the same values and no message.
    const bool repeats =
        std::is_same_v<Source, MemorySource> && AKSAT == 1 && error == 0 && w.PSAT == value;
    if (!repeats) {
        satLookup(1, w.PSAT);  // the liquid viscosity step
        satLookup(1, w.PSAT);  // the vapour one, at the pressure the liquid step left
    }
    if (error != 0) {
        satLookup(AKSAT, value);
    } else {
        w = found;
        st_.error_ = 0;
    }
    st_.sat_.TSAT = u.CvtTP(0, u.uTP(), w.TSAT);
    return st_.sat_.TSAT;
}

template <class Source>
float Lookups<Source>::qualityOfWorkingState() {
    if (st_.work_.quality != kNotWet) return st_.work_.quality;
    satLookup(1, st_.work_.pressure);
    return st_.work_.enthalpy <= st_.workSat_.ENTHF ? -1.0f : 2.0f;
}

template <class Source>
void Lookups<Source>::STABLE(std::int32_t KODE, float ARG, std::int32_t ICODE, float ARGL) {
    const Unit& u = st_.units_;
    Stable::WorkingState& w = st_.work_;
    const float arg = toBase(KODE, ARG), argl = toBase(ICODE, ARGL);
    stateLookup(KODE, arg, ICODE, argl);
    const float quality = qualityOfWorkingState();
    w.viscosity = steamViscosity(w.pressure, w.temperature, quality);
    w.kinematicViscosity = static_cast<float>(double(w.viscosity) * w.volume * 1000.0);
    st_.Visco_ = u.CvtVisco(0, u.uVisco(), w.viscosity);
    st_.ViscoX_ = u.CvtViscoX(0, u.uViscoX(), w.kinematicViscosity);
    stateLookup(KODE, arg, ICODE, argl);
    st_.PR_ = u.CvtPR(0, u.uPR(), w.pressure);
    st_.TP_ = u.CvtTP(0, u.uTP(), w.temperature);
    st_.SVOL_ = u.CvtSVOL(0, u.uSVOL(), w.volume);
    st_.ENTH_ = u.CvtENTH(0, u.uENTH(), w.enthalpy);
    st_.ENTRO_ = u.CvtENTRO(0, u.uENTRO(), w.entropy);
    st_.Quality_ = qualityOfWorkingState();
}

template <class Source>
float Lookups<Source>::StmVisco(float P, float T, float X) {
    const Unit& u = st_.units_;
    const float p = u.CvtPR(u.uPR(), 0, P);
    const float t = u.CvtTP(u.uTP(), 0, T);
    return u.CvtVisco(0, u.uVisco(), steamViscosity(p, t, X));
}

}  // namespace steam

Stable::Stable() : Stable(steam::DataDirectory::library()) {}

Stable::Stable(const std::filesystem::path& dataDirectory)
    : Stable(steam::DataDirectory::at(dataDirectory)) {}

Stable::Stable(std::shared_ptr<steam::DataDirectory> data) : data_(std::move(data)) {
    checkFiles();
}

void Stable::checkFiles() {
    missingFiles_.clear();
    const steam::TableSet& tables = currentTables(kAllFiles, 0);
    for (steam::TableFile f : {steam::kGridFile, steam::kPressureFile, steam::kSaturationFile}) {
        if (tables.file(f).state == steam::FileState::Missing) {
            missingFiles_ += std::string("<") + steam::kTableFiles[f].name + ">";
        }
    }
    if (!missingFiles_.empty()) showMissingFiles();
}

void Stable::renew() {
    units_ = Unit();
#define TW_STABLE_UNIT_LABEL_RESET(Key) s##Key##_.clear();
    TW_FOR_EACH_STABLE_UNIT(TW_STABLE_UNIT_LABEL_RESET)
#undef TW_STABLE_UNIT_LABEL_RESET
    language_ = 0;
    ENTH_ = PR_ = SVOL_ = TP_ = Quality_ = ENTRO_ = Visco_ = ViscoX_ = 0;
    sat_ = {};
    work_ = {};
    workSat_ = {};
    error_ = 0;
    checkFiles();
}

const std::filesystem::path& Stable::dataDirectory() const noexcept {
    return data_->path();
}

const steam::TableSet& Stable::currentTables(unsigned checked, unsigned read) {
    data_->refresh(tables_, checked, read);
    // Files taken without checksums are said so once per process, at the first lookup in them.
    static std::atomic<bool> withoutManifestShown{false};
    if (!withoutManifestShown.load(std::memory_order_relaxed)) {
        bool without = false;
        for (std::size_t f = 0; f < steam::kTableFileCount; ++f) {
            without |= (read & (1U << f)) != 0 &&
                       tables_->file(static_cast<steam::TableFile>(f)).withoutChecksum;
        }
        if (without && knownLanguage(language_) && !withoutManifestShown.exchange(true)) {
            showMessage(kWithoutManifest.in(language_), "", MessageIcon::Information);
        }
    }
    return *tables_;
}

void Stable::showMissingFiles() const {
    if (!knownLanguage(language_)) return;
    std::string text = kMissingFiles.in(language_);
    text += kLF;
    text += missingFiles_;
    if (language_ == TW_Korean) text += " 파일이 필요합니다.";
    showMessage(text, "", MessageIcon::Critical);
}

void Stable::SSTABLE(std::int32_t AKSAT, float ARGSAT) {
    if (readsFiles_) {
        steam::Lookups(*this, steam::FileSource{data_->path()}).SSTABLE(AKSAT, ARGSAT);
        return;
    }
    steam::Lookups(*this, steam::MemorySource{currentTables(kSaturationOnly, kSaturationOnly)})
        .SSTABLE(AKSAT, ARGSAT);
}

float Stable::SaturationTemperature(std::int32_t AKSAT, float ARGSAT) {
    if (readsFiles_) {
        return steam::Lookups(*this, steam::FileSource{data_->path()})
            .SaturationTemperature(AKSAT, ARGSAT);
    }
    return steam::Lookups(*this,
                          steam::MemorySource{currentTables(kSaturationOnly, kSaturationOnly)})
        .SaturationTemperature(AKSAT, ARGSAT);
}

void Stable::STABLE(std::int32_t KODE, float ARG, std::int32_t ICODE, float ARGL) {
    if (readsFiles_) {
        steam::Lookups(*this, steam::FileSource{data_->path()}).STABLE(KODE, ARG, ICODE, ARGL);
        return;
    }
    steam::Lookups(*this, steam::MemorySource{currentTables(kAllFiles, kAllFiles)})
        .STABLE(KODE, ARG, ICODE, ARGL);
}

float Stable::StmVisco(float P, float T, float X) {
    if (readsFiles_) {
        return steam::Lookups(*this, steam::FileSource{data_->path()}).StmVisco(P, T, X);
    }
    return steam::Lookups(*this, steam::MemorySource{currentTables(kAllFiles, kAllFiles)})
        .StmVisco(P, T, X);
}

}  // namespace tw

// The pressure drop of a whole line, segment by segment from the inlet, through the
// pressure-drop calculator. Everything inside runs in the calculator's base units (kg/cm2 a,
// m3/kg, cP, kg/hr, mm, m, m/s); the line's own units apply on the way in and out.

#include "tw/Line.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "tw/Fittings.h"
#include "tw/Format.h"
#include "tw/MessageSink.h"
#include "tw/Pipe.h"
#include "tw/PipeSchedules.h"
#include "tw/Stable.h"
#include "tw/dPCalc.h"

namespace tw::line {
namespace {

namespace text {
constexpr BilingualText kNoSegments{"배관 구간이 없습니다.", "The line has no segments."};
constexpr BilingualText kUnits{"단위 번호가 단위 목록에 없습니다.",
                               "A unit index is outside its unit list."};
constexpr BilingualText kSubstepLimit{
    "소단계 압력 강하 한계(max_substep_drop_percent)는 0 보다 크고 50 이하이어야 합니다.",
    "The sub-step drop limit (max_substep_drop_percent) should be larger than 0 and at most 50."};
constexpr BilingualText kMassFlow{"질량 유량이 0 보다 커야 합니다.",
                                  "The mass flow rate should be larger than zero."};
constexpr BilingualText kNotFinite{"숫자가 아닌 값이나 무한대 값이 있습니다.",
                                   "A value is not a finite number."};
constexpr BilingualText kInletPressure{"입구 압력(절대압)이 0 보다 커야 합니다.",
                                       "The inlet absolute pressure should be larger than zero."};
constexpr BilingualText kDryness{"건도는 0 보다 크고 1 이하이어야 합니다.",
                                 "The dryness fraction should be larger than 0 and at most 1."};
constexpr BilingualText kWaterIsSteam{
    "이 압력과 온도에서는 물이 아니라 증기입니다.",
    "At this pressure and temperature the fluid is steam, not water."};
constexpr BilingualText kSteamIsWater{
    "이 압력과 온도에서는 증기가 아니라 물입니다.",
    "At this pressure and temperature the fluid is water, not steam."};
constexpr BilingualText kSteamTable{
    "증기표에서 이 상태를 찾을 수 없습니다.",
    "The steam table holds no state for this pressure and enthalpy."};
constexpr BilingualText kSpecificVolume{"비체적이 0 보다 커야 합니다.",
                                        "The specific volume should be larger than zero."};
constexpr BilingualText kViscosity{"절대 점도가 0 보다 커야 합니다.",
                                   "The absolute viscosity should be larger than zero."};
constexpr BilingualText kExponent{"등엔트로피 지수(= 비열비) k 값이 1보다 커야 합니다.",
                                  "The isentropic exponent(k) should be larger than 1."};
constexpr BilingualText kTemperature{"가스 온도가 절대 영도보다 높아야 합니다.",
                                     "The gas temperature should be above absolute zero."};
constexpr BilingualText kMolarMass{
    "가스 조성에서 분자량을 구할 수 없습니다.",
    "The mole weight of the gas cannot be found from its composition."};
constexpr BilingualText kUnknownSize{
    "호칭 치수와 스케줄이 배관 치수표에 없습니다: ",
    "The nominal size and schedule are not in the pipe size table: "};
constexpr BilingualText kInsideDiameter{"배관 내경이 0 보다 커야 합니다.",
                                        "The inside diameter should be larger than zero."};
constexpr BilingualText kRoughness{"배관 조도는 0 이상이어야 합니다.",
                                   "The roughness should not be negative."};
constexpr BilingualText kLength{"배관 길이는 0 이상이어야 합니다.",
                                "The length should not be negative."};
constexpr BilingualText kRise{"높이차의 크기가 배관 길이보다 클 수 없습니다.",
                              "The rise cannot be larger than the length."};
constexpr BilingualText kFittingKind{"관 이음 종류가 목록(0 - 47)에 없습니다.",
                                     "The fitting kind is not in the catalogue (0 to 47)."};
constexpr BilingualText kQuantity{"관 이음 수량은 0 에서 32767 사이이어야 합니다.",
                                  "The fitting quantity should be between 0 and 32767."};
constexpr BilingualText kReducerFirst{
    "첫 구간의 Reducer/Increaser 앞에는 배관이 없습니다.",
    "A reducer or increaser in the first segment has no pipe before it."};
constexpr BilingualText kReducerDirection{
    "Reducer 는 더 작은 배관으로, Increaser 는 더 큰 배관으로 이어져야 합니다.",
    "A reducer should lead into a smaller pipe, an increaser into a larger one."};
constexpr BilingualText kZeroPressure{"압력이 0 에 도달합니다.", "The pressure reaches zero."};
constexpr BilingualText kSonic{"유속이 음속에 도달합니다",
                               "The velocity reaches the sonic velocity"};
constexpr BilingualText kFlashing{
    "물의 압력이 포화 압력 아래로 떨어집니다(플래싱은 계산하지 않습니다).",
    "The water pressure falls below its saturation pressure (flashing is not calculated)."};
constexpr BilingualText kTooManySubsteps{"소단계가 100000 개를 넘습니다.",
                                         "The segment needs more than 100000 sub-steps."};
}  // namespace text

// Isentropic exponents of steam for the sonic velocity (Crane): superheated and wet.
constexpr double kSuperheatedSteamK = 1.3;
constexpr double kWetSteamK = 1.135;
// kg/cm2 to Pa.
constexpr double kPascalPerKgPerCm2 = 98066.5;
// Universal gas constant, J/(kmol K).
constexpr double kGasConstant = 8314.462618;
constexpr int kMaxSubsteps = 100000;

// The calculation stops at the first refusal.
struct Refused {};

struct State {
    double v = 0, mu = 0, k = 0;  // m3/kg, cP, isentropic exponent
    bool liquid = false;
};

class Calculation {
  public:
    Calculation(const Line& line, std::int32_t language) : line_(line), language_(language) {}

    LineResult run() {
        ScopedThreadMessageSink collect(recorder_);
        try {
            checkLine();
            setUpFluid();
            double p = inletPressure_;
            double previousDiameter = 0;
            for (std::size_t i = 0; i < line_.segments.size(); ++i) {
                segment_ = static_cast<int>(i) + 1;
                p = runSegment(line_.segments[i], p, previousDiameter);
            }
            result_.outletPressure = toPressure(p);
            result_.totalDP = toDrop(inletPressure_ - p);
        } catch (const Refused&) {
            result_.refused = true;
        }
        drain();
        return std::move(result_);
    }

  private:
    // Moves what the formulas showed into the result; a critical message is a refusal.
    void drain() {
        bool critical = false;
        for (const RecordedMessage& m : recorder_.messages()) {
            result_.messages.push_back({segment_, m.text});
            critical = critical || m.icon == MessageIcon::Critical;
        }
        recorder_.clear();
        if (critical) throw Refused{};
    }

    [[noreturn]] void refuse(const BilingualText& message, const std::string& detail = "") {
        drain();
        const char* chosen = message.in(language_);
        result_.messages.push_back(
            {segment_, std::string(chosen != nullptr ? chosen : "") + detail});
        throw Refused{};
    }
    void refuseIf(bool condition, const BilingualText& message, const std::string& detail = "") {
        if (condition) refuse(message, detail);
    }

    static bool finite(double x) { return std::isfinite(x); }

    // Unit conversions of the line's values.
    double fromPressure(float p) const { return units::CvtPR(line_.units.upr, 0, p); }
    double toPressure(double p) const {
        return units::CvtPR(0, line_.units.upr, static_cast<float>(p));
    }
    double toDrop(double dp) const {
        return units::CvtdP(0, line_.units.upr, static_cast<float>(dp));
    }
    double fromDiameter(float d) const { return units::CvtPDia(line_.units.updia, 0, d); }
    double fromLength(float l) const { return units::CvtLen(line_.units.ulen, 0, l); }

    void checkLine() {
        const LineUnits& u = line_.units;
        const std::pair<QuantityId, int> given[] = {
            {QuantityId::PR, u.upr},     {QuantityId::TP, u.utp},   {QuantityId::MFlow, u.umflow},
            {QuantityId::PDia, u.updia}, {QuantityId::Len, u.ulen}, {QuantityId::Visco, u.uvisco},
            {QuantityId::SVOL, u.usvol}, {QuantityId::Vel, u.uvel}};
        for (const auto& [q, index] : given)
            refuseIf(!units::quantity(q).valid(index), text::kUnits);
        refuseIf(line_.segments.empty(), text::kNoSegments);
        const double limit = line_.maxSubstepDropPercent;
        refuseIf(!(limit > 0 && limit <= 50), text::kSubstepLimit);
        refuseIf(!finite(line_.massFlow), text::kNotFinite);
        massFlow_ = units::CvtMFlow(line_.units.umflow, 0, line_.massFlow);
        refuseIf(!(massFlow_ > 0), text::kMassFlow);
        stepShare_ = limit / 100;
    }

    // The inlet state and the rule for the properties along the line.
    void setUpFluid() {
        std::visit([this](const auto& fluid) { setUp(fluid); }, line_.fluid);
    }
    void inlet(float pressure) {
        refuseIf(!finite(pressure), text::kNotFinite);
        inletPressure_ = fromPressure(pressure);
        refuseIf(!(inletPressure_ > 0), text::kInletPressure);
    }
    Stable& steamTable() {
        if (!stable_) {
            stable_.emplace();
            stable_->setTW_Language(language_);
            drain();
        }
        return *stable_;
    }
    void setUp(const SteamOrWater& f) {
        inlet(f.pressure);
        refuseIf(!finite(f.temperature), text::kNotFinite);
        const float t = units::CvtTP(line_.units.utp, 0, f.temperature);
        Stable& st = steamTable();
        st.STABLE(ktoStable_PR, static_cast<float>(inletPressure_), ktoStable_TP, t);
        drain();
        refuseIf(st.StableError() != 0, text::kSteamTable);
        const bool liquid = st.Quality() <= 0;
        refuseIf(f.steam && liquid, text::kSteamIsWater);
        refuseIf(!f.steam && !liquid, text::kWaterIsSteam);
        enthalpy_ = st.ENTH();
        kind_ = f.steam ? Kind::Steam : Kind::Water;
    }
    void setUp(const SaturatedSteam& f) {
        inlet(f.pressure);
        refuseIf(!(f.dryness > 0 && f.dryness <= 1), text::kDryness);
        Stable& st = steamTable();
        st.SSTABLE(ktoSStable_PR, static_cast<float>(inletPressure_));
        drain();
        refuseIf(st.StableError() != 0, text::kSteamTable);
        enthalpy_ = st.ENTHF() + static_cast<double>(f.dryness) * (st.ENTHG() - st.ENTHF());
        kind_ = Kind::Steam;
    }
    void setUp(const SaturatedWater& f) {
        inlet(f.pressure);
        Stable& st = steamTable();
        st.SSTABLE(ktoSStable_PR, static_cast<float>(inletPressure_));
        drain();
        refuseIf(st.StableError() != 0, text::kSteamTable);
        enthalpy_ = st.ENTHF();
        kind_ = Kind::Water;
    }
    void setUp(const Gas& f) {
        inlet(f.pressure);
        refuseIf(!finite(f.temperature) || !finite(f.viscosity) || !finite(f.isentropicExponent),
                 text::kNotFinite);
        refuseIf(!f.molarMass || !(*f.molarMass > 0) || !finite(*f.molarMass), text::kMolarMass);
        const double kelvin = units::CvtTP(line_.units.utp, ktounit_degK, f.temperature);
        refuseIf(!(kelvin > 0), text::kTemperature);
        gas_.mu = units::CvtVisco(line_.units.uvisco, 0, f.viscosity);
        refuseIf(!(gas_.mu > 0), text::kViscosity);
        gas_.k = f.isentropicExponent;
        refuseIf(!(gas_.k > 1), text::kExponent);
        // Ideal gas: v = R T / (M p).
        gas_.v = kGasConstant * kelvin / (*f.molarMass * inletPressure_ * kPascalPerKgPerCm2);
        kind_ = Kind::Gas;
    }
    void setUp(const TypedFluid& f) {
        inlet(f.pressure);
        refuseIf(!finite(f.specificVolume) || !finite(f.viscosity) || !finite(f.isentropicExponent),
                 text::kNotFinite);
        gas_.v = units::CvtSVOL(line_.units.usvol, 0, f.specificVolume);
        refuseIf(!(gas_.v > 0), text::kSpecificVolume);
        gas_.mu = units::CvtVisco(line_.units.uvisco, 0, f.viscosity);
        refuseIf(!(gas_.mu > 0), text::kViscosity);
        gas_.k = f.isentropicExponent;
        gas_.liquid = f.liquid;
        refuseIf(!f.liquid && !(gas_.k > 1), text::kExponent);
        kind_ = f.liquid ? Kind::Liquid : Kind::Gas;
    }

    // Properties at pressure p: steam and water at the inlet enthalpy, a gas at the inlet
    // temperature (v p constant), a typed liquid as typed.
    State state(double p) {
        refuseIf(!(p > 0), text::kZeroPressure);
        switch (kind_) {
            case Kind::Liquid:
                return gas_;
            case Kind::Gas: {
                State s = gas_;
                s.v = gas_.v * inletPressure_ / p;
                return s;
            }
            case Kind::Steam:
            case Kind::Water:
                break;
        }
        // The outlet of one segment is the inlet of the next: one lookup serves both.
        const auto pressure = static_cast<float>(p);
        if (cached_ && cachedPressure_ == pressure) return cachedState_;
        Stable& st = steamTable();
        st.STABLE(ktoStable_PR, pressure, ktoStable_ENTH, static_cast<float>(enthalpy_));
        drain();
        refuseIf(st.StableError() != 0, text::kSteamTable);
        const double x = st.Quality();
        State s;
        s.v = st.SVOL();
        s.mu = st.Visco();
        if (kind_ == Kind::Water) {
            refuseIf(x > 0 && x <= 1, text::kFlashing);
            s.liquid = true;
        } else {
            s.k = x >= 0 && x < 1 ? kWetSteamK : kSuperheatedSteamK;
        }
        cached_ = true;
        cachedPressure_ = pressure;
        cachedState_ = s;
        return s;
    }

    bool compressible() const { return kind_ == Kind::Gas || kind_ == Kind::Steam; }

    // A velocity at or above √(k p v) is refused: the flow would choke.
    void checkSonic(const State& s, double p, double diameter) {
        if (s.liquid) return;
        const double velocity = pipe_.VelPipe(
            static_cast<float>(massFlow_), static_cast<float>(diameter), static_cast<float>(s.v));
        drain();
        const double sonic = std::sqrt(s.k * p * kPascalPerKgPerCm2 * s.v);
        if (velocity >= sonic) {
            const auto vel = [this](double x) {
                return units::CvtVel(0, line_.units.uvel, static_cast<float>(x));
            };
            const std::string unit =
                units::quantity(QuantityId::Vel).units[line_.units.uvel].display;
            const std::string a = generalNumberNoBlank(vel(velocity)) + " " + unit;
            const std::string b = generalNumberNoBlank(vel(sonic)) + " " + unit;
            refuse(text::kSonic, language_ == TW_Korean
                                     ? " (유속 " + a + ", 음속 " + b + ")."
                                     : " (velocity " + a + ", sonic velocity " + b + ").");
        }
    }

    double insideDiameter(const Segment& s) {
        if (s.insideDiameter) {
            refuseIf(!finite(*s.insideDiameter), text::kNotFinite);
            const double d = fromDiameter(*s.insideDiameter);
            refuseIf(!(d > 0), text::kInsideDiameter);
            return d;
        }
        const auto size = pipe::findPipeSize(s.nps, s.schedule);
        refuseIf(!size, text::kUnknownSize, "NPS " + s.nps + " Sch " + s.schedule);
        return size->insideDiameter();
    }

    // The run as a vector (north, east, up) in metres.
    std::array<double, 3> route(const Segment& s) {
        if (const auto* lr = std::get_if<LengthAndRise>(&s.route)) {
            refuseIf(!finite(lr->length) || !finite(lr->rise), text::kNotFinite);
            const double length = fromLength(lr->length), rise = fromLength(lr->rise);
            refuseIf(length < 0, text::kLength);
            refuseIf(std::abs(rise) > length, text::kRise);
            return {std::sqrt(length * length - rise * rise), 0, rise};
        }
        const auto& c = std::get<EndCoordinates>(s.route);
        std::array<double, 3> v{};
        for (std::size_t i = 0; i < 3; ++i) {
            refuseIf(!finite(c.from[i]) || !finite(c.to[i]), text::kNotFinite);
            v[i] = fromLength(c.to[i]) - fromLength(c.from[i]);
        }
        return v;
    }

    double runSegment(const Segment& s, double p, double& previousDiameter) {
        SegmentResult r;
        const double d = insideDiameter(s);
        double roughness = kCommercialSteelRoughnessMm;
        if (s.roughness) {
            refuseIf(!finite(*s.roughness), text::kNotFinite);
            roughness = fromDiameter(*s.roughness);
        }
        refuseIf(roughness < 0, text::kRoughness);
        const std::array<double, 3> vector = route(s);
        const std::vector<FittingGroup> fittings = fittingsOf(s, d, previousDiameter);

        r.inletPressure = p;
        p = runDrop(s, d, roughness, vector, p, r);
        p = fittingsDrop(fittings, d, roughness, previousDiameter, p, r);
        state(p);  // the outlet must hold as well (a pressure left, no flashing)
        r.outletPressure = p;
        r.dP = r.inletPressure - p;
        previousDiameter = d;
        result_.segments.push_back(toLineUnits(r));
        return p;
    }

    // The segment's fittings, with a sudden reducer or increaser first where the bore changes
    // and the segment has none of its own.
    std::vector<FittingGroup> fittingsOf(const Segment& s, double d, double previousDiameter) {
        std::vector<FittingGroup> groups;
        bool hasReducer = false;
        for (const FittingGroup& g : s.fittings) {
            refuseIf(findFitting(g.kind) == nullptr, text::kFittingKind);
            refuseIf(g.quantity < 0 || g.quantity > 32767, text::kQuantity);
            refuseIf(!finite(g.para1) || !finite(g.para2), text::kNotFinite);
            if (g.kind == Reducer || g.kind == Increaser) {
                refuseIf(previousDiameter == 0, text::kReducerFirst);
                refuseIf(g.kind == Reducer ? d > previousDiameter : d < previousDiameter,
                         text::kReducerDirection);
                hasReducer = true;
            }
        }
        // A bore typed in the line's units and the same bore from the size table differ only in
        // the last digits of a single.
        const bool sameBore =
            std::abs(d - previousDiameter) <= 1e-5 * std::max(d, previousDiameter);
        if (previousDiameter != 0 && !sameBore && !hasReducer) {
            FittingGroup automatic;
            automatic.kind = d < previousDiameter ? Reducer : Increaser;
            automatic.quantity = 1;
            groups.push_back(automatic);
            automatic_ = true;
        } else {
            automatic_ = false;
        }
        groups.insert(groups.end(), s.fittings.begin(), s.fittings.end());
        return groups;
    }

    // The straight run, in sub-steps for a compressible fluid.
    double runDrop(const Segment&, double d, double roughness, const std::array<double, 3>& vector,
                   double p, SegmentResult& r) {
        dPCalc calc;
        calc.setTW_Language(language_);
        calc.seti_MFlow(static_cast<float>(massFlow_));
        calc.seti_PipeID(static_cast<float>(d));
        calc.seti_AbsRough(static_cast<float>(roughness));
        r.fT = pipe_.fT(static_cast<float>(d), static_cast<float>(roughness));
        double remaining = 1;
        bool first = true;
        while (remaining > 0) {
            const State s = state(p);
            checkSonic(s, p, d);
            calc.seti_SVOLin(static_cast<float>(s.v));
            calc.seti_Viscoin(static_cast<float>(s.mu));
            calc.seti_Liquid(s.liquid);
            calc.seti_OutNorth(static_cast<float>(vector[0] * remaining));
            calc.seti_OutEast(static_cast<float>(vector[1] * remaining));
            calc.seti_OutUp(static_cast<float>(vector[2] * remaining));
            calc.fun_dPPipe();
            drain();
            if (first) {
                r.reynolds = calc.PipeRe();
                r.frictionFactor = calc.Pipef();
                r.velocity = calc.PipeVel();
                r.specificVolume = s.v;
                r.viscosity = s.mu;
                first = false;
            }
            const double friction = calc.PipeLendP(), stat = calc.PipeElevDiffdP();
            double share = 1;
            const double measure = std::abs(friction) + std::abs(stat);
            if (compressible() && measure > stepShare_ * p) share = stepShare_ * p / measure;
            p -= (friction + stat) * share;
            r.dPFriction += friction * share;
            r.dPStatic += stat * share;
            remaining = share < 1 ? remaining * (1 - share) : 0;
            countSubstep(r);
        }
        return p;
    }

    void countSubstep(SegmentResult& r) {
        ++r.substeps;
        refuseIf(r.substeps > kMaxSubsteps, text::kTooManySubsteps);
    }

    // The fittings at the run's outlet: each group's drop through the calculator, then their
    // sum as one K on the segment's bore, in sub-steps for a compressible fluid.
    double fittingsDrop(const std::vector<FittingGroup>& groups, double d, double roughness,
                        double previousDiameter, double p, SegmentResult& r) {
        if (groups.empty()) return p;
        const State s = state(p);
        checkSonic(s, p, d);
        double sum = 0;
        std::vector<double> drops;
        for (std::size_t i = 0; i < groups.size(); ++i) {
            const FittingGroup& g = groups[i];
            dPCalc calc;
            calc.setTW_Language(language_);
            calc.seti_MFlow(static_cast<float>(massFlow_));
            calc.seti_AbsRough(static_cast<float>(roughness));
            calc.seti_SVOLin(static_cast<float>(s.v));
            calc.seti_Viscoin(static_cast<float>(s.mu));
            calc.seti_ViscoXin(static_cast<float>(s.mu * s.v * 1000));  // cSt
            calc.seti_Liquid(s.liquid);
            calc.seti_PRin(static_cast<float>(p));
            calc.seti_Isen_exp_k(static_cast<float>(s.liquid ? 1.4 : s.k));
            calc.seti_FtgNo(g.kind);
            calc.seti_FtgQty(static_cast<std::int16_t>(g.quantity));
            calc.seti_FtgPara1(g.para1);
            calc.seti_FtgPara2(g.para2);
            calc.seti_PipeID(static_cast<float>(d));
            if (g.kind == Reducer || g.kind == Increaser) {
                calc.seti_PipeID(static_cast<float>(previousDiameter));
                calc.seti_PipeID_DownStream(static_cast<float>(d));
                // A length of 0 is a sudden change: a vanishing cone of 180 degrees.
                if (g.para1 == 0) calc.seti_FtgPara1(1e-6f);
            }
            const double drop = calc.fun_dPFtgT();
            drain();
            FittingResult f;
            f.kind = g.kind;
            f.quantity = g.quantity;
            f.K = std::strtod(calc.FittingK().c_str(), nullptr);
            f.automatic = automatic_ && i == 0;
            r.fittings.push_back(f);
            drops.push_back(drop);
            sum += drop;
        }
        double total = sum;
        if (compressible() && sum > 0) {
            // Each sub-step takes the share of the total K that drops at most the limit.
            const auto W = static_cast<float>(massFlow_);
            const auto D = static_cast<float>(d);
            double K = pipe_.KfordP(static_cast<float>(sum), W, D, static_cast<float>(s.v));
            total = 0;
            bool first = true;
            while (K > 0) {
                const State here = first ? s : state(p);
                if (!first) checkSonic(here, p, d);
                first = false;
                const double full =
                    pipe_.dPDarcyK(static_cast<float>(K), W, D, static_cast<float>(here.v));
                drain();
                const double share = full > stepShare_ * p ? stepShare_ * p / full : 1;
                p -= full * share;
                total += full * share;
                K = share < 1 ? K * (1 - share) : 0;
                countSubstep(r);
                refuseIf(!(p > 0), text::kZeroPressure);
            }
        } else {
            p -= sum;
        }
        // Each group keeps its part of the total.
        for (std::size_t i = 0; i < drops.size(); ++i) {
            r.fittings[i].dP = sum != 0 ? drops[i] * total / sum : drops[i];
        }
        r.dPFittings = total;
        return p;
    }

    SegmentResult toLineUnits(SegmentResult r) const {
        const LineUnits& u = line_.units;
        r.inletPressure = toPressure(r.inletPressure);
        r.outletPressure = toPressure(r.outletPressure);
        r.velocity = units::CvtVel(0, u.uvel, static_cast<float>(r.velocity));
        r.specificVolume = units::CvtSVOL(0, u.usvol, static_cast<float>(r.specificVolume));
        r.viscosity = units::CvtVisco(0, u.uvisco, static_cast<float>(r.viscosity));
        r.dPFriction = toDrop(r.dPFriction);
        r.dPFittings = toDrop(r.dPFittings);
        r.dPStatic = toDrop(r.dPStatic);
        r.dP = toDrop(r.dP);
        for (FittingResult& f : r.fittings) f.dP = toDrop(f.dP);
        return r;
    }

    enum class Kind { Steam, Water, Gas, Liquid };

    const Line& line_;
    std::int32_t language_;
    RecordingMessageSink recorder_;
    LineResult result_;
    int segment_ = 0;
    std::optional<Stable> stable_;
    Pipe pipe_;
    Kind kind_ = Kind::Liquid;
    double inletPressure_ = 0, massFlow_ = 0, enthalpy_ = 0, stepShare_ = 0.01;
    State gas_;  // a gas or typed fluid at the inlet
    bool automatic_ = false;
    bool cached_ = false;
    float cachedPressure_ = 0;
    State cachedState_;
};

}  // namespace

LineResult calculate(const Line& line, std::int32_t language) {
    return Calculation(line, language).run();
}

}  // namespace tw::line

#include "Units.h"

#include <cmath>

#include "tw/AutomationError.h"

namespace tw::units {
namespace {

// ---- Catalogue data -------------------------------------------------------------------------

#define TW_QUANTITY_BEGIN(Key, Kind, En, Ko, M, S, B) constexpr UnitEntry k##Key##Units[] = {
#define TW_UNIT(Key, Constant, Index, Display, Factor, British) \
    {#Constant, Display, static_cast<double>(Factor), static_cast<double>(British)},
#define TW_SLOT(Key, Index, Display) {"", Display, 0.0, 0.0},
#define TW_QUANTITY_END(Key) \
    }                        \
    ;
#include "UnitCatalogue.def"

const QuantityInfo kQuantities[] = {
#define TW_QUANTITY_BEGIN(Key, KindName, En, Ko, M, S, B) \
    {QuantityId::Key, #Key, Kind::KindName, En, Ko, k##Key##Units, {M, S, B}},
#define TW_UNIT(Key, Constant, Index, Display, Factor, British)
#define TW_QUANTITY_END(Key)
#include "UnitCatalogue.def"
};
static_assert(std::size(kQuantities) == kQuantityCount);

const std::array<const char*, 4> kSystemNames = {"Metric Unit System", "SI Unit System",
                                                 "British Unit System", "Mixed Units"};

// ---- Linear quantities ----------------------------------------------------------------------

// The divisor and the multiplier of a linear conversion: v / divide * multiply.
struct LinearSteps {
    double divide;
    double multiply;
};

LinearSteps linearSteps(const QuantityInfo& q, int s, int t) {
    const UnitEntry& from = q.units[static_cast<std::size_t>(s)];
    const UnitEntry& to = q.units[static_cast<std::size_t>(t)];
    // Two units of one direct-ratio group (British units among themselves, kJ/kg and Btu/lb,
    // Btu and kJ) use the exact steps between them rather than the detour through the base.
    if (from.britishFactor != 0 && to.britishFactor != 0) {
        return {from.britishFactor, to.britishFactor};
    }
    return {from.factor, to.factor};
}

double convertLinear(const QuantityInfo& q, int s, int t, double v) {
    const LinearSteps steps = linearSteps(q, s, t);
    return v / steps.divide * steps.multiply;
}

// ---- Pressure -------------------------------------------------------------------------------

struct PressureFamily {
    double factor;      // F: units of the family in one kg/cm2
    double atmosphere;  // A: one standard atmosphere in units of the family (tabulated)
};

// Families in index order: kg/cm2, bar, kPa, psi, mmHg (0 oC), inHg (0 oC), mH2O (20 oC),
// ftH2O (20 oC); absolute units have even indexes, gauge units odd ones.
constexpr PressureFamily kPressureFamilies[] = {
    {1, 1.0332274527998857},
    {0.980665, 1.01325},
    {98.0665, 101.325},
    {14.223343307119562, 14.69595},
    {735.559735839609, 760.000512243716},
    {28.95904471809484, 29.92128000959512},
    {10.017246874253846, 10.35009447195292},
    {32.864983183247524, 33.95700286073792},
};

// Within bar/kPa, mmHg/inHg and mH2O/ftH2O the exact ratios replace F(t) / F(s):
// kPa = bar x 100, inHg = mmHg / 25.4, ftH2O = mH2O / 0.3048.
struct DirectRatio {
    int from;
    int to;
    double multiply;
    double divide;
};
constexpr DirectRatio kPressureRatios[] = {
    {1, 2, 100, 1},  {2, 1, 1, 100},    {4, 5, 1, 25.4},
    {5, 4, 25.4, 1}, {6, 7, 1, 0.3048}, {7, 6, 0.3048, 1},
};

double scalePressure(int sourceFamily, int targetFamily, double v) {
    if (sourceFamily == targetFamily) return v;
    for (const DirectRatio& r : kPressureRatios) {
        if (r.from == sourceFamily && r.to == targetFamily) return v * r.multiply / r.divide;
    }
    return v / kPressureFamilies[sourceFamily].factor * kPressureFamilies[targetFamily].factor;
}

double convertPressure(int s, int t, double v) {
    const int fs = s / 2;
    const int ft = t / 2;
    const bool sourceGauge = (s % 2) != 0;
    const bool targetGauge = (t % 2) != 0;
    if (fs == ft) {
        if (!sourceGauge && targetGauge) return v - kPressureFamilies[fs].atmosphere;
        if (sourceGauge && !targetGauge) return v + kPressureFamilies[fs].atmosphere;
        return v;
    }
    if (sourceGauge == targetGauge) return scalePressure(fs, ft, v);
    if (sourceGauge) return scalePressure(fs, ft, v + kPressureFamilies[fs].atmosphere);
    return scalePressure(fs, ft, v) - kPressureFamilies[ft].atmosphere;
}

// ---- Temperature ----------------------------------------------------------------------------

double convertTemperature(int s, int t, double v) {
    enum { C, F, K, R };
    switch (s * 4 + t) {
        case C * 4 + F:
            return v * 1.8 + 32;
        case C * 4 + K:
            return v + 273.15;
        case C * 4 + R:
            return (v + 273.15) * 1.8;
        case F * 4 + C:
            return (v - 32) / 1.8;
        case F * 4 + K:
            return (v + 459.67) / 1.8;
        case F * 4 + R:
            return v + 459.67;
        case K * 4 + C:
            return v - 273.15;
        case K * 4 + F:
            return v * 1.8 - 459.67;
        case K * 4 + R:
            return v * 1.8;
        case R * 4 + C:
            return v / 1.8 - 273.15;
        case R * 4 + F:
            return v - 459.67;
        case R * 4 + K:
            return v / 1.8;
        default:
            return v;
    }
}

// ---- Kinematic viscosity --------------------------------------------------------------------

enum ViscoXUnit { cSt = 0, m2s = 1, ft2s = 2, SSU100 = 3, SSU210 = 4, Redwood = 5 };

bool isEmpirical(int u) {
    return u >= SSU100;
}

// Saybolt ratio r, chosen by the value being converted (cSt one way, seconds the other).
double sayboltRatio(float v) {
    struct Band {
        float upTo;
        double r;
    };
    static constexpr Band kBands[] = {{1.8f, 17.783}, {2, 16.31},  {4, 9.785},  {6, 7.577},
                                      {8, 6.511},     {10, 5.891}, {15, 5.159}, {20, 4.889},
                                      {25, 4.772},    {30, 4.71},  {35, 4.677}, {40, 4.6467},
                                      {50, 4.642}};
    for (const Band& b : kBands) {
        if (v <= b.upTo) return b.r;
    }
    return 4.6347;
}

// Redwood ratio w: the first bound that the value reaches, tested from the top.
double redwoodRatio(float v) {
    struct Band {
        float from;
        double w;
    };
    static constexpr Band kBands[] = {
        {60, 4.08},   {40, 4.1},   {30, 4.13},   {20, 4.3},    {15, 4.53},   {14, 4.64},
        {12, 4.85},   {11, 5},     {9.6f, 5.2},  {9.2f, 5.43}, {8.4f, 5.57}, {8, 5.75},
        {7.6f, 5.92}, {7.2f, 6.1}, {6.8f, 6.35}, {6.4f, 6.58}, {6, 6.8},     {5.8f, 6.9},
        {5.4f, 7.22}, {5, 7.59},   {4.6f, 8},    {4.2f, 8.5},  {3.8f, 9.1},  {3.4f, 10.49},
        {3.2f, 10.7}, {3, 11},     {2.8f, 11.8}, {2.6f, 12.3}, {2.4f, 13.3}, {2.2f, 14.1}};
    for (const Band& b : kBands) {
        if (v >= b.from) return b.w;
    }
    return 15.5;
}

// Temperature correction of the Saybolt scale at t oF, rounded to single.
float sayboltCorrection(int unit) {
    const double t = unit == SSU100 ? 100 : 210;
    return static_cast<float>(1 + 0.000064 * (t - 100));
}

// cSt from a value on an empirical scale, in double.
double empiricalToCst(int unit, float v) {
    if (unit == Redwood) return v / redwoodRatio(v);
    return v / sayboltRatio(v) / sayboltCorrection(unit);
}

// A value on an empirical scale from cSt, rounded to single.
double cstToEmpirical(int unit, float v) {
    if (unit == Redwood) return static_cast<float>(v * redwoodRatio(v));
    return static_cast<float>(v * sayboltRatio(v) * sayboltCorrection(unit));
}

double convertViscoX(const QuantityInfo& q, int s, int t, float v) {
    if (!isEmpirical(s) && !isEmpirical(t)) return convertLinear(q, s, t, v);
    if (isEmpirical(t)) {
        // Everything reaches an empirical scale through cSt rounded to single.
        float cst = v;
        if (isEmpirical(s)) {
            cst = checkedFloat(empiricalToCst(s, v));
        } else if (s != cSt) {
            cst = checkedFloat(convertLinear(q, s, cSt, v));
        }
        return cstToEmpirical(t, cst);
    }
    const double cst = empiricalToCst(s, v);
    return t == cSt ? cst : convertLinear(q, cSt, t, cst);
}

}  // namespace

const QuantityInfo& quantity(QuantityId id) {
    return kQuantities[static_cast<int>(id)];
}

std::span<const QuantityInfo> quantities() {
    return kQuantities;
}

std::optional<QuantityId> findQuantity(std::string_view key) {
    for (const QuantityInfo& q : kQuantities) {
        if (key == q.key) return q.id;
    }
    return std::nullopt;
}

std::optional<int> findUnit(QuantityId id, std::string_view display) {
    const QuantityInfo& q = quantity(id);
    for (int i = 0; i < q.count(); ++i) {
        if (display == q.units[static_cast<std::size_t>(i)].display) return i;
    }
    return std::nullopt;
}

const std::array<const char*, 4>& systemNames() {
    return kSystemNames;
}

double convertDouble(QuantityId id, int sourceUnit, int targetUnit, double v) {
    const QuantityInfo& q = kQuantities[static_cast<int>(id)];
    if (!q.valid(sourceUnit) || !q.valid(targetUnit)) return 0.0;
    if (sourceUnit == targetUnit) return v;
    switch (q.kind) {
        case Kind::Linear:
            return convertLinear(q, sourceUnit, targetUnit, v);
        case Kind::Pressure:
            return convertPressure(sourceUnit, targetUnit, v);
        case Kind::PressureDifference:
            return scalePressure(sourceUnit / 2, targetUnit / 2, v);
        case Kind::Temperature:
            return convertTemperature(sourceUnit, targetUnit, v);
        case Kind::KinematicViscosity:
            return convertViscoX(q, sourceUnit, targetUnit, static_cast<float>(v));
    }
    return 0.0;
}

Conversion::Conversion(QuantityId id, int sourceUnit, int targetUnit)
    : id_(id), source_(sourceUnit), target_(targetUnit) {
    const QuantityInfo& q = kQuantities[static_cast<int>(id)];
    if (!q.valid(sourceUnit) || !q.valid(targetUnit)) {
        kind_ = Step::Outside;
    } else if (sourceUnit == targetUnit) {
        kind_ = Step::Same;
    } else if (q.kind == Kind::Linear) {
        const LinearSteps steps = linearSteps(q, sourceUnit, targetUnit);
        kind_ = Step::Ratio;
        divide_ = steps.divide;
        multiply_ = steps.multiply;
    }
}

float convert(QuantityId id, int sourceUnit, int targetUnit, float sourceValue) {
    // The table itself rather than quantity(): an exported function is called through the
    // library's symbol table, and every conversion of every calculation comes here.
    const QuantityInfo& q = kQuantities[static_cast<int>(id)];
    if (!q.valid(sourceUnit) || !q.valid(targetUnit)) return 0.0f;
    if (sourceUnit == targetUnit) return sourceValue;
    const double v = sourceValue;
    double result = 0;
    switch (q.kind) {
        case Kind::Linear:
            result = convertLinear(q, sourceUnit, targetUnit, v);
            break;
        case Kind::Pressure:
            result = convertPressure(sourceUnit, targetUnit, v);
            break;
        case Kind::PressureDifference:
            // Slots 2k and 2k+1 name one unit; no atmospheric term.
            result = scalePressure(sourceUnit / 2, targetUnit / 2, v);
            break;
        case Kind::Temperature:
            result = convertTemperature(sourceUnit, targetUnit, v);
            break;
        case Kind::KinematicViscosity:
            result = convertViscoX(q, sourceUnit, targetUnit, sourceValue);
            break;
    }
    return checkedFloat(result);
}

}  // namespace tw::units

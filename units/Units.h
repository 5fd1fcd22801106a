#pragma once
// The unit catalogue and its conversions, shared by the common library and the unit selection
// control. A unit is always its zero-based index in the list of its quantity; index 0 is the
// quantity's base (Metric) unit.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "tw/AutomationError.h"

namespace tw {

namespace units::detail {
constexpr double power(double base, int exponent) {
    double r = 1;
    for (int i = 0; i < exponent; ++i) r *= base;
    return r;
}
}  // namespace units::detail

// One enumeration per quantity, constants ktounit_..., values = list indexes.
#define TW_QUANTITY_BEGIN(Key, Kind, En, Ko, M, S, B) enum enm##Key : std::int32_t {
#define TW_UNIT(Key, Constant, Index, Display, Factor, British) Constant = Index,
#define TW_ALIAS(Key, Constant, Index) Constant = Index,
#define TW_QUANTITY_END(Key) \
    }                        \
    ;
#include "UnitCatalogue.def"

enum enmSys : std::int32_t { Metric = 0, SI = 1, British = 2, Mixed = 3 };

// The quantities in catalogue order.
enum class QuantityId : int {
#define TW_QUANTITY_BEGIN(Key, Kind, En, Ko, M, S, B) Key,
#define TW_UNIT(Key, Constant, Index, Display, Factor, British)
#define TW_QUANTITY_END(Key)
#include "UnitCatalogue.def"
};
inline constexpr int kQuantityCount = 24;

// The 23 quantities that have their own unit member (u, s, exu, exs, Cvt); pressure difference
// follows pressure. X(Key, volumeStyleName) where the second argument is the name of the
// string member in the common library (`SVOL` for volume, `s`+key otherwise) and the third in
// the selection control (`sVOL` for volume).
#define TW_FOR_EACH_UNIT_QUANTITY(X)                                                              \
    X(PR, sPR, sPR)                                                                               \
    X(TP, sTP, sTP)                                                                               \
    X(SVOL, sSVOL, sSVOL) X(ENTH, sENTH, sENTH) X(ENTRO, sENTRO, sENTRO) X(MFlow, sMFlow, sMFlow) \
        X(VFlow, sVFlow, sVFlow) X(Vel, sVel, sVel) X(PDia, sPDia, sPDia) X(Len, sLen, sLen)      \
            X(Visco, sVisco, sVisco) X(ViscoX, sViscoX, sViscoX) X(Area, sArea, sArea)            \
                X(Vol, SVOL, sVOL) X(Mass, sMass, sMass) X(Force, sForce, sForce)                 \
                    X(Energy, sEnergy, sEnergy) X(Power, sPower, sPower)                          \
                        X(Density, sDensity, sDensity) X(ThCond, sThCond, sThCond)                \
                            X(HtTrans, sHtTrans, sHtTrans) X(HtResist, sHtResist, sHtResist)      \
                                X(HtDensity, sHtDensity, sHtDensity)

// All 24 quantities with their conversion, in catalogue order.
#define TW_FOR_EACH_QUANTITY(X)                                                               \
    X(PR)                                                                                     \
    X(dP)                                                                                     \
    X(TP) X(SVOL) X(ENTH) X(ENTRO) X(MFlow) X(VFlow) X(Vel) X(PDia) X(Len) X(Visco) X(ViscoX) \
        X(Area) X(Vol) X(Mass) X(Force) X(Energy) X(Power) X(Density) X(ThCond) X(HtTrans)    \
            X(HtResist) X(HtDensity)

namespace units {

// How a quantity converts between its units.
enum class Kind { Linear, Pressure, PressureDifference, Temperature, KinematicViscosity };

struct UnitEntry {
    const char* constant;  // enumeration constant, "" for a slot without one
    const char* display;   // the text shown to users
    double factor;         // units in one base unit (linear quantities)
    double britishFactor;  // units in one anchor unit of the direct-ratio group, 0 outside it
};

struct QuantityInfo {
    QuantityId id;
    const char* key;
    Kind kind;
    const char* englishCaption;
    const char* koreanCaption;
    std::span<const UnitEntry> units;
    std::array<int, 3> presets;  // unit index for Metric, SI, British

    int count() const noexcept { return static_cast<int>(units.size()); }
    bool valid(int index) const noexcept { return index >= 0 && index < count(); }
};

const QuantityInfo& quantity(QuantityId id);
std::span<const QuantityInfo> quantities();
std::optional<QuantityId> findQuantity(std::string_view key);
// The index of a unit by its exact display string (the first one for a pressure-difference
// slot pair).
std::optional<int> findUnit(QuantityId id, std::string_view display);

// "Metric Unit System", "SI Unit System", "British Unit System", "Mixed Units".
const std::array<const char*, 4>& systemNames();

// The conversion of every quantity: equal valid indexes return the value bit for bit, an index
// outside the list gives 0, otherwise the arithmetic runs in double and is rounded to float
// once. A floating-point fault raises tw::AutomationError (5 invalid, 6 overflow).
float convert(QuantityId id, int sourceUnit, int targetUnit, float sourceValue);
// The same conversion in double throughout, without the rounding to float and its fault
// checks, for callers that compute in double (infinities and NaN pass through); 0 for an index
// outside the list. The empirical kinematic viscosity scales read their value as a float.
double convertDouble(QuantityId id, int sourceUnit, int targetUnit, double sourceValue);

// One conversion between two units of a quantity, looked up once for values converted many
// times (a property of each species of a mixture): applying it gives what convert gives, bit
// for bit, fault checks included. A linear quantity's two steps (divide by the factor of the
// source unit, multiply by that of the target) run inline; the others go through convert.
class Conversion {
  public:
    Conversion(QuantityId id, int sourceUnit, int targetUnit);
    float operator()(float sourceValue) const {
        switch (kind_) {
            case Step::Same:
                return sourceValue;
            case Step::Outside:
                return 0.0f;
            case Step::Ratio:
                return checkedFloat(static_cast<double>(sourceValue) / divide_ * multiply_);
            case Step::General:
                break;
        }
        return convert(id_, source_, target_, sourceValue);
    }

  private:
    enum class Step : unsigned char { Same, Outside, Ratio, General };
    QuantityId id_;
    int source_;
    int target_;
    Step kind_ = Step::General;
    double divide_ = 1;
    double multiply_ = 1;
};

// CvtPR, CvtdP, CvtTP, ... as free functions.
#define TW_DECLARE_CVT(Key)                                                    \
    inline float Cvt##Key(int SourceUnit, int TargetUnit, float SourceValue) { \
        return convert(QuantityId::Key, SourceUnit, TargetUnit, SourceValue);  \
    }
TW_FOR_EACH_QUANTITY(TW_DECLARE_CVT)
#undef TW_DECLARE_CVT

}  // namespace units
}  // namespace tw

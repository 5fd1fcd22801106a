#pragma once
// Unit: a set of unit choices (current and previous) for the 23 quantities, switchable by unit
// system, with the 24 conversions of the catalogue. Non-visual twin of the unit selection
// control.

#include <array>
#include <cstdint>
#include <string>

#include "Units.h"

namespace tw {

class Unit {
  public:
    Unit() = default;

    // Current unit system. Setting 0, 1 or 2 applies that system's presets; 3 (Mixed) keeps the
    // units. Either way every previous unit becomes the unit before the change. Error 9 outside
    // 0..3.
    enmSys uSys() const noexcept { return sys_; }
    void setuSys(int system);

    // For each quantity Q: uQ / setuQ (error 9 for an index outside the list), the display
    // string sQ, the previous unit exuQ (16-bit) and its string exsQ, and CvtQ.
#define TW_UNIT_MEMBERS(Key, sName, controlName)                              \
    enm##Key u##Key() const noexcept {                                        \
        return static_cast<enm##Key>(current(QuantityId::Key));               \
    }                                                                         \
    void setu##Key(int index) {                                               \
        setUnit(QuantityId::Key, index);                                      \
    }                                                                         \
    std::string sName() const {                                               \
        return display(QuantityId::Key, current(QuantityId::Key));            \
    }                                                                         \
    std::int16_t exu##Key() const noexcept {                                  \
        return previous(QuantityId::Key);                                     \
    }                                                                         \
    std::string exs##Key() const {                                            \
        return display(QuantityId::Key, previous(QuantityId::Key));           \
    }                                                                         \
    float Cvt##Key(int SourceUnit, int TargetUnit, float SourceValue) const { \
        return units::Cvt##Key(SourceUnit, TargetUnit, SourceValue);          \
    }
    TW_FOR_EACH_UNIT_QUANTITY(TW_UNIT_MEMBERS)
#undef TW_UNIT_MEMBERS

    // Pressure difference follows the pressure unit: the slot of the pressure index.
    std::string sdP() const {
        return display(QuantityId::dP, current(QuantityId::PR));
    }
    std::string exsdP() const {
        return display(QuantityId::dP, previous(QuantityId::PR));
    }
    float CvtdP(int SourceUnit, int TargetUnit, float SourceValue) const {
        return units::CvtdP(SourceUnit, TargetUnit, SourceValue);
    }

    // Generic access by quantity, for code that walks the catalogue.
    // The display string of unit `index` of quantity q; empty outside its list.
    static const char* displayText(QuantityId q, int index);
    int current(QuantityId q) const noexcept {
        return slots_[static_cast<std::size_t>(q)].current;
    }
    std::int16_t previous(QuantityId q) const noexcept {
        return slots_[static_cast<std::size_t>(q)].previous;
    }
    void setUnit(QuantityId q, int index);
    // Name of the current system ("Metric Unit System", ...).
    std::string systemName() const;

  private:
    struct Slot {
        std::int32_t current = 0;
        std::int16_t previous = 0;
    };
    static std::string display(QuantityId q, int index);

    enmSys sys_ = Metric;
    std::array<Slot, kQuantityCount> slots_{};
};

}  // namespace tw

#include "tw/Unit.h"

#include "tw/AutomationError.h"

namespace tw {

const char* Unit::displayText(QuantityId q, int index) {
    const units::QuantityInfo& info = units::quantity(q);
    return info.valid(index) ? info.units[static_cast<std::size_t>(index)].display : "";
}

std::string Unit::display(QuantityId q, int index) {
    // Indexes are checked when they are stored, so every stored index is in its list.
    return displayText(q, index);
}

void Unit::setUnit(QuantityId q, int index) {
    // The index is checked before anything changes, so a refused value leaves the object as
    // it was. Stored indexes are list indexes (below 16), so the 16-bit previous index always
    // holds them.
    if (!units::quantity(q).valid(index)) throw AutomationError(ErrorNumber::SubscriptOutOfRange);
    Slot& slot = slots_[static_cast<std::size_t>(q)];
    slot.previous = static_cast<std::int16_t>(slot.current);
    slot.current = index;
}

void Unit::setuSys(int system) {
    if (system < Metric || system > Mixed) throw AutomationError(ErrorNumber::SubscriptOutOfRange);
    sys_ = static_cast<enmSys>(system);
    for (const units::QuantityInfo& info : units::quantities()) {
        if (info.id == QuantityId::dP) continue;  // follows pressure
        Slot& slot = slots_[static_cast<std::size_t>(info.id)];
        slot.previous = static_cast<std::int16_t>(slot.current);
        if (system != Mixed) slot.current = info.presets[static_cast<std::size_t>(system)];
    }
}

std::string Unit::systemName() const {
    return units::systemNames()[static_cast<std::size_t>(sys_)];
}

}  // namespace tw

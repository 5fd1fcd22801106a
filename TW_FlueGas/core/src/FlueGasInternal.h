#pragma once
// Helpers shared by the sources of the flue gas modules.

#include <string>
#include <string_view>

#include "mdlTW_FlueGas.h"
#include "mdlTW_NASA_TP.h"
#include "tw/MessageSink.h"

namespace tw::detail {

// Shows the text of the program-wide language (none for other language values).
inline void showInLanguage(const std::string& korean, const std::string& english,
                           std::string_view caption, MessageIcon icon = MessageIcon::Critical) {
    if (TW_Language == TW_Korean) {
        showMessage(korean, caption, icon);
    } else if (TW_Language == TW_English) {
        showMessage(english, caption, icon);
    }
}

inline void showInLanguage(const BilingualText& text, std::string_view caption,
                           MessageIcon icon = MessageIcon::Critical) {
    showMessage(text, TW_Language, caption, icon);
}

// A value stored or returned as a single.
inline float single(double v) noexcept {
    return static_cast<float>(v);
}

}  // namespace tw::detail

namespace tw::fluegas {

// Molar enthalpy above 25 oC, kJ/kmol, and molar heat capacity, kJ/(kmol K), of one flue gas
// species at T kelvin (NASA Glenn coefficients, double precision; T within 200 K to 6000 K).
// One NasaTemperature serves every species at that temperature.
struct MolarSensibleHeat {
    double h, cp;
};
MolarSensibleHeat molarSensibleHeat(GasComponent species, const NasaTemperature& T);

}  // namespace tw::fluegas

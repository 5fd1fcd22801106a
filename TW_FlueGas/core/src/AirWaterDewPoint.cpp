// Water dew point of the flue gas: the saturation temperature of water at the partial pressure
// of its water vapour, from a steam table object as new for this one lookup.

#include <optional>
#include <string>

#include "mdlTW_FlueGas.h"
#include "tw/Format.h"
#include "tw/MessageSink.h"
#include "tw/Stable.h"

namespace tw {
namespace {

// About the saturation pressure of water at 1 oC; below it the steam table has no data.
constexpr float kLowestPartialPressure = 0.0067f;  // kg/cm2 a

void showLowDewPoint(const Unit& unit) {
    const std::string v = generalNumber(unit.CvtTP(ktounit_degC, unit.uTP(), 1.0f));
    const std::string u = unit.sTP();
    std::string text;
    if (TW_Language == TW_Korean) {
        text = "Flue Gas의 Water Dew Point가 본 프로그램의 계산 최저 온도인  " + v + " " + u +
               " 보다 작습니다.\nFlue Gas의 Water Dew Point 값이 0 으로 설정되므로 계산 결과를 "
               "확인하시기 바랍니다.";
    } else if (TW_Language == TW_English) {
        text = "Water dew point of flue gas is lower than " + v + " " + u +
               ", the minimum to be calculated by this sub-procedure.\nSince the water dew "
               "point is set at zero, please check the results.";
    } else {
        return;
    }
    showMessage(text, "Sub-procedure AirWaterDewPoint", MessageIcon::Critical);
}

// The dew point, and whether the steam table answered: a lookup that failed (a missing or
// damaged table file, a pressure out of its range) has shown why, and its temperature is no dew
// point.
struct DewPoint {
    float temperature;
    bool answered;
};

// A steam table object as a new one, for one lookup: the thread's own, renewed, which costs
// less than making one every time.
Stable& newSteamTable() {
    thread_local std::optional<Stable> steam;
    if (steam) {
        steam->renew();
    } else {
        steam.emplace();
    }
    return *steam;
}

DewPoint dewPoint(const Unit& unit, float H2O, float P) {
    Stable& steam = newSteamTable();
    steam.setTW_Language(TW_Language);
    // The partial pressure is a fraction of the absolute pressure: it is formed and looked up
    // in kg/cm2 a, so that a gauge pressure unit gives the right result too.
    steam.setuPR(ktounit_kgpercm2a);
    steam.setuTP(unit.uTP());
    const float pTotal = unit.CvtPR(unit.uPR(), ktounit_kgpercm2a, P);
    const float pw = static_cast<float>(H2O / 100.0 * pTotal);
    if (!(pw >= kLowestPartialPressure)) {  // NaN is refused as well
        showLowDewPoint(unit);
        return {0.0f, true};
    }
    const float temperature = steam.SaturationTemperature(ktoSStable_PR, pw);
    return {temperature, steam.StableError() == 0};
}

}  // namespace

std::optional<float> tryAirWaterDewPoint(const Unit& unit, float H2O, float P) {
    const DewPoint d = dewPoint(unit, H2O, P);
    if (!d.answered) return std::nullopt;
    return d.temperature;
}

float AirWaterDewPoint(const Unit& unit, float H2O, float P) {
    return dewPoint(unit, H2O, P).temperature;
}

}  // namespace tw

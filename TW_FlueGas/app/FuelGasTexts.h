#pragma once
// Captions and messages of the "Flue gas from fuel" dialog in both languages. The dialog walks
// these tables; no caption is written anywhere else.

#include <array>

#include "CombustionData.h"
#include "tw/Language.h"

namespace tw::fluegas {

inline constexpr BilingualText kFuelGasDialogCaption{"연료로부터 가스 조성 - Tarnwell Inc.",
                                                     "Flue Gas from Fuel - Tarnwell Inc."};
inline constexpr BilingualText kFuelGasTitle{"연료로부터 배기가스 조성", "Flue Gas from Fuel"};

// Frames.
inline constexpr BilingualText kFuelFrame{"연료", "Fuel"};
inline constexpr BilingualText kAirFrame{"공기", "Air"};
inline constexpr BilingualText kResultFrame{"결과", "Results"};
inline constexpr BilingualText kCompositionFrame{"배기가스 조성", "Flue gas composition"};

// Fuel kinds, in FuelKind order, and the percent column of the analysis.
inline constexpr std::array<BilingualText, 2> kFuelKindItems{{
    {"고체 또는 액체 연료 (원소 분석)", "Solid or liquid fuel (ultimate analysis)"},
    {"기체 연료", "Fuel gas"},
}};
inline constexpr std::array<BilingualText, 2> kAnalysisPercentColumn{{
    {"중량 % (사용 기준)", "Mass % as fired"},
    {"체적 %", "Volume %"},
}};
inline constexpr BilingualText kAnalysisKeyColumn{"성분", "Component"};
inline constexpr BilingualText kAnalysisTotal{"합계", "Total"};

// Row captions of keys that need a word beside their formula; others show the key itself.
struct FuelKeyCaption {
    FuelKind kind;
    const char* key;
    BilingualText caption;
};
inline constexpr std::array<FuelKeyCaption, 3> kFuelKeyCaptions{{
    {FuelKind::Solid, "H2O", {"H2O (수분)", "H2O (moisture)"}},
    {FuelKind::Solid, "Ash", {"회분 (Ash)", "Ash"}},
    {FuelKind::Gas, "C4H10", {"C4H10 (n-부탄)", "C4H10 (n-butane)"}},
}};

// Air quantity and moisture choices, in AirQuantity and AirMoisture order.
inline constexpr std::array<BilingualText, 3> kAirQuantityItems{{
    {"과잉 공기 (%)", "Excess air (%)"},
    {"O2, 건가스 기준 (vol %)", "O2 in dry flue gas (vol %)"},
    {"O2, 습가스 기준 (vol %)", "O2 in wet flue gas (vol %)"},
}};
inline constexpr std::array<BilingualText, 2> kMoistureItems{{
    {"공기 습도 (kg/kg 건공기)", "Humidity (kg/kg dry air)"},
    {"상대 습도 (%)", "Relative humidity (%)"},
}};
inline constexpr BilingualText kAirTemperatureLabel{"공기 온도 (oC)", "Air temperature (oC)"};
inline constexpr BilingualText kCoLabel{"CO, 건가스 기준 (ppm)", "CO in dry flue gas (ppm)"};
inline constexpr BilingualText kHhvLabel{"측정 고위발열량 (kJ/kg)", "Measured HHV (kJ/kg)"};
inline constexpr BilingualText kHhvNote{"* 비워 두면 Channiwala-Parikh 식으로 계산합니다.",
                                        "* Left empty: Channiwala-Parikh correlation."};

inline constexpr BilingualText kApplyButton{"적용", "Apply"};
inline constexpr BilingualText kCancelButton{"취소", "Cancel"};
inline constexpr BilingualText kApplyNote{
    "* 적용: 습가스 조성을 계산기 표의 1 ~ 7 행에 현재 단위로 씁니다.",
    "* Apply writes the wet composition into rows 1 to 7 of the calculator."};

// What the status line says when an input cannot be read; the field's caption comes first.
inline constexpr BilingualText kNotANumber{" 값이 숫자가 아닙니다.", " is not a number."};
inline constexpr BilingualText kMissingValue{" 값을 입력하십시오.", ": enter a value."};
inline constexpr BilingualText kEnterAnalysis{"연료 분석을 입력하십시오.",
                                              "Enter the fuel analysis."};

}  // namespace tw::fluegas

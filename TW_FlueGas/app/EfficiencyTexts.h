#pragma once
// Captions and messages of the "Boiler efficiency" window in both languages. The window walks
// these tables; no caption is written anywhere else.

#include <array>

#include "tw/Language.h"

namespace tw::fluegas {

inline constexpr BilingualText kEfficiencyWindowCaption{"보일러 효율 - Tarnwell Inc.",
                                                        "Boiler Efficiency - Tarnwell Inc."};
inline constexpr BilingualText kEfficiencyTitle{"열손실법에 의한 보일러 효율",
                                                "Boiler Efficiency by the Heat-Loss Method"};

// Menus of the window.
inline constexpr BilingualText kEfficiencyFileMenu{"파일(&F)", "File(&F)"};
inline constexpr BilingualText kEfficiencyReportItem{"계산서(&R)...", "Calculation sheet(&R)..."};
inline constexpr BilingualText kSaveChartItem{"차트 저장(&S)...", "Save chart(&S)..."};
inline constexpr BilingualText kCloseItem{"닫기(&X)", "Close(&X)"};

// Frames.
inline constexpr BilingualText kFuelAndAirFrame{"연료와 공기", "Fuel and air"};
inline constexpr BilingualText kStackFrame{"배기가스 측정", "Stack measurement"};
inline constexpr BilingualText kLossesFrame{"손실", "Losses"};
inline constexpr BilingualText kEfficiencyFrame{"효율", "Efficiency"};

inline constexpr BilingualText kFuelAndAirButton{"연료와 공기(&F)...", "Fuel and air(&F)..."};
inline constexpr BilingualText kNoFuel{"연료가 없습니다. \"연료와 공기\"에서 연료를 입력하십시오.",
                                       "No fuel yet: give one under \"Fuel and air\"."};
inline constexpr std::array<BilingualText, 2> kFuelKindShort{{
    {"고체 또는 액체 연료", "Solid or liquid fuel"},
    {"기체 연료", "Fuel gas"},
}};
inline constexpr BilingualText kAirSummary{"공기", "Air"};
inline constexpr BilingualText kAirOfTheFuelDialog{"공기량은 연료 대화 상자의 값",
                                                   "air quantity of the fuel dialog"};

// The stack measurement's fields, in the order shown.
struct EfficiencyField {
    const char* name;  // object name of the line edit
    BilingualText caption;
    const char* unit;
};
inline constexpr std::array<EfficiencyField, 7> kEfficiencyFields{{
    {"txtStackTemperature", {"배기가스 온도", "Stack temperature"}, "oC"},
    {"txtO2", {"O2", "O2"}, "Vol %"},
    {"txtCoPpm", {"CO (건가스)", "CO (dry flue gas)"}, "ppm"},
    {"txtCarbonInRefuse", {"회분 중 탄소", "Carbon in the refuse"}, "%"},
    {"txtRadiationLoss", {"방사 및 대류 손실", "Radiation and convection loss"}, "%"},
    {"txtOtherLoss", {"기타 손실", "Other losses"}, "%"},
    {"txtFuelFlow", {"연료 유량 (선택)", "Fuel flow (optional)"}, "kg/h"},
}};
inline constexpr const char* kFuelGasFlowUnit = "Nm3/h";
inline constexpr std::array<BilingualText, 2> kO2BasisItems{{
    {"건가스 기준", "dry"},
    {"습가스 기준", "wet"},
}};
inline constexpr std::array<BilingualText, 4> kAnalyserItems{{
    {"분석계 식 없음", "No analyser formula"},
    {"분석계 식: 가스", "Analyser formula: gas"},
    {"분석계 식: 경유", "Analyser formula: oil"},
    {"분석계 식: LPG", "Analyser formula: LPG"},
}};
inline constexpr std::array<const char*, 4> kAnalyserFuelNames{nullptr, "gas", "oil", "lpg"};

// Results.
inline constexpr BilingualText kGrossCaption{"총효율 (HHV)", "Gross (HHV)"};
inline constexpr BilingualText kNetCaption{"순효율 (LHV)", "Net (LHV)"};
inline constexpr BilingualText kAnalyserCaption{"분석계 식의 배기가스 손실",
                                                "Analyser formula stack loss"};
inline constexpr std::array<BilingualText, 3> kLossColumns{{
    {"손실", "Loss"},
    {"고위발열량의 %", "% of HHV"},
    {"kW", "kW"},
}};
inline constexpr BilingualText kCreditRow{"연소 공기 열 (공제, 25 oC 기준)",
                                          "Credit of the combustion air (above 25 oC)"};
inline constexpr BilingualText kDewPointsCaption{"이슬점", "Dew points"};
inline constexpr BilingualText kMarginCaption{"산 이슬점 여유", "margin"};
inline constexpr BilingualText kNotAvailableText{"N/A", "N/A"};
inline constexpr BilingualText kNotANumberField{" 값을 수로 읽을 수 없습니다.",
                                                " cannot be read as a number."};
inline constexpr BilingualText kMissingStackTemperature{"배기가스 온도를 입력하십시오.",
                                                        "Give the stack temperature."};

// Charts.
inline constexpr BilingualText kStackChartTab{"배기가스 온도", "Stack temperature"};
inline constexpr BilingualText kO2ChartTab{"건가스 O2", "Dry flue gas O2"};
inline constexpr BilingualText kEfficiencyAxis{"효율 %", "Efficiency %"};
inline constexpr BilingualText kStackAxis{"배기가스 온도 oC", "Stack temperature oC"};
inline constexpr BilingualText kO2Axis{"건가스 O2 Vol %", "O2 in the dry flue gas, vol %"};
inline constexpr BilingualText kGrossSeries{"총효율 (HHV)", "Gross (HHV)"};
inline constexpr BilingualText kNetSeries{"순효율 (LHV)", "Net (LHV)"};
inline constexpr BilingualText kAcidDewPointSeries{"산 이슬점", "Acid dew point"};
inline constexpr BilingualText kMeasuredSeries{"측정점", "Measured"};
inline constexpr BilingualText kSaveChartDialogTitle{"차트 저장 (PNG 와 SVG)",
                                                     "Save chart (PNG and SVG)"};
inline constexpr BilingualText kChartNotSaved{"차트를 저장하지 못했습니다.\n{path}",
                                              "The chart could not be saved.\n{path}"};

}  // namespace tw::fluegas

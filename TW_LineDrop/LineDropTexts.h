#pragma once
// Captions and messages of the line window and its fittings editor in both languages. The
// windows walk these tables; no caption is written anywhere else.

#include <array>
#include <cstdint>
#include <string>

#include "TWRelease.h"
#include "tw/Fittings.h"
#include "tw/Language.h"

namespace tw::linedrop {

inline constexpr const char* kProgramAndVersion = "TW_LineDrop Ver. " TW_RELEASE;
inline constexpr const char* kWindowCaption = "TW_LineDrop Ver. " TW_RELEASE " - " TW_HOMEPAGE;
inline constexpr BilingualText kChooseUnits{"단위 선정(&S)...", "&Choose units..."};
inline constexpr BilingualText kUnitDialogCaption{"단위 선정 - TW_LineDrop",
                                                  "Unit Selection - TW_LineDrop"};
inline constexpr BilingualText kUntitled{"새 배관", "New line"};
inline constexpr BilingualText kReportCaption{"계산서 - TW_LineDrop",
                                              "Calculation report - TW_LineDrop"};
inline constexpr BilingualText kReportTitle{"배관 압력 강하 계산서", "Line pressure drop"};

// Menu items: object name and caption.
struct MenuItem {
    const char* name;
    BilingualText caption;
};
inline constexpr std::array<MenuItem, 14> kMenuItems{{
    {"mnuFile", {"파일(&F)", "&File"}},
    {"mnuNew", {"새로 만들기(&N)", "&New"}},
    {"mnuOpen", {"열기(&O)...", "&Open..."}},
    {"mnuSave", {"저장(&S)", "&Save"}},
    {"mnuSaveAs", {"다른 이름으로 저장(&A)...", "Save &as..."}},
    {"mnuRecent", {"최근 파일(&R)", "&Recent files"}},
    {"mnuExportCsv", {"CSV 내보내기(&E)...", "&Export CSV..."}},
    {"mnuReport", {"계산서(&P)...", "Re&port..."}},
    {"mnuExit", {"끝내기(&X)", "E&xit"}},
    {"mnuUnits", {"단위(&U)", "&Units"}},
    {"mnuLanguage", {"언어(&L)", "&Language"}},
    {"mnuLanguageKorean", {"한국어", "한국어 (Korean)"}},
    {"mnuLanguageEnglish", {"영어 (English)", "English"}},
    {"cmdCalculate", {"계산(&C)", "&Calculate"}},
}};

// The kinds of fluid the panel offers, in the order of its choice.
enum class FluidKind {
    SuperheatedSteam,
    CompressedWater,
    SaturatedSteam,
    SaturatedWater,
    Gas,
    TypedLiquid,
    TypedGas
};
inline constexpr std::array<BilingualText, 7> kFluidKindNames{{
    {"과열 증기", "Superheated steam"},
    {"압축수", "Compressed water"},
    {"포화 증기", "Saturated steam"},
    {"포화수", "Saturated water"},
    {"가스 (조성)", "Gas (composition)"},
    {"액체 (물성 입력)", "Liquid (typed properties)"},
    {"기체 (물성 입력)", "Gas (typed properties)"},
}};

// The fluid panel's fields: object name, caption, and the kinds that use the field (bit i for
// FluidKind i).
struct FluidField {
    const char* name;
    BilingualText caption;
    unsigned kinds;
};
inline constexpr unsigned kAllKinds = 0x7f;
inline constexpr std::array<FluidField, 7> kFluidFields{{
    {"txtPressure", {"입구 압력", "Inlet pressure"}, kAllKinds},
    {"txtTemperature", {"온도", "Temperature"}, 0x01 | 0x02 | 0x10},
    {"txtDryness", {"건도", "Dryness"}, 0x04},
    {"txtViscosity", {"점도", "Viscosity"}, 0x10 | 0x20 | 0x40},
    {"txtSpecificVolume", {"비체적", "Specific volume"}, 0x20 | 0x40},
    {"txtExponent", {"등엔트로피 지수", "Isentropic exponent"}, 0x10 | 0x40},
    {"txtMassFlow", {"질량 유량", "Mass flow"}, kAllKinds},
}};
inline constexpr BilingualText kFluidKindLabel{"유체", "Fluid"};
inline constexpr BilingualText kKindLabel{"종류", "Kind"};
inline constexpr BilingualText kCompositionLabel{"조성", "Composition"};
inline constexpr std::array<BilingualText, 2> kBasisNames{
    {{"체적 %", "vol %"}, {"중량 %", "wt %"}}};

// The segment table's columns.
inline constexpr std::array<BilingualText, 5> kSegmentColumns{{
    {"호칭 치수", "NPS"},
    {"스케줄", "Schedule"},
    {"길이", "Length"},
    {"높이 변화", "Rise"},
    {"부속", "Fittings"},
}};
inline constexpr BilingualText kByInsideDiameter{"내경 {value}", "ID {value}"};
inline constexpr BilingualText kByCoordinates{"좌표", "coordinates"};
inline constexpr BilingualText kFittingsCell{"{value}개...", "{value} fittings..."};
inline constexpr BilingualText kAddSegment{"구간 추가", "Add segment"};
inline constexpr BilingualText kRemoveSegment{"구간 삭제", "Remove segment"};

// The results table's columns; the unit (if any) follows the caption.
struct ResultColumn {
    BilingualText caption;
    int unit;  // 0 none, 1 pressure, 2 pressure drop, 3 velocity
};
inline constexpr std::array<ResultColumn, 10> kResultColumns{{
    {{"구간", "Segment"}, 0},
    {{"입구 압력", "P in"}, 1},
    {{"출구 압력", "P out"}, 1},
    {{"유속", "Velocity"}, 3},
    {{"레이놀즈 수", "Re"}, 0},
    {{"마찰 계수", "f"}, 0},
    {{"마찰 손실", "dP friction"}, 2},
    {{"부속 손실", "dP fittings"}, 2},
    {{"높이 손실", "dP static"}, 2},
    {{"압력 강하", "dP"}, 2},
}};
inline constexpr BilingualText kTotal{"합계", "Total"};
inline constexpr BilingualText kChartTitle{"배관을 따른 압력", "Pressure along the line"};
inline constexpr BilingualText kChartInlet{"입구", "Inlet"};
inline constexpr BilingualText kChartSeries{"압력", "Pressure"};

// The fittings editor.
inline constexpr BilingualText kFittingsCaption{"부속 - 구간 {value}",
                                                "Fittings - segment {value}"};
inline constexpr std::array<BilingualText, 4> kFittingColumns{
    {{"종류", "Kind"}, {"수량", "Quantity"}, {"Para1", "Para1"}, {"Para2", "Para2"}}};
inline constexpr BilingualText kAddFitting{"추가", "Add"};
inline constexpr BilingualText kRemoveFitting{"삭제", "Remove"};
inline constexpr BilingualText kNoParameter{"-", "-"};

// What Para1 and Para2 mean for each rule of the catalogue (nullptr: the field is not used).
struct ParameterNames {
    FittingRule rule;
    BilingualText para1, para2;
};
inline constexpr std::array<ParameterNames, 11> kParameterNames{{
    {FittingRule::Special, {"길이", "Length"}, {nullptr, nullptr}},
    {FittingRule::Meter, {"직경비 β", "Diameter ratio β"}, {nullptr, nullptr}},
    {FittingRule::Multiple, {nullptr, nullptr}, {nullptr, nullptr}},
    {FittingRule::Fixed, {nullptr, nullptr}, {nullptr, nullptr}},
    {FittingRule::BetaGate, {"시트 직경비 β", "Seat ratio β"}, {"각도 (°)", "Angle (°)"}},
    {FittingRule::BetaSeat, {"시트 직경비 β", "Seat ratio β"}, {nullptr, nullptr}},
    {FittingRule::BetaSeatPlug, {"시트 직경비 β", "Seat ratio β"}, {nullptr, nullptr}},
    {FittingRule::DiameterClasses, {nullptr, nullptr}, {nullptr, nullptr}},
    {FittingRule::Bend, {"90° 굽힘 수", "Number of 90° bends"}, {nullptr, nullptr}},
    {FittingRule::UserK, {"K", "K"}, {nullptr, nullptr}},
    {FittingRule::Strainer, {"스크린 계수", "Screen parameter"}, {"막힘 (%)", "Clogged (%)"}},
}};
// The user's own drop takes a pressure drop as Para1.
inline constexpr BilingualText kUserDropParameter{"압력 강하", "Pressure drop"};

// Messages.
inline constexpr BilingualText kNotANumber{"{value}: 숫자를 입력하십시오.",
                                           "{value}: give a number."};
inline constexpr BilingualText kNoSegments{"구간이 없습니다.", "The line has no segments."};
inline constexpr BilingualText kNoSize{
    "구간 {value}: 치수와 스케줄이 표에 없습니다.",
    "Segment {value}: the size and schedule are not in the table."};
inline constexpr BilingualText kRefused{"계산하지 못했습니다.",
                                        "The line could not be calculated."};
inline constexpr BilingualText kNotALineFile{"배관 파일이 아닙니다.\n{value}",
                                             "This is not a line file.\n{value}"};
inline constexpr BilingualText kNotSaved{
    "저장하지 못했습니다. 이전 파일은 그대로 있습니다.\n{value}",
    "The file could not be saved; any earlier file is unchanged.\n{value}"};
inline constexpr BilingualText kSaveChanges{"배관이 변경되었습니다. 저장할까요?",
                                            "The line has changed. Save it?"};
inline constexpr BilingualText kKeptForRecovery{
    "저장하지 않은 배관을 다음 파일에 보관했습니다: {value}",
    "The unsaved line was kept in {value}"};
inline constexpr BilingualText kNoResults{"먼저 계산하십시오.", "Calculate first."};
inline constexpr BilingualText kLineFileFilter{"배관 파일 (*.twline)", "Line files (*.twline)"};
inline constexpr BilingualText kCsvFileFilter{"CSV (*.csv)", "CSV (*.csv)"};
inline constexpr BilingualText kSegmentWord{"구간 {value}", "Segment {value}"};
inline constexpr BilingualText kLineWord{"배관", "Line"};

// `text` in `language` with "{value}" replaced by `value`.
std::string textWith(const BilingualText& text, std::int32_t language, const std::string& value);

}  // namespace tw::linedrop

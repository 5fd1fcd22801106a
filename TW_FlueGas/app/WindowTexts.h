#pragma once
// Captions of the calculator window and its unit dialog in both languages. The window walks
// these tables; no caption is written anywhere else.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "CalculatorTable.h"
#include "ReportTexts.h"
#include "TWRelease.h"
#include "tw/Language.h"

namespace tw::fluegas {

// A menu item: its object name, its built-in Korean caption and its English caption (nullptr
// where the English caption is the Korean one). `literalEnglish` marks English captions whose
// "&" is part of the text, not a mnemonic marker ("B&W"). `shortcut` is a key sequence in
// Qt's portable text form ("Ctrl+C"), the same in both languages.
struct MenuCaption {
    const char* name;
    const char* korean;
    const char* english;
    bool literalEnglish = false;
    const char* shortcut = nullptr;
};

inline constexpr auto kMenuCaptions = std::to_array<MenuCaption>({
    {"mnuFile", "파일(&F)", "File(&F)"},
    {"mnuReport", "계산서(&R)...", "Calculation report(&R)...", false, "Ctrl+R"},
    {"mnuSaveResults", "결과 저장(&S)...", "Save results(&S)...", false, "Ctrl+S"},
    {"mnuExit", "닫기(&X)", "Exit(&X)", false, "Ctrl+Q"},
    {"mnuEdit", "편집(&E)", "Edit(&E)"},
    {"mnuCopyTable", "표 복사(&C)", "Copy table(&C)", false, "Ctrl+C"},
    {"mnuPasteComposition", "성분 붙여 넣기(&P)", "Paste composition(&P)", false, "Ctrl+V"},
    {"mnuSet", "설정(&O)", "Option(&O)"},
    {"mnuUnit", "단위(&U)", "Unit(&U)"},
    {"mnuUnitSet", "계산 단위 설정(&S)...", "Set calculation units(&S)..."},
    {"mnuUnitDefault", "현재 단위를 기본 단위로 설정(&D)", "Set the current units as default(&T)"},
    {"mnuCompUnit", "가스 성분  단위(&C)", "Gas component unit"},
    {"mnuVolume", "Volume %(&V)", nullptr},
    {"mnuWeight", "Weight %(&W)", nullptr},
    {"mnuFormula", "엔탈피 계산 공식(&F)", "Enthalpy calculation formula"},
    {"mnuFormulaSub0", "NASA Glenn Coefficients(&N)", "NASA Glenn Coefficients"},
    {"mnuFormulaSub1", "ASME PTC 4.4 - 1981(&A)", "ASME PTC 4.4 - 1981"},
    {"mnuFormulaSub2", "B&&W STEAM its generation and use(&B)", "B&W STEAM its generation and use",
     true},
    {"mnuSO3Conv", "SO3 변환율", "SO3 Conversion"},
    {"mnuSO3Auto", "자동 계산", "Automatic calculation"},
    {"mnuSO3UI", "사용자 입력", "User input"},
    {"mnuLanguage", "언어(&L)", "Language(&L)"},
    {"mnuLanguageKorean", "한국어", nullptr},
    {"mnuLanguageEnglish", "English", nullptr},
    {"mnuFuelGas", "연료로부터 가스 조성(&G)...", "Flue gas from fuel(&G)..."},
    {"mnuEfficiency", "보일러 효율(&B)...", "Boiler efficiency(&B)..."},
    {"mnuGasProperties", "가스 물성(&P)...", "Gas properties(&P)..."},
    {"mnuInfo", "정보(&I)", "Info(&I)"},
    {"mnuInfoEULA", "사용권 계약서(&E)...", "End User License Agreement(&E)..."},
});

// Buttons beside the table: caption, the Alt key that presses it, and its tooltip.
struct ButtonCaption {
    const char* name;
    BilingualText text;
    const char* keys;
    BilingualText toolTip;
};
inline constexpr std::array<ButtonCaption, 3> kButtonCaptions{{
    {"cmdCalc",
     {"계산", "Calculate"},
     "Alt+C",
     {"입력한 가스 조성과 온도로 결과를 계산합니다 (F5, Ctrl+Enter)",
      "Calculates the results from the composition and temperatures (F5, Ctrl+Enter)"}},
    {"cmd100",
     {"H2O로         100% 만들기", "Make 100% by H2O"},
     "Alt+H",
     {"성분 합계가 100 %가 되도록 H2O를 채웁니다",
      "Fills H2O up so that the components total 100 %"}},
    {"cmdTotal",
     {"성분 합계", "Component total"},
     "Alt+T",
     {"가스 성분의 합계를 표시합니다", "Shows the total of the gas components"}},
}};

// Tooltips of the input rows: what the row holds and the range the calculation takes.
struct RowToolTip {
    int row;
    BilingualText text;
};
inline constexpr std::array<RowToolTip, 10> kRowToolTips{{
    {rowN2, {"질소 N2 성분 비율, 0 이상", "Nitrogen N2 share, 0 or more"}},
    {rowAr, {"아르곤 Ar 성분 비율, 0 이상", "Argon Ar share, 0 or more"}},
    {rowO2, {"산소 O2 성분 비율, 0 이상", "Oxygen O2 share, 0 or more"}},
    {rowCO2, {"이산화탄소 CO2 성분 비율, 0 이상", "Carbon dioxide CO2 share, 0 or more"}},
    {rowCO, {"일산화탄소 CO 성분 비율, 0 이상", "Carbon monoxide CO share, 0 or more"}},
    {rowSO2, {"이산화황 SO2 성분 비율, 0 이상", "Sulphur dioxide SO2 share, 0 or more"}},
    {rowH2O, {"수분 H2O 성분 비율, 0 이상", "Water vapour H2O share, 0 or more"}},
    {rowGasTemperature,
     {"가스 온도, 200 K ~ 6000 K (NASA Glenn 자료의 범위)",
      "Gas temperature, 200 K to 6000 K (the range of the NASA Glenn data)"}},
    {rowReferenceTemperature,
     {"엔탈피 기준 온도 (이 온도에서 엔탈피 = 0), 200 K ~ 6000 K",
      "Reference temperature of the enthalpy (enthalpy 0 there), 200 K to 6000 K"}},
    {rowSo3ConversionRate,
     {"SO2가 SO3로 변환되는 비율 (사용자 입력 모드), 0 ~ 100 %",
      "Share of SO2 converted to SO3 (user input mode), 0 to 100 %"}},
}};

// Notes under the table: Label1 names the formula (formulaNote of the calculator table), Label2
// to Label4 are the table's fixed notes (kTableNotes).

// Messages of the window itself; "{path}" stands for a file name, "{reason}" for the system's
// account of a failure.
inline constexpr BilingualText kSettingsNotSavedMessage{
    "{path} 은(는) 일반 파일이 아니므로 기본 단위를 저장하지 않았습니다.",
    "The default units were not saved: {path} is not a regular file."};
inline constexpr BilingualText kResultsNotSavedMessage{
    "결과를 저장하지 못했습니다. 이전 파일은 그대로 있습니다.\n{path}\n{reason}",
    "The results could not be saved; any earlier file is unchanged.\n{path}\n{reason}"};
inline constexpr BilingualText kLastCaseNotSavedMessage{
    "마지막 계산 조건을 저장하지 못했습니다.\n{path}",
    "The case shown could not be kept for the next start.\n{path}"};

// The file dialog of "Save results" and the report window.
inline constexpr BilingualText kSaveResultsDialogTitle{"결과 저장", "Save results"};
inline constexpr const char* kCsvFileFilter = "CSV (*.csv)";
inline constexpr BilingualText kSpreadsheetFileFilter{"스프레드시트 표 (*.csv)",
                                                      "Spreadsheet table (*.csv)"};

// Results that belong to earlier inputs.
inline constexpr BilingualText kStaleResultsNote{
    "결과는 이전 입력값의 것입니다 — 계산을 누르십시오",
    "Results are from the previous inputs — press Calculate"};
inline constexpr BilingualText kCalculateNowQuestion{"지금 계산할까요?", "Calculate now?"};
// The report window's caption and font, and the program and its version as the caption and the
// calculation report name them, are in ReportTexts.h.
inline constexpr const char* kWindowCaption = "TW_FlueGas Ver. " TW_RELEASE " - " TW_HOMEPAGE;
inline constexpr BilingualText kUnitDialogCaption{"단위 선정 - Tarnwell Inc.",
                                                  "Unit Selection - Tarnwell Inc."};
// Font of the window's controls: one sans-serif family that has both Latin and Hangul.
inline constexpr const char* kControlFontFamily = "NanumGothic";
inline constexpr int kControlFontSize = 9;

// The menu text of a caption: a literal "&" is doubled so that it shows as itself.
std::string menuText(const MenuCaption& caption, std::int32_t language);
// The text of `message` in `language` with "{key}" replaced by `value`; empty for a language
// that is neither Korean nor English.
std::string messageText(const BilingualText& message, std::int32_t language,
                        std::initializer_list<std::pair<std::string_view, std::string>> values);
// The text a label shows for a caption written with mnemonic markers: "&&" shows as "&".
std::string labelText(std::string_view caption);

}  // namespace tw::fluegas

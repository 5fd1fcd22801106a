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

inline constexpr std::array<MenuCaption, 25> kMenuCaptions{{
    {"mnuFile", "파일(&F)", "File(&F)"},
    {"mnuReport", "계산서(&R)...", "Calculation report(&R)..."},
    {"mnuSaveResults", "결과 저장(&S)...", "Save results(&S)..."},
    {"mnuExit", "닫기(&X)", "Exit(&X)"},
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
    {"mnuFuelGas", "연료로부터 가스 조성(&G)...", "Flue gas from fuel(&G)..."},
    {"mnuGasProperties", "가스 물성(&P)...", "Gas properties(&P)..."},
    {"mnuInfo", "정보(&I)", "Info(&I)"},
    {"mnuInfoEULA", "사용권 계약서(&E)...", "End User License Agreement(&E)..."},
}};

// Buttons beside the table.
struct ButtonCaption {
    const char* name;
    BilingualText text;
};
inline constexpr std::array<ButtonCaption, 3> kButtonCaptions{{
    {"cmdCalc", {"계산", "Calculate"}},
    {"cmd100", {"H2O로         100% 만들기", "Make 100% by H2O"}},
    {"cmdTotal", {"성분 합계", "Component total"}},
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
inline constexpr BilingualText kReportWindowCaption{"계산서 - TW_FlueGas",
                                                    "Calculation report - TW_FlueGas"};
// The font of the calculation report: a Hangul font for Korean.
inline constexpr BilingualText kReportFontFamily{"NanumGothic", "Times New Roman"};

// The program and its version, as the window's caption and the calculation report name them.
// The release and the web address come from the build (TWRelease.h).
inline constexpr const char* kProgramAndVersion = "TW_FlueGas Ver. " TW_RELEASE;
inline constexpr const char* kWindowCaption = "TW_FlueGas Ver. " TW_RELEASE " - " TW_HOMEPAGE;
inline constexpr BilingualText kUnitDialogCaption{"단위 선정 - Tarnwell Inc.",
                                                  "Unit Selection - Tarnwell Inc."};
// Font of the window's controls (matched to Liberation Serif on Linux).
inline constexpr const char* kControlFontFamily = "Times New Roman";
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

#pragma once
// The texts of the calculation sheet's window that the calculator's own window shares with it.

#include "TWRelease.h"
#include "tw/Language.h"

namespace tw::fluegas {

inline constexpr BilingualText kReportWindowCaption{"계산서 - TW_FlueGas",
                                                    "Calculation report - TW_FlueGas"};
// The font of the calculation report: one sans-serif family for Latin and Hangul.
inline constexpr BilingualText kReportFontFamily{"NanumGothic", "NanumGothic"};

// The program and its version, as the window's caption and the calculation report name them.
// The release and the web address come from the build (TWRelease.h).
inline constexpr const char* kProgramAndVersion = "TW_FlueGas Ver. " TW_RELEASE;

}  // namespace tw::fluegas

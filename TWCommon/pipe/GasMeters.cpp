// Permanent pressure drop of a gas through a flow nozzle or a thin-plate orifice: the checks,
// the units and the critical-flow messages around the searches of GasMeterSearch.

#include <array>
#include <optional>
#include <string>

#include "GasMeterSearch.h"
#include "PipeMath.h"
#include "tw/Format.h"
#include "tw/MessageSink.h"
#include "tw/Pipe.h"

namespace tw {
namespace {

using pipe::refuse;

namespace text {
constexpr BilingualText kSVOL{"비체적이 0 보다 커야 합니다.",
                              "Specific volume should be larger than zero."};
constexpr BilingualText kNozzleKappa{"등엔트로피 지수(= 비열비) k 값이 1보다 커야 합니다.",
                                     "Isentropic exponent(k) should be larger than 1."};
constexpr BilingualText kOrificeKappa{"등엔특로피 지수(= 비열비) k 값이 1보다 커야 합니다.",
                                      "Isentropic exponent(k) should be larger than 1."};
constexpr BilingualText kInletPressure{"입구 절대 압력이 0 보다 커야 합니다.",
                                       "Inlet absolute pressure should be larger than zero."};
// The searches step 0.001 kg/cm2 in single precision; far above this bound the step drifts and
// finally stops changing the loop variable, so higher pressures are refused.
constexpr BilingualText kInletPressureBound{
    "입구 절대 압력이 1000 kg/cm2 abs 보다 클 수 없습니다.",
    "Inlet absolute pressure should not be larger than 1000 kg/cm2 abs."};

struct CriticalText {
    const char* header;
    const char* caption;
    std::array<const char*, 5> koreanLines;  // the English text has four lines
    std::array<const char*, 4> englishLines;
};

constexpr const char* kNozzleLettersKo[] = {"A. Nozzle 입구 압력, kg/cm2 abs",
                                            "B. Pipe ID, mm",
                                            "C. Nozzle 구경비",
                                            "D. Critical Pressure Ratio",
                                            "E. Critical Pressure Drop, kg/cm2",
                                            "F. Critical Expansion Factor",
                                            "G. Critical Flow Rate, kg/hr"};
constexpr const char* kNozzleLettersEn[] = {
    "A. Nozzle inlet pressure, kg/cm2 abs", "B. Pipe ID, mm",
    "C. Nozzle Diameter Ratio(Beta)",       "D. Critical Pressure Ratio",
    "E. Critical Pressure Drop, kg/cm2",    "F. Critical Expansion Factor",
    "G. Critical Flow Rate, kg/hr"};
constexpr const char* kOrificeLettersKo[] = {"A. Orifice 입구 압력, kg/cm2 abs", "B. Pipe ID, mm",
                                             "C. Orifice 구경비", "D. Expansion Factor",
                                             "E. Max. Flow Rate, kg/hr"};
constexpr const char* kOrificeLettersEn[] = {"A. Orifice Inlet Pressure, kg/cm2 abs",
                                             "B. Pipe ID, mm", "C. Orifice Diameter Ratio(Beta)",
                                             "D. Expansion Factor", "E. Max. Flow Rate, kg/hr"};

constexpr CriticalText kNozzleCritical{
    "< Critical Error by Nozzle >",
    pipe::kLibraryTitle.data(),
    {"주어진 Nozzle로는 출구 압력을 Critical Pressure 까지",
     "떨어뜨러도 주어진 유량을 흘릴 수 없습니다.", "출구 압력을 Critical Pressure 까자 떨어뜨려",
     "주어진 Nozzle로 흘릴 수 있는 최대 유량 및 ", "Expansion Factor는 다음과 같습니다."},
    {"The flow can not flow through the nozzle even with",
     "the critical pressure at nozzle throat.", "The nozzle flow and expansion factor",
     "at the critical throat pressure are as below."}};
constexpr CriticalText kOrificeCritical{
    "< Critical Error by Orifice >",
    "Critical Error by Orifice",
    {"주어진 Orifice로는 출구 압력을 Full Vacuum 까지",
     "떨어뜨러도 주어진 유량을 흘릴 수 없습니다.", "출구 압력을 Full Vacuum 까자 떨어뜨려",
     "주어진 Orifice로 흘릴 수 있는 최대 유량 및 ", "Expansion Factor는 다음과 같습니다."},
    {"The flow can not flow through the orifice even with",
     "the absolute zero pressure at orifice throat.", "The orifice flow and expansion factor",
     "at the absolute zero throat pressure are as below."}};
}  // namespace text

// Header, empty line, the tab-indented text lines, empty line, then each lettered line with
// its value after a tab; lines joined by line feeds.
template <std::size_t N>
std::string criticalMessage(const text::CriticalText& t, bool korean,
                            const char* const (&letters)[N], const std::array<float, N>& values) {
    std::string message = std::string(t.header) + "\n";
    auto addLine = [&message](const char* line) {
        message += "\n\t";
        message += line;
    };
    if (korean) {
        for (const char* line : t.koreanLines) addLine(line);
    } else {
        for (const char* line : t.englishLines) addLine(line);
    }
    message += "\n";
    for (std::size_t i = 0; i < N; ++i) {
        message += "\n";
        message += letters[i];
        message += "\t" + shortestFloat(values[i]);
    }
    return message;
}

// The checks both gas meters make before their search, in their order: specific volume,
// isentropic exponent, then the inlet pressure (converted only once the first two pass) against
// zero and against the bound of the search. The inlet pressure in kg/cm2 a, or nothing after a
// refusal.
template <class InletPressure>
std::optional<float> checkedGasInlet(float SVOLin, float kappa, const BilingualText& kappaText,
                                     enmLanguage language, InletPressure inletPressure) {
    if (SVOLin <= 0) {
        refuse(text::kSVOL, language);
        return std::nullopt;
    }
    if (kappa <= 1) {
        refuse(kappaText, language);
        return std::nullopt;
    }
    const float P1 = inletPressure();
    if (P1 <= 0) {
        refuse(text::kInletPressure, language);
        return std::nullopt;
    }
    if (!(P1 <= Pipe::kMaxGasInletPressure)) {
        refuse(text::kInletPressureBound, language);
        return std::nullopt;
    }
    return P1;
}

}  // namespace

float Pipe::NozzleGasdP(float MFlow, float PRin, float PipeID, float SVOLin, float Beta,
                        float Isentropic_exponent_k) const {
    pipe::requireFinite(MFlow, PRin, PipeID, SVOLin, Beta, Isentropic_exponent_k);
    const std::optional<float> inlet =
        checkedGasInlet(SVOLin, Isentropic_exponent_k, text::kNozzleKappa, language_,
                        [&] { return unit_.CvtPR(uPR(), ktounit_kgpercm2a, PRin); });
    if (!inlet) return 0;
    const float P1 = *inlet;
    const float W = unit_.CvtMFlow(uMFlow(), ktounit_kgperhr, MFlow);
    const float D = unit_.CvtPDia(uPDia(), ktounit_mm_PDia, PipeID);
    const double v = unit_.CvtSVOL(uSVOL(), ktounit_m3perkg, SVOLin);
    const pipe::NozzleSearch found = pipe::searchNozzle(P1, W, D, v, Beta, Isentropic_exponent_k);
    const double beta = Beta;
    // Permanent loss: the share of the nozzle differential that the downstream pipe does not
    // recover, in percent.
    double recovery = 109.0 - 73.4 * beta - 33.3 * beta * beta;
    if (recovery > 100) recovery = 100;
    if (recovery < 0) recovery = 0;

    if (found.criticalFlow >= W) {
        return unit_.CvtdP(ktounit_kgpercm2, uPR(),
                           pipe::toSingle(found.lastDrop * recovery / 100));
    }
    if (language_ == TW_Korean || language_ == TW_English) {
        const bool korean = language_ == TW_Korean;
        const std::array<float, 7> values{P1,
                                          D,
                                          Beta,
                                          static_cast<float>(found.criticalRatio),
                                          static_cast<float>(found.criticalDrop),
                                          static_cast<float>(found.criticalExpansion),
                                          pipe::toSingle(found.criticalFlow)};
        showMessage(
            criticalMessage(text::kNozzleCritical, korean,
                            korean ? text::kNozzleLettersKo : text::kNozzleLettersEn, values),
            text::kNozzleCritical.caption, MessageIcon::Critical);
    }
    return -1;
}

float Pipe::OrificeGasdP(float MFlow, float PRin, float PipeID, float SVOLin, float Beta,
                         float Isentropic_exponent_k) const {
    pipe::requireFinite(MFlow, PRin, PipeID, SVOLin, Beta, Isentropic_exponent_k);
    const std::optional<float> inlet =
        checkedGasInlet(SVOLin, Isentropic_exponent_k, text::kOrificeKappa, language_,
                        [&] { return unit_.CvtPR(uPR(), ktounit_kgpercm2a, PRin); });
    if (!inlet) return 0;
    const float P1 = *inlet;
    const float W = unit_.CvtMFlow(uMFlow(), ktounit_kgperhr, MFlow);
    const float D = unit_.CvtPDia(uPDia(), ktounit_mm_PDia, PipeID);
    const double v = unit_.CvtSVOL(uSVOL(), ktounit_m3perkg, SVOLin);
    const pipe::OrificeSearch found = pipe::searchOrifice(P1, W, D, v, Beta, Isentropic_exponent_k);
    if (found.passes) return unit_.CvtdP(ktounit_kgpercm2, uPR(), found.drop);
    if (language_ == TW_Korean || language_ == TW_English) {
        const bool korean = language_ == TW_Korean;
        const std::array<float, 5> values{P1, D, Beta, pipe::toSingle(found.throatExpansion),
                                          pipe::toSingle(found.throatFlow)};
        showMessage(
            criticalMessage(text::kOrificeCritical, korean,
                            korean ? text::kOrificeLettersKo : text::kOrificeLettersEn, values),
            text::kOrificeCritical.caption, MessageIcon::Critical);
    }
    return -1;
}

}  // namespace tw

// Permanent pressure drop of a gas through a flow nozzle or a thin-plate orifice. Both search
// the meter differential in steps of 0.001 kg/cm2 with a single-precision loop variable (the
// returned drop is such a step as accumulated in single precision), and both detect a flow
// that the meter cannot pass at any throat pressure.

#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "PipeMath.h"
#include "tw/Format.h"
#include "tw/MessageSink.h"
#include "tw/Pipe.h"

namespace tw {
namespace {

using pipe::checkedDivide;
using pipe::checkedSqrt;
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

// Constant of the meter flow equation W = 1.265 d^2 C Y sqrt(dp / 1.01972 / v): W in kg/hr,
// d in mm, dp in kg/cm2 (1.01972 kg/cm2 to the bar), v in m3/kg.
double meterFlow(double boreMm, double C, double Y, double dp, double v) {
    return checkedFinite(1.265 * boreMm * boreMm * Y * C * checkedSqrt(dp / 1.01972 / v));
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
    const double beta = Beta;
    const double kappa = Isentropic_exponent_k;
    const double d = static_cast<double>(D) * beta;
    const double beta4 = (beta * beta) * (beta * beta);

    // Discharge coefficient with the velocity of approach factor.
    const double C = checkedDivide(0.98, checkedSqrt(1 - beta4));
    // Expansion factor of an isentropic nozzle at pressure ratio tau.
    auto expansion = [&](double tau) {
        const double tau2k = std::pow(tau, 2 / kappa);
        const double y2 = kappa / (kappa - 1) * tau2k * (1 - std::pow(tau, (kappa - 1) / kappa)) *
                          checkedDivide(1 - beta4, 1 - beta4 * tau2k) / (1 - tau);
        return checkedSqrt(checkedFinite(y2));
    };

    float dpLast = 0;
    double tauC = 1;  // no differential, no expansion, until the search has taken a step
    double yC = 1;
    double previousF = 0;
    for (float dp = 0.001f; dp <= P1; dp += 0.001f) {
        const double tau = (static_cast<double>(P1) - dp) / P1;
        const double Y = expansion(tau);
        if (meterFlow(d, C, Y, dp, v) <= W) dpLast = dp;
        // The mass flux sqrt(Y^2 dp) peaks at the critical pressure ratio.
        const double F = std::sqrt(Y * Y * dp);
        tauC = tau;
        yC = Y;
        if (!(F > previousF)) break;
        previousF = F;
    }

    const double dpCritical = P1 - P1 * tauC;
    const double wCritical = meterFlow(d, C, yC, (P1 - tauC * P1), v);
    // Permanent loss: the share of the nozzle differential that the downstream pipe does not
    // recover, in percent.
    double recovery = 109.0 - 73.4 * beta - 33.3 * beta * beta;
    if (recovery > 100) recovery = 100;
    if (recovery < 0) recovery = 0;

    if (wCritical >= W) {
        return unit_.CvtdP(ktounit_kgpercm2, uPR(), checkedFloat(dpLast * recovery / 100));
    }
    if (language_ == TW_Korean || language_ == TW_English) {
        const bool korean = language_ == TW_Korean;
        const std::array<float, 7> values{P1,
                                          D,
                                          Beta,
                                          static_cast<float>(tauC),
                                          static_cast<float>(dpCritical),
                                          static_cast<float>(yC),
                                          checkedFloat(wCritical)};
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
    const double b = Beta;
    const double kappa = Isentropic_exponent_k;
    const double d = static_cast<double>(D) * b;

    // Two tap arrangements: flange taps and pipe taps, each with its discharge coefficient and
    // its expansion factor Y = 1 - (a + c) dp / P1 / kappa.
    struct TapSet {
        double C;
        double expansionSlope;
        float lastDrop = 0;
        bool reached = false;
        double lastY = 1;
        double lastW = 0;
    };
    TapSet flange{0.598 + 0.01 * b + 0.00001947 * std::pow(10 * b, 4.425),
                  0.41 + 0.35 * std::pow(b, 4)};
    TapSet pipeTaps{0.58925 + 0.2725 * b - 0.825 * b * b + 1.75 * std::pow(b, 3),
                    0.333 + 1.145 * (b * b + 0.7 * std::pow(b, 5) + 12 * std::pow(b, 13))};

    for (float dp = 0; dp <= P1; dp += 0.001f) {
        for (TapSet* set : {&flange, &pipeTaps}) {
            set->lastY = 1 - set->expansionSlope * dp / P1 / kappa;
            set->lastW = meterFlow(d, set->C, set->lastY, dp, v);
            if (set->reached) continue;
            if (set->lastW <= W) {
                set->lastDrop = dp;
            } else {
                set->reached = true;
            }
        }
        if (flange.reached && pipeTaps.reached) break;
    }

    if (flange.reached) {
        const float drop = pipeTaps.reached ? pipeTaps.lastDrop : flange.lastDrop;
        return unit_.CvtdP(ktounit_kgpercm2, uPR(), drop);
    }
    if (language_ == TW_Korean || language_ == TW_English) {
        const bool korean = language_ == TW_Korean;
        const std::array<float, 5> values{P1, D, Beta, checkedFloat(flange.lastY),
                                          checkedFloat(flange.lastW)};
        showMessage(
            criticalMessage(text::kOrificeCritical, korean,
                            korean ? text::kOrificeLettersKo : text::kOrificeLettersEn, values),
            text::kOrificeCritical.caption, MessageIcon::Critical);
    }
    return -1;
}

}  // namespace tw

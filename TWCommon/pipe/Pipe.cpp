// Pipe flow formulas: Reynolds number, Darcy friction factor, head loss and pressure drop by
// friction factor or K, their inverses, velocity, static head and strainer drop.

#include "tw/Pipe.h"

#include <cmath>

#include "PipeMath.h"
#include "tw/MessageSink.h"

namespace tw {
namespace {

using pipe::checkedDivide;
using pipe::checkedLog;
using pipe::checkedSqrt;
using pipe::refuse;
using pipe::requireFinite;

namespace text {
constexpr BilingualText kFrictionPipeID{"배관 내경이 0 보다 커야 합니다.",
                                        "The pipe ID should be larger than zero."};
constexpr BilingualText kPipeID{"배관 내경이 0 보다 커야 합니다.",
                                "Pipe ID should be larger than zero."};
constexpr BilingualText kReynolds{"레이놀즈 수가 0 보다 커야 합니다.",
                                  "The Reynolds number should be larger than zero."};
constexpr BilingualText kVisco{"절대 점도가 0 보다 커야 합니다.",
                               "Absolute viscosity should be larger than zero."};
constexpr BilingualText kMFlow{"질량 유량이 0 보다 커야 합니다.",
                               "Mass flow rate should be larger than zero."};
constexpr BilingualText kSVOL{"비체적이 0 보다 커야 합니다.",
                              "Specific volume should be larger than zero."};
constexpr BilingualText kVFlow{"체적 유량이 0 보다 커야 합니다.",
                               "Volume flow rate should be larger than zero."};
constexpr BilingualText kZeroDiameter{
    "Friction factor 계산을 위한 배관 ID가 0으로 입력되어 계산을 할 수 없습니다.\r"
    "Friction factor 값으로 0 이 되돌려지므로, 계산 값을 확인하십시요.",
    "Since the pipe ID for friction factor calculation is zero, calculation can not be "
    "performed.\r"
    "Since the friction factor is returned as zero, please check the result."};
constexpr BilingualText kTransition{
    "Friction factor 계산을 위한 Reynolds no. 가 \n"
    "천이 구역(2000 과 4000 사이)에 존재합니다. \r"
    "Friction factor 값으로 Renolds No. 2000에 해당하는 값이 되돌려집니다.",
    "Reynolds number for friction factor calculation exists\n"
    "in the transient region(between 2000 and 4000).\r"
    "The friction factor is returned as that of Renolds No. 2000."};
constexpr BilingualText kBeta{"Valve의 구경비 Beta 값이 0 보다 커야 합니다.",
                              "The diameter ratio(Beta) of valve should be larger than zero."};
}  // namespace text

// Fully rough and transition turbulent flow: Colebrook,
//   1/sqrt(f) = -2 log10(eps/(3.7 D) + 2.51/(Re sqrt(f))),
// solved by damped substitution from f = 0.015, with f kept in single precision. Diameter and
// roughness in one unit (inch).
float colebrook(float roughness, float diameter, float reynolds) {
    // The damped substitution settles within a few dozen steps for every physical pipe; the
    // bound only ends the search where single precision cannot meet the tolerance (a roughness
    // of several diameters).
    constexpr int kMaxSteps = 1000;
    float f = 0.015f;
    float delta = 0.1f;
    for (int step = 0; std::fabs(delta) > 0.00001f; ++step) {
        if (step == kMaxSteps) throw AutomationError(ErrorNumber::InvalidCall);
        const double t = static_cast<double>(roughness) / 3.7 / diameter +
                         checkedDivide(2.51 / reynolds, checkedSqrt(f));
        const double x = checkedDivide(-0.5 * std::log(10.0), checkedLog(t));
        const double fn = x * x;
        f = pipe::toSingle((f + fn) / 2);
        delta = static_cast<float>(fn - f);
    }
    return f;
}

}  // namespace

float Pipe::f(float PipeID, float AbsRoughness, float& ReynoldNo) const {
    requireFinite(PipeID, AbsRoughness, ReynoldNo);
    if (PipeID <= 0) {
        refuse(text::kFrictionPipeID, language_);
        return 0;
    }
    if (ReynoldNo <= 0) {
        refuse(text::kReynolds, language_);
        return 0;
    }
    const float diameter = unit_.CvtPDia(uPDia(), ktounit_inch_PDia, PipeID);
    const float roughness = unit_.CvtPDia(uPDia(), ktounit_inch_PDia, AbsRoughness);
    if (diameter == 0) {
        refuse(text::kZeroDiameter, language_);
        return 0;
    }
    if (ReynoldNo > 2000 && ReynoldNo < 4000) {
        refuse(text::kTransition, language_, MessageIcon::Exclamation);
        ReynoldNo = 2000;
    }
    if (ReynoldNo <= 2000) return pipe::toSingle(64.0 / ReynoldNo);
    return colebrook(roughness, diameter, ReynoldNo);
}

float Pipe::ReynoldNo(float MFlow, float PipeID, float Visco) const {
    requireFinite(MFlow, PipeID, Visco);
    if (PipeID <= 0) {
        refuse(text::kPipeID, language_);
        return 0;
    }
    if (Visco <= 0) {
        refuse(text::kVisco, language_);
        return 0;
    }
    const double W = unit_.CvtMFlow(uMFlow(), ktounit_kgperhr, MFlow);
    const double D = unit_.CvtPDia(uPDia(), ktounit_mm_PDia, PipeID);
    const double mu = unit_.CvtVisco(uVisco(), ktounit_cP, Visco);
    return pipe::toSingle(354 * W / D / mu);
}

float Pipe::fT(float PipeID, float AbsRoughness) const {
    requireFinite(PipeID, AbsRoughness);
    if (PipeID <= 0) {
        refuse(text::kPipeID, language_);
        return 0;
    }
    const float diameter = unit_.CvtPDia(uPDia(), ktounit_inch_PDia, PipeID);
    const float roughness = unit_.CvtPDia(uPDia(), ktounit_inch_PDia, AbsRoughness);
    if (diameter == 0) {
        refuse(text::kZeroDiameter, language_);
        return 0;
    }
    return colebrook(roughness, diameter, 1e8f);
}

float Pipe::dHDarcyf(float f, float VFlow, float EqvLength, float PipeID) const {
    requireFinite(f, VFlow, EqvLength, PipeID);
    if (PipeID <= 0) {
        refuse(text::kPipeID, language_);
        return 0;
    }
    const double Q = unit_.CvtVFlow(uVFlow(), ktounit_m3perhr, VFlow);
    const double L = unit_.CvtLen(uLen(), ktounit_meter, EqvLength);
    const double D = unit_.CvtPDia(uPDia(), ktounit_mm_PDia, PipeID);
    const float hL = pipe::toSingle(6376000 * f * L * Q * Q / std::pow(D, 5));
    return unit_.CvtLen(ktounit_meter, uLen(), hL);
}

float Pipe::dHDarcyK(float k, float VFlow, float PipeID) const {
    requireFinite(k, VFlow, PipeID);
    if (PipeID <= 0) {
        refuse(text::kPipeID, language_);
        return 0;
    }
    const double Q = unit_.CvtVFlow(uVFlow(), ktounit_m3perhr, VFlow);
    const double D = unit_.CvtPDia(uPDia(), ktounit_mm_PDia, PipeID);
    const float hL = pipe::toSingle(6376 * k * Q * Q / std::pow(D, 4));
    return unit_.CvtLen(ktounit_meter, uLen(), hL);
}

float Pipe::dPDarcyf(float f, float MFlow, float EqvLength, float PipeID, float SVOL) const {
    requireFinite(f, MFlow, EqvLength, PipeID, SVOL);
    if (PipeID <= 0) {
        refuse(text::kPipeID, language_);
        return 0;
    }
    const double W = unit_.CvtMFlow(uMFlow(), ktounit_kgperhr, MFlow);
    const double L = unit_.CvtLen(uLen(), ktounit_meter, EqvLength);
    const double D = unit_.CvtPDia(uPDia(), ktounit_mm_PDia, PipeID);
    const double v = unit_.CvtSVOL(uSVOL(), ktounit_m3perkg, SVOL);
    const float dP = pipe::toSingle(637.6 * f * W * W / std::pow(D, 5) * L * v);
    return unit_.CvtdP(ktounit_kgpercm2, uPR(), dP);
}

float Pipe::dPDarcyK(float k, float MFlow, float PipeID, float SVOL) const {
    requireFinite(k, MFlow, PipeID, SVOL);
    if (PipeID <= 0) {
        refuse(text::kPipeID, language_);
        return 0;
    }
    const double W = unit_.CvtMFlow(uMFlow(), ktounit_kgperhr, MFlow);
    const double D = unit_.CvtPDia(uPDia(), ktounit_mm_PDia, PipeID);
    const double v = unit_.CvtSVOL(uSVOL(), ktounit_m3perkg, SVOL);
    const float dP = pipe::toSingle(0.6376 * k * W * W / std::pow(D, 4) * v);
    return unit_.CvtdP(ktounit_kgpercm2, uPR(), dP);
}

float Pipe::dPStrainer(float k, float MFlow, float PipeID, float SVOL, float ViscoX) const {
    requireFinite(k, MFlow, PipeID, SVOL, ViscoX);
    if (PipeID <= 0) {
        refuse(text::kPipeID, language_);
        return 0;
    }
    // Viscosity correction of the screen loss, on the Saybolt scale at 100 oF.
    const double lnNu = checkedLog(unit_.CvtViscoX(uViscoX(), ktounit_SSU100F, ViscoX));
    float C = static_cast<float>(0.0175 * lnNu * lnNu - 0.3429 * lnNu + 1.9236);
    if (C > 0.9f) C = 0.9f;
    if (C < 0.25f) C = 0.25f;
    return pipe::toSingle(dPDarcyK(k, MFlow, PipeID, SVOL) / static_cast<double>(C));
}

float Pipe::KfordP(float dP, float MFlow, float PipeID, float SVOL) const {
    requireFinite(dP, MFlow, PipeID, SVOL);
    if (MFlow <= 0) {
        refuse(text::kMFlow, language_);
        return 0;
    }
    if (SVOL <= 0) {
        refuse(text::kSVOL, language_);
        return 0;
    }
    const double deltaP = unit_.CvtdP(uPR(), ktounit_kgpercm2, dP);
    const double W = unit_.CvtMFlow(uMFlow(), ktounit_kgperhr, MFlow);
    const double D = unit_.CvtPDia(uPDia(), ktounit_mm_PDia, PipeID);
    const double v = unit_.CvtSVOL(uSVOL(), ktounit_m3perkg, SVOL);
    return pipe::toSingle(deltaP / 0.6376 / (W * W) * std::pow(D, 4) / v);
}

float Pipe::KfordH(float dH, float VFlow, float PipeID) const {
    requireFinite(dH, VFlow, PipeID);
    if (VFlow <= 0) {
        refuse(text::kVFlow, language_);
        return 0;
    }
    const double hL = unit_.CvtLen(uLen(), ktounit_meter, dH);
    const double Q = unit_.CvtVFlow(uVFlow(), ktounit_m3perhr, VFlow);
    const double D = unit_.CvtPDia(uPDia(), ktounit_mm_PDia, PipeID);
    return pipe::toSingle(hL / 6376 / (Q * Q) * std::pow(D, 4));
}

float Pipe::VelPipe(float MFlow, float PipeID, float SVOL) const {
    requireFinite(MFlow, PipeID, SVOL);
    if (PipeID <= 0) {
        refuse(text::kPipeID, language_);
        return 0;
    }
    const double W = unit_.CvtMFlow(uMFlow(), ktounit_kgperhr, MFlow);
    const double D = unit_.CvtPDia(uPDia(), ktounit_mm_PDia, PipeID);
    const double v = unit_.CvtSVOL(uSVOL(), ktounit_m3perkg, SVOL);
    const float V = pipe::toSingle(354 * W * v / (D * D));
    return unit_.CvtVel(ktounit_mpersec, uVel(), V);
}

float Pipe::dPElevDiff(float ElevDiff, float SVOL) const {
    requireFinite(ElevDiff, SVOL);
    if (SVOL <= 0) {
        refuse(text::kSVOL, language_);
        return 0;
    }
    const double Z = unit_.CvtLen(uLen(), ktounit_meter, ElevDiff);
    const double v = unit_.CvtSVOL(uSVOL(), ktounit_m3perkg, SVOL);
    const float dP = pipe::toSingle(Z / v / 10000);
    return unit_.CvtdP(ktounit_kgpercm2, uPR(), dP);
}

bool Pipe::betaRefused(float beta) const {
    if (beta > 0) return false;
    refuse(text::kBeta, language_);
    return true;
}

// Crane-type contraction and enlargement terms, referred to the larger pipe; s is the sine of
// half the included angle.
float Pipe::KContractionGradual(float beta, float theta) const {
    requireFinite(beta, theta);
    if (betaRefused(beta)) return 0;
    const double b = beta;
    const double s = std::sin(theta * 0.01745329 / 2);
    return pipe::toSingle(0.8 * s * (1 - b * b) / std::pow(b, 4));
}

float Pipe::KContractionSudden(float beta, float theta) const {
    requireFinite(beta, theta);
    if (betaRefused(beta)) return 0;
    const double b = beta;
    const double s = std::sin(theta * 0.01745329 / 2);
    return pipe::toSingle(0.5 * (1 - b * b) * checkedSqrt(s) / std::pow(b, 4));
}

float Pipe::KEnlargementGradual(float beta, float theta) const {
    requireFinite(beta, theta);
    if (betaRefused(beta)) return 0;
    const double b = beta;
    const double s = std::sin(theta * 0.01745329 / 2);
    return pipe::toSingle(2.6 * s * std::pow(1 - b * b, 2) / std::pow(b, 4));
}

float Pipe::KEnlargementSudden(float beta) const {
    requireFinite(beta);
    if (betaRefused(beta)) return 0;
    const double b = beta;
    return pipe::toSingle(std::pow(1 - b * b, 2) / std::pow(b, 4));
}

}  // namespace tw

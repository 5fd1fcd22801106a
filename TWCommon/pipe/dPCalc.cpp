// Pressure-drop calculator: a straight run from its end coordinates and a group of identical
// fittings, through the owned Pipe.

#include "tw/dPCalc.h"

#include <cmath>

#include "PipeMath.h"
#include "tw/AutomationError.h"
#include "tw/Format.h"
#include "tw/MessageSink.h"

namespace tw {
namespace {

namespace text {
constexpr BilingualText kPipeID{"배관 내경이 0 보다 커야 합니다.",
                                "Pipe ID should be larger than zero."};
constexpr BilingualText kVisco{"절대 점도가 0 보다 커야 합니다.",
                               "Absolute viscosity should be larger than zero."};
constexpr BilingualText kPipeSVOL{"비체적이 0 보다 커야 합니다.",
                                  "Specific volume should be larger than zero."};
constexpr BilingualText kLength{
    "Reducer/Increasr의 길이 값(Para1)이 0 보다 커야 합니다.",
    "The length of reducer/increaser(Para 1) should be larger than zero."};
constexpr BilingualText kInletID{
    "Reducer/Increaser의 입구 배관 내경(PipeID) 값이 0 보다 커야 합니다.",
    "The inlet ID of reducer/increaser(PipeID) should be larger than zero."};
constexpr BilingualText kOutletID{
    "Reducer/Increaser의 출구 배관 내경(PipeID_Downstream) 값이 0 보다 커야 합니다.",
    "The downstream ID of reducer/increaser(PipeID_Downstream) should be larger than zero."};
constexpr BilingualText kBeta{"Valve의 구경비 Beta 값이 0 보다 커야 합니다.",
                              "The diameter ratio of valve(Beta) should be larger than zero."};
constexpr BilingualText kStrainerViscoX{
    "Strainer를 위한 동 점도 값이 0 보다 커야 합니다.",
    "The kinematic viscosity for strainer should be larger than zero."};
constexpr BilingualText kKappa{"등엔트로피 지수(= 비열비) k 값이 1보다 커야 합니다.",
                               "The isentropic exponent(k) should be larger than 1."};
constexpr BilingualText kInletPressure{
    "입구 절대 압력이 0 보다 커야 합니다.\n결과를 확인하십시요.",
    "The inlet absolute pressure should be larger than zero.\nPlease check the result."};
constexpr BilingualText kFtgMFlow{"질량 유량이 0 보다 커야 합니다.",
                                  "The mass flow rate should be larger than zero."};
constexpr BilingualText kFtgSVOL{"비체적이 0 보다 커야 합니다.",
                                 "The specific volume should be larger than zero."};
}  // namespace text

// Included angle (degrees) of a conical reducer or increaser from its two diameters and length.
double includedAngle(double largeD, double smallD, double length) {
    return 2 * std::atan((largeD - smallD) / 2 / length) * 180 / 3.1415926536;
}

}  // namespace

bool dPCalc::refused(bool condition, const BilingualText& message) const {
    if (condition) showMessage(message, language_, pipe::kLibraryTitle, MessageIcon::Critical);
    return condition;
}

std::string dPCalc::FittingK() const {
    return shortestFloat(fittingK_);
}
std::string dPCalc::FittingKT() const {
    return shortestFloat(fittingKT_);
}
std::string dPCalc::dPFtg() const {
    return shortestFloat(dPFtg_);
}
std::string dPCalc::PipefT() const {
    return shortestFloat(fT_);
}

const std::array<std::string_view, kFittingCount>& dPCalc::FittingNames() {
    static const std::array<std::string_view, kFittingCount> names = [] {
        std::array<std::string_view, kFittingCount> n{};
        for (std::size_t i = 0; i < n.size(); ++i) n[i] = kFittingCatalogue[i].displayName;
        return n;
    }();
    return names;
}

std::string dPCalc::strVF(std::int32_t indexVF) const {
    if (indexVF < 0 || indexVF >= kFittingCount) {
        throw AutomationError(ErrorNumber::SubscriptOutOfRange);
    }
    return std::string(FittingNames()[static_cast<std::size_t>(indexVF)]);
}

float dPCalc::fun_dPPipe() {
    pipe::requireFinite(i_InNorth_, i_InEast_, i_InUp_, i_OutNorth_, i_OutEast_, i_OutUp_, i_MFlow_,
                        i_PipeID_, i_AbsRough_, i_SVOLin_, i_Viscoin_);
    if (refused(i_PipeID_ <= 0, text::kPipeID)) return 0;
    if (refused(i_Viscoin_ <= 0, text::kVisco)) return 0;
    if (refused(i_SVOLin_ <= 0, text::kPipeSVOL)) return 0;

    // Every result is computed before any is stored, so an error raised on the way leaves the
    // previous results intact.
    float re = pipe_.ReynoldNo(i_MFlow_, i_PipeID_, i_Viscoin_);
    // A transition-region Reynolds number comes back as 2000.
    const float f = pipe_.f(i_PipeID_, i_AbsRough_, re);
    const float fT = pipe_.fT(i_PipeID_, i_AbsRough_);
    const float vel = pipe_.VelPipe(i_MFlow_, i_PipeID_, i_SVOLin_);
    const double north = static_cast<double>(i_OutNorth_) - i_InNorth_;
    const double east = static_cast<double>(i_OutEast_) - i_InEast_;
    const double up = static_cast<double>(i_OutUp_) - i_InUp_;
    const float length = pipe::toSingle(std::sqrt(north * north + east * east + up * up));
    const float elevation = pipe::toSingle(up);
    const float lengthDrop = pipe_.dPDarcyf(f, i_MFlow_, length, i_PipeID_, i_SVOLin_);
    const float lengthK = pipe_.KfordP(lengthDrop, i_MFlow_, i_PipeID_, i_SVOLin_);
    const float elevationDrop = pipe_.dPElevDiff(elevation, i_SVOLin_);
    const float total = pipe::toSingle(static_cast<double>(lengthDrop) + elevationDrop);

    pipeRe_ = re;
    pipef_ = f;
    fT_ = fT;
    pipeVel_ = vel;
    pipeLen_ = length;
    pipeElevDiff_ = elevation;
    pipeLendP_ = lengthDrop;
    pipeLenK_ = lengthK;
    pipeElevDiffdP_ = elevationDrop;
    return total;
}

float dPCalc::fun_dPFtgT() {
    const FittingKind* kind = findFitting(ftgNo_);
    const bool reducerOrIncreaser = ftgNo_ == Reducer || ftgNo_ == Increaser;
    const bool strainer = kind != nullptr && kind->rule == FittingRule::Strainer;
    const bool gasMeter = !liquid_ && (ftgNo_ == Orifice || ftgNo_ == Nozzle_Venturi);
    // The fields this kind reads, before any message or result.
    pipe::requireFinite(i_MFlow_, i_PipeID_, i_AbsRough_, i_SVOLin_, i_FtgPara1_, i_FtgPara2_);
    if (reducerOrIncreaser) pipe::requireFinite(i_PipeID_DownStream_);
    if (strainer) pipe::requireFinite(i_ViscoXin_);
    if (gasMeter) pipe::requireFinite(i_PRin_, i_Isen_exp_k_);
    if (reducerOrIncreaser) {
        if (refused(i_FtgPara1_ <= 0, text::kLength)) return 0;
        if (refused(i_PipeID_ <= 0, text::kInletID)) return 0;
        if (refused(i_PipeID_DownStream_ <= 0, text::kOutletID)) return 0;
    } else if (kind != nullptr && checksBeta(kind->rule)) {
        if (refused(i_FtgPara1_ <= 0, text::kBeta)) return 0;
    } else if (strainer) {
        if (refused(i_ViscoXin_ <= 0, text::kStrainerViscoX)) return 0;
    }
    if (gasMeter) {
        if (refused(i_Isen_exp_k_ < 1, text::kKappa)) return 0;
        if (i_PRin_ <= 0) {
            showMessage(text::kInletPressure, language_, pipe::kLibraryTitle,
                        MessageIcon::Exclamation);
        }
    }
    if (refused(i_MFlow_ <= 0, text::kFtgMFlow)) return 0;
    if (refused(i_SVOLin_ <= 0, text::kFtgSVOL)) return 0;

    const float fT = pipe_.fT(i_PipeID_, i_AbsRough_);
    double K = 0;
    const float drop = fittingDrop(K, fT);
    const float n = ftgQty_;

    fT_ = fT;
    fittingK_ = pipe::toSingle(K);
    dPFtg_ = drop;
    fittingKT_ = pipe::toSingle(n * static_cast<double>(fittingK_));
    return pipe::toSingle(n * static_cast<double>(drop));
}

// K and drop of one fitting of the group.
float dPCalc::fittingDrop(double& K, float fT) {
    const double D1 = i_PipeID_;
    const double D2 = i_PipeID_DownStream_;
    const double beta = i_FtgPara1_;
    const double beta4 = std::pow(beta, 4);
    switch (ftgNo_) {
        case Reducer: {
            // Conical contraction; K referred to the inlet, the larger pipe.
            const auto b = static_cast<float>(D2 / D1);
            const auto theta = static_cast<float>(includedAngle(D1, D2, i_FtgPara1_));
            K = theta > 45 ? pipe_.KContractionSudden(b, theta)
                           : pipe_.KContractionGradual(b, theta);
            return pipe_.dPDarcyK(static_cast<float>(K), i_MFlow_, i_PipeID_, i_SVOLin_);
        }
        case Increaser: {
            // Conical enlargement; K is referred to the larger pipe, which is the outlet here, so
            // the drop is taken with the downstream diameter.
            const auto b = static_cast<float>(D1 / D2);
            const auto theta = static_cast<float>(includedAngle(D2, D1, i_FtgPara1_));
            K = theta > 45 ? pipe_.KEnlargementSudden(b) : pipe_.KEnlargementGradual(b, theta);
            return pipe_.dPDarcyK(static_cast<float>(K), i_MFlow_, i_PipeID_DownStream_, i_SVOLin_);
        }
        case UserDefinedFitting_dP: {
            // The shortest text of a single reads back to the same single, so the K of the
            // entered drop is found from the drop itself.
            K = pipe_.KfordP(i_FtgPara1_, i_MFlow_, i_PipeID_, i_SVOLin_);
            return i_FtgPara1_;
        }
        case Orifice:
        case Nozzle_Venturi: {
            if (!liquid_) {
                const float drop = ftgNo_ == Orifice
                                       ? pipe_.OrificeGasdP(i_MFlow_, i_PRin_, i_PipeID_, i_SVOLin_,
                                                            i_FtgPara1_, i_Isen_exp_k_)
                                       : pipe_.NozzleGasdP(i_MFlow_, i_PRin_, i_PipeID_, i_SVOLin_,
                                                           i_FtgPara1_, i_Isen_exp_k_);
                K = pipe_.KfordP(drop, i_MFlow_, i_PipeID_, i_SVOLin_);
                return drop;
            }
            if (ftgNo_ == Orifice) {
                // Pipe-tap discharge coefficient of a thin-plate orifice.
                const double C =
                    0.58925 + 0.2725 * beta - 0.825 * beta * beta + 1.758 * std::pow(beta, 3);
                K = 1 / (C * C) / beta4;
            } else {
                const double C = pipe::checkedDivide(0.98, pipe::checkedSqrt(1 - beta4));
                // Unrecovered share of the nozzle differential.
                double R = 1.09 - 0.734 * beta - 0.333 * beta * beta;
                if (R > 1) R = 1;
                if (R < 0) R = 0;
                K = R / (C * C) / beta4;
            }
            return pipe_.dPDarcyK(pipe::toSingle(K), i_MFlow_, i_PipeID_, i_SVOLin_);
        }
        default:
            break;
    }
    K = pipe_.FtgK(ftgNo_, i_FtgPara1_, i_FtgPara2_, fT, i_PipeID_);
    const FittingKind* kind = findFitting(ftgNo_);
    if (kind != nullptr && kind->rule == FittingRule::Strainer) {
        return pipe_.dPStrainer(static_cast<float>(K), i_MFlow_, i_PipeID_, i_SVOLin_, i_ViscoXin_);
    }
    return pipe_.dPDarcyK(static_cast<float>(K), i_MFlow_, i_PipeID_, i_SVOLin_);
}

}  // namespace tw

// Resistance coefficient K of a catalogue fitting, by the rule of its catalogue row.

#include <cmath>

#include "PipeMath.h"
#include "tw/AutomationError.h"
#include "tw/Fittings.h"
#include "tw/Pipe.h"

namespace tw {

float Pipe::FtgK(std::int32_t FtgNo, float Para1, float& Para2, float fT, float PipeID) const {
    pipe::requireFinite(Para1, Para2, fT, PipeID);
    const float D = unit_.CvtPDia(uPDia(), ktounit_mm_PDia, PipeID);
    const FittingKind* kind = findFitting(FtgNo);
    if (kind == nullptr) return 0;
    if (checksBeta(kind->rule) && betaRefused(Para1)) return 0;

    const double k1 = kind->k[0];
    const double beta = Para1;
    const double beta4 = std::pow(beta, 4);
    double K = 0;
    switch (kind->rule) {
        case FittingRule::Special:
        case FittingRule::Meter:
            return 0;
        case FittingRule::Multiple:
            K = k1 * fT;
            break;
        case FittingRule::Fixed:
            K = k1;
            break;
        case FittingRule::UserK:
            K = Para1;
            break;
        case FittingRule::BetaGate: {
            // Reduced-seat gate and ball valves: the taper angle Para2 chooses the gradual or the
            // sudden contraction and enlargement.
            if (Para1 == 1.0f) {
                K = k1 * fT;
                break;
            }
            const float theta = Para2;
            K = k1 * fT / beta4;
            if (theta <= 45) {
                K += KContractionGradual(Para1, theta) + KEnlargementGradual(Para1, theta);
            } else {
                K += KContractionSudden(Para1, theta) + KEnlargementSudden(Para1);
            }
            break;
        }
        case FittingRule::BetaSeat:
        case FittingRule::BetaSeatPlug: {
            // Reduced seat of globe, angle, lift and stop-check valves (seat terms weighted by
            // beta) and of plug valves, always with a sudden change of section.
            if (Para1 == 1.0f) {
                K = k1 * fT;
                break;
            }
            const double B = kind->rule == FittingRule::BetaSeat ? beta : 1.0;
            K = k1 * fT / beta4 + B * (static_cast<double>(KContractionSudden(Para1, 180)) +
                                       KEnlargementSudden(Para1));
            break;
        }
        case FittingRule::DiameterClasses: {
            const std::size_t diameterClass = D <= 200 ? 0 : D <= 350 ? 1 : 2;
            K = kind->k[diameterClass] * fT;
            break;
        }
        case FittingRule::Bend: {
            // n 90o bends in series: the first counts in full, each further one adds its length
            // (0.785 = pi/4 times the radius ratio m) and half its own resistance.
            const double K1 = k1 * fT;
            const double n = Para1;
            K = (n - 1) * (0.785 * kind->m * fT + 0.5 * K1) + K1;
            break;
        }
        case FittingRule::Strainer: {
            // Screen parameter Para1 and the clogged percentage Para2 of the screen, held below
            // 100 so that some open area remains.
            const double p1 = Para1;
            double G = 0;
            if (p1 < 20) {
                G = 1.1;
            } else if (p1 > 120) {
                G = 1.8;
            } else {
                G = -0.00000125 * p1 * p1 * p1 + 0.0002417 * p1 * p1 - 0.0053 * p1 + 1.12;
            }
            if (Para2 >= 100) Para2 = 99;
            const double open = 1 - static_cast<double>(Para2) / 100;
            K = k1 * 4.627 * G / (open * open);
            break;
        }
    }
    return pipe::toSingle(K);
}

}  // namespace tw

#pragma once
// The searches of the gas nozzle and the gas orifice for their meter differential, in the
// calculation units (kg/cm2 a, kg/cm2, kg/hr, mm, m3/kg).
//
// Both try the differentials 0.001, 0.002, ... kg/cm2 as a single-precision variable
// accumulates them, and the drop they return is such an accumulated step. Instead of walking
// every step, they bisect over the steps: a tap set's flow rises with the differential to one
// peak and falls after it, and a nozzle's mass flux rises to the critical pressure ratio and
// falls after it, so the conditions the searches look for hold over one block of steps.

#include <cstddef>
#include <cstdint>

namespace tw::pipe {

// The differentials 0, 0.001f, 0.001f + 0.001f, ... as a float adds the step 0.001f to itself,
// rounding every addition; the k-th of them is found without adding k times. A search keeps one
// of these so that lookups near the last one are quick.
class DifferentialSteps {
  public:
    // The k-th accumulated differential (0 for k = 0), for differentials up to kLimit.
    float at(std::int64_t k);
    // How many of the differentials (the zero one included) are not larger than `limit`
    // (0 <= limit <= kLimit).
    static std::int64_t countUpTo(float limit);

    static constexpr float kLimit = 2048.0f;  // kg/cm2, beyond any inlet pressure searched

  private:
    std::size_t run_ = 0;  // the run of equal increments that held the last step looked up
};

// Flow of a flow nozzle or an orifice: W = 1.265 d^2 C Y sqrt(dp / 1.01972 / v) with W in kg/hr,
// the bore d in mm, dp in kg/cm2 (1.01972 kg/cm2 to the bar) and v in m3/kg. A result that is
// not a number raises the automation error of its fault.
double meterFlow(double boreMm, double C, double Y, double dp, double v);

// What the nozzle search finds. The drop is the last step whose flow did not exceed the given
// flow, up to the critical step; the critical values are those of the step where the mass flux
// stopped rising (of the last step when it never did; ratio and expansion 1 when the inlet
// pressure is below the first step).
struct NozzleSearch {
    float lastDrop = 0;
    double criticalRatio = 1;
    double criticalExpansion = 1;
    double criticalDrop = 0;
    double criticalFlow = 0;
};
NozzleSearch searchNozzle(float inletPressure, float flow, float pipeID, double specificVolume,
                          float beta, float kappa);

// What the orifice search finds. When the flange-tap flow exceeds the given flow at some step,
// the drop is the pipe-tap set's last step below it, or the flange-tap set's when the pipe taps
// never pass the flow. Otherwise the flow cannot pass even at absolute zero throat pressure, and
// the flange-tap expansion factor and flow of the last step tell how far it is.
struct OrificeSearch {
    bool passes = false;
    float drop = 0;
    double throatExpansion = 0;
    double throatFlow = 0;
};
OrificeSearch searchOrifice(float inletPressure, float flow, float pipeID, double specificVolume,
                            float beta, float kappa);

}  // namespace tw::pipe

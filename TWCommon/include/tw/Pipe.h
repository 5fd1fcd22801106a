#pragma once
// Pipe: single-phase pipe-flow formulas. Arguments arrive in the units chosen on the object,
// are converted to the calculation units (kg/hr, m3/hr, mm, m, m3/kg, cP, kg/cm2 a, kg/cm2,
// m/s) through the object's own Unit, and results go back in the chosen units. Refused
// arguments are reported through the message sink and give 0; floating-point faults raise
// tw::AutomationError.

#include <cstdint>
#include <string>

#include "tw/Fittings.h"
#include "tw/Language.h"
#include "tw/Unit.h"

namespace tw {

// The quantities whose units a Pipe (and the pressure-drop calculator) keeps.
#define TW_FOR_EACH_PIPE_UNIT(X) \
    X(PDia) X(MFlow) X(Visco) X(ViscoX) X(Len) X(VFlow) X(PR) X(SVOL) X(Vel)

class Pipe {
  public:
    Pipe() = default;

    // uQ / setuQ (error 9 outside the unit list) and the label sQ of the chosen unit.
#define TW_PIPE_UNIT_MEMBERS(Key)      \
    enm##Key u##Key() const noexcept { \
        return unit_.u##Key();         \
    }                                  \
    void setu##Key(int index) {        \
        unit_.setu##Key(index);        \
    }                                  \
    std::string s##Key() const {       \
        return unit_.s##Key();         \
    }
    TW_FOR_EACH_PIPE_UNIT(TW_PIPE_UNIT_MEMBERS)
#undef TW_PIPE_UNIT_MEMBERS

    enmLanguage TW_Language() const noexcept {
        return language_;
    }
    void setTW_Language(std::int32_t language) noexcept {
        language_ = static_cast<enmLanguage>(language);
    }

    // Darcy friction factor: laminar 64/Re, Colebrook above. A Reynolds number in the
    // transition region (2000, 4000) is replaced by 2000 in the caller's variable.
    float f(float PipeID, float AbsRoughness, float& ReynoldNo) const;
    float ReynoldNo(float MFlow, float PipeID, float Visco) const;
    // Fully turbulent friction factor (Colebrook at Re = 10^8).
    float fT(float PipeID, float AbsRoughness) const;
    // Head loss in uLen.
    float dHDarcyf(float f, float VFlow, float EqvLength, float PipeID) const;
    float dHDarcyK(float k, float VFlow, float PipeID) const;
    // Pressure drop in uPR (as a difference).
    float dPDarcyf(float f, float MFlow, float EqvLength, float PipeID, float SVOL) const;
    float dPDarcyK(float k, float MFlow, float PipeID, float SVOL) const;
    float dPStrainer(float k, float MFlow, float PipeID, float SVOL, float ViscoX) const;
    // Resistance coefficient from a pressure drop (uPR) or a head loss (uLen).
    float KfordP(float dP, float MFlow, float PipeID, float SVOL) const;
    float KfordH(float dH, float VFlow, float PipeID) const;
    float VelPipe(float MFlow, float PipeID, float SVOL) const;
    // Static pressure difference of an elevation difference (positive when the outlet is higher).
    float dPElevDiff(float ElevDiff, float SVOL) const;
    // Permanent pressure drop of a gas through a flow nozzle or a thin-plate orifice; -1 when
    // the flow cannot pass even at the critical (nozzle) or zero (orifice) throat pressure.
    float NozzleGasdP(float MFlow, float PRin, float PipeID, float SVOLin, float Beta,
                      float Isentropic_exponent_k) const;
    float OrificeGasdP(float MFlow, float PRin, float PipeID, float SVOLin, float Beta,
                       float Isentropic_exponent_k) const;

    // K of a catalogue fitting. PipeID (uPDia) serves the diameter classes only; a strainer
    // percentage Para2 of 100 or more is set to 99 in the caller's variable.
    float FtgK(std::int32_t FtgNo, float Para1, float& Para2, float fT, float PipeID) const;

    // Crane-type reduced-seat terms (beta = small / large diameter, theta the included angle
    // in degrees), referred to the larger pipe. Each gives 0 after the beta message when
    // beta <= 0.
    float KContractionGradual(float beta, float theta) const;
    float KContractionSudden(float beta, float theta) const;
    float KEnlargementGradual(float beta, float theta) const;
    float KEnlargementSudden(float beta) const;

    // Highest inlet pressure (kg/cm2 a) the gas searches accept: the 0.001 kg/cm2 step of their
    // single-precision loop stays true well beyond it.
    static constexpr float kMaxGasInletPressure = 1000.0f;

  private:
    bool betaRefused(float beta) const;

    Unit unit_;
    enmLanguage language_ = TW_Korean;
};

}  // namespace tw

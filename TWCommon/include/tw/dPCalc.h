#pragma once
// dPCalc: pressure drops of one run of straight pipe and of one group of identical fittings,
// with the intermediate quantities an engineer reports. The client fills the i_ fields (in the
// calculator's units), calls fun_dPPipe and/or fun_dPFtgT and reads the results. The formulas
// are those of an owned Pipe, which keeps its own language (Korean) for the messages raised
// inside them.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "tw/Fittings.h"
#include "tw/Language.h"
#include "tw/Pipe.h"

namespace tw {

// The single-precision input fields, 0 at creation.
#define TW_FOR_EACH_DPCALC_INPUT(X)                                                               \
    X(i_InNorth)                                                                                  \
    X(i_InEast)                                                                                   \
    X(i_InUp) X(i_OutNorth) X(i_OutEast) X(i_OutUp) X(i_MFlow) X(i_PipeID) X(i_PipeID_DownStream) \
        X(i_AbsRough) X(i_SVOLin) X(i_Viscoin) X(i_ViscoXin) X(i_PRin) X(i_Isen_exp_k)            \
            X(i_FtgPara1) X(i_FtgPara2)

class dPCalc {
  public:
    dPCalc() = default;

#define TW_DPCALC_INPUT_MEMBERS(Name)      \
    float Name() const noexcept {          \
        return Name##_;                    \
    }                                      \
    void set##Name(float value) noexcept { \
        Name##_ = value;                   \
    }
    TW_FOR_EACH_DPCALC_INPUT(TW_DPCALC_INPUT_MEMBERS)
#undef TW_DPCALC_INPUT_MEMBERS

    // True for a liquid, false (the value at creation) for a gas.
    bool i_Liquid() const noexcept {
        return liquid_;
    }
    void seti_Liquid(bool liquid) noexcept {
        liquid_ = liquid;
    }
    enmVF i_FtgNo() const noexcept {
        return ftgNo_;
    }
    void seti_FtgNo(std::int32_t kind) noexcept {
        ftgNo_ = static_cast<enmVF>(kind);
    }
    std::int16_t i_FtgQty() const noexcept {
        return ftgQty_;
    }
    void seti_FtgQty(std::int16_t quantity) noexcept {
        ftgQty_ = quantity;
    }

    // Units: setting one sets the same unit on the owned Pipe (error 9 outside the list).
#define TW_DPCALC_UNIT_MEMBERS(Key)    \
    enm##Key u##Key() const noexcept { \
        return pipe_.u##Key();         \
    }                                  \
    void setu##Key(int index) {        \
        pipe_.setu##Key(index);        \
    }                                  \
    std::string s##Key() const {       \
        return pipe_.s##Key();         \
    }
    TW_FOR_EACH_PIPE_UNIT(TW_DPCALC_UNIT_MEMBERS)
#undef TW_DPCALC_UNIT_MEMBERS

    // Language of the calculator's own messages; the owned Pipe keeps Korean.
    enmLanguage TW_Language() const noexcept {
        return language_;
    }
    void setTW_Language(std::int32_t language) noexcept {
        language_ = static_cast<enmLanguage>(language);
    }

    // Results of fun_dPPipe.
    float PipeRe() const noexcept {
        return pipeRe_;
    }
    float Pipef() const noexcept {
        return pipef_;
    }
    float PipeVel() const noexcept {
        return pipeVel_;
    }
    float PipeLen() const noexcept {
        return pipeLen_;
    }
    float PipeLenK() const noexcept {
        return pipeLenK_;
    }
    float PipeElevDiff() const noexcept {
        return pipeElevDiff_;
    }
    float PipeLendP() const noexcept {
        return pipeLendP_;
    }
    float PipeElevDiffdP() const noexcept {
        return pipeElevDiffdP_;
    }
    // Results of fun_dPFtgT, and the fully turbulent friction factor of either, as the shortest
    // decimal texts of their single-precision values.
    std::string FittingK() const;
    std::string FittingKT() const;
    std::string dPFtg() const;
    std::string PipefT() const;

    // Drop of the straight run (friction plus static head), uPR.
    float fun_dPPipe();
    // Drop of the whole fitting group, i_FtgQty times the drop per fitting, uPR.
    float fun_dPFtgT();

    // Display name of a fitting kind; error 9 outside 0..47.
    std::string strVF(std::int32_t indexVF) const;
    // The 48 display names in enmVF order.
    static const std::array<std::string_view, kFittingCount>& FittingNames();

  private:
    bool refused(bool condition, const BilingualText& message) const;
    float fittingDrop(double& K, float fT);

#define TW_DPCALC_INPUT_FIELD(Name) float Name##_ = 0;
    TW_FOR_EACH_DPCALC_INPUT(TW_DPCALC_INPUT_FIELD)
#undef TW_DPCALC_INPUT_FIELD
    bool liquid_ = false;
    enmVF ftgNo_ = Reducer;
    std::int16_t ftgQty_ = 0;
    enmLanguage language_ = TW_Korean;

    float pipeRe_ = 0, pipef_ = 0, pipeVel_ = 0, pipeLen_ = 0, pipeLenK_ = 0;
    float pipeElevDiff_ = 0, pipeLendP_ = 0, pipeElevDiffdP_ = 0;
    float fittingK_ = 0, fittingKT_ = 0, dPFtg_ = 0, fT_ = 0;

    Pipe pipe_;
};

}  // namespace tw

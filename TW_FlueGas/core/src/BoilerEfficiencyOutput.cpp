// The result lines of the boiler efficiency as every front end shows them.

#include "BoilerEfficiency.h"

namespace tw::fluegas {

const std::array<EfficiencyResultLine, kEfficiencyResultLineCount>& efficiencyResultLines() {
    using R = const EfficiencyResult&;
    static const std::array<EfficiencyResultLine, kEfficiencyResultLineCount> kLines{{
        {{"총효율 (고위발열량 기준)", "Gross efficiency (HHV)"},
         {"%", "%"},
         2,
         [](R r) -> std::optional<double> { return r.efficiencyHhvPercent; }},
        {{"순효율 (저위발열량 기준)", "Net efficiency (LHV)"},
         {"%", "%"},
         2,
         [](R r) -> std::optional<double> { return r.efficiencyLhvPercent; }},
        {{"배기가스 손실 (고위발열량 기준)", "Stack loss (HHV)"},
         {"%", "%"},
         2,
         [](R r) -> std::optional<double> { return r.stackLossHhvPercent; }},
        {{"분석계 식의 배기가스 손실", "Stack loss by the analyser formula"},
         {"%", "%"},
         2,
         [](R r) { return r.analyserStackLossPercent; }},
        {{"연소 공기 열 (고위발열량의 %)", "Credit of the combustion air (% of HHV)"},
         {"%", "%"},
         2,
         [](R r) -> std::optional<double> { return r.combustionAirCreditPercentOfHhv; }},
        {{"건가스 O2", "O2 in the dry flue gas"},
         {"Vol %", "vol %"},
         2,
         [](R r) -> std::optional<double> { return r.o2DryPercent; }},
        {{"과잉 공기", "Excess air"},
         {"%", "%"},
         1,
         [](R r) -> std::optional<double> { return r.excessAirPercent; }},
        {{"산 이슬점 (Okkes)", "Acid dew point (Okkes)"},
         {"oC", "oC"},
         1,
         [](R r) { return r.okkesDewPointC; }},
        {{"산 이슬점 (Verhoff)", "Acid dew point (Verhoff)"},
         {"oC", "oC"},
         1,
         [](R r) { return r.verhoffDewPointC; }},
        {{"수분 이슬점", "Water dew point"}, {"oC", "oC"}, 1, [](R r) { return r.waterDewPointC; }},
        {{"산 이슬점 여유", "Margin above the acid dew point"},
         {"K", "K"},
         1,
         [](R r) { return r.acidDewPointMarginK; }},
        {{"입열량 (연료 유량 x 고위발열량)", "Heat input (fuel flow x HHV)"},
         {"kW", "kW"},
         1,
         [](R r) { return r.heatInputKW; }},
        {{"배기가스 유량", "Flue gas flow"},
         {"kg/h", "kg/h"},
         1,
         [](R r) { return r.flueGasKgPerH; }},
        {{"배기가스 유량 (배기가스 온도, 101.325 kPa)", "Flue gas flow (stack, 101.325 kPa)"},
         {"m3/h", "m3/h"},
         1,
         [](R r) { return r.flueGasM3PerHAtStack; }},
    }};
    return kLines;
}

}  // namespace tw::fluegas

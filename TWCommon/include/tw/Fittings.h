#pragma once
// The fittings catalogue: 48 valve, bend, tee, entrance, exit, meter and strainer kinds, each
// with its display name and its rule for the resistance coefficient K (Crane-type method: K as
// a multiple of the fully turbulent friction factor fT of the connecting pipe, or a fixed
// number, with the reduced-seat terms for valves whose seat is smaller than the pipe).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tw {

// How the K of a kind is found. Multipliers k1, k2, k3 and the extra number m of a catalogue
// row mean:
enum class FittingRule {
    Special,          // reducer, increaser, user drop: handled by the pressure-drop calculator
    Meter,            // orifice, nozzle/venturi: Para1 = beta is checked, K from the calculator
    Multiple,         // K = k1 fT
    Fixed,            // K = k1
    BetaGate,         // K = k1 fT, reduced seat by the gradual or sudden terms at angle Para2
    BetaSeat,         // K = k1 fT, reduced seat at 180 degrees, seat terms times beta
    BetaSeatPlug,     // as BetaSeat, seat terms not multiplied by beta (plug valves)
    DiameterClasses,  // k1 fT up to 200 mm, k2 fT up to 350 mm, k3 fT above
    Bend,             // n bends of k1 fT each with the bend length factor m
    UserK,            // K = Para1
    Strainer,         // screen rule with the kind factor F = k1
};

// X(Name, DisplayName, Rule, k1, k2, k3, m) in enmVF order.
#define TW_FOR_EACH_FITTING(X)                                                                    \
    X(Reducer, "Reducer", Special, 0, 0, 0, 0)                                                    \
    X(Increaser, "Increaser", Special, 0, 0, 0, 0)                                                \
    X(Gate, "Gate V/V", BetaGate, 8, 0, 0, 0)                                                     \
    X(Globe_Std, "Globe V/V - Standard", BetaSeat, 340, 0, 0, 0)                                  \
    X(Globe_Y, "Globe V/V - Y type", BetaSeat, 55, 0, 0, 0)                                       \
    X(Angle_Std, "Angle V/V - Standard", BetaSeat, 150, 0, 0, 0)                                  \
    X(Angle_Y, "Angle V/V - Y type", BetaSeat, 55, 0, 0, 0)                                       \
    X(Swing_Check_Std, "Swing Check - Standard", Multiple, 50, 0, 0, 0)                           \
    X(Swing_Check_Y, "Swing Check - Y type", Multiple, 100, 0, 0, 0)                              \
    X(Lift_Check_Std, "Lift Check - Standard", BetaSeat, 600, 0, 0, 0)                            \
    X(Lift_Check_Y, "Lift Check - Y type", BetaSeat, 55, 0, 0, 0)                                 \
    X(Tilting_Check_5deg, "Tilting Check - 5 deg", DiameterClasses, 40, 30, 20, 0)                \
    X(Tilting_Check_15deg, "Tilting Check - 15 deg", DiameterClasses, 120, 90, 60, 0)             \
    X(Stop_Check_Globe, "Stop Check - Globe", BetaSeat, 400, 0, 0, 0)                             \
    X(Stop_Check_Angle, "Stop Check - Angle", BetaSeat, 200, 0, 0, 0)                             \
    X(Stop_Check_Cage_Incl_Stem_Globe, "Stop-Check Valve(Cage-Guided Incl-Stem Globe)", BetaSeat, \
      300, 0, 0, 0)                                                                               \
    X(Stop_Check_Cage_Incl_Stem_Angle, "Stop-Check Valve(Cage-Guided Incl-Stem Angle)", BetaSeat, \
      350, 0, 0, 0)                                                                               \
    X(Stop_Check_NonCage_Incl_Stem_Globe, "Stop-Check Valve(Non-Cage Incl-Stem Globe)", BetaSeat, \
      55, 0, 0, 0)                                                                                \
    X(Stop_Check_NonCage_Incl_Stem_Angle, "Stop-Check Valve(Non-Cage Incl-Stem Angle)", BetaSeat, \
      55, 0, 0, 0)                                                                                \
    X(FootVV_Poppet, "Foot V/V - Poppet Disc", Multiple, 420, 0, 0, 0)                            \
    X(FootVV_Hinged, "Foot V/V - Hinged Disc", Multiple, 75, 0, 0, 0)                             \
    X(Ball, "Ball Valve", BetaGate, 3, 0, 0, 0)                                                   \
    X(Butterfly, "Butterfly Valve", DiameterClasses, 45, 35, 25, 0)                               \
    X(Plug_StraightWay, "Plug V/V Straight Way", BetaSeatPlug, 18, 0, 0, 0)                       \
    X(Plug_3Way_Thrurun, "Plug V/V 3-Way Thru-run", BetaSeatPlug, 30, 0, 0, 0)                    \
    X(Plug_3Way_Thrubranch, "Plug V/V 3-Way Thru-branch", BetaSeatPlug, 90, 0, 0, 0)              \
    X(Mitre_15o, "Mitre Bend(15o)", Multiple, 4, 0, 0, 0)                                         \
    X(Mitre_45o, "Mitre Bend(45o)", Multiple, 15, 0, 0, 0)                                        \
    X(Mitre_90o, "Mitre Bend(90o)", Multiple, 60, 0, 0, 0)                                        \
    X(Bend_ShortRadius, "90o Bend/Elbow r/d = 1", Bend, 20, 0, 0, 1)                              \
    X(Bend_LongRadius, "90o Bend/Elbow r/d = 1.5", Bend, 18, 0, 0, 1.5)                           \
    X(Bend_5d, "90o Bend/Elbow r/d = 5", Bend, 16, 0, 0, 2)                                       \
    X(Threaded_ReturnBend, "Threaded Return Bend", Multiple, 50, 0, 0, 0)                         \
    X(Threaded_Elbow_90o, "Threaded Elbow (90o)", Multiple, 30, 0, 0, 0)                          \
    X(Threaded_Elbow_45o, "Threaded Elbow (45o)", Multiple, 16, 0, 0, 0)                          \
    X(Threaded_Tee_Thruflow, "Threaded Tee Thru flow", Multiple, 20, 0, 0, 0)                     \
    X(Threaded_Tee_Branchflow, "Threaded Tee Branch flow", Multiple, 60, 0, 0, 0)                 \
    X(Pipe_Entrance_Sharpedge, "Pipe Entrance Sharp-edge", Fixed, 0.5, 0, 0, 0)                   \
    X(Pipe_Entrance_Flushed, "Pipe Entrance Flushed", Fixed, 0.04, 0, 0, 0)                       \
    X(Pipe_Entrance_InwardProj, "Pipe Entrance Inward Proj", Fixed, 0.78, 0, 0, 0)                \
    X(Pipe_Exit, "Pipe Exit", Fixed, 1.0, 0, 0, 0)                                                \
    X(UserDefinedFitting_K, "User Defined Fitting (K)", UserK, 0, 0, 0, 0)                        \
    X(UserDefinedFitting_dP, "User Defined Fitting (dP)", Special, 0, 0, 0, 0)                    \
    X(Orifice, "Orifice", Meter, 0, 0, 0, 0)                                                      \
    X(Nozzle_Venturi, "Nozzle/Venturi", Meter, 0, 0, 0, 0)                                        \
    X(Basket_Y_type_Strainer, "Basket or Y-type Strainer", Strainer, 0.7, 0, 0, 0)                \
    X(T_type_Strainer, "T-type Strainer", Strainer, 0.85, 0, 0, 0)                                \
    X(Cone_type_Strainer, "Cone-type Strainer", Strainer, 1.0, 0, 0, 0)

// The fitting kinds; the values are the catalogue indexes.
enum enmVF : std::int32_t {
#define TW_FITTING_ENUM(Name, Display, Rule, K1, K2, K3, M) Name,
    TW_FOR_EACH_FITTING(TW_FITTING_ENUM)
#undef TW_FITTING_ENUM
};

struct FittingKind {
    enmVF value;
    const char* name;         // the enmVF constant
    const char* displayName;  // the text of strVF
    FittingRule rule;
    std::array<double, 3> k;  // multipliers (or fixed K, or strainer factor F in k[0])
    double m;                 // bend length factor
};

inline constexpr std::array<FittingKind, 48> kFittingCatalogue{{
#define TW_FITTING_ROW(Name, Display, Rule, K1, K2, K3, M) \
    {Name, #Name, Display, FittingRule::Rule, {K1, K2, K3}, M},
    TW_FOR_EACH_FITTING(TW_FITTING_ROW)
#undef TW_FITTING_ROW
}};
inline constexpr int kFittingCount = static_cast<int>(kFittingCatalogue.size());

// The catalogue row of a kind, none for a value outside 0..47.
inline const FittingKind* findFitting(std::int32_t kind) noexcept {
    return kind >= 0 && kind < kFittingCount ? &kFittingCatalogue[static_cast<std::size_t>(kind)]
                                             : nullptr;
}
// A kind by its enmVF constant name ("Globe_Std").
inline std::optional<enmVF> findFittingByName(std::string_view name) noexcept {
    for (const FittingKind& f : kFittingCatalogue) {
        if (name == f.name) return f.value;
    }
    return std::nullopt;
}
// Kinds whose Para1 is a seat or bore diameter ratio that must be positive.
constexpr bool checksBeta(FittingRule rule) noexcept {
    return rule == FittingRule::BetaGate || rule == FittingRule::BetaSeat ||
           rule == FittingRule::BetaSeatPlug || rule == FittingRule::Meter;
}

}  // namespace tw

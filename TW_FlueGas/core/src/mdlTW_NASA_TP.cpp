#include "mdlTW_NASA_TP.h"

#include <cmath>
#include <string>

#include "FlueGasInternal.h"
#include "tw/Format.h"

namespace tw {

thread_local NasaProperties NasaResult;
thread_local std::array<SpeciesPropertyValues, kGasComponentCount> SpeciesProperties{};

namespace {

constexpr double kRefused = -999999999.0;
constexpr int kKelvin = ktounit_degK;
constexpr int kKJperKg = ktounit_kJperkg;
constexpr int kKJperKgK = ktounit_kJperkgK;

constexpr NasaProperties kRefusedResult{kRefused, kRefused, kRefused};

NasaProperties refuse(std::string_view name, std::string_view limitText, float limit) {
    showMessage("The temperature for " + std::string(name) + " calculation should be " +
                    std::string(limitText) + generalNumber(limit) + " oK.",
                "Function NASA_TP");
    return kRefusedResult;
}

// What NASA_TP leaves in NasaResult. The callers store it: a thread-local variable of a shared
// library costs a call each time it is named, so a loop names it once.
template <class Name>
NasaProperties evaluate(Name name, const NasaTemperature& T, double M,
                        std::span<const float> breakpoints,
                        std::span<const NasaInterval> intervals);

// The conversions of a species' properties from the NASA Glenn units into the Unit's.
struct PropertyUnits {
    explicit PropertyUnits(const Unit& unit)
        : entropy(QuantityId::ENTRO, kKJperKgK, unit.uENTRO()),
          enthalpy(QuantityId::ENTH, kKJperKg, unit.uENTH()) {}
    units::Conversion entropy;  // and heat capacity
    units::Conversion enthalpy;
};

// NASA_TP's cp, h and s in the Unit's units.
SpeciesPropertyValues inUnits(const NasaProperties& result, const PropertyUnits& into) {
    SpeciesPropertyValues out;
    out.cp = into.entropy(detail::single(result.cp));
    out.h = into.enthalpy(detail::single(result.h));
    out.s = into.entropy(detail::single(result.s));
    return out;
}

// The species routine shared by all seven: T in the Unit's temperature unit.
void speciesProperties(GasComponent species, const Unit& unit, float T) {
    // A temperature that is not a number goes on as it is and is refused by NASA_TP.
    const double tK = std::isfinite(T) ? unit.CvtTP(unit.uTP(), kKelvin, T) : T;
    const NasaSpeciesTable& table = nasaGlennSpecies()[index(species)];
    NasaProperties& result = NasaResult;
    result = evaluate(table.name, NasaTemperature(tK), table.M, table.breakpoints, table.intervals);
    SpeciesProperties[index(species)] = inUnits(result, PropertyUnits(unit));
}

inline NasaProperties polynomials(const NasaInterval& c, const NasaTemperature& t, double M) {
    const auto& a = c.a;
    const double T = t.T;
    const double inv = t.inverse;
    // cp/R and H/R as nasaCpOverR and nasaHOverR; eq. 6 in Horner form:
    //   S/R  = -a1 T^-2/2 - a2 T^-1 + a3 ln T + a4 T + a5 T^2/2 + a6 T^3/3 + a7 T^4/4 + b2
    // Molar values times R, then per kg.
    const double cpR = nasaCpOverR(c, t);
    const double hR = nasaHOverR(c, t);
    const double sR = -(a[0] * inv / 2 + a[1]) * inv + a[2] * t.lnT + c.b[1] +
                      T * (a[3] + T * (a[4] / 2 + T * (a[5] / 3 + T * a[6] / 4)));
    return {kNasaGasConstant * cpR / M, kNasaGasConstant * hR / M, kNasaGasConstant * sR / M};
}

}  // namespace

NasaProperties nasaPolynomials(const NasaInterval& c, const NasaTemperature& t, double M) {
    return polynomials(c, t, M);
}

NasaProperties nasaPolynomials(const NasaInterval& c, double T, double M) {
    return polynomials(c, NasaTemperature(T), M);
}

namespace {

// NASA_TP at a temperature whose ln T and 1/T are worked out already. The name (a text or a
// species table's C string) is looked at only for a message.
template <class Name>
NasaProperties evaluate(Name name, const NasaTemperature& T, double M,
                        std::span<const float> breakpoints,
                        std::span<const NasaInterval> intervals) {
    if (breakpoints.size() < 2 || intervals.size() + 1 != breakpoints.size()) {
        return kRefusedResult;
    }
    const float t = detail::single(T.T);
    // Written so that a temperature that is not a number is refused as well.
    if (!(t >= breakpoints.front())) return refuse(name, "higher than ", breakpoints.front());
    if (!(t <= breakpoints.back())) return refuse(name, "lower than ", breakpoints.back());
    std::size_t interval = 0;
    for (std::size_t i = 1; i + 1 < breakpoints.size(); ++i) {
        if (t > breakpoints[i]) ++interval;
    }
    return polynomials(intervals[interval], T, M);
}

}  // namespace

void NASA_TP(std::string_view name, double T, double M, std::span<const float> breakpoints,
             std::span<const NasaInterval> intervals) {
    NasaResult = evaluate(name, NasaTemperature(T), M, breakpoints, intervals);
}

void nasaMixtureSpecies(const Unit& unit, float tK) {
    const NasaTemperature t(tK);
    const PropertyUnits into(unit);
    // Worked out in local copies and stored once: the compiler would otherwise look the
    // thread-local variables up again at every use.
    NasaProperties result = NasaResult;
    std::array<SpeciesPropertyValues, kGasComponentCount> values = SpeciesProperties;
    const auto store = [&] {
        NasaResult = result;
        SpeciesProperties = values;
    };
    try {
        for (GasComponent species :
             {GasComponent::CO2, GasComponent::CO, GasComponent::SO2, GasComponent::H2O,
              GasComponent::Ar, GasComponent::N2, GasComponent::O2}) {
            const NasaSpeciesTable& table = nasaGlennSpecies()[index(species)];
            result = evaluate(table.name, t, table.M, table.breakpoints, table.intervals);
            values[index(species)] = inUnits(result, into);
        }
    } catch (...) {
        store();  // what the species before the failure left
        throw;
    }
    store();
}

std::array<float, kGasComponentCount> nasaMixtureEnthalpies(const Unit& unit, float tK) {
    const NasaTemperature t(tK);
    const units::Conversion enthalpy(QuantityId::ENTH, kKJperKg, unit.uENTH());
    std::array<float, kGasComponentCount> h{};
    for (std::size_t i = 0; i < h.size(); ++i) {
        const NasaSpeciesTable& table = nasaGlennSpecies()[i];
        // h of the polynomials, stored as single and converted as inUnits does.
        const double hR = nasaHOverR(nasaInterval(table, t.T), t);
        h[i] = enthalpy(detail::single(kNasaGasConstant * hR / table.M));
    }
    return h;
}

NasaProperties nasaSpeciesProperties(GasComponent species, const NasaTemperature& T) {
    const NasaSpeciesTable& table = nasaGlennSpecies()[index(species)];
    return polynomials(nasaInterval(table, T.T), T, table.M);
}

NasaProperties nasaSpeciesProperties(GasComponent species, double T) {
    const NasaSpeciesTable& table = nasaGlennSpecies()[index(species)];
    return polynomials(nasaInterval(table, T), NasaTemperature(T), table.M);
}

void NASA_CO2(const Unit& unit, float T) {
    speciesProperties(GasComponent::CO2, unit, T);
}
void NASA_CO(const Unit& unit, float T) {
    speciesProperties(GasComponent::CO, unit, T);
}
void NASA_Ar(const Unit& unit, float T) {
    speciesProperties(GasComponent::Ar, unit, T);
}
void NASA_H2O(const Unit& unit, float T) {
    speciesProperties(GasComponent::H2O, unit, T);
}
void NASA_N2(const Unit& unit, float T) {
    speciesProperties(GasComponent::N2, unit, T);
}
void NASA_O2(const Unit& unit, float T) {
    speciesProperties(GasComponent::O2, unit, T);
}
void NASA_SO2(const Unit& unit, float T) {
    speciesProperties(GasComponent::SO2, unit, T);
}

}  // namespace tw

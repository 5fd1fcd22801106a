// The gas properties in the units of the catalogue.

#include "GasPropertyUnits.h"

#include <stdexcept>

namespace tw::gasprops {

const std::array<PropertyColumn, 13> kPropertyColumns{{
    {"mole_weight",
     &GasProperties::moleWeight,
     std::nullopt,
     0,
     1,
     "kg/kmol",
     {"분자량", "Mole weight"}},
    {"density",
     &GasProperties::density,
     QuantityId::Density,
     ktounit_kgperm3,
     1,
     "",
     {"밀도", "Density"}},
    {"cp",
     &GasProperties::cp,
     QuantityId::ENTRO,
     ktounit_kJperkgK,
     1e-3,
     "",
     {"정압 비열 cp", "Specific heat cp"}},
    {"cv",
     &GasProperties::cv,
     QuantityId::ENTRO,
     ktounit_kJperkgK,
     1e-3,
     "",
     {"정적 비열 cv", "Specific heat cv"}},
    {"gamma",
     &GasProperties::gamma,
     std::nullopt,
     0,
     1,
     "",
     {"비열비 γ", "Ratio of specific heats γ"}},
    {"enthalpy",
     &GasProperties::enthalpy,
     QuantityId::ENTH,
     ktounit_kJperkg,
     1e-3,
     "",
     {"엔탈피 (25 oC 기준)", "Enthalpy (from 25 oC)"}},
    {"entropy",
     &GasProperties::entropy,
     QuantityId::ENTRO,
     ktounit_kJperkgK,
     1e-3,
     "",
     {"엔트로피", "Entropy"}},
    {"speed_of_sound_m_per_s",
     &GasProperties::speedOfSound,
     std::nullopt,
     0,
     1,
     "m/s",
     {"음속", "Speed of sound"}},
    {"viscosity",
     &GasProperties::viscosity,
     QuantityId::Visco,
     ktounit_Pasec,
     1,
     "",
     {"점도", "Viscosity"}},
    {"kinematic_viscosity_m2_per_s",
     &GasProperties::kinematicViscosity,
     std::nullopt,
     0,
     1,
     "m2/s",
     {"동점도", "Kinematic viscosity"}},
    {"thermal_conductivity",
     &GasProperties::thermalConductivity,
     QuantityId::ThCond,
     ktounit_WpermK,
     1,
     "",
     {"열전도율", "Thermal conductivity"}},
    {"thermal_diffusivity_m2_per_s",
     &GasProperties::thermalDiffusivity,
     std::nullopt,
     0,
     1,
     "m2/s",
     {"열확산율", "Thermal diffusivity"}},
    {"prandtl", &GasProperties::prandtl, std::nullopt, 0, 1, "", {"프란틀 수", "Prandtl number"}},
}};

const std::array<BilingualText, 3> kDewPointCaptions{{
    {"물 이슬점", "Water dew point"},
    {"산 이슬점 (Okkes)", "Acid dew point (Okkes)"},
    {"산 이슬점 (Verhoff, Banchero)", "Acid dew point (Verhoff and Banchero)"},
}};

const PropertyColumn& propertyColumn(std::string_view key) {
    for (const PropertyColumn& c : kPropertyColumns) {
        if (c.key == key) return c;
    }
    throw std::out_of_range("no gas property " + std::string(key));
}

int unitOf(const GasUnits& units, QuantityId q) {
    switch (q) {
        case QuantityId::TP:
            return units.uTP;
        case QuantityId::PR:
            return units.uPR;
        case QuantityId::Visco:
            return units.uVisco;
        case QuantityId::ThCond:
            return units.uThCond;
        case QuantityId::Density:
            return units.uDensity;
        case QuantityId::ENTRO:
            return units.uENTRO;
        case QuantityId::ENTH:
            return units.uENTH;
        default:
            throw std::out_of_range("not a unit of the gas properties");
    }
}

std::string unitDisplay(QuantityId q, int index) {
    return units::quantity(q).units[static_cast<std::size_t>(index)].display;
}

double propertyInUnits(const GasUnits& units, std::string_view key, double si) {
    const PropertyColumn& c = propertyColumn(key);
    if (!c.quantity) return si;
    return units::convertDouble(*c.quantity, c.siUnit, unitOf(units, *c.quantity), si * c.siScale);
}

std::string unitText(const GasUnits& units, std::string_view key) {
    const PropertyColumn& c = propertyColumn(key);
    if (!c.quantity) return std::string(c.fixedUnit);
    return unitDisplay(*c.quantity, unitOf(units, *c.quantity));
}

double kelvin(int uTP, double t) {
    return units::convertDouble(QuantityId::TP, uTP, ktounit_degK, t);
}

double fromKelvin(int uTP, double T) {
    return units::convertDouble(QuantityId::TP, ktounit_degK, uTP, T);
}

double absolutePascal(int uPR, double p) {
    return 1000.0 * units::convertDouble(QuantityId::PR, uPR, ktounit_kPaa, p);
}

double fromAbsolutePascal(int uPR, double p) {
    return units::convertDouble(QuantityId::PR, ktounit_kPaa, uPR, p / 1000.0);
}

double celsiusInUnits(int uTP, double celsius) {
    return units::convertDouble(QuantityId::TP, ktounit_degC, uTP, celsius);
}

}  // namespace tw::gasprops

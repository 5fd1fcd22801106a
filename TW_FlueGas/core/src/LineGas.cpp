#include "LineGas.h"

#include <array>
#include <variant>

#include "GasMoleWeight.h"
#include "GasProperties.h"
#include "Units.h"

namespace tw::fluegas {

void resolveLineGas(tw::line::Line& line) {
    auto* gas = std::get_if<tw::line::Gas>(&line.fluid);
    if (gas == nullptr) return;
    gas->molarMass = gasMoleWeight(gas->volumeBasis, gas->composition);
    if (gas->viscosityGiven && gas->exponentGiven) return;
    std::array<double, kGasComponentCount> percent{};
    for (std::size_t i = 0; i < percent.size(); ++i) percent[i] = gas->composition[i];
    const auto mixture = gasprops::normaliseComposition(gas->volumeBasis, percent);
    if (!mixture) return;
    const double kelvin =
        units::convertDouble(QuantityId::TP, line.units.utp, ktounit_degK, gas->temperature);
    const double pascal =
        units::convertDouble(QuantityId::PR, line.units.upr, ktounit_kPaa, gas->pressure) * 1000;
    const auto properties = gasprops::gasProperties(*mixture, kelvin, pascal);
    if (!properties) return;
    if (!gas->viscosityGiven) {
        // Pa s is 1000 cP, the first viscosity unit.
        gas->viscosity = static_cast<float>(units::convertDouble(
            QuantityId::Visco, ktounit_cP, line.units.uvisco, properties->viscosity * 1000));
    }
    if (!gas->exponentGiven) gas->isentropicExponent = static_cast<float>(properties->gamma);
}

}  // namespace tw::fluegas

#pragma once
// The mean mole weight of a gas of the seven species from its composition, without touching
// the calculator's FlueGasComposition record (so without its notices): for a gas that is not
// the calculator's case, such as the fluid of a pipe line.

#include <array>
#include <cmath>
#include <optional>

#include "mdlTW_FlueGas.h"

namespace tw::fluegas {

// kg/kmol from amounts in GasComponent order (volume or weight parts, any total); none when an
// amount is negative or not finite, or the total is not greater than 0.
inline std::optional<double> gasMoleWeight(bool isVolumeBasis,
                                           const std::array<float, kGasComponentCount>& amounts) {
    double total = 0, weighted = 0;
    for (std::size_t i = 0; i < amounts.size(); ++i) {
        const double x = amounts[i];
        if (!std::isfinite(x) || x < 0) return std::nullopt;
        total += x;
        // Volume parts: sum of x M; weight parts: sum of x / M (moles).
        weighted += isVolumeBasis ? x * kGasMolarMass[i] : x / kGasMolarMass[i];
    }
    if (!(total > 0)) return std::nullopt;
    return isVolumeBasis ? weighted / total : total / weighted;
}

}  // namespace tw::fluegas

#pragma once
// The options of twcalc fluegas as a flue gas case, for every front end of the command layer.

#include <string>
#include <utility>
#include <vector>

#include "FlueGasBatch.h"

namespace twcalc {

// The case that options of fluegas describe (name without "--", text as given); a UsageError
// naming the option when one cannot be used.
tw::fluegas::FlueGasCase flueGasCaseFromOptions(
    const std::vector<std::pair<std::string, std::string>>& options);

}  // namespace twcalc

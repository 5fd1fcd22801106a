#pragma once
// The gas properties as a section of the calculation report: the figures the gas properties
// dialog showed, with the temperature and pressure they belong to.

#include <cstdint>

#include "CalculationReport.h"
#include "GasProperties.h"
#include "GasPropertyUnits.h"

namespace tw::gasprops {

// What the dialog showed: the figures, the state and the units they were shown in.
struct GasPropertiesShown {
    GasProperties properties;
    DewPoints dewPoints;
    GasUnits units;
    double temperatureK = 0.0;
    double pressurePa = 0.0;
};

// The section "가스 물성" / "Gas properties" in `language` (Korean, or English for any other
// value): the gas temperature and pressure, then every property and the dew points ("N/A" where
// there is none), in the units they were shown in.
fluegas::ReportSection gasPropertiesReportSection(const GasPropertiesShown& shown,
                                                  std::int32_t language);

}  // namespace tw::gasprops

#pragma once
// The gas of a pipe line named by its composition: the line calculation needs its mean molar
// mass and, where the line file leaves them out, its viscosity and isentropic exponent, which
// only the program that knows the flue gas species can work out.

#include "tw/Line.h"

namespace tw::fluegas {

// Fills in what a gas fluid of `line` needs from its composition: the molar mass always; the
// viscosity (in the line's viscosity unit) and the isentropic exponent (cp/cv) at the inlet
// temperature and pressure where the file did not give them. A composition or state the gas
// properties refuse leaves them unset (and shows the message), so the line is refused.
// Other fluids are left as they are.
void resolveLineGas(tw::line::Line& line);

}  // namespace tw::fluegas

#pragma once
#include <string>

#include "Session.h"

namespace twcalc {

// One-line JSON with ": " and ", " separators; floating-point numbers with 9 significant digits,
// so that a single-precision value reads back to the same float. Non-finite numbers are null.
std::string writeJson(const Json& value);

}  // namespace twcalc

#pragma once
#include <optional>
#include <string>

#include "Session.h"

namespace twcalc {

// One-line JSON with ": " and ", " separators; numbers as jsonNumberText writes them.
std::string writeJson(const Json& value);

// A JSON number: the shortest text that reads back to the same value. A value a single holds
// exactly (the library's single-precision results, widened to double on their way into the
// JSON value) is written as the shortest text of that single ("639.0493" for 639.04931640625),
// any other as the shortest text of the double. Nothing for a value that is not finite (JSON
// null).
std::optional<std::string> jsonNumberText(double value);
// The double that the JSON text of `value` reads back to: what a front end hands its callers,
// so that a value and its JSON text agree. NaN for a value that is not finite.
double jsonNumberValue(double value);

// Empties a value from its leaves up, for a caller that is done with it. nlohmann's destructor
// first moves every child onto a stack of its own (to take any depth), which costs more than
// the values themselves for the shallow objects a single call gives.
void dismantle(Json& value);

}  // namespace twcalc

#include "tw/AutomationError.h"

#include <cmath>
#include <limits>

namespace tw {

std::string_view standardErrorDescription(int number) {
    switch (number) {
        case 5:
            return "Invalid procedure call or argument";
        case 6:
            return "Overflow";
        case 9:
            return "Subscript out of range";
        case 11:
            return "Division by zero";
        case 382:
            return "Set not supported at runtime";
        case 387:
            return "Set not permitted";
        case 32755:
            return "Cancel was selected";
        default:
            return "";
    }
}

AutomationError::AutomationError(ErrorNumber number)
    : AutomationError(static_cast<int>(number),
                      std::string(standardErrorDescription(static_cast<int>(number)))) {}

AutomationError::AutomationError(int number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

std::string AutomationError::messageText() const {
    return "Error #" + std::to_string(number_) + "\n" + description_;
}

void raiseNonFinite(double value) {
    if (std::isnan(value)) throw AutomationError(ErrorNumber::InvalidCall);
    throw AutomationError(ErrorNumber::Overflow);
}

}  // namespace tw

#pragma once
// The unit options of the pipe-flow commands: --upr, --updia, --umflow, --uvisco, --uviscox,
// --ulen, --uvflow, --usvol, --uvel, each a unit index or the unit's exact display string.

#include <array>
#include <cctype>
#include <string>

#include "Session.h"
#include "Units.h"
#include "tw/Pipe.h"

namespace twcalc {

class PipeUnitOptions {
  public:
    void addTo(CLI::App& command) {
        std::size_t i = 0;
#define TW_PIPE_UNIT_OPTION(Key) addOne(command, #Key, i++);
        TW_FOR_EACH_PIPE_UNIT(TW_PIPE_UNIT_OPTION)
#undef TW_PIPE_UNIT_OPTION
    }

    // Sets every given unit on `target` (a Pipe or a dPCalc). An index outside the list is the
    // library's error 9; a display string that names no unit is a usage error.
    template <class Target>
    void applyTo(Target& target) const {
        std::size_t i = 0;
#define TW_PIPE_UNIT_APPLY(Key)                                  \
    if (const std::string& text = values_[i++]; !text.empty()) { \
        target.setu##Key(parse(tw::QuantityId::Key, text));      \
    }
        TW_FOR_EACH_PIPE_UNIT(TW_PIPE_UNIT_APPLY)
#undef TW_PIPE_UNIT_APPLY
    }

  private:
    void addOne(CLI::App& command, const std::string& key, std::size_t slot) {
        std::string option = "--u";
        for (const char c : key)
            option += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        command.add_option(option, values_[slot], "Unit of " + key + ": index or display string");
    }

    static int parse(tw::QuantityId q, const std::string& text) {
        if (auto index = parseIndex(text)) return *index;
        if (auto index = tw::units::findUnit(q, text)) return *index;
        throw UsageError("unknown " + std::string(tw::units::quantity(q).key) + " unit '" + text +
                         "'; give an index or the exact display string (see 'twcalc units')");
    }

    std::array<std::string, 9> values_;
};

}  // namespace twcalc

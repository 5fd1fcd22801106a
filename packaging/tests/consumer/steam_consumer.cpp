// Converts a temperature and looks up the saturation pressure at 100 oC: the unit catalogue
// and the steam table files, found beside the installed library.
#include <cstdio>

#include "tw/Stable.h"
#include "tw/Unit.h"

int main() {
    const tw::Unit unit;
    std::printf("%g\n", static_cast<double>(unit.CvtTP(0, 1, 100.0f)));
    tw::Stable steam;
    steam.SSTABLE(2, 100.0f);
    std::printf("%.4f %g\n", static_cast<double>(steam.PSAT()),
                static_cast<double>(steam.StableError()));
    return 0;
}

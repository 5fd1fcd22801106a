#pragma once
// The program's icon: a flame feeding a flue duct into a stack, in the sizes of the desktop's
// icon theme, compiled into the program. Every window of the program shows it.

#include <QIcon>

namespace tw::fluegas {

QIcon applicationIcon();

}  // namespace tw::fluegas

#pragma once
// The one QApplication of a GUI test program, created on first use. It is never destroyed:
// tearing it down among the program's static destructors would run after Qt's own statics.
#include <QApplication>

namespace tw::fluegas::testing {

inline QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "fluegas_window_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace tw::fluegas::testing

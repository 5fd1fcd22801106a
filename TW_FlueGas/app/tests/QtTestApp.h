#pragma once
// The one QApplication of a GUI test program, created on first use.
#include <QApplication>

namespace tw::fluegas::testing {

inline QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "fluegas_window_test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

}  // namespace tw::fluegas::testing

// TW_FlueGas: the flue gas calculator window.
#include <QApplication>

#include "ApplicationIcon.h"
#include "QMessageBoxSink.h"
#include "QuitSignals.h"
#include "frmTW_FlueGas.h"
#include "tw/MessageSink.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TW_FlueGas"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwell"));
    // Every window shows the program's icon; the desktop matches the program to its entry.
    QApplication::setWindowIcon(tw::fluegas::applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("tw-fluegas"));
    tw::fluegas::QMessageBoxSink sink;
    tw::ScopedMessageSink installed(sink);
    tw::fluegas::frmTW_FlueGas window;
    // A logout, kill or Ctrl+C closes the window as Exit does, so the settings are kept.
    tw::fluegas::QuitSignals quitSignals(&window);
    window.show();
    const int status = QApplication::exec();
    return quitSignals.exitStatus().value_or(status);
}

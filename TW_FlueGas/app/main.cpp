// TW_FlueGas: the flue gas calculator window.
#include <QApplication>
#include <QStandardPaths>
#include <cstdio>

#include "ApplicationIcon.h"
#include "LastCase.h"
#include "ProgramLanguage.h"
#include "QMessageBoxSink.h"
#include "QuitSignals.h"
#include "frmTW_FlueGas.h"
#include "tw/MessageSink.h"

int main(int argc, char* argv[]) {
    // The language option is read before Qt takes its own options out of the command line.
    const tw::fluegas::LanguageOption option = tw::fluegas::languageOption(argc, argv);
    if (!option.error.empty()) {
        std::fprintf(stderr, "TW_FlueGas: %s\nusage: TW_FlueGas [--lang en|ko]\n",
                     option.error.c_str());
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TW_FlueGas"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwell"));
    // Every window shows the program's icon; the desktop matches the program to its entry.
    QApplication::setWindowIcon(tw::fluegas::applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("tw-fluegas"));
    tw::fluegas::QMessageBoxSink sink;
    tw::ScopedMessageSink installed(sink);
    tw::fluegas::frmTW_FlueGas::Options options = tw::fluegas::frmTW_FlueGas::defaultOptions();
    // --lang, then the language chosen in the menu, then the user's locale.
    const std::optional<std::int32_t> chosen =
        options.userConfigDir.empty()
            ? std::nullopt
            : tw::fluegas::readWindowChoices(options.userConfigDir / tw::fluegas::kLastCaseFileName)
                  .language;
    options.language =
        tw::fluegas::startLanguage(option.language, chosen, tw::fluegas::languageOfEnvironment());
    tw::fluegas::frmTW_FlueGas window(options);
    // A logout, kill or Ctrl+C closes the window as Exit does, so the settings are kept.
    tw::fluegas::QuitSignals quitSignals(&window);
    window.show();
    const int status = QApplication::exec();
    return quitSignals.exitStatus().value_or(status);
}

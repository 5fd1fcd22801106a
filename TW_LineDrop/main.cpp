// TW_LineDrop: the pressure drop of a whole line, in a window.
#include <QApplication>
#include <cstdio>

#include "ApplicationIcon.h"
#include "LineDropState.h"
#include "ProgramLanguage.h"
#include "QMessageBoxSink.h"
#include "QuitSignals.h"
#include "frmLineDrop.h"
#include "tw/MessageSink.h"

int main(int argc, char* argv[]) {
    // The language option is read before Qt takes its own options out of the command line.
    const tw::fluegas::LanguageOption option = tw::fluegas::languageOption(argc, argv);
    if (!option.error.empty()) {
        std::fprintf(stderr, "TW_LineDrop: %s\nusage: TW_LineDrop [--lang en|ko] [FILE.twline]\n",
                     option.error.c_str());
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TW_LineDrop"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwell"));
    QApplication::setWindowIcon(tw::fluegas::applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("tw-linedrop"));
    tw::fluegas::QMessageBoxSink sink;
    tw::ScopedMessageSink installed(sink);
    tw::linedrop::frmLineDrop::Options options = tw::linedrop::frmLineDrop::defaultOptions();
    // --lang, then the language chosen in either program's menu, then the user's locale.
    const std::optional<std::int32_t> chosen =
        options.calculatorStateDir.empty()
            ? std::nullopt
            : tw::linedrop::readLanguageChoice(options.calculatorStateDir /
                                               tw::linedrop::kCalculatorStateFileName);
    options.language =
        tw::fluegas::startLanguage(option.language, chosen, tw::fluegas::languageOfEnvironment());
    tw::linedrop::frmLineDrop window(options);
    // A file named on the command line is opened (the desktop entry passes one).
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--lang")) {
            ++i;
        } else if (!args[i].startsWith(QStringLiteral("--"))) {
            window.openFile(args[i]);
            break;
        }
    }
    tw::fluegas::QuitSignals quitSignals(&window);
    QObject::connect(&quitSignals, &tw::fluegas::QuitSignals::received, &window,
                     [&window] { window.quitBySignal(); });
    window.show();
    const int status = QApplication::exec();
    return quitSignals.exitStatus().value_or(status);
}

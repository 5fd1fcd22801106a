#pragma once
// The program language of the calculator: chosen at start from the command line, the choice
// kept from the Language menu, or the user's locale; switched while the program runs through
// one object that every open window follows. Qt's own texts (standard buttons, the file and
// print dialogs) follow it through Qt's translations.

#include <QObject>
#include <QTranslator>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tw::fluegas {

// The language of a locale as the environment names it: the first of LC_ALL, LC_MESSAGES and
// LANG that is set and not empty decides. "C", "C.<anything>", "POSIX", a Korean locale
// ("ko", "ko_KR.UTF-8") or no locale at all give Korean; every other locale gives English.
// `variable` reads one environment variable (nullptr when it is not set).
std::int32_t languageOfLocale(const std::function<const char*(const char*)>& variable);
// The same for the running process's environment.
std::int32_t languageOfEnvironment();

// "ko" or "en" as a language; nothing for any other name.
std::optional<std::int32_t> languageOfName(std::string_view name);
// "ko" or "en".
const char* nameOfLanguage(std::int32_t language);

// The --lang option of the command line ("--lang en", "--lang=ko").
struct LanguageOption {
    std::optional<std::int32_t> language;  // nothing when the option is absent
    std::string error;                     // a usage error ("--lang needs en or ko"), or empty
};
LanguageOption languageOption(int argc, const char* const* argv);

// The language to start in: the command line over a choice made in the menu over the locale.
std::int32_t startLanguage(std::optional<std::int32_t> commandLine,
                           std::optional<std::int32_t> menuChoice, std::int32_t locale);

// The language of the running program. Every window connects to languageChanged and writes
// its texts anew; the Korean translations of Qt's own texts are installed while the language
// is Korean.
class LanguageSwitch final : public QObject {
    Q_OBJECT
  public:
    static LanguageSwitch& instance();

    std::int32_t language() const noexcept { return language_; }
    // Sets the language (Korean, or English for any other value) and tells every window when
    // it changed. Qt's translations are installed on the first call either way.
    void setLanguage(std::int32_t language);

  signals:
    void languageChanged(std::int32_t language);

  private:
    LanguageSwitch() = default;
    void applyQtTranslations();

    std::int32_t language_ = 0;
    bool applied_ = false;
    std::unique_ptr<QTranslator> qtTranslator_;
};

}  // namespace tw::fluegas

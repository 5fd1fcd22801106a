#include "ProgramLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <array>
#include <cstdlib>

#include "tw/Language.h"

namespace tw::fluegas {

std::int32_t languageOfLocale(const std::function<const char*(const char*)>& variable) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = variable(name);
        if (value == nullptr || *value == '\0') continue;
        const std::string_view locale(value);
        const bool korean = locale == "C" || locale.starts_with("C.") || locale == "POSIX" ||
                            locale.starts_with("ko");
        return korean ? TW_Korean : TW_English;
    }
    return TW_Korean;
}

std::int32_t languageOfEnvironment() {
    return languageOfLocale([](const char* name) { return std::getenv(name); });
}

std::optional<std::int32_t> languageOfName(std::string_view name) {
    if (name == "ko") return TW_Korean;
    if (name == "en") return TW_English;
    return std::nullopt;
}

const char* nameOfLanguage(std::int32_t language) {
    return language == TW_English ? "en" : "ko";
}

LanguageOption languageOption(int argc, const char* const* argv) {
    LanguageOption option;
    const auto take = [&option](std::string_view name) {
        option.language = languageOfName(name);
        if (!option.language)
            option.error = "--lang needs en or ko, not \"" + std::string(name) + "\"";
    };
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "--lang") {
            if (i + 1 >= argc || argv[i + 1] == nullptr) {
                option.error = "--lang needs en or ko";
                return option;
            }
            take(argv[++i]);
        } else if (arg.starts_with("--lang=")) {
            take(arg.substr(7));
        }
        if (!option.error.empty()) return option;
    }
    return option;
}

std::int32_t startLanguage(std::optional<std::int32_t> commandLine,
                           std::optional<std::int32_t> menuChoice, std::int32_t locale) {
    if (commandLine) return *commandLine;
    if (menuChoice) return *menuChoice;
    return locale;
}

LanguageSwitch& LanguageSwitch::instance() {
    static LanguageSwitch* const theSwitch = new LanguageSwitch;
    return *theSwitch;
}

void LanguageSwitch::setLanguage(std::int32_t language) {
    const std::int32_t chosen = language == TW_English ? TW_English : TW_Korean;
    const bool changed = chosen != language_;
    language_ = chosen;
    if (changed || !applied_) applyQtTranslations();
    if (changed) emit languageChanged(language_);
}

void LanguageSwitch::applyQtTranslations() {
    applied_ = true;
    if (qtTranslator_) {
        QCoreApplication::removeTranslator(qtTranslator_.get());
        qtTranslator_.reset();
    }
    if (language_ != TW_Korean) return;
    // Qt's Korean texts: "확인" and "취소" on message boxes, the file and print dialogs.
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QStringLiteral("qtbase_ko"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get())) {
        qtTranslator_ = std::move(translator);
    }
}

}  // namespace tw::fluegas

// The program language: from the locale, from --lang, from the Language menu (which switches
// every open window and is kept for the next start), with Qt's own texts in the same language.
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <map>

#include "LastCase.h"
#include "ProgramLanguage.h"
#include "TWRTFOutput/ctlTWRTFOutput_d.h"
#include "WindowFixture.h"
#include "frmReport.h"

using namespace tw;
using namespace tw::fluegas;
using namespace tw::fluegas::testing;

namespace {

// A locale environment of exactly the variables given.
std::int32_t languageFor(const std::map<std::string, std::string>& environment) {
    return languageOfLocale([&](const char* name) -> const char* {
        const auto it = environment.find(name);
        return it == environment.end() ? nullptr : it->second.c_str();
    });
}

}  // namespace

TEST(ProgramLanguage, TheFirstSetLocaleVariableDecides) {
    struct Case {
        std::map<std::string, std::string> environment;
        std::int32_t language;
    };
    const std::vector<Case> cases = {
        {{}, TW_Korean},
        {{{"LANG", "C"}}, TW_Korean},
        {{{"LANG", "C.UTF-8"}}, TW_Korean},
        {{{"LANG", "POSIX"}}, TW_Korean},
        {{{"LANG", "ko_KR.UTF-8"}}, TW_Korean},
        {{{"LANG", "ko"}}, TW_Korean},
        {{{"LANG", "en_GB.UTF-8"}}, TW_English},
        {{{"LANG", "de_DE.UTF-8"}}, TW_English},
        {{{"LANG", "Cy_GB"}}, TW_English},  // a locale named with "C" is not the C locale
        // LC_ALL over LC_MESSAGES over LANG; an empty variable counts as unset.
        {{{"LC_ALL", "en_US.UTF-8"}, {"LC_MESSAGES", "ko_KR"}, {"LANG", "ko_KR"}}, TW_English},
        {{{"LC_ALL", ""}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "ko_KR"}}, TW_English},
        {{{"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", "ko_KR.UTF-8"}}, TW_Korean},
        {{{"LC_MESSAGES", "C"}, {"LANG", "en_US"}}, TW_Korean},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const auto& [k, v] : c.environment) shown += k + "=" + v + " ";
        EXPECT_EQ(languageFor(c.environment), c.language) << shown;
    }
}

TEST(ProgramLanguage, LangOptionOfTheCommandLine) {
    struct Case {
        std::vector<const char*> args;
        std::optional<std::int32_t> language;
        bool error;
    };
    const std::vector<Case> cases = {
        {{"TW_FlueGas"}, std::nullopt, false},
        {{"TW_FlueGas", "--lang", "en"}, TW_English, false},
        {{"TW_FlueGas", "--lang=ko"}, TW_Korean, false},
        {{"TW_FlueGas", "-platform", "offscreen", "--lang", "en"}, TW_English, false},
        {{"TW_FlueGas", "--lang"}, std::nullopt, true},
        {{"TW_FlueGas", "--lang", "fr"}, std::nullopt, true},
        {{"TW_FlueGas", "--lang="}, std::nullopt, true},
        {{"TW_FlueGas", "--lang", "EN"}, std::nullopt, true},
    };
    for (const Case& c : cases) {
        const LanguageOption option =
            languageOption(static_cast<int>(c.args.size()), c.args.data());
        EXPECT_EQ(option.language, c.language) << c.args.back();
        EXPECT_EQ(!option.error.empty(), c.error) << c.args.back();
    }
}

TEST(ProgramLanguage, CommandLineOverMenuChoiceOverLocale) {
    EXPECT_EQ(startLanguage(TW_English, TW_Korean, TW_Korean), TW_English);
    EXPECT_EQ(startLanguage(std::nullopt, TW_English, TW_Korean), TW_English);
    EXPECT_EQ(startLanguage(std::nullopt, TW_Korean, TW_English), TW_Korean);
    EXPECT_EQ(startLanguage(std::nullopt, std::nullopt, TW_English), TW_English);
}

using LanguageWindow = WindowTest;

TEST_F(LanguageWindow, MenuSwitchesTheWindowAndTheOpenReport) {
    open(TW_Korean);
    EXPECT_TRUE(window().menuItem("mnuLanguageKorean")->isChecked());
    EXPECT_FALSE(window().menuItem("mnuLanguageEnglish")->isChecked());
    typeRows({"76", "0.9", "4", "12", "0", "0.1", "7", "", "300", "25"});
    clickButton("cmdCalc");
    const std::string enthalpy = cell(rowGasEnthalpy);
    menu("mnuReport");
    frmReport* report = window().reportWindow();
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->windowTitle().toStdString(), "계산서 - TW_FlueGas");

    menu("mnuLanguageEnglish");
    EXPECT_EQ(window().language(), TW_English);
    EXPECT_TRUE(window().menuItem("mnuLanguageEnglish")->isChecked());
    EXPECT_FALSE(window().menuItem("mnuLanguageKorean")->isChecked());
    EXPECT_EQ(window().menuItem("mnuFile")->text().toStdString(), "File(&F)");
    EXPECT_EQ(window().menuItem("mnuLanguage")->text().toStdString(), "Language(&L)");
    EXPECT_EQ(window().findChild<QPushButton*>("cmdCalc")->text().toStdString(), "Calculate");
    EXPECT_EQ(cell(0, 0), "Item");
    EXPECT_EQ(cell(rowWaterDewPoint, colItem), "Water dew point");
    EXPECT_EQ(window().findChild<QLabel*>("Label4")->text().toStdString(),
              "* Water dew point is based on standard atmospheric pressure.");
    // The numbers stay; the report follows.
    EXPECT_EQ(cell(rowGasEnthalpy), enthalpy);
    EXPECT_EQ(report->windowTitle().toStdString(), "Calculation report - TW_FlueGas");
    EXPECT_TRUE(
        report->rtfOutput()->rtfText().contains(QStringLiteral("Flue Gas Calculation Report")));

    menu("mnuLanguageKorean");
    EXPECT_EQ(window().menuItem("mnuLanguage")->text().toStdString(), "언어(&L)");
    EXPECT_EQ(cell(0, 0), "항목");
    EXPECT_EQ(window().findChild<QPushButton*>("cmd100")->text().toStdString(),
              "H2O로         100% 만들기");
    EXPECT_TRUE(report->rtfOutput()->rtfText().contains(QStringLiteral("배기 가스 계산서")));
}

TEST_F(LanguageWindow, QtsOwnButtonsFollowTheLanguage) {
    open(TW_Korean);
    const auto okText = [] {
        QMessageBox box(QMessageBox::Information, QStringLiteral("t"), QStringLiteral("x"),
                        QMessageBox::Ok | QMessageBox::Cancel);
        return std::pair{box.button(QMessageBox::Ok)->text().remove(u'&').toStdString(),
                         box.button(QMessageBox::Cancel)->text().remove(u'&').toStdString()};
    };
    EXPECT_EQ(okText(), (std::pair<std::string, std::string>{"확인", "취소"}));
    menu("mnuLanguageEnglish");
    EXPECT_EQ(okText(), (std::pair<std::string, std::string>{"OK", "Cancel"}));
    menu("mnuLanguageKorean");
    EXPECT_EQ(okText().first, "확인");
}

TEST_F(LanguageWindow, MenuChoiceIsKeptAndANewWindowStartsInIt) {
    open(TW_Korean);
    menu("mnuLanguageEnglish");
    menu("mnuExit");
    const fs::path state = testFolder() / "config" / kLastCaseFileName;
    EXPECT_EQ(readWindowChoices(state).language, TW_English);
    // The case itself is still there beside the choice.
    ASSERT_TRUE(fs::is_regular_file(state));
    QSettings ini(QString::fromStdString(state.string()), QSettings::IniFormat);
    EXPECT_TRUE(ini.childGroups().contains(QStringLiteral("LastCase")));
    // A later window keeps the choice it started with.
    open(TW_English);
    window().close();
    EXPECT_EQ(readWindowChoices(state).language, TW_English);
}

TEST_F(LanguageWindow, UnitDialogNamesItsSystemsInTheWindowLanguage) {
    for (const std::int32_t language : {TW_Korean, TW_English}) {
        open(language);
        withUnitDialog([&](frmTW_UnitSel& dialog) {
            auto* systems = dialog.findChild<QComboBox*>(QStringLiteral("cmbSys"));
            ASSERT_NE(systems, nullptr);
            ASSERT_EQ(systems->count(), 4);
            EXPECT_EQ(systems->itemText(0).toStdString(),
                      language == TW_Korean ? "미터 단위계" : "Metric Unit System");
            EXPECT_EQ(systems->itemText(3).toStdString(),
                      language == TW_Korean ? "혼합 단위" : "Mixed Units");
        });
        closeWindow();
    }
}

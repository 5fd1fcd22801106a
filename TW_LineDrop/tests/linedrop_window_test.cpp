// The line window on Qt's offscreen platform: opening, calculating against twcalc line,
// editing fittings, saving, refusing damaged files, both languages and its screenshots.

// twcalc's session has a member named as Qt's "emit" keyword: its header comes before Qt's.
#include "../../TW_FlueGas/twcalc/tests/RunTwcalc.h"
// clang-format off
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <fstream>
#include <nlohmann/json.hpp>

#include "LineDropState.h"
#include "LineReport.h"
#include "ProgramLanguage.h"
#include "TWUnitSel.h"
#include "frmFittings.h"
#include "frmLineDrop.h"
#include "tw/Fittings.h"
#include "tw/Format.h"
#include "tw/LineFile.h"
#include "tw/MessageSink.h"
// clang-format on

namespace {

using tw::linedrop::frmLineDrop;
using Json = nlohmann::json;
using tw::TW_English;
using tw::TW_Korean;

QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "linedrop_window_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Steam through two sizes with elbows and a valve; a typed liquid routed by coordinates; air.
const char* const kSteamLine = R"({"format": "twline",
 "fluid": {"kind": "steam", "pressure": 10, "temperature": 250},
 "mass_flow": 5000,
 "segments": [{"nps": "4", "schedule": "40", "length": 60, "rise": 5,
               "fittings": [{"kind": 30, "quantity": 3, "para1": 1, "para2": 0},
                            {"kind": 2, "quantity": 1, "para1": 1, "para2": 0}]},
              {"nps": "3", "schedule": "80", "length": 25, "rise": -2}],
 "note": "kept as written"})";
const char* const kLiquidLine = R"({"format": "twline",
 "fluid": {"kind": "typed", "liquid": true, "pressure": 5, "specific_volume": 0.001,
           "viscosity": 1},
 "mass_flow": 36000,
 "segments": [{"inside_diameter": 100, "from": [0, 0, 0], "to": [30, 40, 10],
               "fittings": [{"kind": 30, "quantity": 4, "para1": 1, "para2": 0}]}]})";
const char* const kAirByItsSpecies = R"({"format": "twline", "fluid": {"kind": "gas",
 "basis": "vol", "composition": {"N2": 78.084, "O2": 20.946, "Ar": 0.934, "CO2": 0.036},
 "pressure": 2, "temperature": 20},
 "mass_flow": 1000, "segments": [{"nps": "4", "schedule": "40", "length": 100}]})";
const char* const kAirLine = R"({"format": "twline", "fluid": {"kind": "gas", "basis": "vol",
 "composition": {"N2": 78.084, "O2": 20.946, "Ar": 0.934, "CO2": 0.036},
 "pressure": 2, "temperature": 20, "viscosity": 0.018, "isentropic_exponent": 1.4},
 "mass_flow": 1000, "segments": [{"nps": "4", "schedule": "40", "length": 100}]})";

class LineWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        qtApp();
        folder_ = std::filesystem::temp_directory_path() /
                  ("linedrop_test_" + std::to_string(QCoreApplication::applicationPid()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::unique_ptr<frmLineDrop> open(std::int32_t language) {
        frmLineDrop::Options options;
        options.language = language;
        options.stateDir = folder_ / "state";
        options.calculatorStateDir = folder_ / "calculator";
        return std::make_unique<frmLineDrop>(options);
    }
    std::filesystem::path write(const std::string& name, const std::string& text) {
        const std::filesystem::path path = folder_ / name;
        std::ofstream(path) << text;
        return path;
    }
    static QString q(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

    std::filesystem::path folder_;
    tw::RecordingMessageSink sink_;
    tw::ScopedMessageSink installed_{sink_};
};

// JSON writes the library's singles in their shortest text: equal to a single's precision.
void expectSame(double window, const Json& json) {
    EXPECT_NEAR(window, json.get<double>(), 1e-7 * std::abs(window) + 1e-12);
}

double cell(const QTableWidget* table, int row, int column) {
    return table->item(row, column)->text().toDouble();
}

// The window shows what twcalc line prints for the same file, for each kind of route and fluid.
TEST_F(LineWindowTest, OpenedLinesCalculateAsTwcalcLine) {
    for (const auto& [name, text] :
         {std::pair{"steam.twline", kSteamLine}, std::pair{"liquid.twline", kLiquidLine},
          std::pair{"air.twline", kAirLine}}) {
        SCOPED_TRACE(name);
        const std::filesystem::path path = write(name, text);
        auto w = open(TW_English);
        ASSERT_TRUE(w->openFile(q(path)));
        ASSERT_TRUE(w->calculate())
            << (sink_.messages().empty() ? "" : sink_.messages().back().text);

        const TwcalcResult cli = runTwcalc({"line", path.string(), "--json"});
        ASSERT_EQ(cli.status, 0) << cli.err;
        const Json j = Json::parse(cli.out);
        const auto& segments = w->result()->segments;
        ASSERT_EQ(segments.size(), j["segments"].size());
        const auto* table = w->findChild<QTableWidget*>(QStringLiteral("tblResults"));
        ASSERT_EQ(table->rowCount(), static_cast<int>(segments.size()) + 1);
        for (std::size_t i = 0; i < segments.size(); ++i) {
            const Json& s = j["segments"][i];
            expectSame(segments[i].dP, s["dP"]);
            expectSame(segments[i].outletPressure, s["outlet_pressure"]);
            expectSame(segments[i].velocity, s["velocity"]);
            EXPECT_EQ(table->item(static_cast<int>(i), 9)->text().toStdString(),
                      tw::fixedDecimals(s["dP"].get<double>(), 5));
            EXPECT_EQ(table->item(static_cast<int>(i), 2)->text().toStdString(),
                      tw::fixedDecimals(s["outlet_pressure"].get<double>(), 4));
        }
        const int total = table->rowCount() - 1;
        EXPECT_EQ(table->item(total, 0)->text().toStdString(), "Total");
        EXPECT_NEAR(cell(table, total, 9), j["total"]["dP"].get<double>(), 1e-5);
        EXPECT_NEAR(cell(table, total, 2), j["total"]["outlet_pressure"].get<double>(), 1e-4);
        EXPECT_FALSE(w->isModified());
    }
    EXPECT_TRUE(sink_.messages().empty());
}

// The fittings editor takes the catalogue's kinds; the parameter cells a kind does not use are
// locked; the edited groups go into the line and mark the document changed.
TEST_F(LineWindowTest, EditingAFittingChangesTheLine) {
    auto w = open(TW_English);
    ASSERT_TRUE(w->openFile(q(write("steam.twline", kSteamLine))));
    ASSERT_TRUE(w->calculate());
    bool sawEditor = false;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<tw::linedrop::frmFittings*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        sawEditor = true;
        QTableWidget* t = editor->table();
        EXPECT_EQ(t->rowCount(), 2);
        auto* kind = static_cast<QComboBox*>(t->cellWidget(1, 0));
        EXPECT_EQ(kind->currentText().toStdString(), "Gate V/V");
        EXPECT_TRUE(t->item(1, 3)->flags() & Qt::ItemIsEditable);  // the taper angle
        kind->setCurrentIndex(tw::Swing_Check_Std);
        EXPECT_FALSE(t->item(1, 2)->flags() & Qt::ItemIsEditable);
        t->item(1, 1)->setText(QStringLiteral("2"));
        editor->findChild<QPushButton*>(QStringLiteral("cmdAddFitting"))->click();
        QDir().mkpath(QStringLiteral("linedrop_screenshots"));
        editor->grab().save(QStringLiteral("linedrop_screenshots/linedrop_fittings.png"));
        EXPECT_EQ(t->rowCount(), 3);
        editor->accept();
    });
    w->editFittings(0);
    ASSERT_TRUE(sawEditor);
    EXPECT_TRUE(w->isModified());
    EXPECT_FALSE(w->result()) << "results of the earlier fittings are not shown";
    const auto line = w->line();
    ASSERT_TRUE(line);
    const auto& groups = line->segments[0].fittings;
    ASSERT_EQ(groups.size(), 3U);
    EXPECT_EQ(groups[1].kind, tw::Swing_Check_Std);
    EXPECT_EQ(groups[1].quantity, 2);
    EXPECT_EQ(groups[2].kind, tw::Bend_LongRadius);
    const auto* button = static_cast<QPushButton*>(
        w->findChild<QTableWidget*>(QStringLiteral("tblSegments"))->cellWidget(0, 4));
    EXPECT_EQ(button->text().toStdString(), "6 fittings...");
}

// A saved line reads back to the same document, with the fields the program does not know.
TEST_F(LineWindowTest, SavedLineReopensTheSame) {
    auto w = open(TW_English);
    ASSERT_TRUE(w->openFile(q(write("steam.twline", kSteamLine))));
    w->findChild<QLineEdit*>(QStringLiteral("txtMassFlow"))->setText(QStringLiteral("6500"));
    const std::filesystem::path saved = folder_ / "saved.twline";
    ASSERT_TRUE(w->saveFile(q(saved)));
    EXPECT_FALSE(w->isModified());
    EXPECT_EQ(w->recentFiles().front().toStdString(), saved.string());

    auto again = open(TW_English);
    ASSERT_TRUE(again->openFile(q(saved)));
    const auto a = w->line(), b = again->line();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(tw::line::writeLine(*a), tw::line::writeLine(*b));
    EXPECT_EQ(b->massFlow, 6500.0f);
    EXPECT_NE(tw::line::writeLine(*b).find("kept as written"), std::string::npos);
    EXPECT_EQ(tw::line::readLineFile(saved).segments[1].nps, "3");
}

// Damaged files, and files that are not there, are refused with a message naming the place;
// the document shown stays as it was.
TEST_F(LineWindowTest, DamagedFilesAreRefusedWithAMessage) {
    struct Case {
        const char* text;
        const char* says;
    };
    const Case cases[] = {
        {"not json at all", "This is not a line file."},
        {R"({"format": "twline", "fluid": {"kind": "typed", "liquid": true, "pressure": "5"}})",
         "fluid.pressure"},
        {R"({"format": "twline", "fluid": {"kind": "steam", "pressure": 10, "temperature": 250},
 "mass_flow": 1, "segments": [{"nps": "4", "schedule": "40", "length": "x"}]})",
         "segments[0].length"},
    };
    auto w = open(TW_English);
    ASSERT_TRUE(w->openFile(q(write("steam.twline", kSteamLine))));
    const std::string before = tw::line::writeLine(*w->line());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        sink_.clear();
        EXPECT_FALSE(w->openFile(q(write("damaged.twline", c.text))));
        ASSERT_EQ(sink_.messages().size(), 1U);
        EXPECT_NE(sink_.messages()[0].text.find(c.says), std::string::npos)
            << sink_.messages()[0].text;
        EXPECT_EQ(tw::line::writeLine(*w->line()), before);
        EXPECT_TRUE(w->filePath().endsWith(QStringLiteral("steam.twline")));
    }
    sink_.clear();
    EXPECT_FALSE(w->openFile(q(folder_ / "missing.twline")));
    EXPECT_EQ(sink_.messages().size(), 1U);
}

// Typed garbage, not-a-number and numbers beyond a single are refused before the calculation.
TEST_F(LineWindowTest, UnusableNumbersAreRefused) {
    auto w = open(TW_English);
    ASSERT_TRUE(w->openFile(q(write("steam.twline", kSteamLine))));
    auto* pressure = w->findChild<QLineEdit*>(QStringLiteral("txtPressure"));
    for (const char* text : {"abc", "nan", "inf", "1e40", ""}) {
        SCOPED_TRACE(text);
        sink_.clear();
        pressure->setText(QString::fromLatin1(text));
        EXPECT_FALSE(w->calculate());
        ASSERT_EQ(sink_.messages().size(), 1U);
        EXPECT_EQ(sink_.messages()[0].text, "Inlet pressure: give a number.");
        EXPECT_FALSE(w->result());
    }
}

// What the line cannot be built from is refused with a message, before the calculation.
TEST_F(LineWindowTest, IncompleteLinesAreRefused) {
    struct Case {
        const char* what;
        std::function<void(frmLineDrop&)> spoil;
        const char* says;
    };
    const auto segments = [](frmLineDrop& w) {
        return w.findChild<QTableWidget*>(QStringLiteral("tblSegments"));
    };
    const Case cases[] = {
        {"no schedule",
         [&](frmLineDrop& w) {
             static_cast<QComboBox*>(segments(w)->cellWidget(1, 1))->setCurrentIndex(0);
         },
         "Segment 2: the size and schedule are not in the table."},
        {"no size",
         [&](frmLineDrop& w) {
             static_cast<QComboBox*>(segments(w)->cellWidget(0, 0))->setCurrentIndex(0);
         },
         "Segment 1: the size and schedule are not in the table."},
        {"a length that is not a number",
         [&](frmLineDrop& w) { segments(w)->item(0, 2)->setText(QStringLiteral("ten")); },
         "Segment 1: give a number."},
        {"no segments",
         [&](frmLineDrop& w) {
             for (int i = 0; i < 2; ++i) {
                 segments(w)->setCurrentCell(0, 2);
                 w.findChild<QPushButton*>(QStringLiteral("cmdRemoveSegment"))->click();
             }
         },
         "The line has no segments."},
        {"a gas composition that is not a number",
         [&](frmLineDrop& w) {
             w.findChild<QComboBox*>(QStringLiteral("cmbKind"))->setCurrentIndex(4);
             for (const char* name : {"txtViscosity", "txtExponent"})
                 w.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(QStringLiteral("1"));
             w.findChild<QLineEdit*>(QStringLiteral("txtO2"))->setText(QStringLiteral("1,5"));
         },
         "O2: give a number."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto w = open(TW_English);
        ASSERT_TRUE(w->openFile(q(write("steam.twline", kSteamLine))));
        c.spoil(*w);
        sink_.clear();
        EXPECT_FALSE(w->calculate());
        ASSERT_EQ(sink_.messages().size(), 1U);
        EXPECT_EQ(sink_.messages()[0].text, c.says);
    }
}

// The recent files list the last eight opened or saved, the latest first, each once.
TEST_F(LineWindowTest, RecentFilesKeepTheLastEight) {
    auto w = open(TW_English);
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(w->openFile(q(write("line" + std::to_string(i) + ".twline", kLiquidLine))));
    ASSERT_TRUE(w->openFile(q(folder_ / "line5.twline")));
    const QStringList recent = w->recentFiles();
    ASSERT_EQ(recent.size(), 8);
    EXPECT_TRUE(recent[0].endsWith(QStringLiteral("line5.twline")));
    EXPECT_TRUE(recent[1].endsWith(QStringLiteral("line9.twline")));
    EXPECT_EQ(recent.filter(QStringLiteral("line5.twline")).size(), 1);
    EXPECT_TRUE(recent.filter(QStringLiteral("line0.twline")).isEmpty());
    EXPECT_EQ(w->findChild<QMenu*>(QStringLiteral("mnuRecent"))->actions().size(), 8);
}

// A changed document asks before it is closed: Cancel keeps the window open.
TEST_F(LineWindowTest, AChangedLineAsksBeforeClosing) {
    auto w = open(TW_English);
    ASSERT_TRUE(w->openFile(q(write("steam.twline", kSteamLine))));
    w->show();
    w->findChild<QPushButton*>(QStringLiteral("cmdAddSegment"))->click();
    EXPECT_TRUE(w->isModified());
    sink_.setAnswer(tw::MessageAnswer::Cancel);
    EXPECT_FALSE(w->close());
    ASSERT_EQ(sink_.messages().size(), 1U);
    EXPECT_EQ(sink_.messages()[0].text, "The line has changed. Save it?");
    sink_.setAnswer(tw::MessageAnswer::No);
    EXPECT_TRUE(w->close());
    // The window's state is kept for the next start.
    const auto state = tw::linedrop::readWindowState(folder_ / "state" / "TW_LineDrop.ini");
    ASSERT_EQ(state.recentFiles.size(), 1);
    EXPECT_TRUE(state.recentFiles[0].endsWith(QStringLiteral("steam.twline")));
}

// A signal's close asks nothing: a changed line goes into the recovery file, and the user's
// own file stays as it was.
TEST_F(LineWindowTest, ASignalKeepsAChangedLineForRecovery) {
    const std::filesystem::path path = write("steam.twline", kSteamLine);
    auto w = open(TW_English);
    ASSERT_TRUE(w->openFile(q(path)));
    w->show();
    w->findChild<QLineEdit*>(QStringLiteral("txtMassFlow"))->setText(QStringLiteral("7000"));
    w->findChild<QPushButton*>(QStringLiteral("cmdAddSegment"))->click();
    w->quitBySignal();
    sink_.setAnswer(tw::MessageAnswer::Cancel);
    EXPECT_TRUE(w->close());
    ASSERT_EQ(sink_.messages().size(), 1U);
    EXPECT_EQ(sink_.messages()[0].text,
              "The unsaved line was kept in " + w->recoveryFile().string());
    const tw::line::Line kept = tw::line::readLineFile(w->recoveryFile());
    EXPECT_EQ(kept.massFlow, 7000.0f);
    EXPECT_EQ(kept.segments.size(), 3U);
    EXPECT_EQ(tw::line::readLineFile(path).massFlow, 5000.0f);
}

// Korean by default, English from the Language menu; the choice goes into the calculator's
// state file, which both programs start from.
TEST_F(LineWindowTest, BothLanguagesAndTheSharedChoice) {
    auto w = open(TW_Korean);
    ASSERT_TRUE(w->openFile(q(write("steam.twline", kSteamLine))));
    ASSERT_TRUE(w->calculate());
    auto* results = w->findChild<QTableWidget*>(QStringLiteral("tblResults"));
    EXPECT_EQ(w->findChild<QMenu*>(QStringLiteral("mnuFile"))->title().toStdString(), "파일(&F)");
    EXPECT_EQ(results->item(results->rowCount() - 1, 0)->text().toStdString(), "합계");
    EXPECT_EQ(w->findChild<QPushButton*>(QStringLiteral("cmdCalculate"))->text().toStdString(),
              "계산(&C)");

    w->findChild<QAction*>(QStringLiteral("mnuLanguageEnglish"))->trigger();
    EXPECT_EQ(w->language(), TW_English);
    EXPECT_EQ(w->findChild<QMenu*>(QStringLiteral("mnuFile"))->title().toStdString(), "&File");
    EXPECT_EQ(results->item(results->rowCount() - 1, 0)->text().toStdString(), "Total");
    EXPECT_TRUE(w->result()) << "a language switch keeps the results";
    EXPECT_EQ(tw::linedrop::readLanguageChoice(folder_ / "calculator" / "LastCase.ini"),
              TW_English);
    w->findChild<QAction*>(QStringLiteral("mnuLanguageKorean"))->trigger();
    EXPECT_EQ(tw::linedrop::readLanguageChoice(folder_ / "calculator" / "LastCase.ini"), TW_Korean);
    // Qt keeps a parsed settings file while its size and time stamp stay the same; a value of
    // another length makes sure this process reads the file written behind its back.
    std::ofstream(folder_ / "calculator" / "LastCase.ini") << "[Window]\nLanguage=french\n";
    EXPECT_FALSE(tw::linedrop::readLanguageChoice(folder_ / "calculator" / "LastCase.ini"));
}

// The report is the calculation sheet of the line, in the window's language.
TEST_F(LineWindowTest, ReportShowsTheCalculatedLine) {
    auto w = open(TW_English);
    EXPECT_EQ(w->openReport(), nullptr);
    ASSERT_EQ(sink_.messages().size(), 1U);
    ASSERT_TRUE(w->openFile(q(write("steam.twline", kSteamLine))));
    ASSERT_TRUE(w->calculate());
    QWidget* report = w->openReport();
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->windowTitle().toStdString(), "Calculation report - TW_LineDrop");
    const std::string csv = w->resultsCsv();
    EXPECT_EQ(csv.substr(0, 8), "Segment,");
    EXPECT_NE(csv.find("\r\nTotal,"), std::string::npos);
    report->close();
}

// The unit control chooses the units the numbers are read in; the labels follow.
TEST_F(LineWindowTest, ChosenUnitsGoIntoTheLine) {
    auto w = open(TW_English);
    ASSERT_TRUE(w->openFile(q(write("steam.twline", kSteamLine))));
    auto* unitLabel = w->findChild<QLabel*>(QStringLiteral("lblTemperatureUnit"));
    EXPECT_EQ(unitLabel->text().toStdString(), "°C");
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* unit = dialog->findChild<tw::TWUnitSel*>(QStringLiteral("Unit"));
        ASSERT_NE(unit, nullptr);
        sawDialog = true;
        EXPECT_FALSE(unit->rowVisible(tw::QuantityId::ENTH));
        EXPECT_TRUE(unit->rowVisible(tw::QuantityId::TP));
        dialog->grab().save(QStringLiteral("linedrop_screenshots/linedrop_units.png"));
        unit->setUnit(tw::QuantityId::TP, 1);
        unit->OKClick();
    });
    w->findChild<QAction*>(QStringLiteral("mnuUnitsChoose"))->trigger();
    ASSERT_TRUE(sawDialog);
    EXPECT_TRUE(w->isModified());
    EXPECT_EQ(w->line()->units.utp, 1);
    EXPECT_NE(unitLabel->text().toStdString(), "°C");
}

// The state file is a convenience: a damaged value is left out, the others are kept.
TEST_F(LineWindowTest, DamagedStateValuesAreIgnored) {
    struct Case {
        const char* ini;
        bool hasSize;
        int recent;
    };
    const Case cases[] = {
        {"[Window]\nSize=@Size(900 700)\n[Files]\nRecent=/a.twline, /b.twline\n", true, 2},
        {"[Window]\nSize=@Size(-5 99999)\n[Files]\nRecent=/a.twline\n", false, 1},
        {"[Window]\nSize=garbage\n[Files]\nRecent=\n", false, 0},
        {"\x01\x02 not an ini file at all", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        const std::filesystem::path file = write("state.ini", c.ini);
        const tw::linedrop::WindowState state = tw::linedrop::readWindowState(file);
        EXPECT_EQ(state.size.has_value(), c.hasSize);
        EXPECT_EQ(state.recentFiles.size(), c.recent);
    }
    const std::filesystem::path file = folder_ / "deep" / "state.ini";
    ASSERT_TRUE(tw::linedrop::writeWindowState(
        file, {QSize(1000, 800), {QStringLiteral("/x.twline")}, QStringLiteral("/lines")}));
    const tw::linedrop::WindowState back = tw::linedrop::readWindowState(file);
    EXPECT_EQ(back.size, QSize(1000, 800));
    EXPECT_EQ(back.lastFolder.toStdString(), "/lines");
}

// The sheet names the fluid, the segments with their fittings and the results, in each
// language, with the header the user filled in.
TEST_F(LineWindowTest, TheSheetDescribesTheLineInEachLanguage) {
    auto w = open(TW_English);
    ASSERT_TRUE(w->openFile(q(write("steam.twline", kSteamLine))));
    ASSERT_TRUE(w->calculate());
    const auto line = w->line();
    ASSERT_TRUE(line);
    tw::fluegas::ReportHeader header;
    header.project = "Boiler house";
    for (const auto& [language, heading, total] :
         {std::tuple{TW_English, "Segments", "Total pressure drop"},
          std::tuple{TW_Korean, "구간", "전체 압력 강하"}}) {
        const auto sheet = tw::linedrop::lineReport(*line, *w->result(), language, header);
        ASSERT_EQ(sheet.sections.size(), 3U);
        EXPECT_EQ(sheet.sections[1].heading, heading);
        EXPECT_EQ(sheet.about.front().value, "Boiler house");
        EXPECT_EQ(sheet.sections[1].rows[1].value, "3 x 90o Bend/Elbow r/d = 1.5");
        const auto& last = sheet.sections[2].rows[sheet.sections[2].rows.size() - 2];
        EXPECT_EQ(last.label, total);
        EXPECT_EQ(last.value, tw::fixedDecimals(w->result()->totalDP, 5));
        EXPECT_EQ(sheet.sections[0].rows[2].unit, "°C");
    }
}

// Screenshots of both languages, for the eye and the README.
TEST_F(LineWindowTest, WritesScreenshotsOfBothLanguages) {
    const QString out = QDir::current().absoluteFilePath(QStringLiteral("linedrop_screenshots"));
    QDir().mkpath(out);
    for (const auto& [language, name] :
         {std::pair{TW_Korean, "linedrop_ko.png"}, std::pair{TW_English, "linedrop_en.png"}}) {
        auto w = open(language);
        ASSERT_TRUE(w->openFile(q(write("steam.twline", kSteamLine))));
        ASSERT_TRUE(w->calculate());
        w->show();
        QApplication::processEvents();
        const QString file = out + QLatin1Char('/') + QString::fromLatin1(name);
        EXPECT_TRUE(w->grab().save(file));
        EXPECT_GT(QFileInfo(file).size(), 10000);
    }
}

}  // namespace

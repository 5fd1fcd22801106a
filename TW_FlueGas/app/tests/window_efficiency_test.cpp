// The "Boiler efficiency" window: opened from the Option menu in both languages, the fuel typed
// once in the "Flue gas from fuel" dialog, the figures of the command line for the same case,
// refusals in the status line, the charts, the calculation sheet and the saved chart, and
// pictures of both languages.

// twcalc's session has a member named as Qt's "emit" keyword: its header comes before Qt's.
#include "../../twcalc/tests/RunTwcalc.h"
// clang-format off
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QTableWidget>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <nlohmann/json.hpp>

#include "WindowFixture.h"
#include "frmEfficiency.h"
#include "frmFuelGas.h"
#include "frmReport.h"
#include "tw/Format.h"
// clang-format on

namespace tw::fluegas::testing {
namespace {

class EfficiencyWindowTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        frmFuelGas::forgetRememberedInputs();
    }

    // Types methane burnt with dry air at 20 oC to 3 % O2 dry into the fuel dialog, which
    // keeps it for the session.
    void typeMethaneIntoTheFuelDialog() {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<frmFuelGas*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            ran = true;
            d->findChild<QComboBox*>(QStringLiteral("cmbFuelKind"))->setCurrentIndex(1);
            d->findChild<QComboBox*>(QStringLiteral("cmbAirQuantity"))->setCurrentIndex(1);
            d->findChild<QTableWidget*>(QStringLiteral("msfFuel"))->item(1, 1)->setText("100");
            for (const auto& [name, text] :
                 {std::pair{"txtAirQuantity", "3"}, std::pair{"txtMoisture", "0"},
                  std::pair{"txtAirTemperature", "20"}}) {
                auto* edit = d->findChild<QLineEdit*>(QString::fromLatin1(name));
                edit->selectAll();
                QTest::keyClicks(edit, QString::fromLatin1(text));
            }
            d->reject();
        });
        menu("mnuFuelGas");
        EXPECT_TRUE(ran);
    }

    frmEfficiency& openEfficiency() {
        menu("mnuEfficiency");
        auto* w = window().findChild<frmEfficiency*>(QStringLiteral("frmEfficiency"));
        EXPECT_NE(w, nullptr);
        return *w;
    }

    static void fill(frmEfficiency& w, const char* field, const QString& text) {
        auto* edit = w.findChild<QLineEdit*>(QString::fromLatin1(field));
        ASSERT_NE(edit, nullptr) << field;
        edit->selectAll();
        if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    static QString label(frmEfficiency& w, const char* name) {
        return w.findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
};

TEST_F(EfficiencyWindowTest, TheOptionMenuOpensItInBothLanguages) {
    open(TW_Korean);
    EXPECT_EQ(window().menuItem("mnuEfficiency")->text().toStdString(), "보일러 효율(&B)...");
    EXPECT_EQ(openEfficiency().windowTitle().toStdString(), "보일러 효율 - Tarnwell Inc.");
    closeWindow();
    open(TW_English);
    EXPECT_EQ(window().menuItem("mnuEfficiency")->text().toStdString(), "Boiler efficiency(&B)...");
    frmEfficiency& w = openEfficiency();
    EXPECT_EQ(w.windowTitle().toStdString(), "Boiler Efficiency - Tarnwell Inc.");
    // No fuel typed anywhere yet.
    EXPECT_FALSE(w.result());
    EXPECT_EQ(w.statusText().toStdString(), "No fuel yet: give one under \"Fuel and air\".");
}

// The Language menu of the calculator switches the open efficiency window too, its menu, its
// status and its choices, which keep their place.
TEST_F(EfficiencyWindowTest, TheLanguageMenuSwitchesAnOpenWindow) {
    open(TW_Korean);
    frmEfficiency& w = openEfficiency();
    auto* analyser = w.findChild<QComboBox*>();
    ASSERT_NE(analyser, nullptr);
    analyser->setCurrentIndex(1);
    menu("mnuLanguageEnglish");
    EXPECT_EQ(w.windowTitle().toStdString(), "Boiler Efficiency - Tarnwell Inc.");
    EXPECT_EQ(w.statusText().toStdString(), "No fuel yet: give one under \"Fuel and air\".");
    EXPECT_EQ(analyser->currentIndex(), 1);
    EXPECT_EQ(w.menuBar()->actions().size(), 1);
    menu("mnuLanguageKorean");
    EXPECT_EQ(w.windowTitle().toStdString(), "보일러 효율 - Tarnwell Inc.");
}

// The fuel typed in the dialog is the window's; the window shows what twcalc efficiency prints.
TEST_F(EfficiencyWindowTest, TheFuelOfTheDialogGivesTheFiguresOfTheCommandLine) {
    open(TW_English);
    typeMethaneIntoTheFuelDialog();
    frmEfficiency& w = openEfficiency();
    EXPECT_EQ(w.findChild<QLineEdit*>(QStringLiteral("txtO2"))->text().toStdString(), "3");
    EXPECT_EQ(w.statusText().toStdString(), "Give the stack temperature.");
    fill(w, "txtStackTemperature", "180");
    fill(w, "txtFuelFlow", "100");
    w.findChild<QComboBox*>(QStringLiteral("cmbAnalyser"))->setCurrentIndex(1);
    ASSERT_TRUE(w.result()) << w.statusText().toStdString();

    const TwcalcResult cli =
        runTwcalc({"efficiency", "--fuel-gas", "CH4=100", "--o2-dry", "3", "--humidity", "0",
                   "--air-temperature", "20", "--stack-temperature", "180", "--fuel-flow-nm3",
                   "100", "--analyser", "gas", "--json"});
    ASSERT_EQ(cli.status, 0) << cli.err;
    const auto j = nlohmann::json::parse(cli.out);
    const auto near = [](double a, double b) { return std::abs(a - b) <= 1e-7 * std::abs(b); };
    EXPECT_TRUE(near(w.result()->efficiencyHhvPercent, j["efficiency_hhv_percent"]));
    EXPECT_TRUE(near(w.result()->efficiencyLhvPercent, j["efficiency_lhv_percent"]));
    EXPECT_TRUE(near(*w.result()->heatInputKW, j["heat_input_kW"]));
    EXPECT_EQ(label(w, "lblGross").toStdString(),
              "Gross (HHV)  " + fixedDecimals(j["efficiency_hhv_percent"].get<double>(), 2) + " %");
    EXPECT_EQ(label(w, "lblAnalyser").toStdString(), "Analyser formula stack loss  7.31 %");
    const auto* losses = w.findChild<QTableWidget*>(QStringLiteral("msfLosses"));
    EXPECT_EQ(losses->item(0, 1)->text().toStdString(),
              fixedDecimals(j["losses_percent_of_hhv"]["dry_flue_gas"].get<double>(), 2));
}

TEST_F(EfficiencyWindowTest, ARefusedCaseSaysWhyAndShowsNoFigures) {
    open(TW_English);
    typeMethaneIntoTheFuelDialog();
    frmEfficiency& w = openEfficiency();
    struct Case {
        const char* field;
        const char* text;
        const char* status;
    };
    for (const Case& c : {Case{"txtStackTemperature", "10", "lies below the air temperature"},
                          Case{"txtStackTemperature", "1 80", "cannot be read as a number"},
                          Case{"txtRadiationLoss", "-1", "radiation and convection loss must"}}) {
        fill(w, "txtStackTemperature", "180");
        fill(w, "txtRadiationLoss", "");
        fill(w, c.field, QString::fromLatin1(c.text));
        EXPECT_FALSE(w.result()) << c.text;
        EXPECT_NE(w.statusText().toStdString().find(c.status), std::string::npos)
            << w.statusText().toStdString();
        EXPECT_EQ(label(w, "lblGross").toStdString(), "Gross (HHV)  -");
    }
}

TEST_F(EfficiencyWindowTest, ChartsSaveAsPngAndSvgAndTheSheetOpens) {
    open(TW_English);
    frmEfficiency& w = openEfficiency();
    CombustionInput coal;
    coal.fuel.percent = {65.4, 4.2, 7.8, 1.3, 0.8, 10.5, 10};
    coal.airQuantityPercent = 20;
    w.setFuelAndAir(coal);
    fill(w, "txtStackTemperature", "160");
    ASSERT_TRUE(w.result());
    // Gross, net, the acid dew point and the measured point against stack temperature.
    const QList<QAbstractSeries*> stack = w.stackChart()->chart()->series();
    ASSERT_EQ(stack.size(), 4);
    EXPECT_EQ(static_cast<QLineSeries*>(stack[0])->count(), 101);
    EXPECT_EQ(w.o2Chart()->chart()->series().size(), 3);

    const QString base = QString::fromStdString((testFolder() / "chart").string());
    w.setChooseChartFile([&] { return std::optional<QString>(base + ".svg"); });
    w.findChild<QAction*>(QStringLiteral("mnuSaveChart"))->trigger();
    EXPECT_FALSE(QImage(base + ".png").isNull());
    QFile svg(base + ".svg");
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("<svg"));
    EXPECT_FALSE(w.saveChart(QString::fromStdString((testFolder() / "missing" / "x").string())));

    w.findChild<QAction*>(QStringLiteral("mnuEfficiencyReport"))->trigger();
    EXPECT_NE(w.findChild<frmReport*>(), nullptr);
}

TEST_F(EfficiencyWindowTest, PicturesOfBothLanguages) {
    for (const auto& [language, name] :
         {std::pair{TW_English, "efficiency_en"}, std::pair{TW_Korean, "efficiency_ko"}}) {
        open(language);
        typeMethaneIntoTheFuelDialog();
        frmEfficiency& w = openEfficiency();
        fill(w, "txtStackTemperature", "180");
        w.findChild<QComboBox*>(QStringLiteral("cmbAnalyser"))->setCurrentIndex(1);
        w.resize(w.sizeHint());
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        QDir().mkpath(QStringLiteral("screenshots"));
        EXPECT_TRUE(
            w.grab().save(QStringLiteral("screenshots/%1.png").arg(QString::fromLatin1(name))));
        closeWindow();
        frmFuelGas::forgetRememberedInputs();
    }
}

}  // namespace
}  // namespace tw::fluegas::testing

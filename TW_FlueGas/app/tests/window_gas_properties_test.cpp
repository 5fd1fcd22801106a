// The "Gas properties" dialog: opened from the Option menu for the table's composition and gas
// temperature, its figures in the window's units following the pressure typed, the chart, and
// the table's problems shown instead of figures.
#include <QApplication>
#include <QChart>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QTableWidget>
#include <QTextEdit>

#include "GasProperties.h"
#include "TWRTFOutput/ctlTWRTFOutput_d.h"
#include "WindowFixture.h"
#include "frmGasProperties.h"
#include "frmReport.h"

namespace tw::fluegas::testing {
namespace {

class GasPropertiesDialogTest : public WindowTest {
  protected:
    void withDialog(const std::function<void(frmGasProperties&)>& inDialog) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<frmGasProperties*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            ran = true;
            inDialog(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        menu("mnuGasProperties");
        EXPECT_TRUE(ran);
    }
    // Types the coal flue gas into rows 1 to 7 and its gas temperature into row 9.
    void typeFlueGas(const QString& temperature) {
        clickCell(rowN2);
        typeRows({"74", "0.9", "4", "13.5", "", "0.1", "7.5"});
        goToRow(rowGasTemperature);
        type(temperature);
    }
    static QString figure(frmGasProperties& d, int row, int column = 1) {
        const QTableWidgetItem* item =
            d.findChild<QTableWidget*>(QStringLiteral("msfProperties"))->item(row, column);
        return item ? item->text() : QString();
    }
    static void typePressure(frmGasProperties& d, const QString& text) {
        auto* edit = d.findChild<QLineEdit*>(QStringLiteral("txtPressure"));
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

TEST_F(GasPropertiesDialogTest, TheOptionMenuOpensItInBothLanguages) {
    for (const auto& [language, menuText, title, firstRow] :
         {std::tuple{TW_Korean, "가스 물성(&P)...", "가스 물성 - Tarnwell Inc.", "분자량"},
          std::tuple{TW_English, "Gas properties(&P)...", "Gas Properties - Tarnwell Inc.",
                     "Mole weight"}}) {
        open(language);
        EXPECT_EQ(window().menuItem("mnuGasProperties")->text().toStdString(), menuText);
        typeFlueGas("150");
        withDialog([&](frmGasProperties& d) {
            EXPECT_EQ(d.windowTitle().toStdString(), title);
            EXPECT_EQ(figure(d, 0, 0).toStdString(), firstRow);
        });
        closeWindow();
    }
}

// The window's units (metric: oC, kg/cm2 a, cP, kcal/hr-m-oC, kcal/kg-K) and the core's
// figures for the same gas.
TEST_F(GasPropertiesDialogTest, ShowsTheCoresFiguresInTheWindowsUnits) {
    open(TW_English);
    typeFlueGas("150");
    withDialog([](frmGasProperties& d) {
        ASSERT_TRUE(d.properties()) << d.statusText().toStdString();
        const std::array<double, kGasComponentCount> percent{74, 4, 13.5, 0, 0.1, 7.5, 0.9};
        const auto gas = gasprops::normaliseComposition(true, percent);
        const auto expected = gasprops::gasProperties(*gas, 423.15, 101325.0);
        EXPECT_NEAR(d.properties()->viscosity, expected->viscosity, 1e-12);
        EXPECT_EQ(figure(d, 8), QString::number(expected->viscosity * 1000, 'g', 5));
        EXPECT_EQ(figure(d, 8, 2), QStringLiteral("cP"));
        EXPECT_EQ(figure(d, 10, 2), QStringLiteral("kcal/hr-m-oC"));
        EXPECT_EQ(figure(d, 14), QStringLiteral("140.7"));  // Okkes, oC
        EXPECT_EQ(d.statusText(), QString());
        // Three curves over temperature.
        EXPECT_EQ(d.chart()->series().size(), 3);
        QDir().mkpath(QStringLiteral("screenshots"));
        d.grab().save(QStringLiteral("screenshots/gas_properties_en.png"));
    });
}

TEST_F(GasPropertiesDialogTest, FiguresFollowThePressureTyped) {
    open(TW_English);
    typeFlueGas("150");
    withDialog([](frmGasProperties& d) {
        const double density = d.properties()->density;
        const double water = *d.dewPoints().water;
        typePressure(d, "5");  // kg/cm2 a
        ASSERT_TRUE(d.properties());
        // The default is 1 atm in the window's pressure unit as shown (1.033227 kg/cm2 a).
        EXPECT_NEAR(d.properties()->density / density, 5 / 1.033227, 1e-9);
        EXPECT_GT(*d.dewPoints().water, water + 30);
        typePressure(d, "-1");
        EXPECT_FALSE(d.properties());
        EXPECT_EQ(figure(d, 1), QString());
        EXPECT_NE(d.statusText().indexOf(QStringLiteral("absolute pressure greater than 0")), -1);
        EXPECT_EQ(d.chart()->series().size(), 0);
        typePressure(d, "abc");
        EXPECT_EQ(d.statusText(), QStringLiteral("The pressure should be a number."));
    });
}

TEST_F(GasPropertiesDialogTest, TableProblemsAreShownInsteadOfFigures) {
    open(TW_English);
    clickCell(rowN2);
    type("79");
    withDialog([](frmGasProperties& d) {
        EXPECT_FALSE(d.properties());
        EXPECT_EQ(d.statusText(), QStringLiteral("Type the gas temperature into the table."));
    });
    goToRow(rowGasTemperature);
    type("-100");
    withDialog([](frmGasProperties& d) {
        EXPECT_FALSE(d.properties());
        EXPECT_NE(d.statusText().indexOf(QStringLiteral("173.15 K is outside")), -1);
    });
    // No message box came up meanwhile: the dialog shows the core's messages itself.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The report of a calculation carries the figures the dialog showed after it, until the next
// calculation.
TEST_F(GasPropertiesDialogTest, TheReportOfTheCalculationAddsTheFigures) {
    open(TW_English);
    typeFlueGas("150");
    key(Qt::Key_Down);
    type("25");
    clickButton("cmdCalc");
    const auto reportText = [this] {
        menu("mnuReport");
        frmReport* report = window().reportWindow();
        return report ? report->rtfOutput()->textArea()->toPlainText() : QString();
    };
    EXPECT_FALSE(reportText().contains(QStringLiteral("Gas properties")));
    withDialog([](frmGasProperties& d) { typePressure(d, "2"); });
    const QString withFigures = reportText();
    EXPECT_TRUE(withFigures.contains(QStringLiteral("Gas properties")));
    EXPECT_TRUE(withFigures.contains(QStringLiteral("Thermal conductivity")));
    EXPECT_TRUE(withFigures.contains(QStringLiteral("kg/cm2 a")));
    clickButton("cmdCalc");
    EXPECT_FALSE(reportText().contains(QStringLiteral("Gas properties")));
}

}  // namespace
}  // namespace tw::fluegas::testing

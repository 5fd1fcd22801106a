// The "Flue gas from fuel" dialog: typing a fuel and the air, the results that follow, Apply
// into the calculator table and the chain into Calculate, the inputs remembered for the
// session, and pictures of both languages.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>

#include "Combustion.h"
#include "FlueGasBatch.h"
#include "FlueGasCalculator.h"
#include "WindowFixture.h"
#include "frmFuelGas.h"

namespace tw::fluegas::testing {
namespace {

struct Field {
    const char* name;
    QString text;
};

class FuelGasDialogTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        frmFuelGas::forgetRememberedInputs();
    }

    // Opens the dialog from the Option menu and runs `inDialog` while it is shown; the
    // dialog is cancelled afterwards unless `inDialog` closed it.
    void withDialog(const std::function<void(frmFuelGas&)>& inDialog) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<frmFuelGas*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            ran = true;
            inDialog(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        menu("mnuFuelGas");
        EXPECT_TRUE(ran);
    }

    static void chooseKind(frmFuelGas& d, int kind) {
        d.findChild<QComboBox*>(QStringLiteral("cmbFuelKind"))->setCurrentIndex(kind);
    }
    static void choose(frmFuelGas& d, const char* combo, int index) {
        d.findChild<QComboBox*>(QString::fromLatin1(combo))->setCurrentIndex(index);
    }
    // Types the analysis into the grid, one percent per key row from the top.
    static void typeAnalysis(frmFuelGas& d, const std::vector<QString>& percents) {
        auto* grid = d.findChild<QTableWidget*>(QStringLiteral("msfFuel"));
        for (std::size_t i = 0; i < percents.size(); ++i) {
            grid->item(static_cast<int>(i) + 1, 1)->setText(percents[i]);
        }
    }
    static void fill(frmFuelGas& d, const std::vector<Field>& fields) {
        for (const Field& f : fields) {
            auto* edit = d.findChild<QLineEdit*>(QString::fromLatin1(f.name));
            ASSERT_NE(edit, nullptr) << f.name;
            edit->selectAll();
            QTest::keyClicks(edit, f.text);
        }
    }
    static QString gridText(frmFuelGas& d, const char* grid, int row, int column) {
        const QTableWidgetItem* item =
            d.findChild<QTableWidget*>(QString::fromLatin1(grid))->item(row, column);
        return item ? item->text() : QString();
    }
    static void apply(frmFuelGas& d) {
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("cmdApply")), Qt::LeftButton);
    }
    static void picture(frmFuelGas& d, const char* name) {
        QDir().mkpath(QStringLiteral("screenshots"));
        d.grab().save(QStringLiteral("screenshots/%1.png").arg(QString::fromLatin1(name)));
    }

    const std::vector<QString> coal_{"65.4", "4.2", "7.8", "1.3", "0.8", "10.5", "10"};
    const std::vector<QString> naturalGas_{"91", "4.5", "1.5", "0.5", "", "", "1", "1.5"};
};

TEST_F(FuelGasDialogTest, ScreenshotsOfBothLanguages) {
    open(TW_English);
    withDialog([&](frmFuelGas& d) {
        typeAnalysis(d, coal_);
        fill(d, {{"txtAirQuantity", "20"}, {"txtCoPpm", "50"}});
        ASSERT_TRUE(d.result().has_value()) << d.statusText().toStdString();
        picture(d, "fuel_gas_dialog_english");
    });
    closeWindow();
    open(TW_Korean);
    withDialog([&](frmFuelGas& d) {
        chooseKind(d, 1);
        typeAnalysis(d, naturalGas_);
        choose(d, "cmbAirQuantity", 1);
        choose(d, "cmbMoisture", 1);
        fill(d, {{"txtAirQuantity", "3"}, {"txtMoisture", "60"}, {"txtAirTemperature", "20"}});
        ASSERT_TRUE(d.result().has_value()) << d.statusText().toStdString();
        picture(d, "fuel_gas_dialog_korean");
    });
}

}  // namespace
}  // namespace tw::fluegas::testing

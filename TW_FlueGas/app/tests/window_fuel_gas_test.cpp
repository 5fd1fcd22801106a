// The "Flue gas from fuel" dialog: typing a fuel and the air, the results that follow, Apply
// into the calculator table and the chain into Calculate, the inputs remembered for the
// session, and pictures of both languages.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>

#include "CalculationReport.h"
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
            if (f.text.isEmpty()) QTest::keyClick(edit, Qt::Key_Delete);
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

TEST_F(FuelGasDialogTest, TheOptionMenuOpensItInBothLanguages) {
    open(TW_Korean);
    EXPECT_EQ(window().menuItem("mnuFuelGas")->text().toStdString(), "연료로부터 가스 조성(&G)...");
    withDialog([](frmFuelGas& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "연료로부터 가스 조성 - Tarnwell Inc.");
        EXPECT_EQ(gridText(d, "msfFuel", 6, 0).toStdString(), "H2O (수분)");
    });
    closeWindow();
    open(TW_English);
    EXPECT_EQ(window().menuItem("mnuFuelGas")->text().toStdString(), "Flue gas from fuel(&G)...");
    withDialog([](frmFuelGas& d) {
        EXPECT_EQ(gridText(d, "msfFuel", 7, 0).toStdString(), "Ash");
        // Nothing typed yet: the dialog asks for the analysis and has nothing to apply.
        EXPECT_EQ(d.statusText().toStdString(), "Enter the fuel analysis.");
        EXPECT_FALSE(d.findChild<QPushButton*>(QStringLiteral("cmdApply"))->isEnabled());
    });
}

// Apply then Calculate gives the table the flue gas command gives for the same composition.
TEST_F(FuelGasDialogTest, ApplyThenCalculateIsTheFlueGasCalculationOfThatComposition) {
    for (const CompositionBasis basis : {CompositionBasis::Volume, CompositionBasis::Weight}) {
        open(TW_English);
        if (basis == CompositionBasis::Weight) menu("mnuWeight");
        goToRow(rowGasTemperature);
        typeRows({"300", "25"});
        std::optional<FlueGasFromFuelResult> applied;
        withDialog([&](frmFuelGas& d) {
            typeAnalysis(d, coal_);
            fill(d, {{"txtAirQuantity", "20"}, {"txtCoPpm", "30"}});
            applied = d.result();
            apply(d);
        });
        ASSERT_TRUE(applied);
        const auto texts = flueGasCompositionTexts(*applied, basis);
        for (int slot = 0; slot < kSpeciesCount; ++slot) {
            EXPECT_EQ(cell(rowOfSpecies(slot)), texts[static_cast<std::size_t>(slot)]);
        }
        EXPECT_EQ(cell(rowComponentTotal), "100.000");
        EXPECT_EQ(cell(rowGasTemperature), "300");
        EXPECT_EQ(editor().text().toStdString(), cell(rowN2));
        clickButton("cmdCalc");
        EXPECT_TRUE(messages.messages().empty()) << messages.messages()[0].text;

        std::vector<std::pair<std::string, std::string>> options{
            {"t", "300"}, {"tref", "25"}, {"basis", basis == CompositionBasis::Weight ? "wt" : ""}};
        for (int row = rowN2; row <= rowH2O; ++row) {
            options.emplace_back(kCellOptionNames[static_cast<std::size_t>(row - rowN2)],
                                 cell(row));
        }
        const CaseOutcome direct = calculateCase(parseFlueGasCase(options));
        for (int row = 1; row < kTableRows; ++row) {
            EXPECT_EQ(cell(row), direct.table.value(row)) << row;
        }
        closeWindow();
    }
}

TEST_F(FuelGasDialogTest, InputsItCannotTakeAreNamedAndNothingCanBeApplied) {
    open(TW_English);
    withDialog([](frmFuelGas& d) {
        auto* applyButton = d.findChild<QPushButton*>(QStringLiteral("cmdApply"));
        typeAnalysis(d, {"90"});
        chooseKind(d, 1);  // the fuel gas keeps an analysis of its own
        typeAnalysis(d, {"90"});
        fill(d, {{"txtAirQuantity", "10"}});
        EXPECT_EQ(gridText(d, "msfFuel", 13, 1).toStdString(), "90.000");  // running total
        EXPECT_EQ(d.statusText().toStdString(),
                  "The fuel analysis adds up to 90 %; it must add up to 100 % within 0.05 %.");
        EXPECT_FALSE(applyButton->isEnabled());
        EXPECT_TRUE(gridText(d, "msfResult", 1, 2).isEmpty());

        typeAnalysis(d, {"90", "", "", "", "10"});
        EXPECT_TRUE(d.result());
        EXPECT_TRUE(applyButton->isEnabled());
        EXPECT_FALSE(d.findChild<QLineEdit*>(QStringLiteral("txtHhv"))->isEnabled());
        fill(d, {{"txtAirQuantity", "1O"}});
        EXPECT_EQ(d.statusText().toStdString(), "Excess air (%) is not a number.");
        EXPECT_FALSE(applyButton->isEnabled());
        fill(d, {{"txtAirQuantity", ""}});
        EXPECT_EQ(d.statusText().toStdString(), "Excess air (%): enter a value.");
        fill(d, {{"txtAirQuantity", "10"}, {"txtAirTemperature", "5500"}});
        EXPECT_TRUE(d.result());  // a note, not a refusal: the flame is beyond the data
        EXPECT_NE(d.statusText().indexOf(QStringLiteral("above 6000 K")), -1);
        EXPECT_EQ(gridText(d, "msfResult", 17, 2).toStdString(), "N/A");

        chooseKind(d, 0);
        EXPECT_EQ(gridText(d, "msfFuel", 1, 1).toStdString(), "90");
        EXPECT_TRUE(d.findChild<QLineEdit*>(QStringLiteral("txtHhv"))->isEnabled());
    });
    // Live results never open message boxes.
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(FuelGasDialogTest, CancelLeavesTheTableAndTheInputsAreRememberedForTheSession) {
    open(TW_English);
    goToRow(rowN2);
    type("76");
    key(Qt::Key_Return);
    withDialog([&](frmFuelGas& d) {
        chooseKind(d, 1);
        typeAnalysis(d, naturalGas_);
        choose(d, "cmbAirQuantity", 2);
        fill(d, {{"txtAirQuantity", "2.5"}, {"txtCoPpm", "15"}});
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
    });
    EXPECT_EQ(cell(rowN2), "76");
    EXPECT_EQ(cell(rowAr), "");
    closeWindow();
    open(TW_Korean);  // the session goes on
    withDialog([&](frmFuelGas& d) {
        EXPECT_EQ(d.findChild<QComboBox*>(QStringLiteral("cmbFuelKind"))->currentIndex(), 1);
        EXPECT_EQ(d.findChild<QComboBox*>(QStringLiteral("cmbAirQuantity"))->currentIndex(), 2);
        EXPECT_EQ(gridText(d, "msfFuel", 2, 1), QStringLiteral("4.5"));
        EXPECT_EQ(d.findChild<QLineEdit*>(QStringLiteral("txtCoPpm"))->text(), "15");
        ASSERT_TRUE(d.result());
        EXPECT_NEAR(d.result()->wetVolPercent[index(GasComponent::O2)], 2.5, 1e-9);
    });
}

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

namespace tw::fluegas::testing {
namespace {

TEST_F(FuelGasDialogTest, AnotherWayOfGivingAirOrMoistureShowsTheSameCase) {
    open(TW_English);
    withDialog([&](frmFuelGas& d) {
        chooseKind(d, 0);
        typeAnalysis(d, coal_);
        choose(d, "cmbAirQuantity", 0);
        fill(d, {{"txtAirQuantity", "20"}, {"txtAirTemperature", "25"}});
        choose(d, "cmbMoisture", 0);
        fill(d, {{"txtMoisture", "0.013"}});
        ASSERT_TRUE(d.result());
        const FlueGasFromFuelResult before = *d.result();
        auto* air = d.findChild<QLineEdit*>(QStringLiteral("txtAirQuantity"));
        auto* moisture = d.findChild<QLineEdit*>(QStringLiteral("txtMoisture"));
        const std::size_t o2 = index(GasComponent::O2);
        struct Step {
            const char* combo;
            int choice;
            QLineEdit* field;
            double shown;
            double tolerance;
        };
        const std::vector<Step> steps = {
            {"cmbAirQuantity", 1, air, before.dryVolPercent[o2], 0.006},
            {"cmbAirQuantity", 2, air, before.wetVolPercent[o2], 0.006},
            {"cmbAirQuantity", 0, air, 20, 0.05},
            {"cmbMoisture", 1, moisture, *relativeHumidityOf(0.013, 25), 0.06},
            {"cmbMoisture", 0, moisture, 0.013, 0.0001},
        };
        for (const Step& step : steps) {
            choose(d, step.combo, step.choice);
            EXPECT_NEAR(step.field->text().toDouble(), step.shown, step.tolerance)
                << step.combo << " " << step.choice;
            // The case is the same: the same excess air within the rounding of the field.
            ASSERT_TRUE(d.result()) << step.combo << " " << step.choice;
            EXPECT_NEAR(d.result()->excessAirPercent, before.excessAirPercent, 0.1)
                << step.combo << " " << step.choice;
        }
    });
}

TEST_F(FuelGasDialogTest, KeepsItsSizeAndShowsTheCorrelationNoteForSolidsOnly) {
    open(TW_Korean);
    withDialog([&](frmFuelGas& d) {
        auto* note = d.findChild<QLabel*>(QStringLiteral("lblHhvNote"));
        chooseKind(d, 0);
        QApplication::processEvents();
        const QSize solid = d.size();
        EXPECT_TRUE(note->text().contains(QStringLiteral("Channiwala")));
        EXPECT_TRUE(note->isVisibleTo(&d));
        chooseKind(d, 1);
        QApplication::processEvents();
        EXPECT_EQ(d.size(), solid);
        EXPECT_FALSE(note->isVisibleTo(&d));
        // The analysis column's caption fits its column.
        auto* grid = d.findChild<QTableWidget*>(QStringLiteral("msfFuel"));
        for (int kind : {0, 1}) {
            chooseKind(d, kind);
            const QString caption = gridText(d, "msfFuel", 0, 1);
            EXPECT_LE(grid->fontMetrics().horizontalAdvance(caption), grid->columnWidth(1))
                << caption.toStdString();
        }
    });
}

TEST_F(FuelGasDialogTest, TheSheetNamesTheFuelWhileTheCompositionIsItsOwn) {
    open(TW_English);
    withDialog([&](frmFuelGas& d) {
        chooseKind(d, 0);
        typeAnalysis(d, coal_);
        choose(d, "cmbAirQuantity", 0);
        fill(d, {{"txtAirQuantity", "20"}, {"txtAirTemperature", "25"}, {"txtCoPpm", "0"}});
        apply(d);
    });
    goToRow(rowGasTemperature);
    typeRows({"300", "25"});
    clickButton("cmdCalc");
    ASSERT_TRUE(window().lastCalculation());
    ASSERT_TRUE(window().lastCalculation()->fuel);
    const CalculationReport sheet =
        buildCalculationReport(*window().lastCalculation(), "p", TW_English);
    const auto fuel =
        std::find_if(sheet.sections.begin(), sheet.sections.end(),
                     [](const ReportSection& s) { return s.heading == "Flue gas from fuel"; });
    ASSERT_NE(fuel, sheet.sections.end());
    const auto has = [&](const std::string& label, const std::string& value) {
        return std::any_of(fuel->rows.begin(), fuel->rows.end(), [&](const ReportRow& r) {
            return r.label == label && (value.empty() || r.value == value);
        });
    };
    EXPECT_TRUE(has("C", "65.400"));
    EXPECT_TRUE(has("Excess air", "20.00"));
    EXPECT_TRUE(has("Higher heating value (HHV)", ""));
    EXPECT_TRUE(has("Air temperature", "25.0"));
    // Another N2 is no longer the fuel's composition.
    goToRow(rowN2);
    type("70");
    key(Qt::Key_Return);
    clickButton("cmdCalc");
    ASSERT_TRUE(window().lastCalculation());
    EXPECT_FALSE(window().lastCalculation()->fuel);
}

TEST(RelativeHumidity, InvertsTheMoistureOfSaturatedAndDryAir) {
    CombustionInput input;
    input.moisture = AirMoisture::RelativeHumidity;
    input.airTemperatureC = 30;
    for (double rh : {0.0, 35.0, 100.0}) {
        input.moistureValue = rh;
        const FlueGasFromFuelOutcome outcome = evaluateFlueGasFromFuel(input);
        static_cast<void>(outcome);
    }
    EXPECT_NEAR(*relativeHumidityOf(0, 30), 0, 1e-12);
    // Outside 1 oC to 100 oC, and for a moisture that is no number, there is none.
    EXPECT_FALSE(relativeHumidityOf(0.01, 0.5));
    EXPECT_FALSE(relativeHumidityOf(0.01, 100));
    EXPECT_FALSE(relativeHumidityOf(std::nan(""), 30));
    EXPECT_FALSE(relativeHumidityOf(-0.01, 30));
    // Over 100 % for air holding more than saturated air can.
    EXPECT_GT(*relativeHumidityOf(1.0, 30), 100);
}

}  // namespace
}  // namespace tw::fluegas::testing

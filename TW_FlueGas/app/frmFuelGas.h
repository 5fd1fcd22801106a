#pragma once
// The "Flue gas from fuel" dialog: the fuel (kind and analysis, with its running total), the
// air (excess air or an O2 target, humidity or relative humidity, temperature), CO and an
// optional measured heating value; the results of the combustion calculation follow every
// change. "Apply" closes the dialog accepted with a result for the calculator table; the
// dialog itself computes nothing and writes nothing into the table.
//
// The inputs are remembered for the rest of the session: the next dialog opens with them.

#include <QDialog>
#include <array>
#include <optional>

#include "Combustion.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tw::fluegas {

class frmFuelGas final : public QDialog {
    Q_OBJECT
  public:
    explicit frmFuelGas(std::int32_t language, QWidget* parent = nullptr);
    ~frmFuelGas() override;

    // The result of the inputs shown; empty while they are refused or incomplete.
    const std::optional<FlueGasFromFuelResult>& result() const noexcept { return result_; }
    // The fuel, air and moisture as the dialog reads them now; nothing while one is unusable.
    std::optional<CombustionInput> input() const;
    // What the status line shows: the reason for no result, or a note on the result.
    QString statusText() const;
    // Forgets the inputs remembered from earlier dialogs: the next one opens as on a new start.
    static void forgetRememberedInputs();

  private:
    void createControls();
    void applyCaptions();
    void showFuelKind();
    void recalculate();
    void showResult();
    void remember() const;
    void restore();
    std::optional<CombustionInput> readInput(QString& problem) const;
    FuelKind fuelKind() const;

    std::int32_t language_;
    std::optional<FlueGasFromFuelResult> result_;
    bool restoring_ = true;  // until the remembered inputs are shown

    QComboBox* cmbFuelKind_ = nullptr;
    QTableWidget* msfFuel_ = nullptr;
    QComboBox* cmbAirQuantity_ = nullptr;
    QLineEdit* txtAirQuantity_ = nullptr;
    QComboBox* cmbMoisture_ = nullptr;
    QLineEdit* txtMoisture_ = nullptr;
    QLineEdit* txtAirTemperature_ = nullptr;
    QLineEdit* txtCoPpm_ = nullptr;
    QLineEdit* txtHhv_ = nullptr;
    QLabel* lblHhv_ = nullptr;
    QTableWidget* msfResult_ = nullptr;
    QTableWidget* msfComposition_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QPushButton* cmdApply_ = nullptr;
};

}  // namespace tw::fluegas

#pragma once
// The "Gas properties" dialog: the physical properties of the composition in the calculator's
// table at its gas temperature and a pressure the user types, in the window's units, with a
// chart of viscosity, conductivity and cp over temperature. The core library calculates; the
// dialog reads the table, shows the figures and follows every change of the pressure.

#include <QDialog>
#include <array>
#include <optional>

#include "CalculatorTable.h"
#include "GasProperties.h"
#include "GasPropertiesReport.h"
#include "GasPropertyUnits.h"

class QLabel;
class QLineEdit;
class QTableWidget;

class QChart;

namespace tw::fluegas {

class frmGasProperties final : public QDialog {
    Q_OBJECT
  public:
    // `table`: the calculator's table as the user left it (its composition, gas temperature,
    // basis and units); read once, when the dialog opens.
    frmGasProperties(const CalculatorTable& table, std::int32_t language,
                     QWidget* parent = nullptr);
    ~frmGasProperties() override;

    // The figures shown; empty while the inputs are refused.
    const std::optional<gasprops::GasProperties>& properties() const noexcept {
        return properties_;
    }
    const gasprops::DewPoints& dewPoints() const noexcept { return dewPoints_; }
    // The figures with their state and units, for the calculation report; empty while none
    // are shown.
    std::optional<gasprops::GasPropertiesShown> shown() const;
    // Why nothing is shown, or the notices of the figures.
    QString statusText() const;
    // The chart's series in the window's units: viscosity, conductivity, cp.
    QChart* chart() const noexcept { return chart_; }

  private:
    void createControls();
    void recalculate();
    void showFigures();
    void drawChart();

    std::int32_t language_;
    gasprops::GasUnits units_;
    std::optional<gasprops::GasMixture> gas_;
    std::optional<double> temperatureK_;
    double pressurePa_ = gasprops::kStandardAtmospherePa;
    QString tableProblem_;
    std::optional<gasprops::GasProperties> properties_;
    gasprops::DewPoints dewPoints_;

    QLineEdit* txtPressure_ = nullptr;
    QTableWidget* msfProperties_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QChart* chart_ = nullptr;
};

}  // namespace tw::fluegas

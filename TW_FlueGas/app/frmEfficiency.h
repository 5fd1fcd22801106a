#pragma once
// The "Boiler efficiency" window: the fuel and the air of the "Flue gas from fuel" dialog (the
// same inputs, kept for the session), the stack measurement and the losses given, and what the
// core's heat-loss calculation gives for them: the losses in percent of HHV (and kW with a fuel
// flow), gross and net efficiency, the analyser figure, the dew points and the margin, and
// charts of the efficiency against stack temperature and against O2. The window computes
// nothing itself; its File menu shows the calculation sheet and saves the chart.

#include <QMainWindow>
#include <array>
#include <functional>
#include <optional>

#include "BoilerEfficiency.h"

class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace tw::fluegas {

class frmEfficiency final : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmEfficiency(std::int32_t language, QWidget* parent = nullptr);
    ~frmEfficiency() override;

    // The case shown and its result; empty while the inputs are refused or incomplete.
    const std::optional<EfficiencyInput>& input() const noexcept { return input_; }
    const std::optional<EfficiencyResult>& result() const noexcept { return result_; }
    QString statusText() const;
    // The fuel and air as the dialog gives them, as though chosen there (for tests and for
    // the dialog's Apply).
    void setFuelAndAir(const CombustionInput& fuelAndAir);
    // Writes the chart shown as `base`.png and `base`.svg; false when a file could not be
    // written.
    bool saveChart(const QString& base);
    // The question "Save chart" asks for the file name (a test answers it itself).
    void setChooseChartFile(std::function<std::optional<QString>()> choose) {
        chooseChartFile_ = std::move(choose);
    }
    QChartView* stackChart() const { return stackChart_; }
    QChartView* o2Chart() const { return o2Chart_; }

  private:
    void createControls();
    void createMenus();
    void applyCaptions();
    void openFuelAndAir();
    void showFuelSummary();
    void recalculate();
    void showResult();
    void showCharts();
    void showReport();
    void saveChartAs();
    std::optional<EfficiencyInput> readInput(QString& problem) const;

    std::int32_t language_;
    std::optional<CombustionInput> fuelAndAir_;
    std::optional<EfficiencyInput> input_;
    std::optional<EfficiencyResult> result_;
    std::function<std::optional<QString>()> chooseChartFile_;

    QLabel* lblFuel_ = nullptr;
    QPushButton* cmdFuelAndAir_ = nullptr;
    std::array<QLineEdit*, 7> fields_{};
    std::array<QLabel*, 7> fieldCaptions_{};
    std::array<QLabel*, 7> fieldUnits_{};
    QComboBox* cmbO2Basis_ = nullptr;
    QComboBox* cmbAnalyser_ = nullptr;
    QLabel* lblGross_ = nullptr;
    QLabel* lblNet_ = nullptr;
    QLabel* lblAnalyser_ = nullptr;
    QTableWidget* msfLosses_ = nullptr;
    QLabel* lblDewPoints_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QTabWidget* tabCharts_ = nullptr;
    QChartView* stackChart_ = nullptr;
    QChartView* o2Chart_ = nullptr;
};

// Opens the window (one per parent; a second call raises it).
void showBoilerEfficiency(QWidget* parent, std::int32_t language);

}  // namespace tw::fluegas

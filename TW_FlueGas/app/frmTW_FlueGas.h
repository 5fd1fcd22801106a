#pragma once
// frmTW_FlueGas: the calculator window. It shows the calculator table in the grid msfInput,
// edits it through the in-place editor txtInput, and forwards every command (Calculate, the
// composition tools, options, unit change) to the calculator core. It computes nothing itself.

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <bitset>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "CalculationRecord.h"
#include "CalculatorTable.h"
#include "LastCase.h"
#include "GasPropertiesReport.h"
#include "WindowTexts.h"
#include "frmReport.h"
#include "frmTW_UnitSel.h"
#include "tw/Unit.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;

namespace tw::fluegas {

class CalculatorGrid;
class CaptionButton;

class frmTW_FlueGas final : public QMainWindow {
    Q_OBJECT
  public:
    // Where the window looks for its settings file, and the program language.
    // The user's configuration directory also keeps the case shown at exit (LastCase.ini).
    struct Options {
        std::filesystem::path programDir;     // the directory of the running program
        std::filesystem::path userConfigDir;  // fallback when programDir accepts no new files
        std::int32_t language = TW_Korean;
    };
    // The program's directory and the per-user configuration directory of the platform.
    static Options defaultOptions();

    explicit frmTW_FlueGas(Options options = defaultOptions(), QWidget* parent = nullptr);
    ~frmTW_FlueGas() override;

    CalculatorTable& table() noexcept { return table_; }
    const std::filesystem::path& settingsPath() const noexcept { return settingsPath_; }
    // The default units while they exist (from loading the settings to writing them at exit).
    const Unit* DefaultUnits() const noexcept { return defaultUnits_ ? &*defaultUnits_ : nullptr; }
    CalculatorGrid& msfInput() noexcept { return *msfInput_; }
    QLineEdit& txtInput() noexcept { return *txtInput_; }
    // A menu item by its name ("mnuVolume", "mnuFormulaSub1", ...); nullptr for another name.
    QAction* menuItem(std::string_view name) const;
    // The unit dialog while it is open.
    frmTW_UnitSel* unitDialog() const noexcept { return unitDialog_.data(); }
    // The calculation report window while it is open.
    frmReport* reportWindow() const noexcept { return report_.data(); }
    // The last Calculate, when it completed.
    const std::optional<CalculationRecord>& lastCalculation() const noexcept {
        return lastCalculation_;
    }
    const std::filesystem::path& lastCasePath() const noexcept { return lastCasePath_; }
    // Asks where to save the results; nothing when the user cancels. A file dialog unless
    // replaced (tests).
    // The chosen file and whether the spreadsheet table was chosen as its type.
    struct ResultsFile {
        ResultsFile(QString fileName, bool asSpreadsheet = false)  // NOLINT: a name alone is CSV
            : name(std::move(fileName)), spreadsheet(asSpreadsheet) {}
        QString name;
        bool spreadsheet = false;
    };
    using FileChooser = std::function<std::optional<ResultsFile>()>;
    void setResultsFileChooser(FileChooser chooser) { chooseResultsFile_ = std::move(chooser); }
    // Asks a yes/no question ("Calculate now?"); true for Yes. A message box unless replaced.
    using Question = std::function<bool(const QString& text)>;
    void setQuestion(Question question) { ask_ = std::move(question); }

    // The language the window shows.
    std::int32_t language() const noexcept { return language_; }
    // True while the result rows show the numbers of inputs that have changed since.
    bool resultsStale() const noexcept { return staleRows_.any(); }
    bool isRowStale(int row) const { return row >= 0 && row < kTableRows && staleRows_.test(row); }
    // The header of the calculation sheet as the user last filled it in.
    const ReportHeader& reportHeader() const noexcept { return choices_.header; }
    void setReportHeader(const ReportHeader& header) { choices_.header = header; }
    // The folder the last file was saved in, offered by the next save.
    const QString& saveFolder() const noexcept { return saveFolder_; }
    void setSaveFolder(const QString& folder) { saveFolder_ = folder; }
    // A file name made from the case of the sheet ("Boiler_A"), or the program's name.
    QString suggestedFileName(const QString& suffix) const;

  public slots:
    // Called by name by the unit dialog after OK: takes over the dialog's temperature and
    // enthalpy units and converts the numbers shown.
    void UnitChange();

    void Calculate();
    void MakeHundredByH2O();
    void ShowComponentTotal();
    void SetCompositionBasis(tw::fluegas::CompositionBasis basis);
    void SelectFormula(int formula);
    void SelectSo3Mode(tw::fluegas::So3Mode mode);
    void OpenUnitDialog();
    void SetUnitsAsDefault();
    void ShowLicenceAgreement();
    // The Language menu: every open window switches, and the choice is kept for the next start.
    void ChooseLanguage(std::int32_t language);
    // The ways out of the window: the calculation report, the results as CSV, the table on the
    // clipboard; and a composition pasted into rows 1 to 7.
    void ShowCalculationReport();
    void SaveResults();
    void CopyTable();
    void PasteComposition();
    // The "Flue gas from fuel" dialog; its Apply writes the wet composition into the table.
    void OpenFlueGasFromFuel();
    // The "Gas properties" dialog for the composition and gas temperature in the table.
    void OpenGasProperties();
    // Writes the settings and the case shown, and ends the program (every window closes).
    void ExitProgram();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void applyLanguage(std::int32_t language);
    // Compares the inputs shown with those of the last Calculate and marks the results stale
    // when they differ.
    void checkInputs();
    void refreshStale();
    // With stale results: asks "Calculate now?" and calculates on Yes; false when the results
    // are still not current (No, or a refused calculation).
    bool resultsCurrentOrCalculated();
    void applyToolTips();
    void LoadSettings();
    void SaveSettings();
    void RestoreLastCase();
    void SaveLastCase();
    void saveOnExit();
    void refreshResultActions();
    void stepRow(int delta);
    // The next row the user types into from `from` in the direction `delta`, going round the
    // table when `wrap`; 0 when there is none.
    int nextInputRow(int from, int delta, bool wrap) const;
    // The texts of rows 1 to 7 and the composition basis.
    std::vector<std::string> compositionTexts() const;
    bool pasteCompositionFromClipboard();
    void createMenus();
    void createControls();
    void applyCaptions();
    void layoutControls();
    void setUpEditor();
    void connectTable();
    void refreshChecks();
    void activate();
    // Runs a command of the core; an error it raises is shown as "Error #" and the grid is
    // shown again either way.
    template <typename F>
    void runCommand(F&& command);

    void commitEditor();
    void loadEditor();
    void cellLeft();
    void cellEntered();
    void placeEditor(int row);
    bool editorKeyPress(QKeyEvent* key);

    CalculatorTable table_;
    std::int32_t language_;
    std::filesystem::path settingsPath_;
    std::optional<Unit> defaultUnits_;
    // The gas properties dialog's figures of the last calculation, for its report.
    std::optional<gasprops::GasPropertiesShown> gasPropertiesShown_;
    Options options_;

    CalculatorGrid* msfInput_ = nullptr;
    QLineEdit* txtInput_ = nullptr;
    CaptionButton* cmdCalc_ = nullptr;
    CaptionButton* cmd100_ = nullptr;
    CaptionButton* cmdTotal_ = nullptr;
    std::array<QLabel*, 4> labels_{};
    QLabel* staleNote_ = nullptr;
    std::array<QAction*, kMenuCaptions.size()> menuItems_{};

    QPointer<frmTW_UnitSel> unitDialog_;
    QPointer<frmReport> report_;
    std::optional<CalculationRecord> lastCalculation_;
    std::filesystem::path lastCasePath_;
    FileChooser chooseResultsFile_;
    Question ask_;
    // The inputs the shown results were calculated from (as option names and values).
    std::vector<std::pair<std::string, std::string>> calculatedInputs_;
    std::bitset<kTableRows> staleRows_;
    WindowChoices choices_;
    QString saveFolder_;
    // What the last Apply of the fuel dialog wrote into rows 1 to 7, and where it came from.
    std::optional<CalculationRecord::FuelOrigin> fuelOrigin_;
    std::vector<std::string> fuelComposition_;
    bool exiting_ = false;
    bool shownOnce_ = false;
};

}  // namespace tw::fluegas

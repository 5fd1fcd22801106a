#pragma once
// frmLineDrop: the window of the line program. A fluid panel (kind, inlet state, composition or
// typed properties, mass flow, each in the unit chosen through the unit control), the table of
// segments (size and schedule from the schedule table, length, rise, fittings), Calculate, the
// results per segment and in total, and a bar chart of the pressure along the line. The window
// holds a line document (.twline), builds the line from what is typed and hands it to the line
// calculation; it computes nothing itself.

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tw/Line.h"

class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QPlainTextEdit;
class QPushButton;
class QMenu;

namespace tw::linedrop {

class frmLineDrop final : public QMainWindow {
    Q_OBJECT
  public:
    struct Options {
        std::int32_t language = TW_Korean;
        // The program's state between runs (window size, recent files, last folder); none
        // keeps nothing.
        std::filesystem::path stateDir;
        // The calculator's state folder, whose LastCase.ini holds the language chosen in
        // either program's Language menu; none shares nothing.
        std::filesystem::path calculatorStateDir;
    };
    static Options defaultOptions();

    explicit frmLineDrop(Options options, QWidget* parent = nullptr);
    ~frmLineDrop() override;

    // The document as the window shows it; nothing (with a message) when a field is not a number.
    std::optional<tw::line::Line> line();
    // Shows `line` as a new, unchanged document.
    void setLine(const tw::line::Line& line);
    // Opens a line file; false (with a message) when it cannot be read or is not a line file.
    bool openFile(const QString& path);
    // Saves the document to `path`; false (with a message) on failure.
    bool saveFile(const QString& path);
    // Calculates the line shown; false when nothing was calculated.
    bool calculate();
    // The results table as CSV text (empty before a calculation).
    std::string resultsCsv() const;

    const std::optional<tw::line::LineResult>& result() const noexcept { return result_; }
    const QString& filePath() const noexcept { return filePath_; }
    bool isModified() const noexcept { return modified_; }
    std::int32_t language() const noexcept { return language_; }
    QStringList recentFiles() const { return recentFiles_; }
    // Opens the fittings editor of row `row` (modal).
    void editFittings(int row);
    // The report window of the last calculation (nullptr before one).
    QWidget* openReport();
    // The window is being closed by a signal (a logout, kill, Ctrl+C): nobody answers a
    // question, so a changed line goes into the recovery file instead of asking.
    void quitBySignal() noexcept { quittingBySignal_ = true; }
    // The file a changed line is kept in when a signal closes the window.
    std::filesystem::path recoveryFile() const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void buildPanels();
    void applyLanguage(std::int32_t language);
    void chooseLanguage(std::int32_t language);
    void showKind();
    void showUnits();
    void addSegmentRow(const tw::line::Segment& segment);
    void refreshFittingsCell(int row);
    void showResults();
    void clearResults();
    void setModified(bool modified);
    void updateCaption();
    bool askToKeepChanges();
    void newLine();
    void openWithDialog();
    bool save();
    bool saveAs();
    void exportCsv();
    void chooseUnits();
    void rememberFile(const QString& path);
    void rebuildRecentMenu();
    void readState();
    void writeState();
    void message(const std::string& text, bool critical = true);

    Options options_;
    std::int32_t language_;
    tw::line::Line document_;              // what the file held: the fields the panel does not show
    std::vector<tw::line::Segment> rows_;  // per table row: the segment as last read or edited
    std::optional<tw::line::LineResult> result_;
    std::optional<tw::line::Line> calculated_;  // the line of result_
    QString filePath_;
    QString lastFolder_;
    QStringList recentFiles_;
    bool modified_ = false;
    bool loading_ = false;
    bool quittingBySignal_ = false;

    QComboBox* kind_ = nullptr;
    QComboBox* basis_ = nullptr;
    QLabel* kindLabel_ = nullptr;
    QLabel* compositionLabel_ = nullptr;
    std::array<QLabel*, 7> fieldLabels_{};
    std::array<QLineEdit*, 7> fields_{};
    std::array<QLabel*, 7> unitLabels_{};
    std::array<QLineEdit*, 7> composition_{};
    QTableWidget* segments_ = nullptr;
    QPushButton* addSegment_ = nullptr;
    QPushButton* removeSegment_ = nullptr;
    QPushButton* calculate_ = nullptr;
    QTableWidget* results_ = nullptr;
    QPlainTextEdit* messages_ = nullptr;
    QChartView* chart_ = nullptr;
    QMenu* recentMenu_ = nullptr;
};

}  // namespace tw::linedrop

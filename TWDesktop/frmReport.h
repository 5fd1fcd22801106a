#pragma once
// frmReport: the calculation sheet in a window of its own. The sheet's content comes from the
// calculator core; this window lays it out into a locked rich text output control in its
// viewer mode, with the control's page layout (ruled tables of label, value and unit, bold
// headings), and the control's own commands save it as RTF and print it. Above
// the sheet, the header fields (project, case, prepared by, checked by, date) that the user
// fills in; the sheet follows them and the program language.

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "CalculationRecord.h"
#include "CalculationReport.h"
#include "ReportTexts.h"

class ctlTWRTFOutput_d;
class QLabel;
class QLineEdit;

namespace tw::fluegas {

class frmReport final : public QWidget {
    Q_OBJECT
  public:
    frmReport(CalculationRecord record, ReportHeader header, std::int32_t language,
              QWidget* parent = nullptr);
    // A sheet of given content, laid out as it stands (the header fields do not change it).
    frmReport(CalculationReport content, std::int32_t language, QWidget* parent = nullptr);
    // A sheet that `compose` writes anew for each language and header the window shows; the
    // window's caption is `caption` in the language shown.
    using Composer = std::function<CalculationReport(std::int32_t, const ReportHeader&)>;
    frmReport(Composer compose, BilingualText caption, ReportHeader header, std::int32_t language,
              QWidget* parent = nullptr);
    ~frmReport() override;

    ctlTWRTFOutput_d* rtfOutput() const { return rtfOutput_; }
    // A header field by its name: "txtProject", "txtCase", "txtPreparedBy", "txtCheckedBy",
    // "txtDate"; nullptr for another name.
    QLineEdit* headerField(std::string_view name) const;
    const ReportHeader& header() const noexcept { return header_; }
    std::int32_t language() const noexcept { return language_; }
    // The folder and the file name the save dialog offers.
    void setSaveFolder(const QString& folder);
    void setSuggestedFileName(const QString& name);
    // Sections the sheet adds after its own, made anew in each language it is shown in.
    void setExtraSections(std::function<std::vector<ReportSection>(std::int32_t)> sections);

  signals:
    // The user changed a header field.
    void headerChanged(const tw::fluegas::ReportHeader& header);
    // The sheet was saved into `folder`.
    void savedIn(const QString& folder);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void applyLanguage(std::int32_t language);
    void readHeaderFields();
    void compose();
    void writeTable(const std::vector<ReportRow>& rows);
    void writeLine(const std::string& line);
    void layOut();

    void setUp();

    std::optional<CalculationRecord> record_;
    std::optional<CalculationReport> content_;
    Composer composer_;
    BilingualText caption_ = kReportWindowCaption;
    std::function<std::vector<ReportSection>(std::int32_t)> extraSections_;
    ReportHeader header_;
    std::int32_t language_;
    QString saveFolder_;
    bool closing_ = false;
    QString fileName_;
    std::array<QLabel*, 5> headerLabels_{};
    std::array<QLineEdit*, 5> headerFields_{};
    ctlTWRTFOutput_d* rtfOutput_ = nullptr;
};

}  // namespace tw::fluegas

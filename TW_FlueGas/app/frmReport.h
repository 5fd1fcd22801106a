#pragma once
// frmReport: the calculation report in a window of its own. The report's content comes from
// the calculator core; this window lays it out into a locked rich text output control with the
// control's page layout and tab stops (aligned label, value and unit columns, bold headings),
// and the control's own commands save it as RTF and print it. The control's Close closes the
// window.

#include <QWidget>
#include <cstdint>

#include "CalculationReport.h"

class ctlTWRTFOutput_d;

namespace tw::fluegas {

class frmReport final : public QWidget {
    Q_OBJECT
  public:
    frmReport(const CalculationReport& report, std::int32_t language, QWidget* parent = nullptr);

    ctlTWRTFOutput_d* rtfOutput() const { return rtfOutput_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void compose(const CalculationReport& report);
    void writeRow(const ReportRow& row);
    void writeLine(const std::string& line);

    ctlTWRTFOutput_d* rtfOutput_ = nullptr;
};

}  // namespace tw::fluegas

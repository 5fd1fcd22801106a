#pragma once
// The licence dialog: the program's end-user licence agreement in the program's language,
// composed into a locked rich text output control that the user may select, copy, save and
// print, and closed by the control's Close command.

#include <QDialog>
#include <cstdint>

class ctlTWRTFOutput_d;

namespace tw::fluegas {

class frmEULA : public QDialog {
    Q_OBJECT
  public:
    explicit frmEULA(std::int32_t language, QWidget* parent = nullptr);

    ctlTWRTFOutput_d* rtfOutput() const { return rtfOutput_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void compose(std::int32_t language);

    ctlTWRTFOutput_d* rtfOutput_ = nullptr;
};

}  // namespace tw::fluegas

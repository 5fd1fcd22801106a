#pragma once
// The unit selection dialog: one TWUnitSel control named Unit at (0, 0). OK calls the public
// method UnitChange of the control's CallingObject by name, then closes; Cancel only closes.

#include <QDialog>

#include "TWUnitSel.h"

namespace tw::fluegas {

class frmTW_UnitSel final : public QDialog {
    Q_OBJECT
  public:
    explicit frmTW_UnitSel(std::int32_t language, QWidget* parent = nullptr);

    TWUnitSel& Unit() noexcept { return *unit_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void okClick();
    void fitToControl();

    std::int32_t language_;
    TWUnitSel* unit_;  // owned by the dialog
};

}  // namespace tw::fluegas

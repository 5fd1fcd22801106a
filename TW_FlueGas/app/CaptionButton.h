#pragma once
// A push button whose caption wraps onto several lines at its blanks, as a command button of
// the classic desktop does ("H2O로         100% 만들기" shows on two lines). text() stays the
// caption exactly as given.

#include <QPushButton>

namespace tw::fluegas {

class CaptionButton final : public QPushButton {
    Q_OBJECT
  public:
    using QPushButton::QPushButton;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tw::fluegas

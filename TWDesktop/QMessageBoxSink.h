#pragma once
// The message sink of the windows: every message of the calculation code becomes a modal
// QMessageBox over the active window.

#include <QPointer>
#include <QWidget>

#include "tw/MessageSink.h"

namespace tw::fluegas {

class QMessageBoxSink final : public MessageSink {
  public:
    // Boxes are centred over `parent` when it is alive, over the active window otherwise.
    explicit QMessageBoxSink(QWidget* parent = nullptr) : parent_(parent) {}
    MessageAnswer show(std::string_view text, std::string_view caption, MessageIcon icon,
                       MessageButtons buttons) override;
    void beep() override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace tw::fluegas

#include "QMessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>

namespace tw::fluegas {
namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
};

ButtonSet boxButtons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OKCancel:
            return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok};
        case MessageButtons::YesNo:
            return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes};
        case MessageButtons::YesNoCancel:
            return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes};
        case MessageButtons::OK:
            break;
    }
    return {QMessageBox::Ok, QMessageBox::Ok};
}

MessageAnswer answerOf(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            return MessageAnswer::OK;
    }
}

QString fromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

MessageAnswer QMessageBoxSink::show(std::string_view text, std::string_view caption,
                                    MessageIcon icon, MessageButtons buttons) {
    QWidget* parent = parent_ ? parent_.data() : QApplication::activeWindow();
    const ButtonSet set = boxButtons(buttons);
    QMessageBox box(boxIcon(icon), fromUtf8(caption), fromUtf8(text), set.buttons, parent);
    box.setDefaultButton(set.defaultButton);
    // Closing the box with Escape or its close button answers Cancel where there is one.
    if (set.buttons.testFlag(QMessageBox::Cancel)) box.setEscapeButton(QMessageBox::Cancel);
    return answerOf(box.exec());
}

void QMessageBoxSink::beep() {
    QApplication::beep();
}

}  // namespace tw::fluegas

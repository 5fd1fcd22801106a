// The QMessageBox sink of the windows: icon, caption, buttons and the answer of the user.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

#include "QMessageBoxSink.h"
#include "QtTestApp.h"

using namespace tw;
using namespace tw::fluegas;

namespace {

struct Seen {
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Shows one box through the sink and presses `press` in it.
MessageAnswer answerWith(MessageButtons buttons, MessageIcon icon,
                         QMessageBox::StandardButton press, Seen& seen) {
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        box->button(press)->click();
    });
    QMessageBoxSink sink;
    return sink.show("Error #9\nSubscript out of range", "TW_FlueGas", icon, buttons);
}

}  // namespace

TEST(MessageBoxSink, ShowsTheMessageAndReturnsTheButtonPressed) {
    tw::fluegas::testing::qtApp();
    struct Case {
        MessageButtons buttons;
        MessageIcon icon;
        QMessageBox::StandardButton press;
        MessageAnswer answer;
        QMessageBox::Icon shownIcon;
        QMessageBox::StandardButtons shownButtons;
    };
    const Case cases[] = {
        {MessageButtons::OK, MessageIcon::Critical, QMessageBox::Ok, MessageAnswer::OK,
         QMessageBox::Critical, QMessageBox::Ok},
        {MessageButtons::YesNoCancel, MessageIcon::Exclamation, QMessageBox::No, MessageAnswer::No,
         QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
        {MessageButtons::YesNoCancel, MessageIcon::Information, QMessageBox::Cancel,
         MessageAnswer::Cancel, QMessageBox::Information,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
        {MessageButtons::YesNo, MessageIcon::None, QMessageBox::Yes, MessageAnswer::Yes,
         QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No},
    };
    for (const Case& c : cases) {
        Seen seen;
        EXPECT_EQ(answerWith(c.buttons, c.icon, c.press, seen), c.answer);
        EXPECT_EQ(seen.caption.toStdString(), "TW_FlueGas");
        EXPECT_EQ(seen.text.toStdString(), "Error #9\nSubscript out of range");
        EXPECT_EQ(seen.icon, c.shownIcon);
        EXPECT_EQ(seen.buttons, c.shownButtons);
    }
}

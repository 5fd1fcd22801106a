// A paste into the cell editor, by every route, keeps only what typing could have put there.
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

#include "CellPaste.h"
#include "LastCase.h"
#include "WindowFixture.h"

using namespace tw;
using namespace tw::fluegas;
using namespace tw::fluegas::testing;

using CellPasteTest = WindowTest;

namespace {

void contextMenuPaste(QLineEdit& editor) {
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (action->objectName() == QLatin1String("edit-paste")) action->trigger();
        }
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                            editor.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&editor, &event);
}

}  // namespace

TEST_F(CellPasteTest, EveryRouteDropsWhatACellRefusesAndSaysSo) {
    open(TW_English);
    goToRow(rowGasTemperature);
    struct Route {
        const char* what;
        std::function<void(QLineEdit&)> paste;
    };
    const std::vector<Route> routes = {
        {"Ctrl+V", [](QLineEdit& e) { QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier); }},
        {"Shift+Insert",
         [](QLineEdit& e) { QTest::keyClick(&e, Qt::Key_Insert, Qt::ShiftModifier); }},
        {"context menu", contextMenuPaste},
    };
    struct Case {
        QString clipboard;
        const char* expected;  // the editor's text after the paste over "7"
        const char* status;    // a piece of the status bar line
    };
    const std::vector<Case> cases = {
        {QString::fromUtf8("12\0ab\n3.5\xEF\xBB\xBF", 12), "123.5", "5 characters"},
        {QString(1000000, QChar('1')), nullptr, "999937 characters"},
        {QStringLiteral("abc\t\x01"), "7", "Nothing was pasted"},
    };
    for (const Route& route : routes) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(route.what) + " " + c.clipboard.left(12).toStdString());
            type("7");
            editor().end(false);
            window().statusBar()->clearMessage();
            QApplication::clipboard()->setText(c.clipboard);
            route.paste(editor());
            if (c.expected != nullptr) {
                EXPECT_EQ(editor().text().toStdString(),
                          std::string(c.expected) == "7" ? "7" : "7" + std::string(c.expected));
            } else {
                EXPECT_EQ(editor().text().size(), kCellTextLimit);
            }
            EXPECT_NE(window().statusBar()->currentMessage().toStdString().find(c.status),
                      std::string::npos)
                << window().statusBar()->currentMessage().toStdString();
        }
    }
    // What reaches the table (and the case file) is what the editor holds.
    type("");
    QApplication::clipboard()->setText(QString::fromUtf8("3\0\n5", 4));
    QTest::keyClick(&editor(), Qt::Key_V, Qt::ControlModifier);
    key(Qt::Key_Return);
    EXPECT_EQ(cell(rowGasTemperature), "35");
}

TEST(CellTextValidator, KeepsOnlyTheCharactersACellTakesAndAtMostItsLimit) {
    const CellTextValidator validator;
    struct Case {
        QString input;
        int position;
        QString expected;
        int expectedPosition;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("12.5e-3"), 3, QStringLiteral("12.5e-3"), 3},
        {QStringLiteral("1x2\n3"), 3, QStringLiteral("123"), 2},
        {QString::fromUtf8("가1"), 2, QStringLiteral("1"), 1},
        {QString(100, QChar('9')), 100, QString(kCellTextLimit, QChar('9')), kCellTextLimit},
    };
    for (Case c : cases) {
        EXPECT_EQ(validator.validate(c.input, c.position), QValidator::Acceptable);
        EXPECT_EQ(c.input, c.expected);
        EXPECT_EQ(c.position, c.expectedPosition);
    }
}

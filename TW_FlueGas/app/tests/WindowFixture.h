#pragma once
// A calculator window on Qt's offscreen platform, with its settings in a folder of its own and
// its messages recorded; helpers that type and click like a user.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "CalculatorGrid.h"
#include "QtTestApp.h"
#include "frmTW_FlueGas.h"
#include "frmTW_UnitSel.h"
#include "tw/MessageSink.h"

namespace tw::fluegas::testing {

namespace fs = std::filesystem;

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        qtApp();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // The process number keeps apart runs of the same test in other build trees.
        dir_ = fs::temp_directory_path() / (std::string("tw_window_") + info->test_suite_name() +
                                            "_" + info->name() + "_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "bin");
    }
    void TearDown() override {
        window_.reset();
        fs::remove_all(dir_);
    }

    frmTW_FlueGas::Options options(std::int32_t language = TW_Korean) const {
        return {dir_ / "bin", dir_ / "config", language};
    }
    fs::path settingsFile() const { return dir_ / "bin" / "TW_FlueGas.twn"; }
    // The test's own folder, removed after it.
    const fs::path& testFolder() const { return dir_; }

    // Opens the window as the program does and waits until it can take keys.
    frmTW_FlueGas& open(std::int32_t language = TW_Korean) {
        window_ = std::make_unique<frmTW_FlueGas>(options(language));
        window_->show();
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        QApplication::processEvents();
        return *window_;
    }
    void closeWindow() {
        window_->close();
        window_.reset();
    }

    frmTW_FlueGas& window() { return *window_; }
    CalculatorTable& table() { return window_->table(); }
    QLineEdit& editor() { return window_->txtInput(); }

    // Types `text` over the editor's contents (the editor selects all on entering a cell).
    void type(const QString& text) {
        editor().selectAll();
        QTest::keyClicks(&editor(), text);
    }
    void key(Qt::Key k) { QTest::keyClick(&editor(), k); }
    // Types a column of values from the current row downwards, Down after each.
    void typeRows(const std::vector<QString>& values) {
        for (const QString& v : values) {
            type(v);
            key(Qt::Key_Down);
        }
    }
    void goToRow(int row) {
        while (table().row() > row) key(Qt::Key_Up);
        while (table().row() < row) key(Qt::Key_Down);
    }
    void clickCell(int row, int column = colValue) {
        CalculatorGrid& grid = window_->msfInput();
        const QRect cell = grid.visualRect(grid.model()->index(row, column));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    }
    void clickButton(const char* name) {
        auto* button = window_->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void menu(const char* name) {
        QAction* action = window_->menuItem(name);
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }
    std::string cell(int row, int column = colValue) { return table().text(row, column); }

    // Opens the unit dialog from the menu and runs `inDialog` while it is shown.
    void withUnitDialog(const std::function<void(frmTW_UnitSel&)>& inDialog) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            frmTW_UnitSel* dialog = window_->unitDialog();
            ASSERT_NE(dialog, nullptr);
            ran = true;
            inDialog(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        menu("mnuUnitSet");
        EXPECT_TRUE(ran);
    }
    static void chooseUnit(frmTW_UnitSel& dialog, const char* combo, const char* unit) {
        auto* box = dialog.findChild<QComboBox*>(QString::fromLatin1(combo));
        ASSERT_NE(box, nullptr) << combo;
        const int index = box->findText(QString::fromUtf8(unit));
        ASSERT_GE(index, 0) << unit;
        box->setCurrentIndex(index);
    }
    static void press(frmTW_UnitSel& dialog, const char* button) {
        auto* b = dialog.findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(b, nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    // Writes a picture of the window into <build>/screenshots/.
    void screenshot(const char* name) {
        QDir().mkpath(QStringLiteral("screenshots"));
        window_->grab().save(QStringLiteral("screenshots/%1.png").arg(QString::fromLatin1(name)));
    }

    RecordingMessageSink messages;
    ScopedMessageSink installed{messages};

  private:
    fs::path dir_;
    std::unique_ptr<frmTW_FlueGas> window_;
};

}  // namespace tw::fluegas::testing

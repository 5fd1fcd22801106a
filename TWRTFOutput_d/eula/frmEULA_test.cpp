// The licence dialog on the offscreen platform: composed in Korean and English, locked, saved
// and printed through the control, closed by its Close command.

#include "frmEULA.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolBar>

#include "TWRTFOutput/RtfDocument.h"
#include "TWRTFOutput/ctlTWRTFOutput_d.h"
#include "tw/Language.h"

namespace {

int argc = 1;
char arg0[] = "test";
char* argv[] = {arg0, nullptr};

void ensureApp() {
    static QApplication app(argc, argv);
}

struct SaveTo final : RtfOutputDialogs {
    QString file;
    std::optional<QString> openFileName(QWidget*, const QString&, const QString&) override {
        return {};
    }
    std::optional<QString> saveFileName(QWidget*, const QString&, const QString&,
                                        const QString&) override {
        return file;
    }
    bool print(QWidget*, const QString&, QPrinter& printer, bool, bool& selectionOnly) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file + ".pdf");
        selectionOnly = false;
        return true;
    }
    QMessageBox::StandardButton askYesNoCancel(QWidget*, const QString&, const QString&) override {
        return QMessageBox::Cancel;
    }
    void showCritical(QWidget*, const QString&, const QString&) override {}
};

TEST(frmEULA, KoreanAgreementIsLockedAndComposedWhole) {
    ensureApp();
    tw::fluegas::frmEULA dialog(tw::TW_Korean);
    dialog.show();
    ctlTWRTFOutput_d& rtf = *dialog.rtfOutput();
    EXPECT_EQ(dialog.windowTitle(), u"TW_FlueGas 최종 사용자 사용권 계약서"_qs);
    EXPECT_TRUE(rtf.rtfLocked());
    EXPECT_FALSE(rtf.isModified());
    const QString text = rtf.rtfText();
    EXPECT_TRUE(
        text.contains(u"TW_FlueGas 최종 사용자 사용권 계약서\n제1판, 2026년 12월\n\n\n"_qs));
    // Every piece fits on its line: nothing of a paragraph was cut.
    EXPECT_TRUE(text.contains(u"이 계약서에 관한 문의는 프로그램 제작자에게 하십시오."_qs));
    EXPECT_TRUE(text.endsWith(u"하십시오."_qs));
    QDir().mkpath("rtf_screens");
    dialog.grab().save("rtf_screens/eula_korean.png");

    // Locked: edit commands change nothing, but the text can be saved and printed.
    rtf.textArea()->selectAll();
    rtf.toolbarButtonClick("delete");
    EXPECT_EQ(rtf.rtfText(), text);
    QTemporaryDir dir;
    auto dialogs = std::make_unique<SaveTo>();
    dialogs->file = dir.filePath("eula.rtf");
    rtf.setDialogs(std::move(dialogs));
    rtf.toolbarButtonClick("saveas");
    QFile saved(dir.filePath("eula.rtf"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const auto model = tw::rtf::read(saved.readAll());
    ASSERT_TRUE(model);
    EXPECT_TRUE(model->text().contains(u"제1판"_qs));
    rtf.toolbarButtonClick("print");
    QFile pdf(dir.filePath("eula.rtf.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
}

TEST(frmEULA, EnglishAgreementHasItsTitleAndElevenParagraphs) {
    ensureApp();
    tw::fluegas::frmEULA dialog(tw::TW_English);
    EXPECT_EQ(dialog.windowTitle(), "TW_FlueGas End User License Agreement");
    const QString text = dialog.rtfOutput()->rtfText();
    EXPECT_TRUE(text.contains("Please address questions about this agreement to the maker."));
    EXPECT_TRUE(
        text.contains("Results are for reference only; the final design decision is yours."));
    // The page set-up leaves its line feeds before the title; then three after the edition line
    // and after each of the first ten paragraphs.
    EXPECT_EQ(text.mid(text.indexOf("TW_FlueGas")).count("\n\n\n"), 11);
}

// The part of `widget` that lies inside the dialog, in the dialog's coordinates.
QRect shownPart(const QWidget& widget, const QDialog& dialog) {
    return QRect(widget.mapTo(&dialog, QPoint(0, 0)), widget.size()).intersected(dialog.rect());
}

TEST(frmEULA, ShrinkingKeepsTheViewerMenuAndSomeLinesInViewAndGrowingShowsMore) {
    ensureApp();
    tw::fluegas::frmEULA dialog(tw::TW_English);
    dialog.show();
    const ctlTWRTFOutput_d& rtf = *dialog.rtfOutput();
    // Read-only text: the control's viewer, without the toolbar.
    ASSERT_TRUE(rtf.isViewerMode());
    const auto* menu = rtf.findChild<QMenuBar*>(QStringLiteral("viewerMenuBar"));
    ASSERT_TRUE(menu);
    EXPECT_FALSE(rtf.toolbar()->isVisible());
    const QWidget& text = *rtf.textArea()->viewport();
    const int line = rtf.textArea()->fontMetrics().lineSpacing();

    dialog.resize(20, 20);
    EXPECT_GT(dialog.height(), 20);
    // The whole menu bar and a few lines stay in view.
    EXPECT_GE(shownPart(*menu, dialog).width(), menu->sizeHint().width());
    EXPECT_EQ(shownPart(*menu, dialog).height(), menu->height());
    EXPECT_GE(shownPart(text, dialog).height(), 3 * line);
    const int smallest = shownPart(text, dialog).height();

    // The control follows the dialog: a larger dialog shows more of the agreement.
    dialog.resize(1000, 800);
    EXPECT_EQ(rtf.size(), dialog.size());
    EXPECT_GT(shownPart(text, dialog).height(), smallest + 10 * line);
}

TEST(frmEULA, OtherLanguageLeavesThePaneEmptyAndCloseClosesTheDialog) {
    ensureApp();
    tw::fluegas::frmEULA dialog(7);
    EXPECT_EQ(dialog.rtfOutput()->rtfText(), "");
    dialog.show();
    dialog.rtfOutput()->toolbarButtonClick("close");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace

// The rich text output control on the offscreen platform: page layout and tab columns,
// rtfSelText, change tracking, files, printing and persistence.

#include "TWRTFOutput/ctlTWRTFOutput_d.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTextTable>
#include <csignal>

#include "PropertyBag.h"
#include "TWRTFOutput/RtfDocument.h"
#include "TWRTFOutput/RtfTextDocument.h"

namespace {

int argc = 1;
char arg0[] = "test";
char* argv[] = {arg0, nullptr};
QApplication& app() {
    static QApplication application(argc, argv);
    return application;
}

// Dialogs that answer as a test tells them and remember what was shown.
struct ScriptedDialogs final : RtfOutputDialogs {
    std::optional<QString> fileName;
    QString pdfFile;
    QMessageBox::StandardButton answer = QMessageBox::No;
    int questions = 0;
    QStringList errors;

    std::optional<QString> openFileName(QWidget*, const QString&, const QString&) override {
        return fileName;
    }
    std::optional<QString> saveFileName(QWidget*, const QString&, const QString&,
                                        const QString&) override {
        return fileName;
    }
    bool print(QWidget*, const QString&, QPrinter& printer, bool, bool& selectionOnly) override {
        if (pdfFile.isEmpty()) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFile);
        selectionOnly = false;
        return true;
    }
    QMessageBox::StandardButton askYesNoCancel(QWidget*, const QString&, const QString&) override {
        ++questions;
        return answer;
    }
    void showCritical(QWidget*, const QString&, const QString& text) override { errors << text; }
};

class Control : public testing::Test {
  protected:
    void SetUp() override {
        app();
        auto d = std::make_unique<ScriptedDialogs>();
        dialogs = d.get();
        control.setDialogs(std::move(d));
        control.show();
    }
    struct AppFirst {
        AppFirst() { app(); }
    } appFirst;
    ctlTWRTFOutput_d control;
    ScriptedDialogs* dialogs = nullptr;
    QTemporaryDir dir;
};

TEST_F(Control, ThreeTabStopsOnA4PortraitWithOneCentimetreMargins) {
    control.setrtfTabNos(3);
    EXPECT_FLOAT_EQ(control.columnUnit(), 2693.25f);
    const auto stops = control.tabStops();
    ASSERT_EQ(stops.size(), 3u);
    EXPECT_NEAR(stops[0], 3260.25f, 0.01f);
    EXPECT_NEAR(stops[1], 5953.5f, 0.01f);
    EXPECT_NEAR(stops[2], 8646.75f, 0.01f);
    EXPECT_NEAR(control.leftIndent(), 567.0f, 0.01f);
    EXPECT_EQ(control.currentColumn(), 0);
    // The layout inserted one line feed.
    EXPECT_EQ(control.rtfText(), "\n");
}

TEST_F(Control, TabPositionAndWidthAreClampedToTheTabStops) {
    control.setrtfTabNos(3);
    struct Case {
        short pos, width, expectPos, expectWidth;
    };
    for (const Case c : {Case{5, 1, 3, 1}, Case{2, 4, 2, 2}, Case{0, 1, 0, 1}}) {
        QString word = "x";
        short pos = c.pos, width = c.width, lf = 1;
        control.rtfSelText(word, pos, width, lf);
        EXPECT_EQ(pos, c.expectPos);
        EXPECT_EQ(width, c.expectWidth);
    }
}

TEST_F(Control, TooWideWordIsCutBeforeTheLimit) {
    control.setrtfTabNos(3);
    const QString word(400, u'W');
    control.rtfSelText(word, 0, 1, 0);
    const QString inserted = control.rtfText().section('\n', -1);
    EXPECT_GT(inserted.size(), 0);
    EXPECT_LT(inserted.size(), word.size());
    const QFontMetricsF m(control.textArea()->textCursor().charFormat().font().resolve(
                              control.textArea()->document()->defaultFont()),
                          control.textArea()->viewport());
    EXPECT_LT(m.horizontalAdvance(inserted) * 15, control.columnUnit());
    EXPECT_GE(m.horizontalAdvance(inserted + "W") * 15, control.columnUnit());
}

TEST_F(Control, TwoCallsInOneColumnInsertOneTab) {
    control.setrtfTabNos(3);
    control.rtfSelText("a", 1, 1, 0);
    EXPECT_EQ(control.currentColumn(), 1);
    control.rtfSelText("b", 1, 1, 1);
    EXPECT_EQ(control.currentColumn(), 0);
    EXPECT_EQ(control.rtfText(), "\n\tab\n");
}

TEST_F(Control, WordsRunOnWithoutTabStops) {
    control.rtfSelText("one ");
    control.rtfSelText("two ");
    control.rtfSelText("three");
    EXPECT_EQ(control.rtfText(), "one two three");
    control.rtfSelText("", 0, 1, 2);
    EXPECT_EQ(control.rtfText(), "one two three\n\n");
}

TEST_F(Control, UnknownPaperKindIsStoredButKeepsTheWidth) {
    control.setrtfPaperWidth(ctlTWRTFOutput_d::A3_Landscape);
    EXPECT_FLOAT_EQ(control.paperWidth(), 23814.0f);
    control.setrtfPaperWidth(9);
    EXPECT_EQ(control.rtfPaperWidth(), 9);
    EXPECT_FLOAT_EQ(control.paperWidth(), 23814.0f);
}

TEST_F(Control, UserTypingMarksModifiedAndNewAsksFirst) {
    control.rtfSelText("from the host");
    EXPECT_FALSE(control.isModified());
    control.textArea()->insertPlainText("typed");  // as the user types
    EXPECT_TRUE(control.isModified());
    dialogs->answer = QMessageBox::Cancel;
    control.NewDocument();
    EXPECT_EQ(dialogs->questions, 1);
    EXPECT_TRUE(control.rtfText().contains("typed"));
    // Yes, but the save dialog is cancelled: the text stays.
    dialogs->answer = QMessageBox::Yes;
    dialogs->fileName.reset();
    control.NewDocument();
    EXPECT_TRUE(control.rtfText().contains("typed"));
    dialogs->answer = QMessageBox::No;
    control.NewDocument();
    EXPECT_EQ(control.rtfText(), "");
    EXPECT_TRUE(control.isUntitled());
}

TEST_F(Control, SavedDocumentOpensAgainWithTextAndFormats) {
    control.setrtfTabNos(2);
    control.setrtfFontBold(true);
    control.rtfSelText("제목 Title", 0, 1, 1);
    control.setrtfFontBold(false);
    control.setrtfFontItalic(true);
    control.rtfSelText("N2", 0, 1, 0);
    control.setrtfFontItalic(false);
    control.setrtfFontUnderline(true);
    control.rtfSelText("76.000", 1, 1, 0);
    control.setrtfFontUnderline(false);
    control.setrtfFontStrikeThru(true);
    control.rtfSelText("vol%", 2, 1, 0);
    const QString file = dir.filePath("report.rtf");
    dialogs->fileName = file;
    control.SaveDocumentAs();
    EXPECT_FALSE(control.isUntitled());
    const QString text = control.rtfText();
    const QString html = control.textArea()->toHtml();

    ctlTWRTFOutput_d other;
    auto d = std::make_unique<ScriptedDialogs>();
    d->fileName = file;
    other.setDialogs(std::move(d));
    other.OpenDocument();
    EXPECT_EQ(other.rtfText(), text);
    const auto firstFormats = [](const ctlTWRTFOutput_d& c, int position) {
        QTextCursor cursor(c.textArea()->document());
        cursor.setPosition(position + 1);
        return cursor.charFormat();
    };
    const int title = text.indexOf(u"제목"_qs);
    const int n2 = text.indexOf("N2");
    const int value = text.indexOf("76.000");
    const int unit = text.indexOf("vol%");
    EXPECT_EQ(firstFormats(other, title).fontWeight(), QFont::Bold);
    EXPECT_TRUE(firstFormats(other, n2).fontItalic());
    EXPECT_TRUE(firstFormats(other, value).fontUnderline());
    EXPECT_TRUE(firstFormats(other, unit).fontStrikeOut());
    QTextCursor cursor(other.textArea()->document());
    cursor.setPosition(n2);
    EXPECT_EQ(cursor.blockFormat().tabPositions().size(), 2);
    EXPECT_NEAR(cursor.blockFormat().leftMargin() * 15, 567, 1);
}

TEST_F(Control, FailedSaveReportsAnErrorAndKeepsTheDocumentModified) {
    control.textArea()->insertPlainText("typed");
    dialogs->fileName = dir.filePath("no such folder/report.rtf");
    control.SaveDocumentAs();
    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors[0].startsWith("Error #"));
    EXPECT_TRUE(control.isModified());
    EXPECT_TRUE(control.isUntitled());
    // Saving again over an existing file replaces it whole.
    dialogs->fileName = dir.filePath("report.rtf");
    control.SaveDocumentAs();
    control.textArea()->insertPlainText(" more");
    control.SaveDocument();
    QFile f(dir.filePath("report.rtf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const auto model = tw::rtf::read(f.readAll());
    ASSERT_TRUE(model);
    EXPECT_EQ(model->text(), "typed more");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"report.rtf"});
}

TEST_F(Control, SaveThatStopsHalfWayKeepsTheEarlierFileWhole) {
    control.textArea()->insertPlainText("first version");
    dialogs->fileName = dir.filePath("report.rtf");
    control.SaveDocumentAs();
    ASSERT_TRUE(dialogs->errors.isEmpty());
    QFile saved(dir.filePath("report.rtf"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray earlier = saved.readAll();
    saved.close();

    // Files may grow to 100 bytes only: the disk fills in the middle of the document.
    control.textArea()->insertPlainText(" and a second, longer one");
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    control.SaveDocument();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(control.isModified());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), earlier);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"report.rtf"});
}

TEST_F(Control, OpeningAFileThatIsNotRtfShowsAnError) {
    const QString file = dir.filePath("plain.rtf");
    QFile f(file);
    f.open(QIODevice::WriteOnly);
    f.write("just text");
    f.close();
    dialogs->fileName = file;
    control.OpenDocument();
    EXPECT_EQ(dialogs->errors, QStringList{"Error #321\nInvalid file format"});
    EXPECT_FALSE(control.isUntitled());
    EXPECT_FALSE(control.isModified());
}

TEST_F(Control, FixturesFromAWordProcessorLoad) {
    dialogs->fileName = QStringLiteral(TW_RTF_TEST_DATA "/lo_formats.rtf");
    control.OpenDocument();
    EXPECT_TRUE(dialogs->errors.isEmpty());
    EXPECT_TRUE(control.rtfText().contains(u"배기가스 보고서"_qs));
    QDir().mkpath("rtf_screens");
    control.grab().save("rtf_screens/lo_formats.png");
}

TEST_F(Control, PrintsToAPdfFile) {
    control.setrtfTabNos(2);
    for (int i = 0; i < 80; ++i) control.rtfSelText("Line " + QString::number(i), 0, 1, 1);
    dialogs->pdfFile = dir.filePath("out.pdf");
    control.PrintDocument();
    QFile pdf(dialogs->pdfFile);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray data = pdf.readAll();
    EXPECT_TRUE(data.startsWith("%PDF"));
    EXPECT_GT(
        data.count("/Type /Page\n") + data.count("/Type /Page\r") + data.count("/Type /Page "), 0);
    EXPECT_GT(data.size(), 1000);
    QFile::copy(dialogs->pdfFile, QDir("rtf_screens").absoluteFilePath("print.pdf"));
    // A cancelled print dialog ends silently.
    dialogs->pdfFile.clear();
    control.PrintDocument();
    EXPECT_TRUE(dialogs->errors.isEmpty());
}

TEST_F(Control, LockedTextIsNotChangedByEditCommands) {
    control.rtfSelText("locked");
    control.setrtfLocked(true);
    control.textArea()->selectAll();
    for (const char* key : {"cut", "delete", "paste", "bold"}) control.toolbarButtonClick(key);
    EXPECT_EQ(control.rtfText(), "locked");
    control.toolbarButtonClick("no such key");
}

TEST_F(Control, FormatCommandsPressTheirButtons) {
    control.rtfSelText("word");
    control.textArea()->selectAll();
    control.toolbarButtonClick("bold");
    EXPECT_TRUE(control.isButtonPressed("bold"));
    EXPECT_TRUE(control.isModified());
    control.toolbarButtonClick("center");
    EXPECT_TRUE(control.isButtonPressed("center"));
    EXPECT_FALSE(control.isButtonPressed("left"));
    control.toolbarButtonClick("bold");
    EXPECT_FALSE(control.isButtonPressed("bold"));
}

TEST_F(Control, PropertiesEqualToTheirDefaultsAreNotWritten) {
    tw::MemoryPropertyBag bag;
    control.writeProperties(bag);
    EXPECT_TRUE(bag.keysInWriteOrder().isEmpty()) << bag.keysInWriteOrder().join(",").toStdString();
    control.setrtfTabNos(2);
    control.setrtfFontStrikeThru(true);
    control.setrtfPaperWidth(ctlTWRTFOutput_d::B5_Portrait);
    control.writeProperties(bag);
    EXPECT_EQ(bag.keysInWriteOrder(),
              (QStringList{"rtfPaperWidth", "rtfFontStrikethru", "rtfTabNos", "rtfText"}));
    ctlTWRTFOutput_d other;
    other.readProperties(bag);
    EXPECT_EQ(other.rtfTabNos(), 2);
    EXPECT_TRUE(other.rtfFontStrikeThru());
    EXPECT_FLOAT_EQ(other.paperWidth(), 10319.4f);
    EXPECT_EQ(other.rtfText(), control.rtfText());
}

}  // namespace

namespace {

using Align = ctlTWRTFOutput_d::CellAlignment;

const std::vector<std::vector<QString>> kSheetRows = {
    {"Quantity", "Value", "Unit"}, {"Excess air", "1.25", "-"}, {"배기 가스 온도", "300.0", "°C"}};

QTextTable* firstTable(const ctlTWRTFOutput_d& control) {
    for (QTextBlock b = control.textArea()->document()->begin(); b.isValid(); b = b.next()) {
        if (QTextTable* table = QTextCursor(b).currentTable()) return table;
    }
    return nullptr;
}

}  // namespace

TEST_F(Control, TableFollowsItsHeadingWithRuledAlignedCells) {
    control.setrtfTabNos(4);
    control.rtfSelText("Results", 0, 5, 1);
    control.rtfTable(kSheetRows, {4000, 3000, 2000}, {Align::Left, Align::Right, Align::Left},
                     true);
    control.rtfSelText("after", 0, 5, 1);

    QTextTable* table = firstTable(control);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rows(), 3);
    ASSERT_EQ(table->columns(), 3);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            QTextCursor text = cell.firstCursorPosition();
            text.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
            EXPECT_EQ(text.selectedText(), kSheetRows[r][c]) << r << ' ' << c;
            EXPECT_EQ(
                cell.firstCursorPosition().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                c == 1 ? Qt::AlignRight : Qt::AlignLeft);
            QTextCursor first = cell.firstCursorPosition();
            first.movePosition(QTextCursor::NextCharacter);
            EXPECT_EQ(first.charFormat().fontWeight() >= QFont::Bold, r == 0) << r << ' ' << c;
        }
    }
    EXPECT_GT(table->format().border(), 0);
    EXPECT_EQ(table->format().borderStyle(), QTextFrameFormat::BorderStyle_Solid);
    // Columns as wide as asked, from the page's left margin.
    EXPECT_NEAR(table->format().columnWidthConstraints().at(0).rawValue() * 15, 4000, 1);
    EXPECT_NEAR(table->format().leftMargin() * 15, 567, 1);
    // No empty line between the heading and the table; the next line starts under the table,
    // in the page layout and the plain format.
    const QTextBlock before = table->firstCursorPosition().block().previous();
    EXPECT_EQ(before.text(), "Results");
    const QTextBlock after = table->lastCursorPosition().block().next();
    EXPECT_EQ(after.text(), "after");
    EXPECT_EQ(after.blockFormat().tabPositions().size(), 4);
    EXPECT_EQ(control.currentColumn(), 0);
}

TEST_F(Control, TableCellsAreCutToTheColumns) {
    control.rtfTable({{"a", "b", "c"}, {"tab\tinside"}, {}}, {1000, 1000}, {});
    QTextTable* table = firstTable(control);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->columns(), 2);
    ASSERT_EQ(table->rows(), 3);
    const auto cellText = [&](int r, int c) {
        const QTextTableCell cell = table->cellAt(r, c);
        QTextCursor text = cell.firstCursorPosition();
        text.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        return text.selectedText();
    };
    EXPECT_EQ(cellText(0, 1), "b");
    EXPECT_EQ(cellText(1, 0), "tab inside");
    EXPECT_EQ(cellText(1, 1), "");
    EXPECT_EQ(cellText(2, 0), "");
}

TEST_F(Control, NoTableWithoutRowsOrColumns) {
    control.rtfSelText("text", 0, 1, 1);
    const QString before = control.rtfText();
    control.rtfTable({}, {1000}, {});
    control.rtfTable({{"a"}}, {}, {});
    EXPECT_EQ(firstTable(control), nullptr);
    EXPECT_EQ(control.rtfText(), before);
}

TEST_F(Control, SavedTableIsAnRtfRowUnderAPageNumberFooter) {
    control.setPageNumbers(true);
    control.setrtfTabNos(4);
    control.rtfSelText("Results", 0, 1, 1);
    control.rtfTable(kSheetRows, {4000, 3000, 2000}, {Align::Left, Align::Right, Align::Left});
    const QString file = dir.filePath("table.rtf");
    ASSERT_TRUE(control.saveFile(file));
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray rtf = saved.readAll();
    // Cells from the 1 cm margin on; the footer's fields.
    for (const char* word : {"\\trowd", "\\trleft567", "\\cellx4567", "\\cellx9567", "\\intbl\\qr",
                             "{\\*\\fldinst PAGE}", "{\\*\\fldinst NUMPAGES}"})
        EXPECT_TRUE(rtf.contains(word)) << word;
}

TEST_F(Control, TablesSurviveTheModelBothWays) {
    // What printing lays out: the text area's document through the model into a new one.
    control.rtfSelText("Results", 0, 1, 1);
    control.rtfTable(kSheetRows, {4000, 3000, 2000}, {Align::Left, Align::Right, Align::Center});
    control.rtfSelText("after", 0, 1, 1);
    const tw::rtf::Document model = tw::rtf::fromTextDocument(*control.textArea()->document());
    QTextDocument copy;
    tw::rtf::toTextDocument(model, copy);
    EXPECT_EQ(tw::rtf::fromTextDocument(copy), model);
    EXPECT_EQ(copy.toPlainText(), control.rtfText());
}

TEST_F(Control, BlankLinesBesideATableKeepTheirRoom) {
    struct Case {
        short lineFeedsBefore;  // after the heading
        short lineFeedsAfter;   // after the table, before the next text
        bool roomAbove;
        bool roomBelow;
    };
    for (const Case& c :
         {Case{1, 0, false, false}, Case{2, 1, true, true}, Case{1, 1, false, true}}) {
        control.NewDocument();
        control.rtfSelText("Results", 0, 1, c.lineFeedsBefore);
        control.rtfTable(kSheetRows, {4000, 3000, 2000}, {});
        if (c.lineFeedsAfter > 0) control.rtfSelText("", 0, 1, c.lineFeedsAfter);
        control.rtfSelText("after", 0, 1, 1);
        const QTextTable* table = firstTable(control);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->format().topMargin() > 0, c.roomAbove) << c.lineFeedsBefore;
        EXPECT_EQ(table->format().bottomMargin() > 0, c.roomBelow) << c.lineFeedsAfter;
    }
}

TEST_F(Control, ASelectionInATableKeepsTheSelectedCellsOfItsRows) {
    control.rtfSelText("Results", 0, 1, 1);
    control.rtfTable(kSheetRows, {4000, 3000, 2000}, {});
    control.rtfSelText("after", 0, 1, 1);
    QTextTable* table = firstTable(control);
    ASSERT_NE(table, nullptr);
    QTextCursor selection = table->cellAt(1, 0).firstCursorPosition();
    selection.setPosition(table->cellAt(2, 1).lastCursorPosition().position(),
                          QTextCursor::KeepAnchor);
    const tw::rtf::Document model = tw::rtf::fromSelection(selection);
    ASSERT_EQ(model.paragraphs.size(), 2u);
    EXPECT_EQ(model.paragraphs[0].text(), "Excess air\t1.25\t");
    EXPECT_EQ(model.paragraphs[1].text(), u"배기 가스 온도\t300.0\t"_qs);
    ASSERT_TRUE(model.paragraphs[1].tableRow);
    EXPECT_EQ(model.paragraphs[1].tableRow->cells.size(), 3u);
}

// The ways out of the calculator window: the calculation report (saved, printed, read back),
// the table on the clipboard and pasted back, the results CSV, and the case remembered from
// one start to the next.
#include <sys/resource.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTextEdit>
#include <csignal>
#include <fstream>
#include <sstream>

#include "FlueGasBatch.h"
#include "LastCase.h"
#include "ReportSupport.h"
#include "WindowFixture.h"

using namespace tw;
using namespace tw::fluegas;
using namespace tw::fluegas::testing;

namespace {

// The typical request with 6 percent water: the total is 99, so the run scales the composition
// and shows its notice twice.
const std::vector<QString> kScaledRows = {"76", "0.9", "4", "12", "0", "0.1", "6", "", "300", "25"};

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class ResultsWindow : public WindowTest {
  protected:
    QString path(const char* name) const {
        return QString::fromStdString((testFolder() / name).string());
    }
    void calculate(const std::vector<QString>& rows) {
        goToRow(rowN2);
        typeRows(rows);
        clickButton("cmdCalc");
    }
    frmReport& openReport() {
        menu("mnuReport");
        frmReport* report = window().reportWindow();
        EXPECT_NE(report, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(report));
        return *report;
    }
    // The clipboard's plain text.
    static std::string clipboardText() { return QApplication::clipboard()->text().toStdString(); }
};

// The row of the report whose first column is `label`, as its columns.
QStringList reportRow(const rtf::Document& document, const std::string& label) {
    for (const rtf::Paragraph& p : document.paragraphs) {
        const QStringList fields = columns(p);
        if (!fields.isEmpty() && fields.front() == QString::fromStdString(label)) return fields;
    }
    return {};
}

bool isBoldParagraph(const rtf::Document& document, const std::string& text) {
    for (const rtf::Paragraph& p : document.paragraphs) {
        if (p.text() == QString::fromStdString(text)) {
            return !p.runs.empty() && std::all_of(p.runs.begin(), p.runs.end(),
                                                  [](const rtf::Run& r) { return r.format.bold; });
        }
    }
    return false;
}

}  // namespace

TEST_F(ResultsWindow, ReportAndResultsFileWaitForACompletedCalculation) {
    open();
    QAction* report = window().menuItem("mnuReport");
    QAction* save = window().menuItem("mnuSaveResults");
    EXPECT_FALSE(report->isEnabled());
    EXPECT_FALSE(save->isEnabled());
    clickButton("cmdCalc");  // an empty composition: refused
    EXPECT_FALSE(report->isEnabled());
    calculate(kScaledRows);
    EXPECT_TRUE(report->isEnabled());
    EXPECT_TRUE(save->isEnabled());
    // A later run that ends at a message leaves nothing to report.
    goToRow(rowGasTemperature);
    type("-500");
    clickButton("cmdCalc");
    EXPECT_FALSE(report->isEnabled());
    EXPECT_FALSE(save->isEnabled());
    menu("mnuReport");
    EXPECT_EQ(window().reportWindow(), nullptr);
}

TEST_F(ResultsWindow, SavedReportHoldsEveryInputAndResultInBothLanguages) {
    for (const std::int32_t language : {TW_Korean, TW_English}) {
        open(language);
        calculate(kScaledRows);
        const CalculatorTable shown = table();
        frmReport& report = openReport();
        EXPECT_EQ(report.windowTitle().toStdString(), language == TW_Korean
                                                          ? "계산서 - TW_FlueGas"
                                                          : "Calculation report - TW_FlueGas");
        ctlTWRTFOutput_d& rtf = *report.rtfOutput();
        EXPECT_TRUE(rtf.rtfLocked());
        EXPECT_EQ(rtf.rtfTabNos(), 4);
        const QString name = language == TW_Korean ? "korean" : "english";
        report.grab().save(QStringLiteral("screenshots/report_%1.png").arg(name));
        rtf.textArea()->moveCursor(QTextCursor::End);
        rtf.textArea()->ensureCursorVisible();
        report.grab().save(QStringLiteral("screenshots/report_%1_end.png").arg(name));

        // Saved through the control's own Save command, read back by our reader.
        const QString file = path(language == TW_Korean ? "tw_report_ko.rtf" : "tw_report_en.rtf");
        QFile::remove(file);
        auto dialogs = std::make_unique<AnsweringDialogs>(file, QString());
        rtf.setDialogs(std::move(dialogs));
        rtf.runCommand(ctlTWRTFOutput_d::Command::Save);
        const auto document = readRtfFile(file);
        ASSERT_TRUE(document);
        const QString text = document->text();
        const auto has = [&](const std::string& s) {
            return text.contains(QString::fromStdString(s));
        };

        EXPECT_TRUE(isBoldParagraph(
            *document, language == TW_Korean ? "배기 가스 계산서" : "Flue Gas Calculation Report"));
        EXPECT_TRUE(isBoldParagraph(*document, language == TW_Korean ? "계산 결과" : "Results"));
        EXPECT_TRUE(has(kProgramAndVersion));
        EXPECT_TRUE(has(window().lastCalculation()->dateTime));
        // Inputs as typed, in label / value / unit columns.
        for (int row = rowN2; row <= rowH2O; ++row) {
            const QString typed = kScaledRows[static_cast<std::size_t>(row - rowN2)];
            const auto cells = reportRow(*document, shown.text(row, colItem));
            EXPECT_TRUE(cells.contains(typed)) << row << " " << cells.join('|').toStdString();
            EXPECT_EQ(cells.value(2).toStdString(), "Volume %");
        }
        EXPECT_EQ(reportRow(*document, shown.text(rowGasTemperature, colItem)),
                  (QStringList{QString::fromStdString(shown.text(rowGasTemperature, colItem)),
                               "300", "°C"}));
        // Every result as the table shows it, with its unit as an engineer writes it.
        for (int row : {rowMoleWeight, rowGasEnthalpy, rowSo3ConversionRate, rowOkkesDewPoint,
                        rowVerhoffDewPoint, rowWaterDewPoint}) {
            QStringList expected{QString::fromStdString(shown.text(row, colItem)),
                                 QString::fromStdString(shown.value(row))};
            if (row == rowMoleWeight) {
                expected << QStringLiteral("kg/kmol");
            } else if (!shown.text(row, colUnit).empty()) {
                expected << QString::fromStdString(sheetUnit(shown.text(row, colUnit)));
            }
            EXPECT_EQ(reportRow(*document, shown.text(row, colItem)), expected) << row;
        }
        // The composition the run scaled to 100 percent, and its total.
        EXPECT_TRUE(has(shown.value(rowN2)));
        EXPECT_TRUE(has(shown.value(rowComponentTotal)));
        EXPECT_TRUE(has("NASA Glenn Coefficients"));
        EXPECT_TRUE(has(language == TW_Korean ? "자동 계산" : "Automatic calculation"));
        for (const BilingualText& note : kTableNotes) EXPECT_TRUE(has(note.in(language)));
        // The notice the run showed, whole, although it is longer than a line.
        ASSERT_EQ(messages.messages().size(), 2u);
        for (const RecordedMessage& m : messages.messages()) {
            std::istringstream lines(m.text);
            for (std::string line; std::getline(lines, line);) EXPECT_TRUE(has(line)) << line;
        }
        // Closing the control's window (it deletes itself once closed).
        const QPointer<frmReport> closing(&report);
        rtf.runCommand(ctlTWRTFOutput_d::Command::Close);
        QApplication::processEvents();
        EXPECT_TRUE(closing.isNull() || !closing->isVisible());
        messages.clear();
    }
}

TEST_F(ResultsWindow, ReportPrintsIntoAPdfFile) {
    open(TW_English);
    calculate(kScaledRows);
    frmReport& report = openReport();
    const QString pdf = path("tw_report.pdf");
    QFile::remove(pdf);
    auto dialogs = std::make_unique<AnsweringDialogs>(QString(), pdf);
    AnsweringDialogs& answering = *dialogs;
    report.rtfOutput()->setDialogs(std::move(dialogs));
    report.rtfOutput()->runCommand(ctlTWRTFOutput_d::Command::Print);
    EXPECT_TRUE(answering.errors.isEmpty());
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF-"));
    EXPECT_GT(file.size(), 1000);
}

TEST_F(ResultsWindow, CopyPutsTheWholeTableOnTheClipboardAsTextAndHtml) {
    open();
    calculate(kScaledRows);
    QApplication::clipboard()->clear();
    // On the grid: a click on a result row gives it the focus, and Ctrl+C copies the table.
    clickCell(rowMoleWeight);
    ASSERT_TRUE(window().msfInput().hasFocus());
    QTest::keyClick(&window().msfInput(), Qt::Key_C, Qt::ControlModifier);
    // The arrow keys still walk the table's rows there.
    QTest::keyClick(&window().msfInput(), Qt::Key_Down);
    EXPECT_EQ(table().row(), rowGasEnthalpy);
    QTest::keyClick(&window().msfInput(), Qt::Key_Up);
    EXPECT_EQ(table().row(), rowMoleWeight);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasText());
    ASSERT_TRUE(data->hasHtml());
    const QStringList lines = data->text().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), kTableRows);
    for (int row = 0; row < kTableRows; ++row) {
        const QStringList cells = lines[row].split(u'\t');
        ASSERT_EQ(cells.size(), kTableColumns) << row;
        for (int column = 0; column < kTableColumns; ++column) {
            EXPECT_EQ(cells[column].toStdString(), cell(row, column));
        }
    }
    const QString html = data->html();
    EXPECT_EQ(html.count(QStringLiteral("<tr>")), kTableRows);
    EXPECT_EQ(html.count(QStringLiteral("<td>")), (kTableRows - 1) * kTableColumns);
    EXPECT_TRUE(html.contains(QStringLiteral("<th>항목</th>")));
    EXPECT_TRUE(html.contains(QStringLiteral("charset=\"utf-8\"")));
    EXPECT_TRUE(html.contains(QString::fromStdString("<td>" + cell(rowGasEnthalpy) + "</td>")));

    // The Edit menu and the grid's context menu hold the same commands, captions from the table.
    QList<QAction*> context = window().msfInput().actions();
    ASSERT_EQ(context.size(), 2);
    EXPECT_EQ(context[0]->text().toStdString(), "표 복사(&C)");
    EXPECT_EQ(context[1]->text().toStdString(), "성분 붙여 넣기(&P)");
    EXPECT_EQ(context[0]->shortcut(), QKeySequence(QKeySequence::Copy));
    QApplication::clipboard()->clear();
    menu("mnuCopyTable");
    EXPECT_EQ(QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts).size(),
              kTableRows);
}

TEST_F(ResultsWindow, PastingACopiedTableOrAColumnFillsTheComposition) {
    open();
    typeRows({"1", "2", "3", "4", "5", "6", "7"});
    menu("mnuCopyTable");
    const QString copied = QApplication::clipboard()->text();

    struct Case {
        QString clipboard;
        std::vector<std::string> rows;  // rows 1 to 7 afterwards; empty: the paste is ordinary
    };
    const Case cases[] = {
        {copied, {"1", "2", "3", "4", "5", "6", "7"}},
        {"76\r\n0.9\r\n4\r\n12\r\n0\r\n0.1\r\n7\r\n", {"76", "0.9", "4", "12", "0", "0.1", "7"}},
        {"80\n\n5\n10\n\n\n5", {"80", "", "5", "10", "", "", "5"}},
        {"H2O\t9\nN2\t91\nO2\t\nAr\t\nCO2\t\nCO\t\nSO2\t", {"91", "", "", "", "", "", "9"}},
        // Not a composition: six numbers, a word, a duplicated species.
        {"1\n2\n3\n4\n5\n6\n", {}},
        {"1\n2\n3\nx\n5\n6\n7\n", {}},
        {"N2\t1\nN2\t2\nAr\t\nO2\t\nCO2\t\nCO\t\nSO2\t\nH2O\t", {}},
    };
    for (const Case& c : cases) {
        for (int row = rowN2; row <= rowH2O; ++row) table().setValue(row, "50");
        goToRow(rowAr);
        editor().setText(QStringLiteral("50"));
        editor().selectAll();
        QApplication::clipboard()->setText(c.clipboard);
        QTest::keyClick(&editor(), Qt::Key_V, Qt::ControlModifier);
        if (c.rows.empty()) {
            // An ordinary paste into the editor; the rows keep their texts.
            EXPECT_NE(editor().text().toStdString(), "50") << c.clipboard.toStdString();
            for (int row = rowN2; row <= rowH2O; ++row) EXPECT_EQ(cell(row), "50");
            continue;
        }
        for (int row = rowN2; row <= rowH2O; ++row) {
            EXPECT_EQ(cell(row), c.rows[static_cast<std::size_t>(row - rowN2)])
                << c.clipboard.toStdString() << " row " << row;
        }
        EXPECT_EQ(editor().text().toStdString(), cell(rowAr)) << "the editor shows its cell";
    }
    // On a temperature row Ctrl+V is an ordinary paste; the menu item fills the composition
    // from any row, and beeps at a clipboard that holds none.
    QApplication::clipboard()->setText(copied);
    goToRow(rowGasTemperature);
    editor().clear();
    QTest::keyClick(&editor(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(cell(rowN2), "50");
    menu("mnuPasteComposition");
    EXPECT_EQ(cell(rowN2), "1");
    messages.clear();
    QApplication::clipboard()->setText(QStringLiteral("hello"));
    menu("mnuPasteComposition");
    EXPECT_EQ(messages.beeps(), 1);
    EXPECT_EQ(cell(rowN2), "1");
}

TEST_F(ResultsWindow, ResultsFileIsTheBatchCsvOfTheCaseAndAFailedSaveKeepsTheOldFile) {
    open();
    calculate(kScaledRows);
    const QString file = path("tw_results.csv");
    QFile::remove(file);
    window().setResultsFileChooser([&] { return std::optional<QString>(file); });
    menu("mnuSaveResults");
    const std::string csv = readFile(file.toStdString());
    ASSERT_TRUE(csv.starts_with("\xEF\xBB\xBF"));
    EXPECT_EQ(csv, resultsCsv(*window().lastCalculation()));

    // Read back as twcalc fluegas --csv reads a file: the results are the table's.
    std::istringstream in(csv.substr(3));
    std::vector<std::string> header, row;
    ASSERT_TRUE(readCsvRecord(in, header));
    ASSERT_TRUE(readCsvRecord(in, row));
    ASSERT_EQ(header.size(), row.size());
    const auto field = [&](const std::string& name) {
        const auto at = std::find(header.begin(), header.end(), name);
        return at == header.end() ? std::string("?")
                                  : row[static_cast<std::size_t>(at - header.begin())];
    };
    EXPECT_EQ(field("n2"), "76");
    EXPECT_EQ(field("t"), "300");
    EXPECT_EQ(field("enthalpy"), cell(rowGasEnthalpy));
    EXPECT_EQ(field("water_dew_point"), cell(rowWaterDewPoint));
    EXPECT_EQ(field("total"), cell(rowComponentTotal));
    EXPECT_NE(field("messages").find("Sub FlueGasMoleWeight: "), std::string::npos);

    // A save that stops half way (files may grow to 10 bytes only) is reported and leaves the
    // earlier file whole.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    messages.clear();
    menu("mnuSaveResults");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text.rfind("결과를 저장하지 못했습니다.", 0), 0u);
    EXPECT_EQ(readFile(file.toStdString()), csv);
    // A folder in the file's place is not replaced.
    const QString folder = path("tw_results_folder.csv");
    QDir().mkpath(folder);
    window().setResultsFileChooser([&] { return std::optional<QString>(folder); });
    messages.clear();
    menu("mnuSaveResults");
    EXPECT_EQ(messages.messages().size(), 1u);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    QDir(folder).removeRecursively();
    // Cancelling the dialog does nothing.
    window().setResultsFileChooser([] { return std::optional<QString>(); });
    messages.clear();
    menu("mnuSaveResults");
    EXPECT_TRUE(messages.messages().empty());
    QFile::remove(file);
}

TEST_F(ResultsWindow, LinesLongerThanThePageAreSetWhole) {
    qtApp();
    // Longer than a line of the page, with and without blanks; rtfSelText alone would cut them
    // at the page's width.
    std::string words;
    for (int i = 0; i < 40; ++i) words += "dew point " + std::to_string(i) + " ";
    words += "end.";
    const std::string unbroken = std::string(400, 'x') + "END";
    CalculationReport content;
    content.title = "Title";
    content.sections.push_back({"Lines", {}, {words, unbroken, "짧은 줄"}});
    frmReport report(content, TW_English);
    const QString text = report.rtfOutput()->rtfText();
    EXPECT_TRUE(text.contains(QString::fromStdString(words)));
    EXPECT_TRUE(text.contains(QString::fromStdString(unbroken)));
    EXPECT_TRUE(text.contains(QStringLiteral("\n짧은 줄")));
}

TEST_F(ResultsWindow, FileAndEditMenusInBothLanguages) {
    for (const std::int32_t language : {TW_Korean, TW_English}) {
        open(language);
        calculate(kScaledRows);
        const bool korean = language == TW_Korean;
        EXPECT_EQ(window().menuItem("mnuReport")->text().toStdString(),
                  korean ? "계산서(&R)..." : "Calculation report(&R)...");
        EXPECT_EQ(window().menuItem("mnuSaveResults")->text().toStdString(),
                  korean ? "결과 저장(&S)..." : "Save results(&S)...");
        EXPECT_EQ(window().menuItem("mnuEdit")->text().toStdString(),
                  korean ? "편집(&E)" : "Edit(&E)");
        EXPECT_EQ(window().menuItem("mnuPasteComposition")->shortcut(),
                  QKeySequence(QKeySequence::Paste));
        // Pictures of the two menus as they drop down.
        for (const char* name : {"mnuFile", "mnuEdit"}) {
            auto* menu = window().findChild<QMenu*>(QString::fromLatin1(name));
            ASSERT_NE(menu, nullptr);
            menu->popup(window().mapToGlobal(QPoint(0, 0)));
            QTest::qWait(20);
            menu->grab().save(
                QStringLiteral("screenshots/menu_%1_%2.png")
                    .arg(QString::fromLatin1(name + 3).toLower(), korean ? "korean" : "english"));
            menu->close();
        }
    }
}

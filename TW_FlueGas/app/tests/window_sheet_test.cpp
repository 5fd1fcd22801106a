// The calculation sheet: its header fields, kept for the next start; the viewer it is shown
// in; the spreadsheet table of Save results; and pictures of every window in both languages.
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QTextEdit>
#include <QTextTable>
#include <QToolBar>
#include <fstream>
#include <sstream>

#include "LastCase.h"
#include "ReportSupport.h"
#include "TWRTFOutput/ctlTWRTFOutput_d.h"
#include "WindowFixture.h"
#include "frmEULA.h"
#include "frmFuelGas.h"
#include "frmReport.h"

using namespace tw;
using namespace tw::fluegas;
using namespace tw::fluegas::testing;

namespace {

const std::vector<QString> kRows = {"76", "0.9", "4", "12", "0", "0.1", "7", "", "300", "25"};

class CalculationSheet : public WindowTest {
  protected:
    frmReport& calculatedReport(std::int32_t language) {
        open(language);
        typeRows(kRows);
        clickButton("cmdCalc");
        menu("mnuReport");
        frmReport* report = window().reportWindow();
        EXPECT_NE(report, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(report));
        return *report;
    }
    static void fill(frmReport& report, const char* field, const QString& text) {
        QLineEdit* edit = report.headerField(field);
        ASSERT_NE(edit, nullptr) << field;
        edit->setText(text);
        emit edit->editingFinished();
    }
    fs::path stateFile() const { return testFolder() / "config" / kLastCaseFileName; }
};

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST_F(CalculationSheet, HeaderFieldsShowOnTheSheetAndAreKeptForTheNextStart) {
    frmReport& report = calculatedReport(TW_English);
    fill(report, "txtProject", QStringLiteral("Unit 3 boiler"));
    fill(report, "txtCase", QStringLiteral("Full load / 2026"));
    fill(report, "txtPreparedBy", QStringLiteral("J. Kim"));
    fill(report, "txtCheckedBy", QStringLiteral("이 민수"));
    fill(report, "txtDate", QStringLiteral("2026-12-09"));
    const QString text = report.rtfOutput()->rtfText();
    for (const char* shown : {"Unit 3 boiler", "Full load / 2026", "J. Kim", "2026-12-09"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown;
    }
    EXPECT_TRUE(text.contains(QStringLiteral("이 민수")));
    EXPECT_TRUE(text.contains(QString::fromUtf8(kProgramAndVersion)));
    EXPECT_EQ(window().reportHeader().caseName, "Full load / 2026");
    // The save dialog offers the case's name, made fit for a file name.
    EXPECT_TRUE(
        report.rtfOutput()->suggestedFileName().endsWith(QStringLiteral("Full load _ 2026.rtf")))
        << report.rtfOutput()->suggestedFileName().toStdString();
    EXPECT_TRUE(report.rtfOutput()->documentTitle().contains(QStringLiteral("Full load / 2026")));

    menu("mnuExit");
    const WindowChoices kept = readWindowChoices(stateFile());
    EXPECT_EQ(kept.header.project, "Unit 3 boiler");
    EXPECT_EQ(kept.header.checkedBy, "이 민수");
    EXPECT_EQ(kept.header.date, "2026-12-09");

    // The next window's report starts with them.
    frmReport& again = calculatedReport(TW_Korean);
    EXPECT_EQ(again.headerField("txtPreparedBy")->text().toStdString(), "J. Kim");
    EXPECT_TRUE(again.rtfOutput()->rtfText().contains(QStringLiteral("Unit 3 boiler")));
}

TEST_F(CalculationSheet, DamagedHeaderValuesAreIgnored) {
    fs::create_directories(stateFile().parent_path());
    std::ofstream(stateFile()) << "[Window]\nProject=" << std::string(5000, 'x')
                               << "\nCase=ok\nLanguage=fr\n";
    const WindowChoices read = readWindowChoices(stateFile());
    EXPECT_EQ(read.header.project, "");
    EXPECT_EQ(read.header.caseName, "ok");
    EXPECT_FALSE(read.language.has_value());
    EXPECT_FALSE(readWindowChoices(testFolder() / "missing.ini").language.has_value());
}

TEST_F(CalculationSheet, ReportAndLicenceAreShownInTheViewer) {
    frmReport& report = calculatedReport(TW_Korean);
    ctlTWRTFOutput_d& rtf = *report.rtfOutput();
    EXPECT_TRUE(rtf.isViewerMode());
    EXPECT_FALSE(rtf.toolbar()->isVisibleTo(&rtf));
    EXPECT_FALSE(rtf.menuBar()->isVisibleTo(&rtf));
    auto* viewer = rtf.findChild<QMenuBar*>(QStringLiteral("viewerMenuBar"));
    ASSERT_NE(viewer, nullptr);
    const QList<QAction*> menus = viewer->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->text().toStdString(), "파일(&F)");
    QStringList items;
    for (QAction* a : menus[0]->menu()->actions()) {
        if (!a->isSeparator()) items << a->text() + u'|' + a->shortcut().toString();
    }
    EXPECT_EQ(items,
              (QStringList{"다른 이름으로 저장(&A)...|Ctrl+S", "인쇄(&P)...|Ctrl+P", "닫기(&C)|"}));
    // Ctrl+S saves through the viewer's Save as.
    const QString file = QString::fromStdString((testFolder() / "sheet.rtf").string());
    rtf.setDialogs(std::make_unique<AnsweringDialogs>(file, QString()));
    report.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&report));
    rtf.textArea()->setFocus();
    QTest::keyClick(rtf.textArea(), Qt::Key_S, Qt::ControlModifier);
    const auto saved = readRtfFile(file);
    ASSERT_TRUE(saved);
    EXPECT_TRUE(saved->text().contains(QStringLiteral("배기 가스 계산서")));
    // The save is remembered as the folder of the next one.
    EXPECT_EQ(window().saveFolder().toStdString(), testFolder().string());

    frmEULA licence(TW_English);
    auto* control = licence.findChild<ctlTWRTFOutput_d*>();
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->isViewerMode());
    EXPECT_EQ(control->findChild<QMenuBar*>(QStringLiteral("viewerMenuBar"))
                  ->actions()
                  .front()
                  ->text()
                  .toStdString(),
              "File(&F)");
}

TEST_F(CalculationSheet, APrintedPdfCarriesTheSheetsTitle) {
    frmReport& report = calculatedReport(TW_English);
    fill(report, "txtCase", QStringLiteral("Case 7"));
    const QString pdf = QString::fromStdString((testFolder() / "sheet.pdf").string());
    report.rtfOutput()->setDialogs(std::make_unique<AnsweringDialogs>(QString(), pdf));
    report.rtfOutput()->runCommand(ctlTWRTFOutput_d::Command::Print);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith("%PDF"));
    // The document information names the title, as UTF-16 text.
    const QString title = QStringLiteral("Flue Gas Calculation Report - Case 7");
    QByteArray utf16{"\xFE\xFF", 2};
    for (const QChar c : title) {
        utf16 += static_cast<char>(c.unicode() >> 8);
        utf16 += static_cast<char>(c.unicode() & 0xFF);
    }
    EXPECT_TRUE(bytes.contains(utf16));
}

TEST_F(CalculationSheet, SpreadsheetTableHasNamesUnitsAndNumbers) {
    open(TW_English);
    typeRows(kRows);
    clickButton("cmdCalc");
    const fs::path file = testFolder() / "table.csv";
    window().setResultsFileChooser([&] {
        return std::optional<frmTW_FlueGas::ResultsFile>(
            frmTW_FlueGas::ResultsFile(QString::fromStdString(file.string()), true));
    });
    menu("mnuSaveResults");
    const std::string csv = readFile(file);
    ASSERT_TRUE(csv.starts_with("\xEF\xBB\xBF"));
    std::istringstream in(csv.substr(3));
    std::string header, values;
    std::getline(in, header);
    std::getline(in, values);
    EXPECT_TRUE(header.starts_with("N2 [Volume %],Ar [Volume %],")) << header;
    EXPECT_NE(header.find("Gas temperature [oC]"), std::string::npos) << header;
    std::vector<std::string> cells;
    std::stringstream row(values.substr(0, values.find('\r')));
    for (std::string c; std::getline(row, c, ',');) cells.push_back(c);
    if (values.find('\r') != std::string::npos && values[values.find('\r') - 1] == ',') {
        cells.push_back("");
    }
    ASSERT_EQ(cells.size(), 16u);
    EXPECT_EQ(cells[0], "76");
    EXPECT_EQ(cells[rowGasEnthalpy - 1], cell(rowGasEnthalpy));
    EXPECT_EQ(std::stod(cells[rowMoleWeight - 1]), std::stod(cell(rowMoleWeight)));
    // Korean names in a Korean window.
    const std::string korean = resultsSpreadsheetCsv(*window().lastCalculation(), TW_Korean);
    EXPECT_NE(korean.find("가스 온도"), std::string::npos);
}

TEST_F(CalculationSheet, ValuesStandInRuledTableCellsBesideTheirUnits) {
    frmReport& report = calculatedReport(TW_English);
    const QTextDocument& sheet = *report.rtfOutput()->textArea()->document();
    std::vector<QStringList> rows;
    QList<const QTextTable*> tables;
    for (QTextBlock b = sheet.begin(); b.isValid(); b = b.next()) {
        const QTextTable* table = QTextCursor(b).currentTable();
        if (table == nullptr || tables.contains(table)) continue;
        tables << table;
        EXPECT_GT(table->format().border(), 0);
        ASSERT_EQ(table->columns(), 3);
        for (int r = 0; r < table->rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < 3; ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                QTextCursor text = cell.firstCursorPosition();
                text.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                cells << text.selectedText();
                EXPECT_EQ(
                    cell.firstCursorPosition().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                    c == 1 ? Qt::AlignRight : Qt::AlignLeft);
            }
            rows.push_back(cells);
        }
    }
    // The program's lines, the inputs and the results at least.
    EXPECT_GE(tables.size(), 3);
    const auto hasRow = [&](const QString& value, const QString& unit) {
        return std::any_of(rows.begin(), rows.end(), [&](const QStringList& r) {
            return !r[0].isEmpty() && r[1] == value && r[2] == unit;
        });
    };
    EXPECT_TRUE(hasRow(QStringLiteral("300"), QStringLiteral("°C")));
    EXPECT_TRUE(hasRow(QStringLiteral("76"), QStringLiteral("Volume %")));
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const QStringList& r) {
        return r[1] == QString::fromStdString(cell(rowGasEnthalpy));
    }));
}

TEST(SpreadsheetCells, TextsThatAreNotNumbersStayEmpty) {
    CalculationRecord record;
    record.inputs.cells[0] = "N/A";
    record.inputs.cells[1] = "1.5E+03";
    record.inputs.cells[2] = "12abc";
    const std::string csv = resultsSpreadsheetCsv(record, TW_English);
    const std::string values = csv.substr(csv.find("\r\n") + 2);
    EXPECT_TRUE(values.starts_with(",1.5E+03,,")) << values;
}

TEST_F(CalculationSheet, PicturesOfEveryWindowInBothLanguages) {
    QDir().mkpath(QStringLiteral("screenshots"));
    for (const std::int32_t language : {TW_Korean, TW_English}) {
        const QString name = language == TW_Korean ? "korean" : "english";
        frmReport& report = calculatedReport(language);
        fill(report, "txtProject", QStringLiteral("Unit 3"));
        report.grab().save(QStringLiteral("screenshots/sheet_%1.png").arg(name));
        // Results made old by a change show grey, with the status line.
        goToRow(rowGasTemperature);
        type("350");
        key(Qt::Key_Return);
        screenshot(language == TW_Korean ? "window_stale_korean" : "window_stale_english");
        withUnitDialog([&](frmTW_UnitSel& dialog) {
            dialog.grab().save(QStringLiteral("screenshots/unit_dialog_%1.png").arg(name));
        });
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<frmFuelGas*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            ran = true;
            dialog->grab().save(QStringLiteral("screenshots/fuel_dialog_%1.png").arg(name));
            auto* kind = dialog->findChild<QComboBox*>(QStringLiteral("cmbFuelKind"));
            ASSERT_NE(kind, nullptr);
            const QSize before = dialog->size();
            kind->setCurrentIndex(1);
            QApplication::processEvents();
            dialog->grab().save(QStringLiteral("screenshots/fuel_dialog_gas_%1.png").arg(name));
            EXPECT_EQ(dialog->size(), before);
            dialog->reject();
        });
        menu("mnuFuelGas");
        EXPECT_TRUE(ran);
        frmEULA licence(language);
        licence.show();
        licence.grab().save(QStringLiteral("screenshots/licence_%1.png").arg(name));
        licence.close();
        closeWindow();
    }
}

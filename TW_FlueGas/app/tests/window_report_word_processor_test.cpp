// The saved calculation report opens in a word processor with the same text: LibreOffice
// converts the saved RTF files to plain text, and every paragraph our reader finds is there, in
// the same order, with the same words. Skipped where LibreOffice is not installed.
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include "ReportSupport.h"
#include "WindowFixture.h"

using namespace tw;
using namespace tw::fluegas;
using namespace tw::fluegas::testing;

namespace {

// A paragraph's words joined by single blanks: tabs and runs of blanks are layout.
QString words(const QString& text) {
    return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts).join(u' ');
}

QStringList nonEmptyLines(const QStringList& lines) {
    QStringList kept;
    for (const QString& line : lines) {
        const QString w = words(line);
        if (!w.isEmpty()) kept << w;
    }
    return kept;
}

}  // namespace

using ReportInWordProcessor = WindowTest;

TEST_F(ReportInWordProcessor, LibreOfficeShowsTheSameText) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";

    // The fixtures stay in the build tree for a look.
    const QString dir = QDir::current().absoluteFilePath(QStringLiteral("report_fixtures"));
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    const std::vector<QString> rows = {"76", "0.9", "4", "12", "0", "0.1", "6", "", "300", "25"};
    QStringList files;
    for (const std::int32_t language : {TW_Korean, TW_English}) {
        open(language);
        typeRows(rows);
        clickButton("cmdCalc");
        menu("mnuReport");
        frmReport* report = window().reportWindow();
        ASSERT_NE(report, nullptr);
        const QString file =
            dir + (language == TW_Korean ? "/report_korean.rtf" : "/report_english.rtf");
        report->rtfOutput()->setDialogs(std::make_unique<AnsweringDialogs>(file, QString()));
        report->rtfOutput()->runCommand(ctlTWRTFOutput_d::Command::Save);
        files << file;
    }

    // A profile of its own, so that parallel runs and a user's LibreOffice do not meet.
    const QString profile =
        QStringLiteral("file:///tmp/tw_lo_profile_%1").arg(static_cast<long>(::getpid()));
    QProcess convert;
    convert.start(soffice, QStringList{QStringLiteral("-env:UserInstallation=") + profile,
                                       QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                       QStringLiteral("txt:Text (encoded):UTF8"),
                                       QStringLiteral("--outdir"), dir}
                               << files);
    ASSERT_TRUE(convert.waitForFinished(300000)) << "LibreOffice did not finish";
    QDir(QStringLiteral("/tmp/tw_lo_profile_%1").arg(static_cast<long>(::getpid())))
        .removeRecursively();
    ASSERT_EQ(convert.exitCode(), 0) << convert.readAllStandardError().toStdString();

    for (const QString& file : files) {
        const auto document = readRtfFile(file);
        ASSERT_TRUE(document) << file.toStdString();
        QStringList ours;
        for (const rtf::Paragraph& p : document->paragraphs) ours << p.text();
        QFile text(QString(file).replace(QStringLiteral(".rtf"), QStringLiteral(".txt")));
        ASSERT_TRUE(text.open(QIODevice::ReadOnly)) << text.fileName().toStdString();
        QString converted = QString::fromUtf8(text.readAll());
        if (converted.startsWith(QChar(0xFEFF))) converted.remove(0, 1);
        const QStringList theirs = nonEmptyLines(converted.split(QRegularExpression("\r?\n")));
        EXPECT_EQ(theirs, nonEmptyLines(ours)) << file.toStdString();
        EXPECT_GT(theirs.size(), 40);
    }
}

TEST_F(ReportInWordProcessor, LibreOfficeSetsTheKoreanSheetInOneFamily) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    const QString dir = QDir::current().absoluteFilePath(QStringLiteral("report_fixtures_fonts"));
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    open(TW_Korean);
    typeRows({"76", "0.9", "4", "12", "0", "0.1", "6", "", "300", "25"});
    clickButton("cmdCalc");
    menu("mnuReport");
    frmReport* report = window().reportWindow();
    ASSERT_NE(report, nullptr);
    const QString file = dir + "/sheet_korean.rtf";
    report->rtfOutput()->setDialogs(std::make_unique<AnsweringDialogs>(file, QString()));
    report->rtfOutput()->runCommand(ctlTWRTFOutput_d::Command::SaveAs);
    const QString profile =
        QStringLiteral("file:///tmp/tw_lo_fonts_%1").arg(static_cast<long>(::getpid()));
    QProcess convert;
    convert.start(soffice, {QStringLiteral("-env:UserInstallation=") + profile,
                            QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                            QStringLiteral("fodt"), QStringLiteral("--outdir"), dir, file});
    ASSERT_TRUE(convert.waitForFinished(300000)) << "LibreOffice did not finish";
    QDir(QStringLiteral("/tmp/tw_lo_fonts_%1").arg(static_cast<long>(::getpid())))
        .removeRecursively();
    ASSERT_EQ(convert.exitCode(), 0);
    QFile flat(dir + "/sheet_korean.fodt");
    ASSERT_TRUE(flat.open(QIODevice::ReadOnly));
    const QString xml = QString::fromUtf8(flat.readAll());
    // The font faces the file declares, by name (two table entries of one family may come
    // back as two faces of it).
    QMap<QString, QString> faces;
    static const QRegularExpression face(QStringLiteral(
        "<style:font-face style:name=\"([^\"]+)\"[^>]*svg:font-family=\"([^\"]+)\""));
    for (auto it = face.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        faces[m.captured(1)] = QString(m.captured(2)).remove(QStringLiteral("&apos;"));
    }
    // The Latin and the Asian font of every text style: the sheet's one family.
    QSet<QString> families;
    static const QRegularExpression font(QStringLiteral("style:font-name(?:-asian)?=\"([^\"]+)\""));
    for (auto it = font.globalMatch(xml); it.hasNext();) {
        const QString name = it.next().captured(1);
        families << faces.value(name, name);
    }
    EXPECT_EQ(families, QSet<QString>{QStringLiteral("NanumGothic")})
        << QStringList(families.begin(), families.end()).join(u',').toStdString();
}

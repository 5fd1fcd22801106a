#include "frmReport.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>

#include "TWRTFOutput/ctlTWRTFOutput_d.h"
#include "WindowTexts.h"
#include "tw/Twips.h"

namespace tw::fluegas {
namespace {

// Window size, twips: an A4 page and the control's frame fit side by side.
constexpr int kWidthTwips = 12600;
constexpr int kHeightTwips = 10500;

// The page: A4 portrait with the control's 1 cm margins, cut into five columns by four tab
// stops. A row sets its label in columns 0 and 1, its value in column 2 and its unit in
// columns 3 and 4; a row without a unit gives its value columns 2 to 4.
constexpr short kTabStops = 4;
constexpr short kColumns = kTabStops + 1;
constexpr short kLabelColumn = 0;
constexpr short kLabelWidth = 2;
constexpr short kValueColumn = 2;
constexpr short kUnitColumn = 3;
constexpr short kUnitWidth = 2;

// Font sizes, points.
constexpr short kTitleSize = 14;
constexpr short kHeadingSize = 11;
constexpr short kBodySize = 10;

// rtfSelText sets a word no wider than its columns and drops the rest; a longer line is given
// to it in pieces that run on. A piece keeps this share of the line width in hand, for the
// small differences between measuring a piece and measuring the whole.
constexpr double kPieceShare = 0.95;

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

frmReport::frmReport(const CalculationReport& report, std::int32_t language, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmReport"));
    setAttribute(Qt::WA_DeleteOnClose);
    const char* caption = kReportWindowCaption.in(language);
    setWindowTitle(QString::fromUtf8(caption ? caption : kReportWindowCaption.english));
    // The control measures and sets its words in the font of its host.
    // The family the system actually draws with (a substitute where the named one is missing),
    // so that the report names it and the control's font list shows it.
    QFont font(QString::fromUtf8(language == TW_Korean ? kReportFontFamily.korean
                                                       : kReportFontFamily.english));
    font.setFamily(QFontInfo(font).family());
    font.setPointSize(kBodySize);
    setFont(font);
    const QSize size(twipsToPixels(kWidthTwips), twipsToPixels(kHeightTwips));
    resize(size);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
    }

    rtfOutput_ = new ctlTWRTFOutput_d(this);
    rtfOutput_->setObjectName(QStringLiteral("rtfOutput"));
    rtfOutput_->setGeometry(rect());
    rtfOutput_->setTW_Language(language);
    connect(rtfOutput_, &ctlTWRTFOutput_d::CloseClick, this, &QWidget::close);
    compose(report);
    rtfOutput_->textArea()->moveCursor(QTextCursor::Start);
}

void frmReport::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (rtfOutput_ != nullptr) rtfOutput_->setGeometry(rect());
}

void frmReport::compose(const CalculationReport& report) {
    ctlTWRTFOutput_d& rtf = *rtfOutput_;
    rtf.setrtfLocked(true);
    rtf.setrtfPaperWidth(ctlTWRTFOutput_d::A4_Portrait);
    rtf.setrtfTabNos(kTabStops);

    rtf.setrtfFontBold(true);
    rtf.setrtfFontSize(kTitleSize);
    rtf.rtfSelText(text(report.title), 0, kColumns, 2);
    rtf.setrtfFontBold(false);
    rtf.setrtfFontSize(kBodySize);
    for (const ReportRow& row : report.about) writeRow(row);

    for (const ReportSection& section : report.sections) {
        rtf.rtfSelText(QString(), 0, 1, 1);
        rtf.setrtfFontBold(true);
        rtf.setrtfFontSize(kHeadingSize);
        rtf.rtfSelText(text(section.heading), 0, kColumns, 1);
        rtf.setrtfFontBold(false);
        rtf.setrtfFontSize(kBodySize);
        for (const ReportRow& row : section.rows) writeRow(row);
        for (const std::string& line : section.lines) writeLine(line);
    }
}

void frmReport::writeRow(const ReportRow& row) {
    ctlTWRTFOutput_d& rtf = *rtfOutput_;
    rtf.rtfSelText(text(row.label), kLabelColumn, kLabelWidth, 0);
    if (row.unit.empty()) {
        rtf.rtfSelText(text(row.value), kValueColumn, kColumns - kValueColumn, 1);
        return;
    }
    rtf.rtfSelText(text(row.value), kValueColumn, 1, 0);
    rtf.rtfSelText(text(row.unit), kUnitColumn, kUnitWidth, 1);
}

void frmReport::writeLine(const std::string& line) {
    ctlTWRTFOutput_d& rtf = *rtfOutput_;
    const QTextEdit& area = *rtf.textArea();
    const QFontMetricsF metrics(
        area.currentCharFormat().font().resolve(area.document()->defaultFont()), area.viewport());
    const double limit =
        static_cast<double>(rtf.columnUnit()) * kColumns / kTwipsPerPixel * kPieceShare;
    // Words with the blanks after them, so that the pieces join as the line was written.
    QStringList pieces;
    QString piece;
    static const QRegularExpression word(QStringLiteral("\\S+\\s*|\\s+"));
    for (auto it = word.globalMatch(text(line)); it.hasNext();) {
        const QString next = it.next().captured();
        if (!piece.isEmpty() && metrics.horizontalAdvance(piece + next) >= limit) {
            pieces.append(piece);
            piece.clear();
        }
        piece += next;
        // A single word wider than the line is cut between characters.
        while (metrics.horizontalAdvance(piece) >= limit && piece.size() > 1) {
            qsizetype fit = piece.size() - 1;
            while (fit > 1 && metrics.horizontalAdvance(piece.left(fit)) >= limit) --fit;
            pieces.append(piece.left(fit));
            piece.remove(0, fit);
        }
    }
    if (!piece.isEmpty()) pieces.append(piece);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        rtf.rtfSelText(pieces[i], 0, kColumns, i + 1 == pieces.size() ? 1 : 0);
    }
}

}  // namespace tw::fluegas

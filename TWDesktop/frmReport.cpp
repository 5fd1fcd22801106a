#include "frmReport.h"

#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>
#include <cmath>

#include "ProgramLanguage.h"
#include "TWRTFOutput/ctlTWRTFOutput_d.h"
#include "tw/Twips.h"

namespace tw::fluegas {
namespace {

// Window size, twips: an A4 page and the control's frame fit side by side.
constexpr int kWidthTwips = 12600;
constexpr int kHeightTwips = 10500;

// The page: A4 portrait with the control's 1 cm margins, cut into five columns by four tab
// stops for the title and the lines of text. The label, value and unit rows of a section are
// a ruled table across the same width: label, value (right-aligned) and unit, in shares of
// the five columns.
constexpr short kTabStops = 4;
constexpr short kColumns = kTabStops + 1;
constexpr std::array<double, 3> kSheetColumns{2.2, 1.5, 1.3};
constexpr std::array<ctlTWRTFOutput_d::CellAlignment, 3> kSheetAlignments{
    ctlTWRTFOutput_d::CellAlignment::Left, ctlTWRTFOutput_d::CellAlignment::Right,
    ctlTWRTFOutput_d::CellAlignment::Left};

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

// The header fields: object name and the member of ReportHeader each edits.
constexpr std::array<std::pair<const char*, std::string ReportHeader::*>, 5> kHeaderFields{{
    {"txtProject", &ReportHeader::project},
    {"txtCase", &ReportHeader::caseName},
    {"txtPreparedBy", &ReportHeader::preparedBy},
    {"txtCheckedBy", &ReportHeader::checkedBy},
    {"txtDate", &ReportHeader::date},
}};
// Longest text a header field takes.
constexpr int kLongestHeaderField = 200;
// Space around the header fields, pixels.
constexpr int kFieldMargin = 6;

}  // namespace

frmReport::frmReport(CalculationRecord record, ReportHeader header, std::int32_t language,
                     QWidget* parent)
    : QWidget(parent, Qt::Window),
      record_(std::move(record)),
      header_(std::move(header)),
      language_(language == TW_English ? TW_English : TW_Korean) {
    setUp();
}

frmReport::frmReport(CalculationReport content, std::int32_t language, QWidget* parent)
    : QWidget(parent, Qt::Window),
      content_(std::move(content)),
      language_(language == TW_English ? TW_English : TW_Korean) {
    setUp();
}

frmReport::frmReport(Composer compose, BilingualText caption, ReportHeader header,
                     std::int32_t language, QWidget* parent)
    : QWidget(parent, Qt::Window),
      composer_(std::move(compose)),
      caption_(caption),
      header_(std::move(header)),
      language_(language == TW_English ? TW_English : TW_Korean) {
    setUp();
}

void frmReport::setUp() {
    setObjectName(QStringLiteral("frmReport"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The control measures and sets its words in the font of its host: the family the system
    // actually draws with (a substitute where the named one is missing), so that the sheet
    // names it and the saved file declares it.
    QFont font(QString::fromUtf8(kReportFontFamily.in(language_)));
    font.setFamily(QFontInfo(font).family());
    font.setPointSize(kBodySize);
    setFont(font);
    const QSize size(twipsToPixels(kWidthTwips), twipsToPixels(kHeightTwips));
    resize(size);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
    }

    for (std::size_t i = 0; i < kHeaderFields.size(); ++i) {
        headerLabels_[i] = new QLabel(this);
        auto* field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(kHeaderFields[i].first));
        field->setMaxLength(kLongestHeaderField);
        field->setText(QString::fromStdString(header_.*kHeaderFields[i].second));
        headerLabels_[i]->setBuddy(field);
        // The sheet follows a field when the user leaves it or presses Enter.
        connect(field, &QLineEdit::editingFinished, this, &frmReport::readHeaderFields);
        headerFields_[i] = field;
    }
    applyLanguage(language_);
    connect(&LanguageSwitch::instance(), &LanguageSwitch::languageChanged, this,
            &frmReport::applyLanguage);
}

QLineEdit* frmReport::headerField(std::string_view name) const {
    for (std::size_t i = 0; i < kHeaderFields.size(); ++i) {
        if (name == kHeaderFields[i].first) return headerFields_[i];
    }
    return nullptr;
}

void frmReport::setSaveFolder(const QString& folder) {
    saveFolder_ = folder;
    setSuggestedFileName(fileName_);
}

void frmReport::setSuggestedFileName(const QString& name) {
    fileName_ = name;
    if (rtfOutput_ != nullptr) {
        rtfOutput_->setSuggestedFileName(saveFolder_.isEmpty() ? name
                                                               : QDir(saveFolder_).filePath(name));
    }
}

void frmReport::setExtraSections(std::function<std::vector<ReportSection>(std::int32_t)> sections) {
    extraSections_ = std::move(sections);
    compose();
}

void frmReport::applyLanguage(std::int32_t language) {
    language_ = language == TW_English ? TW_English : TW_Korean;
    setWindowTitle(QString::fromUtf8(caption_.in(language_)));
    const std::array<const char*, 5> labels = reportHeaderLabels(language_);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        headerLabels_[i]->setText(QString::fromUtf8(labels[i]));
    }
    compose();
}

void frmReport::readHeaderFields() {
    ReportHeader header;
    for (std::size_t i = 0; i < kHeaderFields.size(); ++i) {
        // One line of text: breaks and tabs become blanks.
        QString text = headerFields_[i]->text();
        for (QChar& c : text) {
            if (c.category() == QChar::Other_Control) c = u' ';
        }
        header.*kHeaderFields[i].second = text.trimmed().toStdString();
    }
    if (header == header_) return;
    header_ = header;
    // A field left as the window closes changes the kept header, not a sheet no one sees.
    if (!closing_) compose();
    emit headerChanged(header_);
}

frmReport::~frmReport() {
    // A field that loses the focus while the window goes away reports to no one.
    closing_ = true;
    for (QLineEdit* field : headerFields_) {
        if (field != nullptr) field->disconnect(this);
    }
}

void frmReport::closeEvent(QCloseEvent* event) {
    closing_ = true;
    QWidget::closeEvent(event);
}

void frmReport::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void frmReport::layOut() {
    // The header fields in two rows above the sheet: project, case, date; prepared, checked.
    const int rowHeight = headerFields_[0]->sizeHint().height();
    const int columnWidth = (width() - 4 * kFieldMargin) / 3;
    const int labelWidth = columnWidth / 3;
    const std::array<QPoint, 5> cells{QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1),
                                      QPoint(2, 0)};
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const int x = kFieldMargin + cells[i].x() * (columnWidth + kFieldMargin);
        const int y = kFieldMargin + cells[i].y() * (rowHeight + kFieldMargin);
        headerLabels_[i]->setGeometry(x, y, labelWidth, rowHeight);
        headerFields_[i]->setGeometry(x + labelWidth, y, columnWidth - labelWidth, rowHeight);
    }
    const int top = 3 * kFieldMargin + 2 * rowHeight;
    if (rtfOutput_ != nullptr) {
        rtfOutput_->setGeometry(0, top, width(), std::max(0, height() - top));
    }
}

void frmReport::compose() {
    // The sheet is laid out anew in a fresh control: the control only ever appends.
    const bool visible = isVisible();
    if (rtfOutput_ != nullptr) rtfOutput_->deleteLater();
    rtfOutput_ = new ctlTWRTFOutput_d(this);
    rtfOutput_->setObjectName(QStringLiteral("rtfOutput"));
    rtfOutput_->setTW_Language(language_);
    rtfOutput_->setViewerMode(true);
    rtfOutput_->setPageNumbers(true);
    layOut();
    connect(rtfOutput_, &ctlTWRTFOutput_d::CloseClick, this, &QWidget::close);
    connect(rtfOutput_, &ctlTWRTFOutput_d::fileSaved, this, [this](const QString& file) {
        saveFolder_ = QFileInfo(file).absolutePath();
        emit savedIn(saveFolder_);
    });
    setSuggestedFileName(fileName_);

    CalculationReport report =
        record_     ? buildCalculationReport(*record_, kProgramAndVersion, language_, header_)
        : composer_ ? composer_(language_, header_)
                    : *content_;
    if (extraSections_) {
        for (ReportSection& section : extraSections_(language_)) {
            report.sections.push_back(std::move(section));
        }
    }
    QString title = QString::fromStdString(report.title);
    if (!header_.caseName.empty())
        title += QStringLiteral(" - ") + QString::fromStdString(header_.caseName);
    rtfOutput_->setDocumentTitle(title);

    ctlTWRTFOutput_d& rtf = *rtfOutput_;
    rtf.setrtfLocked(true);
    rtf.setrtfPaperWidth(ctlTWRTFOutput_d::A4_Portrait);
    rtf.setrtfTabNos(kTabStops);

    rtf.setrtfFontBold(true);
    rtf.setrtfFontSize(kTitleSize);
    rtf.rtfSelText(text(report.title), 0, kColumns, 2);
    rtf.setrtfFontBold(false);
    rtf.setrtfFontSize(kBodySize);
    writeTable(report.about);

    for (const ReportSection& section : report.sections) {
        rtf.rtfSelText(QString(), 0, 1, 1);
        rtf.setrtfFontBold(true);
        rtf.setrtfFontSize(kHeadingSize);
        rtf.rtfSelText(text(section.heading), 0, kColumns, 1);
        rtf.setrtfFontBold(false);
        rtf.setrtfFontSize(kBodySize);
        writeTable(section.rows);
        for (const std::string& line : section.lines) writeLine(line);
    }
    rtf.textArea()->moveCursor(QTextCursor::Start);
    if (visible) rtfOutput_->show();
}

void frmReport::writeTable(const std::vector<ReportRow>& rows) {
    if (rows.empty()) return;
    ctlTWRTFOutput_d& rtf = *rtfOutput_;
    std::vector<std::vector<QString>> cells;
    cells.reserve(rows.size());
    for (const ReportRow& row : rows)
        cells.push_back({text(row.label), text(row.value), text(row.unit)});
    std::vector<int> widths;
    for (const double share : kSheetColumns)
        widths.push_back(static_cast<int>(std::lround(share * rtf.columnUnit())));
    rtf.rtfTable(cells, widths, {kSheetAlignments.begin(), kSheetAlignments.end()});
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

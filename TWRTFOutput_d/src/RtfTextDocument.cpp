#include "TWRTFOutput/RtfTextDocument.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextTable>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <span>

#include "tw/Twips.h"

namespace tw::rtf {
namespace {

constexpr double kTwipsPerPixel = tw::kTwipsPerPixel;
// Space above and below the text of a table cell, pixels.
constexpr double kCellPaddingAboveAndBelow = 2;

int toTwips(double pixels) {
    const double twips = std::round(pixels * kTwipsPerPixel);
    if (!std::isfinite(twips)) return 0;
    return static_cast<int>(std::clamp<double>(twips, -kMaxTwips, kMaxTwips));
}
double toPixels(int twips) {
    return twips / kTwipsPerPixel;
}

Alignment alignmentOf(Qt::Alignment alignment) {
    const auto horizontal = alignment & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignHCenter) return Alignment::Center;
    if (horizontal & Qt::AlignJustify) return Alignment::Justify;
    if (horizontal & Qt::AlignRight) return Alignment::Right;
    return Alignment::Left;
}

Qt::Alignment qtAlignment(Alignment alignment) {
    switch (alignment) {
        case Alignment::Center:
            return Qt::AlignHCenter;
        case Alignment::Right:
            return Qt::AlignRight;
        case Alignment::Justify:
            return Qt::AlignJustify;
        case Alignment::Left:
            break;
    }
    return Qt::AlignLeft;
}

}  // namespace

CharFormat charFormatOf(const QTextCharFormat& format, const QFont& defaultFont) {
    const QFont font = format.font().resolve(defaultFont);
    CharFormat result;
    result.fontFamily = font.family();
    result.pointSize = font.pointSizeF() > 0 ? font.pointSizeF() : defaultFont.pointSizeF();
    result.bold = font.weight() >= QFont::DemiBold;
    result.italic = font.italic();
    result.underline = font.underline();
    result.strikeOut = font.strikeOut();
    if (format.hasProperty(QTextFormat::ForegroundBrush) &&
        format.foreground().style() != Qt::NoBrush)
        result.color = format.foreground().color().rgb() & 0xFFFFFFu;
    return result;
}

namespace {

QTextCharFormat qtCharFormat(const CharFormat& format) {
    QTextCharFormat result;
    if (!format.fontFamily.isEmpty()) result.setFontFamilies({format.fontFamily});
    result.setFontPointSize(std::clamp(format.pointSize, kMinPointSize, kMaxPointSize));
    result.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    result.setFontItalic(format.italic);
    result.setFontUnderline(format.underline);
    result.setFontStrikeOut(format.strikeOut);
    if (format.color) result.setForeground(QColor::fromRgb(*format.color | 0xFF000000u));
    return result;
}

Paragraph paragraphOf(const QTextBlock& block, int from, int to, const QFont& defaultFont) {
    const QTextBlockFormat bf = block.blockFormat();
    Paragraph p;
    p.alignment = alignmentOf(bf.alignment());
    p.leftIndent = toTwips(bf.leftMargin());
    p.rightIndent = toTwips(bf.rightMargin());
    p.firstLineIndent = toTwips(bf.textIndent());
    for (const QTextOption::Tab& tab : bf.tabPositions())
        p.tabStops.push_back(toTwips(tab.position + bf.leftMargin()));
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int start = std::max(from, fragment.position());
        const int end = std::min(to, fragment.position() + fragment.length());
        if (!fragment.isValid() || start >= end) continue;
        QString text = fragment.text().mid(start - fragment.position(), end - start);
        text.remove(QChar::ObjectReplacementCharacter);
        if (text.isEmpty()) continue;
        const CharFormat format = charFormatOf(fragment.charFormat(), defaultFont);
        if (!p.runs.empty() && p.runs.back().format == format)
            p.runs.back().text += text;
        else
            p.runs.push_back(Run{text, format});
    }
    return p;
}

// Width of a table column, twips: fixed widths as they are, others an even share of `width`.
int columnTwips(const QTextTableFormat& format, int column, int columns, double width) {
    const QList<QTextLength> widths = format.columnWidthConstraints();
    if (column < widths.size()) {
        const QTextLength length = widths[column];
        if (length.type() == QTextLength::FixedLength) return toTwips(length.rawValue());
        if (length.type() == QTextLength::PercentageLength)
            return toTwips(width * length.rawValue() / 100.0);
    }
    return toTwips(width / std::max(columns, 1));
}

// One row of a table as a paragraph: the cells' texts separated by tabs (a cell's own
// paragraphs by line breaks), tab stops at the cells' edges for readers without tables.
// Columns outside [firstColumn, lastColumn] keep their place with no text.
Paragraph rowParagraph(const QTextTable& table, int row, int from, int to, const QFont& defaultFont,
                       int firstColumn = 0, int lastColumn = std::numeric_limits<int>::max()) {
    const QTextTableFormat format = table.format();
    const double width = table.document()->textWidth() > 0 ? table.document()->textWidth()
                                                           : table.document()->pageSize().width();
    Paragraph p;
    p.leftIndent = toTwips(format.leftMargin());
    TableRow tableRow;
    tableRow.cellGap = toTwips(format.cellPadding());
    tableRow.ruled =
        format.border() > 0 && format.borderStyle() != QTextFrameFormat::BorderStyle_None;
    int edge = p.leftIndent;
    for (int column = 0; column < table.columns();) {
        const QTextTableCell cell = table.cellAt(row, column);
        if (!cell.isValid()) {
            ++column;
            continue;
        }
        const int span = std::max(1, cell.columnSpan());
        for (int i = 0; i < span; ++i)
            edge += columnTwips(format, column + i, table.columns(), width);
        column += span;
        TableCell model;
        model.rightEdge = edge;
        std::vector<Run> runs;
        bool firstBlock = true;
        for (QTextBlock block = cell.firstCursorPosition().block();
             block.isValid() && block.position() <= cell.lastCursorPosition().position();
             block = block.next()) {
            const bool selected = column - span <= lastColumn && column - 1 >= firstColumn;
            Paragraph part =
                paragraphOf(block, selected ? from : 0, selected ? to : 0, defaultFont);
            if (firstBlock) model.alignment = part.alignment;
            if (!firstBlock && !part.runs.empty()) part.runs.front().text.prepend(QChar(0x2028));
            firstBlock = false;
            std::move(part.runs.begin(), part.runs.end(), std::back_inserter(runs));
        }
        if (!tableRow.cells.empty()) {
            // The tab that opens the cell, in the format of the cell's text.
            if (runs.empty())
                runs.push_back(Run{QString(), charFormatOf(cell.format(), defaultFont)});
            runs.front().text.prepend(u'\t');
        }
        for (Run& run : runs) {
            if (!p.runs.empty() && p.runs.back().format == run.format)
                p.runs.back().text += run.text;
            else
                p.runs.push_back(std::move(run));
        }
        tableRow.cells.push_back(model);
    }
    for (std::size_t i = 0; i + 1 < tableRow.cells.size(); ++i)
        p.tabStops.push_back(tableRow.cells[i].rightEdge);
    p.tableRow = std::move(tableRow);
    return p;
}

Document fromRange(const QTextDocument& document, int from, int to) {
    Document model;
    for (QTextBlock block = document.findBlock(from); block.isValid(); block = block.next()) {
        if (block.position() > to || (block.position() == to && from != to)) break;
        const QTextCursor at(block);
        if (const QTextTable* table = at.currentTable()) {
            const QTextTableCell cell = table->cellAt(block.position());
            model.paragraphs.push_back(
                rowParagraph(*table, cell.row(), from, to, document.defaultFont()));
            // On after the row's last cell.
            const QTextTableCell last = table->cellAt(cell.row(), table->columns() - 1);
            if (last.isValid()) block = document.findBlock(last.lastCursorPosition().position());
            continue;
        }
        model.paragraphs.push_back(paragraphOf(block, from, to, document.defaultFont()));
    }
    return model;
}

}  // namespace

Document fromTextDocument(const QTextDocument& document) {
    return fromRange(document, 0, document.characterCount());
}

Document fromSelection(const QTextCursor& cursor) {
    if (cursor.document() == nullptr) return {};
    if (!cursor.hasSelection()) return fromTextDocument(*cursor.document());
    if (const QTextTable* table = cursor.currentTable(); table && cursor.hasComplexSelection()) {
        // Cells chosen across a table: the rows they lie in, with only those cells' text.
        int firstRow = 0, rows = 0, firstColumn = 0, columns = 0;
        cursor.selectedTableCells(&firstRow, &rows, &firstColumn, &columns);
        Document model;
        for (int row = firstRow; row < firstRow + rows; ++row) {
            model.paragraphs.push_back(rowParagraph(
                *table, row, 0, cursor.document()->characterCount(),
                cursor.document()->defaultFont(), firstColumn, firstColumn + columns - 1));
        }
        return model;
    }
    return fromRange(*cursor.document(), cursor.selectionStart(), cursor.selectionEnd());
}

namespace {

bool isRow(const Paragraph& p) {
    return p.tableRow && !p.tableRow->cells.empty();
}

// Rows that go into one table: the same cells at the same edges.
bool sameTable(const Paragraph& a, const Paragraph& b) {
    if (!isRow(a) || !isRow(b) || a.leftIndent != b.leftIndent) return false;
    const auto& x = a.tableRow->cells;
    const auto& y = b.tableRow->cells;
    return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](auto& c, auto& d) {
               return c.rightEdge == d.rightEdge;
           });
}

QString cleanRunText(QString text) {
    // Paragraph breaks belong between paragraphs, never inside a run.
    text.replace(u'\n', u' ').replace(u'\r', u' ').replace(QChar::ParagraphSeparator, u' ');
    return text;
}

}  // namespace

void insertTable(QTextCursor& cursor, std::span<const Paragraph> rows) {
    if (rows.empty() || !isRow(rows.front())) return;
    const Paragraph& top = rows.front();
    const std::vector<TableCell>& cells = top.tableRow->cells;
    const int columns = static_cast<int>(std::min<std::size_t>(cells.size(), kMaxTableCells));
    QTextTableFormat format;
    format.setLeftMargin(toPixels(std::max(0, top.leftIndent)));
    format.setCellSpacing(0);
    format.setCellPadding(toPixels(std::clamp(top.tableRow->cellGap, 0, kMaxTwips)));
    format.setBorderCollapse(true);
    if (top.tableRow->ruled) {
        // One pixel: the thinnest line the screen draws, about the half point of the RTF
        // rows' borders on paper.
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(Qt::black);
    } else {
        format.setBorder(0);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    }
    QList<QTextLength> widths;
    int edge = top.leftIndent;
    for (int i = 0; i < columns; ++i) {
        const int right = std::clamp(cells[i].rightEdge, edge, kMaxTwips);
        widths.append(QTextLength(QTextLength::FixedLength, toPixels(right - edge)));
        edge = right;
    }
    format.setColumnWidthConstraints(widths);
    format.setAlignment(Qt::AlignLeft);
    QTextTable* table = cursor.insertTable(static_cast<int>(rows.size()), columns, format);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const Paragraph& p = rows[r];
        int column = 0;
        auto startCell = [&](int c) {
            QTextTableCell cell = table->cellAt(static_cast<int>(r), c);
            // The gap lies left and right of the text, as in a word processor's row; above and
            // below it only a hairline of space.
            QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
            cellFormat.setTopPadding(kCellPaddingAboveAndBelow);
            cellFormat.setBottomPadding(kCellPaddingAboveAndBelow);
            cell.setFormat(cellFormat);
            QTextCursor at = cell.firstCursorPosition();
            QTextBlockFormat bf;
            const auto& rowCells = p.tableRow ? p.tableRow->cells : top.tableRow->cells;
            if (c < static_cast<int>(rowCells.size()))
                bf.setAlignment(qtAlignment(rowCells[static_cast<std::size_t>(c)].alignment));
            at.setBlockFormat(bf);
            return at;
        };
        QTextCursor at = startCell(0);
        for (const Run& run : p.runs) {
            const QStringList parts = cleanRunText(run.text).split(u'\t');
            for (qsizetype i = 0; i < parts.size(); ++i) {
                if (i > 0) {
                    if (column + 1 < columns)
                        at = startCell(++column);
                    else
                        at.insertText(QStringLiteral("\t"), qtCharFormat(run.format));
                }
                if (!parts[i].isEmpty()) at.insertText(parts[i], qtCharFormat(run.format));
            }
        }
    }
    cursor = table->lastCursorPosition();
    cursor.movePosition(QTextCursor::NextBlock);
}

void keepBlankLinesBesideTables(QTextDocument& document) {
    const auto lineHeight = [&](const QTextBlock& block) {
        return QFontMetricsF(block.charFormat().font().resolve(document.defaultFont()))
            .lineSpacing();
    };
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (table == nullptr) continue;
        QTextTableFormat format = table->format();
        const QTextBlock before = document.findBlock(table->firstPosition() - 1);
        const QTextBlock after = document.findBlock(table->lastPosition() + 1);
        // The layout hides an empty line right before a table, and one right after it; a
        // word processor shows both. The table keeps their room, the last line excepted.
        const double top = before.length() == 1 && before.position() == table->firstPosition() - 1
                               ? lineHeight(before)
                               : 0.0;
        const double bottom = after.length() == 1 &&
                                      after.position() == table->lastPosition() + 1 &&
                                      after.next().isValid()
                                  ? lineHeight(after)
                                  : 0.0;
        if (format.topMargin() != top || format.bottomMargin() != bottom) {
            format.setTopMargin(top);
            format.setBottomMargin(bottom);
            table->setFormat(format);
        }
    }
}

void toTextDocument(const Document& model, QTextDocument& document) {
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    // The block the cursor stands in is still empty: the first one, or the one after a table.
    bool fresh = true;
    const std::vector<Paragraph>& paragraphs = model.paragraphs;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        const Paragraph& p = paragraphs[i];
        if (isRow(p)) {
            std::size_t last = i + 1;
            while (last < paragraphs.size() && sameTable(p, paragraphs[last])) ++last;
            // The table follows the text of the block the cursor stands in.
            insertTable(cursor, std::span(paragraphs).subspan(i, last - i));
            fresh = true;
            i = last - 1;
            continue;
        }
        QTextBlockFormat bf;
        bf.setAlignment(qtAlignment(p.alignment));
        bf.setLeftMargin(toPixels(p.leftIndent));
        bf.setRightMargin(toPixels(p.rightIndent));
        bf.setTextIndent(toPixels(p.firstLineIndent));
        QList<QTextOption::Tab> tabs;
        for (const int tab : p.tabStops) {
            // A tab stop left of the indent cannot be reached by the text.
            if (tab >= p.leftIndent)
                tabs.append(QTextOption::Tab(toPixels(tab - p.leftIndent), QTextOption::LeftTab));
        }
        bf.setTabPositions(tabs);
        const QTextCharFormat blockChars =
            p.runs.empty() ? QTextCharFormat() : qtCharFormat(p.runs.front().format);
        if (fresh) {
            cursor.setBlockFormat(bf);
            cursor.setBlockCharFormat(blockChars);
            fresh = false;
        } else {
            cursor.insertBlock(bf, blockChars);
        }
        for (const Run& run : p.runs)
            cursor.insertText(cleanRunText(run.text), qtCharFormat(run.format));
    }
    cursor.endEditBlock();
    keepBlankLinesBesideTables(document);
}

}  // namespace tw::rtf

// RTF writer for the output pane's model: one font table and colour table, then each paragraph
// with its full paragraph and character formats, so that every paragraph reads on its own.
// A family that sets Korean text has a second font table entry with the Hangul character set
// (\fcharset129), named for double-byte text through \dbch\af, so that word processors set
// Hangul in the family itself rather than in a substitute.

#include <QByteArray>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "CodePage.h"
#include "TWRTFOutput/RtfDocument.h"

namespace tw::rtf {
namespace {

// The text as RTF: ASCII as is, tabs, line breaks and no-break spaces as control words,
// everything else as \uN followed by a one-character Windows-1252 fallback.
void appendEscaped(QByteArray& out, const QString& text) {
    for (const QChar qc : text) {
        const char16_t ch = qc.unicode();
        if (ch == u'\\' || ch == u'{' || ch == u'}') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch == u'\t') {
            out += "\\tab ";
        } else if (ch == 0x2028) {
            out += "\\line ";
        } else if (ch == 0x00A0) {
            out += "\\~";
        } else if (ch < 0x20 || ch == 0x7F || ch == 0x2029 ||
                   ch == QChar::ObjectReplacementCharacter) {
            // Control characters and embedded objects have no place in the text.
        } else if (ch < 0x80) {
            out += static_cast<char>(ch);
        } else {
            out += "\\u" + QByteArray::number(static_cast<int>(static_cast<std::int16_t>(ch)));
            if (const auto fallback = encode1252(ch); fallback && *fallback >= 0x80)
                out += "\\'" + QByteArray::number(*fallback, 16).rightJustified(2, '0');
            else if (fallback)
                out += static_cast<char>(*fallback);
            else
                out += '?';
        }
    }
}

bool isHangul(char16_t ch) {
    return (ch >= 0x1100 && ch <= 0x11FF) || (ch >= 0x3130 && ch <= 0x318F) ||
           (ch >= 0xA960 && ch <= 0xA97F) || (ch >= 0xAC00 && ch <= 0xD7FF);
}

bool hasHangul(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return isHangul(c.unicode()); });
}

QByteArray alignmentWord(Alignment alignment) {
    switch (alignment) {
        case Alignment::Center:
            return "\\qc";
        case Alignment::Right:
            return "\\qr";
        case Alignment::Justify:
            return "\\qj";
        case Alignment::Left:
            break;
    }
    return "\\ql";
}

// The size of the footer's text: that of the document's first run.
double footerPointSize(const Document& document) {
    for (const Paragraph& p : document.paragraphs) {
        if (!p.runs.empty())
            return std::clamp(p.runs.front().format.pointSize, kMinPointSize, kMaxPointSize);
    }
    return CharFormat{}.pointSize;
}

// The runs of a row's paragraph cut into its cells at the tabs. Tabs past the last cell stay
// in the last cell's text.
std::vector<std::vector<Run>> cellRuns(const Paragraph& p, std::size_t cells) {
    std::vector<std::vector<Run>> result(cells);
    std::size_t cell = 0;
    for (const Run& run : p.runs) {
        qsizetype from = 0;
        while (from <= run.text.size()) {
            qsizetype tab = run.text.indexOf(u'\t', from);
            if (tab >= 0 && cell + 1 >= cells) tab = -1;
            const qsizetype end = tab < 0 ? run.text.size() : tab;
            if (end > from) result[cell].push_back(Run{run.text.mid(from, end - from), run.format});
            if (tab < 0) break;
            ++cell;
            from = tab + 1;
        }
    }
    return result;
}

// A thin single line on each side of a cell: half a point (\brdrw counts twips).
constexpr const char* kCellBorders =
    "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
    "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10";

template <typename WriteRuns>
void writeRow(QByteArray& out, const Paragraph& p, WriteRuns& writeRuns) {
    const TableRow& row = *p.tableRow;
    const std::size_t cells = std::min<std::size_t>(row.cells.size(), kMaxTableCells);
    out += "\\trowd\\trgaph" + QByteArray::number(std::clamp(row.cellGap, 0, kMaxTwips));
    if (p.leftIndent != 0) out += "\\trleft" + QByteArray::number(p.leftIndent);
    int edge = p.leftIndent;
    for (std::size_t i = 0; i < cells; ++i) {
        // Cells never run backwards: an edge left of the one before closes an empty cell.
        edge = std::max(edge, std::clamp(row.cells[i].rightEdge, -kMaxTwips, kMaxTwips));
        if (row.ruled) out += kCellBorders;
        out += "\\cellx" + QByteArray::number(edge);
    }
    out += '\n';
    const std::vector<std::vector<Run>> texts = cellRuns(p, cells);
    for (std::size_t i = 0; i < cells; ++i) {
        out += "\\pard\\intbl" + alignmentWord(row.cells[i].alignment);
        writeRuns(texts[i]);
        out += "\\cell\n";
    }
    out += "\\row\n";
}

}  // namespace

QByteArray write(const Document& document) {
    QStringList fonts;
    QStringList hangulFonts;  // families that set Hangul text: entries after `fonts`
    std::vector<unsigned> colors;
    for (const Paragraph& p : document.paragraphs) {
        for (const Run& run : p.runs) {
            const QString family = run.format.fontFamily.isEmpty()
                                       ? QStringLiteral("Times New Roman")
                                       : run.format.fontFamily;
            if (!fonts.contains(family)) fonts << family;
            if (hasHangul(run.text) && !hangulFonts.contains(family)) hangulFonts << family;
            if (run.format.color &&
                std::find(colors.begin(), colors.end(), *run.format.color) == colors.end())
                colors.push_back(*run.format.color);
        }
    }
    if (fonts.isEmpty()) fonts << QStringLiteral("Times New Roman");

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (qsizetype i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ";
        appendEscaped(out, fonts[i]);
        out += ";}";
    }
    for (qsizetype i = 0; i < hangulFonts.size(); ++i) {
        out += "{\\f" + QByteArray::number(fonts.size() + i) + "\\fnil\\fcharset129 ";
        appendEscaped(out, hangulFonts[i]);
        out += ";}";
    }
    out += "}\n";
    if (!colors.empty()) {
        out += "{\\colortbl;";
        for (const unsigned c : colors)
            out += "\\red" + QByteArray::number((c >> 16) & 0xFF) + "\\green" +
                   QByteArray::number((c >> 8) & 0xFF) + "\\blue" + QByteArray::number(c & 0xFF) +
                   ";";
        out += "}\n";
    }
    out += "{\\*\\generator TWRTFOutput;}\\viewkind4\n";

    if (document.pageNumbers) {
        // Word processors fill in the fields as they lay out the pages; the results stand for
        // readers that do not.
        out +=
            "{\\footer\\pard\\qc\\plain\\f0\\fs" +
            QByteArray::number(static_cast<qlonglong>(std::lround(footerPointSize(document) * 2))) +
            " {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} / "
            "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 1}}\\par}\n";
    }

    auto writeRuns = [&](const std::vector<Run>& runs) {
        for (const Run& run : runs) {
            const CharFormat& f = run.format;
            const QString family = f.fontFamily.isEmpty() ? fonts.front() : f.fontFamily;
            const long halfPoints =
                std::lround(std::clamp(f.pointSize, kMinPointSize, kMaxPointSize) * 2);
            out += "\\plain\\f" + QByteArray::number(fonts.indexOf(family)) + "\\fs" +
                   QByteArray::number(static_cast<qlonglong>(halfPoints));
            if (f.bold) out += "\\b";
            if (f.italic) out += "\\i";
            if (f.underline) out += "\\ul";
            if (f.strikeOut) out += "\\strike";
            if (f.color) {
                const auto index =
                    std::find(colors.begin(), colors.end(), *f.color) - colors.begin();
                out += "\\cf" + QByteArray::number(static_cast<qlonglong>(index + 1));
            }
            if (const qsizetype hangul = hangulFonts.indexOf(family); hangul >= 0) {
                // Double-byte text in the Hangul entry of the family; the rest single-byte.
                out += "\\dbch\\af" + QByteArray::number(fonts.size() + hangul) + "\\loch";
            }
            out += ' ';
            appendEscaped(out, run.text);
        }
    };

    for (const Paragraph& p : document.paragraphs) {
        if (p.tableRow && !p.tableRow->cells.empty()) {
            writeRow(out, p, writeRuns);
            continue;
        }
        out += "\\pard" + alignmentWord(p.alignment);
        if (p.leftIndent != 0) out += "\\li" + QByteArray::number(p.leftIndent);
        if (p.rightIndent != 0) out += "\\ri" + QByteArray::number(p.rightIndent);
        if (p.firstLineIndent != 0) out += "\\fi" + QByteArray::number(p.firstLineIndent);
        for (const int tab : p.tabStops) out += "\\tx" + QByteArray::number(tab);
        writeRuns(p.runs);
        out += "\\par\n";
    }
    out += "}\n";
    return out;
}

}  // namespace tw::rtf

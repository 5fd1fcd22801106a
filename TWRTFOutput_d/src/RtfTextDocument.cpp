#include "TWRTFOutput/RtfTextDocument.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <algorithm>
#include <cmath>

#include "tw/Twips.h"

namespace tw::rtf {
namespace {

constexpr double kTwipsPerPixel = tw::kTwipsPerPixel;

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

Document fromRange(const QTextDocument& document, int from, int to) {
    Document model;
    for (QTextBlock block = document.findBlock(from); block.isValid(); block = block.next()) {
        if (block.position() > to || (block.position() == to && from != to)) break;
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
    return fromRange(*cursor.document(), cursor.selectionStart(), cursor.selectionEnd());
}

void toTextDocument(const Document& model, QTextDocument& document) {
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    bool first = true;
    for (const Paragraph& p : model.paragraphs) {
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
        if (first) {
            cursor.setBlockFormat(bf);
            cursor.setBlockCharFormat(blockChars);
            first = false;
        } else {
            cursor.insertBlock(bf, blockChars);
        }
        for (const Run& run : p.runs) {
            QString text = run.text;
            // Paragraph breaks belong between paragraphs, never inside a run.
            text.replace(u'\n', u' ').replace(u'\r', u' ').replace(QChar::ParagraphSeparator, u' ');
            cursor.insertText(text, qtCharFormat(run.format));
        }
    }
    cursor.endEditBlock();
}

}  // namespace tw::rtf

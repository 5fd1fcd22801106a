#pragma once
// The rich text the output pane holds, as plain values: paragraphs with alignment, indents and
// tab stops, made of runs of characters that share one format. The RTF reader and writer work
// on this model only (Qt Core, no widgets), so that they can be tested and fuzzed on their own.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

#include "TWRTFOutput/Export.h"

namespace tw::rtf {

enum class Alignment { Left, Center, Right, Justify };

struct CharFormat {
    QString fontFamily;     // empty: the reader's or the host's default font
    double pointSize = 12;  // RTF keeps half points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::optional<unsigned> color;  // 0xRRGGBB; none means the automatic text colour

    friend bool operator==(const CharFormat&, const CharFormat&) = default;
};

// Text holds tabs as '\t' and manual line breaks as U+2028 (Qt's line separator).
struct Run {
    QString text;
    CharFormat format;

    friend bool operator==(const Run&, const Run&) = default;
};

// A cell of a ruled table's row: where it ends and how its text is set.
struct TableCell {
    int rightEdge = 0;  // twips from the text's left edge, as \cellx counts
    Alignment alignment = Alignment::Left;

    friend bool operator==(const TableCell&, const TableCell&) = default;
};

// The row a paragraph stands for: cells from the paragraph's left indent on, each closed by
// thin single borders when `ruled`.
struct TableRow {
    std::vector<TableCell> cells;
    int cellGap = 0;  // half the space between the texts of neighbouring cells, twips
    bool ruled = true;

    friend bool operator==(const TableRow&, const TableRow&) = default;
};

// Lengths in twips, measured from the text's left and right edges as RTF counts them.
struct Paragraph {
    Alignment alignment = Alignment::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstLineIndent = 0;
    std::vector<int> tabStops;
    std::vector<Run> runs;
    // A row of a table: the tabs of the text separate its cells, and the tab stops and the
    // alignment above are those a reader without tables sees.
    std::optional<TableRow> tableRow;

    QString text() const;
    friend bool operator==(const Paragraph&, const Paragraph&) = default;
};

struct Document {
    std::vector<Paragraph> paragraphs;
    // Every page carries "page / pages" centred in its footer.
    bool pageNumbers = false;

    // The paragraphs' texts joined by '\n'.
    QString text() const;
    friend bool operator==(const Document&, const Document&) = default;
};

// Limits that keep a hostile file from exhausting memory or the layout engine. Values past
// them are clamped; Word's own limits are of the same size.
inline constexpr int kMaxGroupDepth = 512;
inline constexpr int kMaxTabStops = 64;
inline constexpr int kMaxTwips = 31680;  // 22 inches
inline constexpr double kMaxPointSize = 1638;
inline constexpr double kMinPointSize = 1;

// Cells of a table row that the reader separates by tabs, at most: Word's own limit of columns.
inline constexpr int kMaxTableCells = 63;

// An embedded picture (or a drawing or object that holds one) reads as this character, so that
// the reader sees where it stood: WHITE SQUARE CONTAINING BLACK SMALL SQUARE, which Korean and
// Latin fonts both have.
inline constexpr char16_t kPicturePlaceholder = 0x25A3;

enum class ReadError { NotRtf };

// Reads an RTF file. Returns nothing when the data does not begin as an RTF file; any other
// input, truncated or damaged, yields what could be read. Each character takes the font, size,
// bold and italic of its script: East Asian text those set for double-byte text (\dbch, \af,
// \afs, \ab, \ai), right-to-left text those set for it (\rtlch), other text the plain ones.
// A table row reads as one paragraph with its cells separated by tabs, set at the cells'
// edges; a picture reads as kPicturePlaceholder. Styles, fields' instructions and other parts
// that the model does not hold are skipped.
TWRTFOUTPUT_EXPORT std::optional<Document> read(QByteArrayView data);

// Writes the document as RTF 1 (ANSI code page 1252, every other character as \uN with a
// fallback), as word processors read it. A table row is written as an RTF row (\trowd, one
// \cellx for each cell, \intbl paragraphs closed by \cell, then \row); the page numbers as
// PAGE and NUMPAGES fields in the footer.
TWRTFOUTPUT_EXPORT QByteArray write(const Document& document);

}  // namespace tw::rtf

#pragma once
// Moves rich text between a QTextDocument (what the text area shows) and the RTF model.
// Lengths: the model keeps twips, the document device-independent pixels (15 twips each);
// RTF counts tab stops from the text's left edge, Qt from the paragraph's left indent.

#include <QTextDocument>
#include <span>

#include "TWRTFOutput/Export.h"
#include "TWRTFOutput/RtfDocument.h"

class QTextCursor;
class QTextCharFormat;

namespace tw::rtf {

// The whole document, or the selected part of `cursor` when it has a selection.
TWRTFOUTPUT_EXPORT Document fromTextDocument(const QTextDocument& document);
TWRTFOUTPUT_EXPORT Document fromSelection(const QTextCursor& cursor);

// Replaces the content of `document` by `model`; runs without a font use the document's
// default font.
TWRTFOUTPUT_EXPORT void toTextDocument(const Document& model, QTextDocument& document);

// Inserts `rows` (paragraphs that are table rows) as one table, with the cells of the first
// row, after the text of the cursor's block; thin black borders when the row is ruled. The
// cursor then stands in the block after the table.
TWRTFOUTPUT_EXPORT void insertTable(QTextCursor& cursor, std::span<const Paragraph> rows);

// Gives each table of the top level the room of the empty lines right before and after it,
// which Qt's layout hides and word processors show (an empty last line takes no room).
TWRTFOUTPUT_EXPORT void keepBlankLinesBesideTables(QTextDocument& document);

// The model's format of characters set in `format` (what it leaves open from `defaultFont`).
TWRTFOUTPUT_EXPORT CharFormat charFormatOf(const QTextCharFormat& format, const QFont& defaultFont);

}  // namespace tw::rtf

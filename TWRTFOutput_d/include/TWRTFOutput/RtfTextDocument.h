#pragma once
// Moves rich text between a QTextDocument (what the text area shows) and the RTF model.
// Lengths: the model keeps twips, the document device-independent pixels (15 twips each);
// RTF counts tab stops from the text's left edge, Qt from the paragraph's left indent.

#include <QTextDocument>

#include "TWRTFOutput/Export.h"
#include "TWRTFOutput/RtfDocument.h"

class QTextCursor;

namespace tw::rtf {

// The whole document, or the selected part of `cursor` when it has a selection.
TWRTFOUTPUT_EXPORT Document fromTextDocument(const QTextDocument& document);
TWRTFOUTPUT_EXPORT Document fromSelection(const QTextCursor& cursor);

// Replaces the content of `document` by `model`; runs without a font use the document's
// default font.
TWRTFOUTPUT_EXPORT void toTextDocument(const Document& model, QTextDocument& document);

}  // namespace tw::rtf

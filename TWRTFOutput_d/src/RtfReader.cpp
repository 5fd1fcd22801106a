// RTF reader for the output pane's model. It follows the RTF 1.x rules for groups, control
// words and symbols, \uN with its \ucN fallback count, \'hh bytes in the code page of the
// document or of the current font, the associated character properties of East Asian and
// right-to-left text, and skips every destination that holds no body text.

#include <QStringList>
#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "CodePage.h"
#include "TWRTFOutput/RtfDocument.h"

namespace tw::rtf {
namespace {

enum class Destination {
    Body,        // text of the document
    Skip,        // ignored with everything inside
    FontTable,   // font names and character sets
    ColorTable,  // \redN\greenN\blueN; entries
    UprAnsi,     // the ANSI half of \upr, replaced by its \ud half
    Shape,       // a drawing or an embedded object: shown as one placeholder if it has a picture
};

// The scripts whose characters take formats of their own. A writer sets the formats of each
// after naming the kind of text that follows: \loch or \hich for single-byte (Latin) text,
// \dbch for double-byte (East Asian) text, \rtlch for right-to-left text; within each, \f and
// \af, \fs and \afs, \b and \ab, \i and \ai set that script's font, size, bold and italic.
enum class Script { Latin, EastAsian, RightToLeft };

// The formats of East Asian or right-to-left text where the writer set them; what it did not
// set is as for Latin text.
struct ScriptFormat {
    std::optional<int> fontNumber;
    std::optional<QString> fontFamily;
    std::optional<double> pointSize;
    std::optional<bool> bold;
    std::optional<bool> italic;
};

struct ParagraphFormat {
    Alignment alignment = Alignment::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstLineIndent = 0;
    std::vector<int> tabStops;
};

struct GroupState {
    Destination destination = Destination::Body;
    CharFormat charFormat;  // Latin text, and what every script shares (underline, colour, ...)
    int fontNumber = -1;
    ScriptFormat eastAsian;
    ScriptFormat rightToLeft;
    bool doubleByteText = false;   // \dbch named the text that follows (\loch, \hich undo it)
    bool rightToLeftText = false;  // \rtlch named it (\ltrch undoes it)
    int unicodeSkip = 1;           // \ucN: characters of fallback after each \uN
    bool hidden = false;
    bool ignorableNext = false;  // \* seen: an unknown destination word is skipped
    ParagraphFormat paragraph;

    // The script whose formats the character format words set now, and that characters of no
    // script of their own (blanks, digits, punctuation) take.
    Script namedScript() const {
        if (rightToLeftText) return Script::RightToLeft;
        return doubleByteText ? Script::EastAsian : Script::Latin;
    }
    // The formats of a script other than Latin; nothing for Latin text, whose formats are the
    // character format itself.
    const ScriptFormat* scriptFormat(Script script) const {
        switch (script) {
            case Script::EastAsian:
                return &eastAsian;
            case Script::RightToLeft:
                return &rightToLeft;
            case Script::Latin:
                break;
        }
        return nullptr;
    }
    ScriptFormat* scriptFormat(Script script) {
        return const_cast<ScriptFormat*>(std::as_const(*this).scriptFormat(script));
    }
};

struct Font {
    QString name;
    std::optional<int> codePage;
};

// Destinations that never hold text of the document.
constexpr std::array<std::string_view, 49> kSkippedDestinations = {
    "stylesheet",   "info",      "header",
    "headerl",      "headerr",   "headerf",
    "footer",       "footerl",   "footerr",
    "footerf",      "footnote",  "annotation",
    "fldinst",      "listtable", "listoverridetable",
    "revtbl",       "rsidtbl",   "generator",
    "xmlnstbl",     "themedata", "colorschememapping",
    "latentstyles", "datastore", "filetbl",
    "nonshppict",   "shpinst",   "pgdsctbl",
    "pn",           "bkmkstart", "bkmkend",
    "atnid",        "atnauthor", "userprops",
    "docvar",       "template",  "comment",
    "title",        "author",    "operator",
    "keywords",     "subject",   "doccomm",
    "company",      "objdata",   "txe",
    "xe",           "tc",        "background",
    "ftnsep",
};

// Control words that stand for one character of text.
struct SpecialCharacter {
    std::string_view word;
    char16_t character;
};
constexpr std::array<SpecialCharacter, 16> kSpecialCharacters = {{
    {"tab", u'\t'},
    {"line", 0x2028},
    {"emdash", 0x2014},
    {"endash", 0x2013},
    {"emspace", 0x2003},
    {"enspace", 0x2002},
    {"qmspace", 0x2005},
    {"bullet", 0x2022},
    {"lquote", 0x2018},
    {"rquote", 0x2019},
    {"ldblquote", 0x201C},
    {"rdblquote", 0x201D},
    {"zwj", 0x200D},
    {"zwnj", 0x200C},
    {"ltrmark", 0x200E},
    {"rtlmark", 0x200F},
}};

constexpr std::array<std::string_view, 3> kParagraphEnds = {"par", "sect", "page"};
constexpr std::array<std::string_view, 2> kCellEnds = {"cell", "nestcell"};
constexpr std::array<std::string_view, 2> kRowEnds = {"row", "nestrow"};
// Destinations drawn in place of text: a picture of their own shows as the placeholder.
constexpr std::array<std::string_view, 3> kShapes = {"shp", "shpgrp", "object"};

template <std::size_t N>
bool isOneOf(const std::array<std::string_view, N>& words, std::string_view word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

bool isUnderlineWord(std::string_view word) {
    return word.size() >= 2 && word.substr(0, 2) == "ul" && word != "ulnone" && word != "ulc";
}

// Text as the model holds it: no control characters but the tab, no paragraph separators or
// object marks inside a run, and no half of a surrogate pair (\uN may name one) without its
// partner.
void cleanText(QString& text) {
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            clean += ch;
            clean += text[++i];
        } else if (ch.isSurrogate()) {
            clean += QChar::ReplacementCharacter;
        } else if ((ch.unicode() >= 0x20 || ch == u'\t') && ch != QChar::ParagraphSeparator &&
                   ch != QChar::ObjectReplacementCharacter && ch.unicode() != 0x7F) {
            clean += ch;
        }
    }
    text = std::move(clean);
}

// The script of a character with one of its own; nothing for characters that every script
// uses (blanks, digits, punctuation, symbols) and for a half of a surrogate pair on its own.
std::optional<Script> scriptOf(char32_t c) {
    struct Range {
        char32_t first, last;
        Script script;
    };
    static constexpr Range kRanges[] = {
        {0x0590, 0x08FF, Script::RightToLeft},  // Hebrew, Arabic, Syriac, Thaana, N'Ko, ...
        {0x1100, 0x11FF, Script::EastAsian},    // Hangul Jamo
        {0x2E80, 0x2FDF, Script::EastAsian},    // CJK radicals
        {0x2FF0, 0x9FFF, Script::EastAsian},    // CJK symbols, kana, compatibility Jamo, ...
        {0xA000, 0xA4CF, Script::EastAsian},    // Yi
        {0xA960, 0xA97F, Script::EastAsian},    // Hangul Jamo extended A
        {0xAC00, 0xD7FF, Script::EastAsian},    // Hangul syllables, Jamo extended B
        {0xF900, 0xFAFF, Script::EastAsian},    // CJK compatibility ideographs
        {0xFB1D, 0xFDFF, Script::RightToLeft},  // Hebrew and Arabic presentation forms
        {0xFE10, 0xFE1F, Script::EastAsian},    // vertical forms
        {0xFE30, 0xFE4F, Script::EastAsian},    // CJK compatibility forms
        {0xFE70, 0xFEFF, Script::RightToLeft},  // Arabic presentation forms B
        {0xFF00, 0xFFEF, Script::EastAsian},    // half- and full-width forms
        {0x20000, 0x3FFFF, Script::EastAsian},  // CJK ideographs beyond the basic plane
    };
    for (const Range& r : kRanges) {
        if (c >= r.first && c <= r.last) return r.script;
    }
    if (c < 0x10000 && QChar::isSurrogate(c)) return std::nullopt;
    if (QChar::isLetter(c)) return Script::Latin;
    return std::nullopt;
}

int clampTwips(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, -kMaxTwips, kMaxTwips));
}

class Reader {
  public:
    explicit Reader(QByteArrayView data) : data_(data) {}

    std::optional<Document> run();

  private:
    GroupState& state() { return stack_.back(); }
    void openGroup();
    void closeGroup();
    void controlWord(std::string_view word, std::optional<std::int64_t> parameter);
    void controlSymbol(char symbol);
    void textByte(char byte);
    void character(char16_t ch);
    void flushBytes();
    void appendText(const QString& text);
    void appendRun(const QString& text, const CharFormat& format);
    CharFormat formatOf(Script script) const;
    void characterFormat(std::string_view word, std::optional<std::int64_t> parameter);
    void endCell();
    void endParagraph(bool tableRow = false);
    void finishFontEntry();
    int currentCodePage() const;

    QByteArrayView data_;
    qsizetype pos_ = 0;
    std::vector<GroupState> stack_;
    int excessDepth_ = 0;  // groups opened past kMaxGroupDepth, read as skipped
    int pendingSkip_ = 0;  // fallback characters still to skip after \uN
    int documentCodePage_ = kCodePage1252;
    int defaultFont_ = 0;
    std::map<int, Font> fonts_;
    int fontEntryNumber_ = -1;
    std::optional<int> fontEntryCodePage_;
    QString fontEntryName_;
    std::vector<std::optional<unsigned>> colors_;
    unsigned colorRed_ = 0, colorGreen_ = 0, colorBlue_ = 0;
    bool colorSet_ = false;
    QByteArray bytes_;  // text bytes waiting to be decoded in one go (double-byte pages)
    int bytesCodePage_ = kCodePage1252;
    Destination bytesDestination_ = Destination::Body;
    std::size_t shapeDepth_ = 0;  // the group level of the drawing or object being read
    bool shapePicture_ = false;   // it holds a picture
    int pendingCells_ = 0;        // cells ended and not yet followed by text: tabs to come
    std::vector<int> cellEdges_;  // right edges of the cells of the current table row
    int rowLeft_ = 0;             // left edge of the row (\trleft)
    Paragraph paragraph_;
    Document document_;
};

int Reader::currentCodePage() const {
    const GroupState& s = stack_.back();
    // Bytes are in the character set of the font of the text the writer named.
    int fontNumber = s.fontNumber;
    if (const ScriptFormat* named = s.scriptFormat(s.namedScript());
        named != nullptr && named->fontNumber) {
        fontNumber = *named->fontNumber;
    }
    if (fontNumber >= 0) {
        const auto it = fonts_.find(fontNumber);
        if (it != fonts_.end() && it->second.codePage) return *it->second.codePage;
    }
    if (s.destination == Destination::FontTable && fontEntryCodePage_) return *fontEntryCodePage_;
    return documentCodePage_;
}

void Reader::openGroup() {
    flushBytes();
    pendingSkip_ = 0;
    if (excessDepth_ > 0 || static_cast<int>(stack_.size()) >= kMaxGroupDepth) {
        ++excessDepth_;
        return;
    }
    GroupState copy = state();
    copy.ignorableNext = false;
    stack_.push_back(std::move(copy));
}

void Reader::closeGroup() {
    flushBytes();
    pendingSkip_ = 0;
    if (excessDepth_ > 0) {
        --excessDepth_;
        return;
    }
    if (state().destination == Destination::FontTable) finishFontEntry();
    const bool shapeEnds =
        state().destination == Destination::Shape && stack_.size() == shapeDepth_;
    if (stack_.size() > 1) stack_.pop_back();
    if (shapeEnds && shapePicture_) character(kPicturePlaceholder);
}

void Reader::finishFontEntry() {
    if (fontEntryNumber_ >= 0) {
        Font& font = fonts_[fontEntryNumber_];
        font.name = fontEntryName_.trimmed();
        font.codePage = fontEntryCodePage_;
    }
    fontEntryNumber_ = -1;
    fontEntryCodePage_.reset();
    fontEntryName_.clear();
}

void Reader::flushBytes() {
    if (bytes_.isEmpty()) return;
    const QString text = decode(bytesCodePage_, bytes_);
    bytes_.clear();
    if (bytesDestination_ == Destination::FontTable)
        fontEntryName_ += text;
    else if (bytesDestination_ == Destination::Body)
        appendText(text);
}

CharFormat Reader::formatOf(Script script) const {
    const GroupState& s = stack_.back();
    CharFormat format = s.charFormat;
    if (const ScriptFormat* own = s.scriptFormat(script)) {
        if (own->fontFamily) format.fontFamily = *own->fontFamily;
        if (own->pointSize) format.pointSize = *own->pointSize;
        if (own->bold) format.bold = *own->bold;
        if (own->italic) format.italic = *own->italic;
    }
    // Text before any font word is set in the document's default font.
    if (format.fontFamily.isEmpty()) {
        const auto it = fonts_.find(defaultFont_);
        if (it != fonts_.end()) format.fontFamily = it->second.name;
    }
    return format;
}

void Reader::appendRun(const QString& text, const CharFormat& format) {
    if (text.isEmpty()) return;
    // The tabs of the cells ended before this text separate it from them.
    if (pendingCells_ > 0) {
        const QString tabs(pendingCells_, u'\t');
        pendingCells_ = 0;
        appendRun(tabs, format);
    }
    if (!paragraph_.runs.empty() && paragraph_.runs.back().format == format)
        paragraph_.runs.back().text += text;
    else
        paragraph_.runs.push_back(Run{text, format});
}

void Reader::appendText(const QString& text) {
    // Each character takes the formats of its script; one of no script of its own those of
    // the text the writer named.
    const Script named = state().namedScript();
    qsizetype start = 0;
    Script runScript = named;
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text[i].unicode();
        qsizetype length = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            length = 2;
        }
        const Script script = scriptOf(c).value_or(named);
        if (i > start && script != runScript) {
            appendRun(text.sliced(start, i - start), formatOf(runScript));
            start = i;
        }
        runScript = script;
        i += length;
    }
    appendRun(text.sliced(start), formatOf(runScript));
}

void Reader::character(char16_t ch) {
    const GroupState& s = state();
    if (excessDepth_ > 0 || s.hidden) return;
    if (s.destination == Destination::Body) {
        flushBytes();
        appendText(QString(QChar(ch)));
    } else if (s.destination == Destination::FontTable) {
        flushBytes();
        fontEntryName_ += QChar(ch);
    }
}

void Reader::textByte(char byte) {
    if (pendingSkip_ > 0) {
        --pendingSkip_;
        return;
    }
    const GroupState& s = state();
    if (excessDepth_ > 0 || s.hidden) return;
    switch (s.destination) {
        case Destination::Body:
        case Destination::FontTable: {
            if (s.destination == Destination::FontTable && byte == ';') {
                flushBytes();
                finishFontEntry();
                return;
            }
            const int codePage = currentCodePage();
            if (!bytes_.isEmpty() &&
                (codePage != bytesCodePage_ || s.destination != bytesDestination_))
                flushBytes();
            bytesCodePage_ = codePage;
            bytesDestination_ = s.destination;
            bytes_.append(byte);
            return;
        }
        case Destination::ColorTable:
            if (byte == ';') {
                colors_.push_back(colorSet_
                                      ? std::optional<unsigned>((colorRed_ << 16) |
                                                                (colorGreen_ << 8) | colorBlue_)
                                      : std::nullopt);
                colorRed_ = colorGreen_ = colorBlue_ = 0;
                colorSet_ = false;
            }
            return;
        case Destination::Skip:
        case Destination::UprAnsi:
        case Destination::Shape:
            return;
    }
}

void Reader::endCell() {
    if (state().destination != Destination::Body || state().hidden) return;
    flushBytes();
    pendingCells_ = std::min(pendingCells_ + 1, kMaxTableCells);
}

void Reader::endParagraph(bool tableRow) {
    flushBytes();
    // Cells ended at the end of a row or paragraph separate nothing.
    pendingCells_ = 0;
    const ParagraphFormat& format = state().paragraph;
    if (tableRow) {
        // A row of a table is one paragraph: its cells, separated by tabs, start at the right
        // edges of the cells before them.
        paragraph_.alignment = Alignment::Left;
        paragraph_.leftIndent = std::max(0, rowLeft_);
        paragraph_.tabStops.assign(cellEdges_.begin(),
                                   cellEdges_.end() - (cellEdges_.empty() ? 0 : 1));
    } else {
        paragraph_.alignment = format.alignment;
        paragraph_.leftIndent = format.leftIndent;
        paragraph_.rightIndent = format.rightIndent;
        paragraph_.firstLineIndent = format.firstLineIndent;
        paragraph_.tabStops = format.tabStops;
    }
    std::sort(paragraph_.tabStops.begin(), paragraph_.tabStops.end());
    paragraph_.tabStops.erase(std::unique(paragraph_.tabStops.begin(), paragraph_.tabStops.end()),
                              paragraph_.tabStops.end());
    for (Run& run : paragraph_.runs) cleanText(run.text);
    std::erase_if(paragraph_.runs, [](const Run& run) { return run.text.isEmpty(); });
    document_.paragraphs.push_back(std::move(paragraph_));
    paragraph_ = Paragraph{};
}

void Reader::controlSymbol(char symbol) {
    switch (symbol) {
        case '\\':
        case '{':
        case '}':
            textByte(symbol);
            return;
        case '~':
            if (pendingSkip_ > 0)
                --pendingSkip_;
            else
                character(0x00A0);
            return;
        case '_':
            if (pendingSkip_ > 0)
                --pendingSkip_;
            else
                character(0x2011);
            return;
        case '*':
            state().ignorableNext = true;
            return;
        case '\n':
        case '\r':
            if (state().destination == Destination::Body && excessDepth_ == 0) endParagraph();
            return;
        case '\'': {
            // Two hexadecimal digits; a truncated or malformed pair is dropped.
            auto hex = [](char c) -> int {
                if (c >= '0' && c <= '9') return c - '0';
                if (c >= 'a' && c <= 'f') return c - 'a' + 10;
                if (c >= 'A' && c <= 'F') return c - 'A' + 10;
                return -1;
            };
            int value = 0;
            for (int k = 0; k < 2; ++k) {
                if (pos_ >= data_.size()) return;
                const int digit = hex(data_[pos_]);
                if (digit < 0) return;
                value = value * 16 + digit;
                ++pos_;
            }
            textByte(static_cast<char>(value));
            return;
        }
        default:
            // \- optional hyphen, \| \: index marks: no text. Counts as a fallback character.
            if (pendingSkip_ > 0) --pendingSkip_;
            return;
    }
}

void Reader::controlWord(std::string_view word, std::optional<std::int64_t> parameter) {
    GroupState& s = state();
    const bool ignorable = s.ignorableNext;
    s.ignorableNext = false;
    if (pendingSkip_ > 0 && word != "bin") {
        --pendingSkip_;
        return;
    }
    const std::int64_t value = parameter.value_or(1);

    if (word == "bin") {
        // Raw binary data follows; skip it.
        flushBytes();
        const std::int64_t length =
            std::clamp<std::int64_t>(parameter.value_or(0), 0, data_.size() - pos_);
        pos_ += static_cast<qsizetype>(length);
        if (pendingSkip_ > 0) --pendingSkip_;
        return;
    }
    if (excessDepth_ > 0) return;

    // Inside a drawing or an object only a picture counts.
    if (s.destination == Destination::Shape) {
        if (word == "pict") shapePicture_ = true;
        return;
    }

    // Destinations.
    if (word == "shppict") return;  // the container of a picture: its \pict is the picture
    if (word == "pict") {
        flushBytes();
        if (s.destination == Destination::Body) character(kPicturePlaceholder);
        s.destination = Destination::Skip;
        return;
    }
    if (isOneOf(kShapes, word)) {
        flushBytes();
        if (s.destination == Destination::Body) {
            s.destination = Destination::Shape;
            shapeDepth_ = stack_.size();
            shapePicture_ = false;
        } else {
            s.destination = Destination::Skip;
        }
        return;
    }
    if (word == "fonttbl") {
        flushBytes();
        s.destination = Destination::FontTable;
        return;
    }
    if (word == "colortbl") {
        s.destination = Destination::ColorTable;
        return;
    }
    if (word == "upr") {
        flushBytes();
        s.destination = Destination::UprAnsi;
        return;
    }
    if (word == "ud") {
        s.destination = Destination::Body;
        return;
    }
    if (isOneOf(kSkippedDestinations, word) || (ignorable && s.destination != Destination::Skip)) {
        flushBytes();
        s.destination = Destination::Skip;
        return;
    }
    if (s.destination == Destination::Skip) return;

    if (s.destination == Destination::FontTable) {
        if (word == "f") {
            flushBytes();
            fontEntryNumber_ = static_cast<int>(std::clamp<std::int64_t>(value, 0, INT32_MAX));
            fontEntryName_.clear();
        } else if (word == "fcharset") {
            fontEntryCodePage_ =
                codePageOfCharset(static_cast<int>(std::clamp<std::int64_t>(value, 0, 255)));
        } else if (word == "cpg") {
            fontEntryCodePage_ = static_cast<int>(std::clamp<std::int64_t>(value, 0, 65535));
        } else if (word == "u") {
            character(static_cast<char16_t>(static_cast<std::uint16_t>(value & 0xFFFF)));
            pendingSkip_ = s.unicodeSkip;
        }
        return;
    }
    if (s.destination == Destination::ColorTable) {
        const auto component = static_cast<unsigned>(std::clamp<std::int64_t>(value, 0, 255));
        if (word == "red")
            colorRed_ = component, colorSet_ = true;
        else if (word == "green")
            colorGreen_ = component, colorSet_ = true;
        else if (word == "blue")
            colorBlue_ = component, colorSet_ = true;
        return;
    }

    // Document settings.
    if (word == "ansi") {
        documentCodePage_ = kCodePage1252;
        return;
    }
    if (word == "mac") {
        documentCodePage_ = 10000;
        return;
    }
    if (word == "pc") {
        documentCodePage_ = 437;
        return;
    }
    if (word == "pca") {
        documentCodePage_ = 850;
        return;
    }
    if (word == "ansicpg") {
        documentCodePage_ = static_cast<int>(std::clamp<std::int64_t>(value, 0, 65535));
        return;
    }
    if (word == "deff") {
        defaultFont_ = static_cast<int>(std::clamp<std::int64_t>(value, 0, INT32_MAX));
        return;
    }
    if (word == "uc") {
        s.unicodeSkip = static_cast<int>(std::clamp<std::int64_t>(value, 0, 16));
        return;
    }
    if (word == "u") {
        // A signed 16-bit value in the file; larger ones are taken modulo 2^16.
        character(static_cast<char16_t>(static_cast<std::uint16_t>(value & 0xFFFF)));
        pendingSkip_ = s.unicodeSkip;
        return;
    }

    // Text, paragraph ends and tables.
    if (isOneOf(kParagraphEnds, word)) {
        if (!s.hidden) endParagraph();
        return;
    }
    if (isOneOf(kCellEnds, word)) {
        endCell();
        return;
    }
    if (isOneOf(kRowEnds, word)) {
        if (!s.hidden) endParagraph(/*tableRow=*/true);
        return;
    }
    if (word == "trowd") {
        cellEdges_.clear();
        rowLeft_ = 0;
        return;
    }
    if (word == "trleft") {
        rowLeft_ = clampTwips(value);
        return;
    }
    if (word == "cellx") {
        if (static_cast<int>(cellEdges_.size()) < kMaxTabStops)
            cellEdges_.push_back(std::max(0, clampTwips(value)));
        return;
    }
    const auto* special =
        std::find_if(kSpecialCharacters.begin(), kSpecialCharacters.end(),
                     [word](const SpecialCharacter& c) { return c.word == word; });
    if (special != kSpecialCharacters.end()) {
        character(special->character);
        return;
    }

    // Paragraph format.
    ParagraphFormat& p = s.paragraph;
    if (word == "pard") {
        p = ParagraphFormat{};
        return;
    }
    if (word == "ql") {
        p.alignment = Alignment::Left;
        return;
    }
    if (word == "qc") {
        p.alignment = Alignment::Center;
        return;
    }
    if (word == "qr") {
        p.alignment = Alignment::Right;
        return;
    }
    if (word == "qj" || word == "qd") {
        p.alignment = Alignment::Justify;
        return;
    }
    if (word == "li" || word == "lin") {
        p.leftIndent = clampTwips(value);
        return;
    }
    if (word == "ri" || word == "rin") {
        p.rightIndent = clampTwips(value);
        return;
    }
    if (word == "fi") {
        p.firstLineIndent = clampTwips(value);
        return;
    }
    if (word == "tx") {
        if (static_cast<int>(p.tabStops.size()) < kMaxTabStops)
            p.tabStops.push_back(std::max(0, clampTwips(value)));
        return;
    }

    characterFormat(word, parameter);
}

void Reader::characterFormat(std::string_view word, std::optional<std::int64_t> parameter) {
    // Text pending in the old format is emitted first.
    flushBytes();
    GroupState& s = state();
    CharFormat& c = s.charFormat;
    const std::int64_t value = parameter.value_or(1);
    const bool on = value != 0;
    // The script whose font, size, bold and italic the words set: the plain words and their
    // associated forms alike set those of the text the writer named.
    ScriptFormat* script = s.scriptFormat(s.namedScript());
    if (word == "plain") {
        c = CharFormat{};
        const auto it = fonts_.find(defaultFont_);
        if (it != fonts_.end()) c.fontFamily = it->second.name;
        s.fontNumber = defaultFont_;
        s.eastAsian = ScriptFormat{};
        s.rightToLeft = ScriptFormat{};
        s.doubleByteText = false;
        s.rightToLeftText = false;
        s.hidden = false;
    } else if (word == "loch" || word == "hich") {
        s.doubleByteText = false;
    } else if (word == "dbch") {
        s.doubleByteText = true;
    } else if (word == "rtlch") {
        s.rightToLeftText = true;
    } else if (word == "ltrch") {
        s.rightToLeftText = false;
    } else if (word == "f" || word == "af") {
        const auto number = static_cast<int>(std::clamp<std::int64_t>(value, 0, INT32_MAX));
        const auto it = fonts_.find(number);
        const QString family = it != fonts_.end() ? it->second.name : QString();
        if (script != nullptr) {
            script->fontNumber = number;
            script->fontFamily = family;
        } else {
            s.fontNumber = number;
            c.fontFamily = family;
        }
    } else if (word == "fs" || word == "afs") {
        const double size =
            parameter
                ? std::clamp(static_cast<double>(std::clamp<std::int64_t>(value, 0, 100000)) / 2.0,
                             kMinPointSize, kMaxPointSize)
                : 12.0;
        if (script != nullptr) {
            script->pointSize = size;
        } else {
            c.pointSize = size;
        }
    } else if (word == "b" || word == "ab") {
        if (script != nullptr) {
            script->bold = on;
        } else {
            c.bold = on;
        }
    } else if (word == "i" || word == "ai") {
        if (script != nullptr) {
            script->italic = on;
        } else {
            c.italic = on;
        }
    } else if (word == "strike" || word == "striked") {
        c.strikeOut = on;
    } else if (word == "ulnone") {
        c.underline = false;
    } else if (isUnderlineWord(word)) {
        c.underline = on;
    } else if (word == "cf") {
        const auto index = std::clamp<std::int64_t>(value, 0, INT32_MAX);
        c.color = index < static_cast<std::int64_t>(colors_.size())
                      ? colors_[static_cast<std::size_t>(index)]
                      : std::nullopt;
    } else if (word == "v") {
        s.hidden = on;
    }
}

std::optional<Document> Reader::run() {
    // An RTF file opens its outermost group with \rtf; white space before it is tolerated.
    while (pos_ < data_.size() && (data_[pos_] == ' ' || data_[pos_] == '\t' ||
                                   data_[pos_] == '\r' || data_[pos_] == '\n'))
        ++pos_;
    if (!data_.sliced(pos_).startsWith("{\\rtf")) return std::nullopt;

    stack_.reserve(kMaxGroupDepth);
    stack_.push_back(GroupState{});
    bool started = false;
    while (pos_ < data_.size()) {
        const char ch = data_[pos_++];
        if (ch == '{') {
            openGroup();
            started = true;
        } else if (ch == '}') {
            closeGroup();
            if (started && stack_.size() == 1 && excessDepth_ == 0) break;  // end of the file
        } else if (ch == '\\') {
            if (pos_ >= data_.size()) break;
            const char next = data_[pos_];
            const auto isLetter = [](char c) {
                return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            };
            if (!isLetter(next)) {
                ++pos_;
                controlSymbol(next);
                continue;
            }
            const qsizetype start = pos_;
            while (pos_ < data_.size() && isLetter(data_[pos_])) ++pos_;
            // Control words are at most 32 letters; longer ones are cut and still skipped whole.
            const std::string_view word(
                data_.data() + start,
                static_cast<std::size_t>(std::min<qsizetype>(pos_ - start, 32)));
            std::optional<std::int64_t> parameter;
            bool negative = false;
            if (pos_ < data_.size() && data_[pos_] == '-' && pos_ + 1 < data_.size() &&
                data_[pos_ + 1] >= '0' && data_[pos_ + 1] <= '9') {
                negative = true;
                ++pos_;
            }
            if (pos_ < data_.size() && data_[pos_] >= '0' && data_[pos_] <= '9') {
                std::int64_t number = 0;
                while (pos_ < data_.size() && data_[pos_] >= '0' && data_[pos_] <= '9') {
                    // Saturate: a parameter past the 32-bit range means nothing sensible.
                    number = std::min<std::int64_t>(number * 10 + (data_[pos_] - '0'),
                                                    std::int64_t{1} << 40);
                    ++pos_;
                }
                parameter = negative ? -number : number;
            }
            if (pos_ < data_.size() && data_[pos_] == ' ') ++pos_;  // the delimiting blank
            controlWord(word, parameter);
        } else if (ch == '\r' || ch == '\n' || ch == '\0') {
            // Line breaks of the file carry no meaning.
        } else if (ch == '\t') {
            if (pendingSkip_ > 0)
                --pendingSkip_;
            else
                character(u'\t');
        } else {
            textByte(ch);
        }
    }
    flushBytes();
    if (!paragraph_.runs.empty() || document_.paragraphs.empty()) endParagraph();
    return std::move(document_);
}

}  // namespace

QString Paragraph::text() const {
    QString text;
    for (const Run& run : runs) text += run.text;
    return text;
}

QString Document::text() const {
    QStringList texts;
    for (const Paragraph& p : paragraphs) texts << p.text();
    return texts.join(u'\n');
}

std::optional<Document> read(QByteArrayView data) {
    return Reader(data).run();
}

}  // namespace tw::rtf

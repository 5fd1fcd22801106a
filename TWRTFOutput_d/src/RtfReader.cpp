// RTF reader for the output pane's model. It follows the RTF 1.x rules for groups, control
// words and symbols, \uN with its \ucN fallback count, \'hh bytes in the code page of the
// document or of the current font, and skips every destination that holds no body text.

#include <QStringList>
#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string_view>

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
    CharFormat charFormat;
    int fontNumber = -1;
    int unicodeSkip = 1;  // \ucN: characters of fallback after each \uN
    bool hidden = false;
    bool ignorableNext = false;  // \* seen: an unknown destination word is skipped
    ParagraphFormat paragraph;
};

struct Font {
    QString name;
    std::optional<int> codePage;
};

// Destinations that never hold text of the document.
constexpr std::array<std::string_view, 52> kSkippedDestinations = {
    "stylesheet",
    "info",
    "pict",
    "object",
    "header",
    "headerl",
    "headerr",
    "headerf",
    "footer",
    "footerl",
    "footerr",
    "footerf",
    "footnote",
    "annotation",
    "fldinst",
    "listtable",
    "listoverridetable",
    "revtbl",
    "rsidtbl",
    "generator",
    "xmlnstbl",
    "themedata",
    "colorschememapping",
    "latentstyles",
    "datastore",
    "filetbl",
    "nonshppict",
    "shp",
    "shpinst",
    "pgdsctbl",
    "pn",
    "bkmkstart",
    "bkmkend",
    "atnid",
    "atnauthor",
    "userprops",
    "docvar",
    "template",
    "comment",
    "title",
    "author",
    "operator",
    "keywords",
    "subject",
    "doccomm",
    "company",
    "objdata",
    "txe",
    "xe",
    "tc",
    "background",
    "ftnsep",
};

// Control words that stand for one character of text.
struct SpecialCharacter {
    std::string_view word;
    char16_t character;
};
constexpr std::array<SpecialCharacter, 18> kSpecialCharacters = {{
    {"tab", u'\t'},
    {"cell", u'\t'},
    {"nestcell", u'\t'},
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

constexpr std::array<std::string_view, 5> kParagraphEnds = {"par", "sect", "page", "row",
                                                            "nestrow"};

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
    void endParagraph();
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
    Paragraph paragraph_;
    Document document_;
};

int Reader::currentCodePage() const {
    const GroupState& s = stack_.back();
    if (s.fontNumber >= 0) {
        const auto it = fonts_.find(s.fontNumber);
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
    if (stack_.size() > 1) stack_.pop_back();
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

void Reader::appendText(const QString& text) {
    if (text.isEmpty()) return;
    // Text before any font word is set in the document's default font.
    CharFormat format = state().charFormat;
    if (format.fontFamily.isEmpty()) {
        const auto it = fonts_.find(defaultFont_);
        if (it != fonts_.end()) format.fontFamily = it->second.name;
    }
    if (!paragraph_.runs.empty() && paragraph_.runs.back().format == format)
        paragraph_.runs.back().text += text;
    else
        paragraph_.runs.push_back(Run{text, format});
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
            return;
    }
}

void Reader::endParagraph() {
    flushBytes();
    const ParagraphFormat& format = state().paragraph;
    paragraph_.alignment = format.alignment;
    paragraph_.leftIndent = format.leftIndent;
    paragraph_.rightIndent = format.rightIndent;
    paragraph_.firstLineIndent = format.firstLineIndent;
    paragraph_.tabStops = format.tabStops;
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
    const bool on = value != 0;

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

    // Destinations.
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

    // Text and paragraph ends.
    if (isOneOf(kParagraphEnds, word)) {
        if (!s.hidden) endParagraph();
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

    // Character format. Text pending in the old format is emitted first.
    flushBytes();
    CharFormat& c = s.charFormat;
    if (word == "plain") {
        c = CharFormat{};
        const auto it = fonts_.find(defaultFont_);
        if (it != fonts_.end()) c.fontFamily = it->second.name;
        s.fontNumber = defaultFont_;
        s.hidden = false;
    } else if (word == "f") {
        s.fontNumber = static_cast<int>(std::clamp<std::int64_t>(value, 0, INT32_MAX));
        const auto it = fonts_.find(s.fontNumber);
        c.fontFamily = it != fonts_.end() ? it->second.name : QString();
    } else if (word == "fs") {
        c.pointSize =
            parameter
                ? std::clamp(static_cast<double>(std::clamp<std::int64_t>(value, 0, 100000)) / 2.0,
                             kMinPointSize, kMaxPointSize)
                : 12.0;
    } else if (word == "b") {
        c.bold = on;
    } else if (word == "i") {
        c.italic = on;
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

// The RTF reader and writer on their own, without widgets: round trips, files written by word
// processors, code pages, and damaged input.

#include <gtest/gtest.h>

#include <QFile>
#include <QString>

#include "TWRTFOutput/RtfDocument.h"

namespace {

using tw::rtf::Alignment;
using tw::rtf::CharFormat;
using tw::rtf::Document;
using tw::rtf::Paragraph;
using tw::rtf::Run;

QByteArray fixture(const char* name) {
    QFile file(QStringLiteral(TW_RTF_TEST_DATA "/") + QString::fromLatin1(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

Document everyFormat() {
    CharFormat plain;
    plain.fontFamily = "Liberation Serif";
    plain.pointSize = 10;
    CharFormat bold = plain;
    bold.bold = true;
    CharFormat mixed{"NanumGothic", 14.5, false, true, true, true, 0xC00020u};
    Document d;
    d.paragraphs.push_back(
        Paragraph{Alignment::Center, 567, 1134, 0, {}, {Run{"Title 제목", bold}}});
    d.paragraphs.push_back(
        Paragraph{Alignment::Left,
                  567,
                  567,
                  -283,
                  {3260, 5954, 8647},
                  {Run{"N2\t76.000\t%", plain}, Run{"\t한글 {braces} \\ back", mixed}}});
    d.paragraphs.push_back(Paragraph{Alignment::Right, 0, 0, 0, {}, {Run{"€ Ünïcode ✓ 😀", plain}}});
    d.paragraphs.push_back(Paragraph{Alignment::Justify, 0, 0, 0, {}, {}});
    d.paragraphs.push_back(
        Paragraph{Alignment::Left,
                  0,
                  0,
                  0,
                  {},
                  {Run{QString("line") + QChar(0x2028) + "break\u00A0nbsp", plain}}});
    return d;
}

TEST(RtfRoundTrip, EveryModelledFormatReadsBackEqual) {
    const Document original = everyFormat();
    const QByteArray rtf = tw::rtf::write(original);
    const auto back = tw::rtf::read(rtf);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, original) << rtf.constData();
    // Writing what was read gives the same bytes again.
    EXPECT_EQ(tw::rtf::write(*back), rtf);
}

TEST(RtfRoundTrip, WriterEmitsOnlyAsciiWithUnicodeAndAnsiFallbacks) {
    const QByteArray rtf = tw::rtf::write(everyFormat());
    for (const char c : rtf) EXPECT_LT(static_cast<unsigned char>(c), 0x80);
    EXPECT_TRUE(rtf.contains("\\u-10916?"));    // 한 has no Windows-1252 byte
    EXPECT_TRUE(rtf.contains("\\u8364\\'80"));  // € falls back to its 1252 byte
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
}

struct ReadCase {
    const char* name;
    QByteArray rtf;
    QString text;
};

class RtfReadText : public testing::TestWithParam<ReadCase> {};

TEST_P(RtfReadText, ReadsTheBodyText) {
    const auto document = tw::rtf::read(GetParam().rtf);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, RtfReadText,
    testing::Values(
        ReadCase{"hex_bytes_in_1252", "{\\rtf1\\ansi \\'e9t\\'e9 \\'80}", u"été €"_qs},
        ReadCase{"hex_bytes_in_949", "{\\rtf1\\ansi\\ansicpg949 \\'c7\\'d1\\'b1\\'db}", u"한글"_qs},
        ReadCase{
            "font_charset_949",
            "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset129 Gulim;}}\\f1 \\'c7\\'d1\\f0 A}",
            u"한A"_qs},
        ReadCase{"unicode_skips_its_fallback", "{\\rtf1\\uc2 \\u54620\\'c7\\'d1!}", u"한!"_qs},
        ReadCase{"negative_unicode", "{\\rtf1 \\u-3913?}", QString(QChar(0xF0B7))},
        ReadCase{"skipped_destinations",
                 "{\\rtf1{\\stylesheet{\\s1 Heading;}}{\\info{\\title T}}{\\*\\unknown x}"
                 "{\\pict\\pngblip 89504e47}{\\field{\\*\\fldinst HYPERLINK \"u\"}{\\fldrslt link}}"
                 "{\\header head}A\\par B}",
                 u"linkA\nB"_qs},
        ReadCase{"binary_data_is_skipped", QByteArray("{\\rtf1 a{\\*\\blob\\bin3 }}{}b}"),
                 u"ab"_qs},
        ReadCase{"special_characters", "{\\rtf1 a\\tab b\\line c\\~d\\emdash\\{\\}\\\\}",
                 QString("a\tb") + QChar(0x2028) + "c\u00A0d\u2014{}\\"},
        ReadCase{"hidden_text", "{\\rtf1 a{\\v hidden}b}", u"ab"_qs},
        ReadCase{"truncated_file", "{\\rtf1 {\\b bold text", u"bold text"_qs},
        ReadCase{"truncated_hex", "{\\rtf1 abc\\'4", u"abc"_qs},
        ReadCase{
            "huge_numbers",
            "{\\rtf1\\fs999999999999999999999\\li-99999999999999\\u99999999999 x\\tx999999999999}",
            QString(QChar(0xE7FF))},
        ReadCase{"lone_surrogate", "{\\rtf1 \\u-10240?x}",
                 QString(QChar::ReplacementCharacter) + "x"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(RtfReader, RefusesDataThatIsNotRtf) {
    EXPECT_FALSE(tw::rtf::read(""));
    EXPECT_FALSE(tw::rtf::read("plain text"));
    EXPECT_FALSE(tw::rtf::read("{\\pdf1 x}"));
    EXPECT_TRUE(tw::rtf::read("  \r\n{\\rtf1 x}"));
}

TEST(RtfReader, ClampsFormatsToWhatTextCanTake) {
    const auto d = tw::rtf::read("{\\rtf1\\fs99999999\\li-99999999\\ri99999999 x\\par}");
    ASSERT_TRUE(d);
    ASSERT_EQ(d->paragraphs.size(), 1u);
    EXPECT_EQ(d->paragraphs[0].runs[0].format.pointSize, tw::rtf::kMaxPointSize);
    EXPECT_EQ(d->paragraphs[0].leftIndent, -tw::rtf::kMaxTwips);
    EXPECT_EQ(d->paragraphs[0].rightIndent, tw::rtf::kMaxTwips);
}

TEST(RtfReader, SurvivesDeepNestingAndManyTabStops) {
    QByteArray deep = "{\\rtf1 ";
    deep += QByteArray(200000, '{') + "deep" + QByteArray(200000, '}') + "tail}";
    const auto d = tw::rtf::read(deep);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->text(), "tail");  // the text past the nesting limit is dropped

    QByteArray tabs = "{\\rtf1 ";
    for (int i = 0; i < 1000; ++i) tabs += "\\tx" + QByteArray::number(i * 10);
    tabs += " x\\par}";
    const auto t = tw::rtf::read(tabs);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->paragraphs[0].tabStops.size(), static_cast<std::size_t>(tw::rtf::kMaxTabStops));
}

TEST(RtfReader, ReadsParagraphAndCharacterFormats) {
    const auto d = tw::rtf::read(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}"
        "{\\colortbl;\\red255\\green0\\blue0;}"
        "\\pard\\qc\\li720\\ri360\\fi-180\\tx1440\\tx2880 \\f1\\fs28\\b\\i\\ul\\strike\\cf1 A"
        "\\b0\\i0\\ulnone\\strike0\\cf0 B\\par\\pard\\plain C}");
    ASSERT_TRUE(d);
    ASSERT_EQ(d->paragraphs.size(), 2u);
    const Paragraph& p = d->paragraphs[0];
    EXPECT_EQ(p.alignment, Alignment::Center);
    EXPECT_EQ(p.leftIndent, 720);
    EXPECT_EQ(p.rightIndent, 360);
    EXPECT_EQ(p.firstLineIndent, -180);
    EXPECT_EQ(p.tabStops, (std::vector<int>{1440, 2880}));
    ASSERT_EQ(p.runs.size(), 2u);
    EXPECT_EQ(p.runs[0].format, (CharFormat{"Arial", 14, true, true, true, true, 0xFF0000u}));
    CharFormat plainArial;
    plainArial.fontFamily = "Arial";
    plainArial.pointSize = 14;
    EXPECT_EQ(p.runs[1].format, plainArial);
    EXPECT_EQ(d->paragraphs[1].alignment, Alignment::Left);
    EXPECT_EQ(d->paragraphs[1].runs[0].format.fontFamily, "Times New Roman");
}

// Files saved by LibreOffice Writer from documents with the modelled formats.
TEST(RtfFixtures, WordProcessorFilesLoadWithTextAndFormats) {
    const auto d = tw::rtf::read(fixture("lo_formats.rtf"));
    ASSERT_TRUE(d);
    const QString text = d->text();
    EXPECT_TRUE(text.contains("Flue gas report")) << text.toStdString();
    EXPECT_TRUE(text.contains(u"배기가스 보고서"_qs)) << text.toStdString();
    EXPECT_TRUE(text.contains("N2\t76.000\tvol%")) << text.toStdString();
    bool sawBold = false, sawItalic = false, sawUnderline = false, sawStrike = false,
         sawCentre = false, sawRight = false, sawTabs = false, sawIndent = false;
    for (const Paragraph& p : d->paragraphs) {
        sawCentre |= p.alignment == Alignment::Center;
        sawRight |= p.alignment == Alignment::Right;
        sawTabs |= !p.tabStops.empty();
        sawIndent |= p.leftIndent > 0;
        for (const tw::rtf::Run& r : p.runs) {
            sawBold |= r.format.bold && r.text.contains("Bold");
            sawItalic |= r.format.italic && r.text.contains("italic");
            sawUnderline |= r.format.underline && r.text.contains("underlined");
            sawStrike |= r.format.strikeOut && r.text.contains("struck");
        }
    }
    EXPECT_TRUE(sawBold && sawItalic && sawUnderline && sawStrike);
    EXPECT_TRUE(sawCentre && sawRight && sawTabs && sawIndent);
}

TEST(RtfFixtures, PicturesFieldsAndStylesAreSkipped) {
    const auto d = tw::rtf::read(fixture("lo_picture_field.rtf"));
    ASSERT_TRUE(d);
    const QString text = d->text();
    EXPECT_TRUE(text.contains("Before the picture")) << text.toStdString();
    EXPECT_TRUE(text.contains("After the picture")) << text.toStdString();
    EXPECT_TRUE(text.contains("link text")) << text.toStdString();
    EXPECT_FALSE(text.contains("HYPERLINK"));
    EXPECT_FALSE(text.contains("89504e47", Qt::CaseInsensitive));
}

}  // namespace

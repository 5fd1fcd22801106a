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
        Paragraph{Alignment::Center, 567, 1134, 0, {}, {Run{"Title 제목", bold}}, {}});
    d.paragraphs.push_back(
        Paragraph{Alignment::Left,
                  567,
                  567,
                  -283,
                  {3260, 5954, 8647},
                  {Run{"N2\t76.000\t%", plain}, Run{"\t한글 {braces} \\ back", mixed}},
                  {}});
    d.paragraphs.push_back(
        Paragraph{Alignment::Right, 0, 0, 0, {}, {Run{"€ Ünïcode ✓ 😀", plain}}, {}});
    d.paragraphs.push_back(Paragraph{Alignment::Justify, 0, 0, 0, {}, {}, {}});
    d.paragraphs.push_back(
        Paragraph{Alignment::Left,
                  0,
                  0,
                  0,
                  {},
                  {Run{QString("line") + QChar(0x2028) + "break\u00A0nbsp", plain}},
                  {}});
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

TEST(RtfWriter, KoreanTextUsesAHangulEntryOfItsFamily) {
    CharFormat gothic;
    gothic.fontFamily = "NanumGothic";
    gothic.pointSize = 10;
    CharFormat latin;
    latin.fontFamily = "Liberation Serif";
    Document d;
    d.paragraphs.push_back(
        {Alignment::Left, 0, 0, 0, {}, {tw::rtf::Run{u"배기 가스 300 °C"_qs, gothic}}, {}});
    d.paragraphs.push_back({Alignment::Left, 0, 0, 0, {}, {tw::rtf::Run{"Latin only", latin}}, {}});
    d.paragraphs.push_back({Alignment::Left, 0, 0, 0, {}, {tw::rtf::Run{"N2 76.000", gothic}}, {}});
    const QByteArray rtf = tw::rtf::write(d);
    // f0 NanumGothic and f1 Liberation Serif for single-byte text, f2 NanumGothic for Hangul.
    EXPECT_TRUE(rtf.contains("{\\f0\\fnil\\fcharset0 NanumGothic;}")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\f2\\fnil\\fcharset129 NanumGothic;}")) << rtf.constData();
    EXPECT_EQ(rtf.count("fcharset129"), 1);
    // Every run of the family names the Hangul entry for double-byte text; the Latin family
    // needs none.
    EXPECT_EQ(rtf.count("\\dbch\\af2\\loch"), 2);
    const auto back = tw::rtf::read(rtf);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, d) << rtf.constData();
    // A document without Hangul keeps the table it always had.
    Document latinOnly;
    latinOnly.paragraphs.push_back(d.paragraphs[1]);
    EXPECT_FALSE(tw::rtf::write(latinOnly).contains("fcharset129"));
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
                 QString(QChar(tw::rtf::kPicturePlaceholder)) + "linkA\nB"},
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

// A run of text and the format it should read with.
struct ExpectedRun {
    QString text;
    QString font;
    double size;
    bool bold;
    bool italic;
};

void expectRuns(const Paragraph& paragraph, const std::vector<ExpectedRun>& expected) {
    ASSERT_EQ(paragraph.runs.size(), expected.size()) << paragraph.text().toStdString();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Run& run = paragraph.runs[i];
        const ExpectedRun& e = expected[i];
        EXPECT_EQ(run.text, e.text) << i;
        EXPECT_EQ(run.format.fontFamily, e.font) << run.text.toStdString();
        EXPECT_EQ(run.format.pointSize, e.size) << run.text.toStdString();
        EXPECT_EQ(run.format.bold, e.bold) << run.text.toStdString();
        EXPECT_EQ(run.format.italic, e.italic) << run.text.toStdString();
    }
}

struct ScriptCase {
    const char* name;
    const char* body;  // after a font table of f0 Latin, f1 Korean (code page 949), f2 Hebrew
    std::vector<ExpectedRun> runs;
};

class ScriptFormats : public testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptFormats, EachScriptTakesTheFormatsSetForIt) {
    const QByteArray rtf = QByteArray(
                               "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Latin;}"
                               "{\\f1\\fcharset129 Korean;}{\\f2 Hebrew;}}") +
                           GetParam().body + "}";
    const auto d = tw::rtf::read(rtf);
    ASSERT_TRUE(d);
    ASSERT_EQ(d->paragraphs.size(), 1u);
    expectRuns(d->paragraphs[0], GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, ScriptFormats,
    testing::Values(
        // As word processors write East Asian formats: after \dbch, in the associated words.
        ScriptCase{"double_byte_associated_words",
                   "\\fs20 {\\dbch\\afs36\\ab\\ai\\af1\\dbch \\u54620?\\u44397?}x",
                   {{u"한국"_qs, "Korean", 18, true, true}, {"x", "Latin", 10, false, false}}},
        // Latin letters in text named double-byte keep the Latin formats, and East Asian
        // letters in text named single-byte the East Asian ones.
        ScriptCase{"letters_take_their_own_script",
                   "\\loch\\af0\\fs20\\dbch\\f1\\i a\\u54620?\\loch b\\u44397?",
                   {{"a", "Latin", 10, false, false},
                    {u"한"_qs, "Korean", 10, false, true},
                    {"b", "Latin", 10, false, false},
                    {u"국"_qs, "Korean", 10, false, true}}},
        // Blanks, digits and punctuation follow the text the writer named.
        ScriptCase{
            "neutral_characters_follow_the_named_text",
            "{\\dbch\\afs28 \\u54620? 12, }{\\loch 3 4}",
            {{u"한 12, "_qs, "Latin", 14, false, false}, {"3 4", "Latin", 12, false, false}}},
        // Unset East Asian formats are the Latin ones; a group's settings end with it.
        ScriptCase{"unset_formats_are_the_latin_ones",
                   "\\f0\\fs30\\b {\\dbch\\ai \\u54620?}\\u44397?",
                   {{u"한"_qs, "Latin", 15, true, true}, {u"국"_qs, "Latin", 15, true, false}}},
        ScriptCase{"plain_forgets_the_east_asian_formats",
                   "\\dbch\\af1\\afs40 \\plain\\u54620?",
                   {{u"한"_qs, "Latin", 12, false, false}}},
        // Right-to-left text takes what was set after \rtlch.
        ScriptCase{"right_to_left_text",
                   "\\rtlch\\af2\\afs40\\ab \\ltrch\\f0\\fs20 ab \\u1513?\\u1500?",
                   {{"ab ", "Latin", 10, false, false}, {u"של"_qs, "Hebrew", 20, true, false}}},
        // Bytes of double-byte text are in the character set of its font.
        ScriptCase{"bytes_in_the_code_page_of_the_east_asian_font",
                   "\\dbch\\af1 \\'c7\\'d1",
                   {{u"한"_qs, "Korean", 12, false, false}}}),
    [](const testing::TestParamInfo<ScriptCase>& info) { return std::string(info.param.name); });

struct TableCase {
    const char* name;
    QByteArray rtf;
    QString text;
    std::vector<int> tabStops;
};

class Tables : public testing::TestWithParam<TableCase> {};

TEST_P(Tables, RowsReadAsTabSeparatedParagraphs) {
    const auto d = tw::rtf::read(GetParam().rtf);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->text(), GetParam().text);
    ASSERT_FALSE(d->paragraphs.empty());
    EXPECT_EQ(d->paragraphs[0].tabStops, GetParam().tabStops);
}

const QByteArray kRow = "\\trowd\\trleft100\\cellx1000\\cellx2000\\cellx3000";

INSTANTIATE_TEST_SUITE_P(
    Reader, Tables,
    testing::Values(TableCase{"cells_between_tabs",
                              "{\\rtf1 " + kRow + "\\pard\\intbl\\qc A\\cell B\\cell C\\cell\\row}",
                              "A\tB\tC",
                              {1000, 2000}},
                    TableCase{"empty_cells_keep_their_column",
                              "{\\rtf1 " + kRow + " \\cell\\cell C\\cell\\row " + kRow +
                                  " A\\cell\\cell\\cell\\row}",
                              "\t\tC\nA",
                              {1000, 2000}},
                    // Word writes the row's properties again at its end.
                    TableCase{"row_properties_after_the_cells",
                              "{\\rtf1 A\\cell B\\cell{" + kRow + "\\row}}",
                              "A\tB",
                              {1000, 2000}},
                    TableCase{"nested_cells",
                              "{\\rtf1 A\\nestcell B\\nestcell\\nestrow after\\par}",
                              "A\tB\nafter",
                              {}},
                    // A row of hostile width keeps Word's number of columns.
                    TableCase{"cells_past_the_limit",
                              "{\\rtf1 " + QByteArray("\\cell ").repeated(200) + "x\\row}",
                              QString(tw::rtf::kMaxTableCells, u'\t') + "x",
                              {}}),
    [](const testing::TestParamInfo<TableCase>& info) { return std::string(info.param.name); });

TEST(RtfReader, TableRowIsLeftAlignedFromTheRowEdge) {
    const auto d = tw::rtf::read("{\\rtf1 " + kRow + "\\pard\\intbl\\qr A\\cell\\row}");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->paragraphs[0].alignment, Alignment::Left);
    EXPECT_EQ(d->paragraphs[0].leftIndent, 100);
}

struct PictureCase {
    const char* name;
    QByteArray rtf;
    int placeholders;
};

class Pictures : public testing::TestWithParam<PictureCase> {};

TEST_P(Pictures, APictureReadsAsOnePlaceholder) {
    const auto d = tw::rtf::read(GetParam().rtf);
    ASSERT_TRUE(d);
    const QString text = d->text();
    EXPECT_EQ(text.count(QChar(tw::rtf::kPicturePlaceholder)), GetParam().placeholders)
        << text.toStdString();
    EXPECT_TRUE(text.startsWith("a") && text.endsWith("b")) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Reader, Pictures,
    testing::Values(
        PictureCase{"picture", "{\\rtf1 a{\\pict\\pngblip 89504e47}b}", 1},
        // Word's picture and its fallback for older readers are one picture.
        PictureCase{
            "picture_with_fallback",
            "{\\rtf1 a{\\*\\shppict{\\pict\\pngblip 89}}{\\nonshppict{\\pict\\wmetafile8 01}}b}",
            1},
        // A drawn frame holding a picture, as its picture and its fill.
        PictureCase{"shape_with_picture",
                    "{\\rtf1 a{\\shp{\\*\\shpinst{\\sp{\\sn pib}{\\sv{\\pict\\pngblip 89}}}"
                    "{\\sp{\\sn fillBlip}{\\sv{\\pict\\pngblip 89}}}}"
                    "{\\shprslt{\\pict\\wmetafile8 01}}}b}",
                    1},
        PictureCase{"shape_without_picture",
                    "{\\rtf1 a{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 20}}}}b}", 0},
        PictureCase{"object_with_result",
                    "{\\rtf1 a{\\object\\objemb{\\*\\objdata 0102}{\\result{\\pict\\wmetafile8 "
                    "01}}}b}",
                    1},
        PictureCase{"picture_in_a_field_result",
                    "{\\rtf1 a{\\field{\\*\\fldinst INCLUDEPICTURE x}{\\fldrslt{\\pict\\pngblip "
                    "89}}}b}",
                    1},
        // Pictures outside the text: hidden, in a header, or a truncated drawing.
        PictureCase{"hidden_picture", "{\\rtf1 a{\\v{\\pict\\pngblip 89}}b}", 0},
        PictureCase{"picture_in_header", "{\\rtf1 a{\\header{\\pict\\pngblip 89}}b}", 0},
        PictureCase{"two_pictures", "{\\rtf1 a{\\pict 89}{\\pict 89}b}", 2}),
    [](const testing::TestParamInfo<PictureCase>& info) { return std::string(info.param.name); });

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

// Korean and English runs with their own fonts, sizes, bold and italic, a table and a picture,
// as LibreOffice Writer saves them.
TEST(RtfFixtures, KoreanRunsKeepTheirFormatsFromAWordProcessor) {
    const auto d = tw::rtf::read(fixture("lo_korean_formats.rtf"));
    ASSERT_TRUE(d);
    ASSERT_EQ(d->paragraphs.size(), 8u) << d->text().toStdString();
    const auto& p = d->paragraphs;
    // The writer's default East Asian font is DejaVu Sans; its Latin one Liberation Serif.
    expectRuns(p[0], {{u"배기가스 계산 보고서"_qs, "NanumMyeongjo", 18, true, false},
                      {" ", "DejaVu Sans", 12, false, false},
                      {"Flue gas report", "Liberation Sans", 11, false, true}});
    // One span with different Latin and East Asian formats.
    expectRuns(p[1], {{"N2 ", "Liberation Serif", 10, true, false},
                      {u"질소 "_qs, "NanumGothic", 14, false, true},
                      {"76.0 vol%", "Liberation Serif", 10, true, false}});
    expectRuns(p[3], {{u"작은 굵은 기울임"_qs, "NanumGothic", 9, true, true},
                      {" ", "DejaVu Sans", 12, false, false},
                      {"normal text", "Liberation Serif", 12, false, false}});
    // The table: three rows of three cells, one cell empty, no tab after the last cell.
    EXPECT_EQ(p[4].text(), u"성분\tComponent\tvol%"_qs);
    EXPECT_EQ(p[5].text(), u"질소\tN2\t76.0"_qs);
    EXPECT_EQ(p[6].text(), u"산소\t\t4.0"_qs);
    EXPECT_EQ(p[4].tabStops, (std::vector<int>{2267, 3779}));
    // The picture between two words.
    EXPECT_EQ(p[7].text(), u"그림 앞 "_qs + QChar(tw::rtf::kPicturePlaceholder) + u" 그림 뒤"_qs);
}

TEST(RtfFixtures, PicturesFieldsAndStylesAreSkipped) {
    const auto d = tw::rtf::read(fixture("lo_picture_field.rtf"));
    ASSERT_TRUE(d);
    const QString text = d->text();
    EXPECT_TRUE(text.contains("Before the picture")) << text.toStdString();
    EXPECT_TRUE(text.contains("After the picture")) << text.toStdString();
    EXPECT_EQ(text.count(QChar(tw::rtf::kPicturePlaceholder)), 1) << text.toStdString();
    EXPECT_TRUE(text.contains("cell one\tcell two\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("link text")) << text.toStdString();
    EXPECT_FALSE(text.contains("HYPERLINK"));
    EXPECT_FALSE(text.contains("89504e47", Qt::CaseInsensitive));
}

}  // namespace

namespace {

// A ruled table of three columns (label, right-aligned value, unit) under a bold header row.
Document ruledTable(bool pageNumbers) {
    CharFormat plain;
    plain.fontFamily = "Liberation Sans";
    plain.pointSize = 10;
    CharFormat bold = plain;
    bold.bold = true;
    tw::rtf::TableRow row;
    row.cellGap = 108;
    row.cells = {{4000, Alignment::Left}, {7000, Alignment::Right}, {9000, Alignment::Left}};
    Document d;
    d.pageNumbers = pageNumbers;
    d.paragraphs.push_back(Paragraph{Alignment::Left, 0, 0, 0, {}, {Run{"Results", bold}}, {}});
    for (const auto& [text, format] :
         {std::pair{"Quantity\tValue\tUnit", bold}, std::pair{"Excess air\t1.25\t-", plain},
          std::pair{"공기비\t\t%", plain}}) {
        Paragraph p{Alignment::Left, 567, 0, 0, {4000, 7000}, {Run{text, format}}, row};
        d.paragraphs.push_back(p);
    }
    d.paragraphs.push_back(Paragraph{Alignment::Left, 0, 0, 0, {}, {Run{"after", plain}}, {}});
    return d;
}

}  // namespace

TEST(RtfWriter, TableRowsAreRuledRowsWithAlignedCells) {
    const QByteArray rtf = tw::rtf::write(ruledTable(false));
    EXPECT_EQ(rtf.count("\\trowd\\trgaph108\\trleft567"), 3);
    EXPECT_EQ(rtf.count("\\cellx"), 9);
    EXPECT_EQ(rtf.count("\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
                        "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx"),
              9);
    EXPECT_EQ(rtf.count("\\pard\\intbl\\qr"), 3);
    EXPECT_EQ(rtf.count("\\cell\n"), 9);
    EXPECT_EQ(rtf.count("\\row\n"), 3);
    // No paragraph ends inside a row: a reader would take the row apart.
    const qsizetype firstRow = rtf.indexOf("\\trowd");
    EXPECT_EQ(rtf.indexOf("\\par\n", firstRow), rtf.lastIndexOf("\\par\n"));
    EXPECT_FALSE(rtf.contains("\\footer"));
}

TEST(RtfWriter, WrittenTableReadsBackAsItsCells) {
    const Document written = ruledTable(false);
    const auto read = tw::rtf::read(tw::rtf::write(written));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->paragraphs.size(), written.paragraphs.size());
    for (std::size_t i = 0; i < written.paragraphs.size(); ++i) {
        EXPECT_EQ(read->paragraphs[i].text().split(u'\t'),
                  written.paragraphs[i].text().split(u'\t'))
            << i;
    }
    // Readers without tables see the cells at their edges; the bold header stays bold.
    EXPECT_EQ(read->paragraphs[1].tabStops, (std::vector<int>{4000, 7000}));
    EXPECT_EQ(read->paragraphs[1].leftIndent, 567);
    EXPECT_TRUE(read->paragraphs[1].runs.front().format.bold);
    EXPECT_FALSE(read->paragraphs[2].runs.front().format.bold);
}

TEST(RtfWriter, PageNumbersAreFieldsInACentredFooterThatIsNotBodyText) {
    const QByteArray rtf = tw::rtf::write(ruledTable(true));
    EXPECT_TRUE(rtf.contains("{\\footer\\pard\\qc"));
    EXPECT_TRUE(
        rtf.contains("{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} / "
                     "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 1}}"));
    // The footer comes before the body, as RTF's document format requires.
    EXPECT_LT(rtf.indexOf("\\footer"), rtf.indexOf("Results"));
    const auto read = tw::rtf::read(rtf);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->text(), tw::rtf::read(tw::rtf::write(ruledTable(false)))->text());
}

struct RowCellsCase {
    const char* name;
    QString text;
    std::vector<int> edges;
    QByteArray expected;  // what the RTF holds
};

class RowCells : public testing::TestWithParam<RowCellsCase> {};

TEST_P(RowCells, TextIsCutIntoTheRowsCells) {
    tw::rtf::TableRow row;
    for (const int edge : GetParam().edges) row.cells.push_back({edge, Alignment::Left});
    Document d;
    d.paragraphs.push_back(
        Paragraph{Alignment::Left, 0, 0, 0, {}, {tw::rtf::Run{GetParam().text, {}}}, row});
    const QByteArray rtf = tw::rtf::write(d);
    EXPECT_TRUE(rtf.contains(GetParam().expected)) << rtf.toStdString();
    EXPECT_EQ(rtf.count("\\cell\n"), static_cast<qsizetype>(GetParam().edges.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Writer, RowCells,
    testing::Values(
        RowCellsCase{"missing_cells_stay_empty",
                     "A",
                     {1000, 2000, 3000},
                     " A\\cell\n\\pard\\intbl\\ql\\cell\n\\pard\\intbl\\ql\\cell\n\\row"},
        RowCellsCase{"tabs_past_the_last_cell_stay_in_it",
                     "A\tB\tC",
                     {1000, 2000},
                     " B\\tab C\\cell\n\\row"},
        // Edges out of order or past the page would make word processors drop the row.
        RowCellsCase{"edges_never_run_backwards",
                     "A\tB\tC",
                     {2000, 1000, 99999},
                     "\\cellx2000\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb"
                     "\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx2000"}),
    [](const testing::TestParamInfo<RowCellsCase>& info) { return std::string(info.param.name); });

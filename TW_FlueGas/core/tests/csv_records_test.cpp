// The batches' CSV reader: RFC 4180 quoting with a quote inside an unquoted field an ordinary
// character, rows it refuses (too long, a quote never closed) without losing the rows after
// them, and the header's duplicate check.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "CsvRecords.h"
#include "FlueGasBatch.h"
#include "mdlTW_FlueGas.h"

namespace {

namespace fg = tw::fluegas;

// A record as a test writes it: its line and its fields, or "refused: why".
struct Expected {
    std::size_t line;
    std::vector<std::string> fields;
};

std::vector<Expected> readAll(const std::string& input, std::size_t* refused = nullptr) {
    std::istringstream in(input);
    fg::CsvRecordReader reader(in);
    std::vector<Expected> records;
    fg::CsvRecord record;
    while (reader.next(record)) {
        if (record.refusal) {
            records.push_back({record.line, {"refused: " + *record.refusal}});
        } else {
            records.push_back({record.line, record.fields});
        }
    }
    if (refused) *refused = reader.refused();
    return records;
}

void expectRecords(const std::string& input, const std::vector<Expected>& expected) {
    const std::vector<Expected> got = readAll(input);
    ASSERT_EQ(got.size(), expected.size()) << input;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].line, expected[i].line) << input << " record " << i;
        EXPECT_EQ(got[i].fields, expected[i].fields) << input << " record " << i;
    }
}

TEST(CsvRecords, QuotingFollowsRfc4180WithQuotesInsideUnquotedFieldsOrdinary) {
    const struct {
        std::string input;
        std::vector<Expected> records;
    } cases[] = {
        {"a,\"b,c\",d\r\n", {{1, {"a", "b,c", "d"}}}},
        {"7,30\"0,25\n8,9\n", {{1, {"7", "30\"0", "25"}}, {2, {"8", "9"}}}},
        {"\"a\"\"b\",c\n", {{1, {"a\"b", "c"}}}},
        {"\"ab\"c\"d,e\n", {{1, {"abc\"d", "e"}}}},
        {"\"two\r\nlines\",x\ny\n", {{1, {"two\r\nlines", "x"}}, {3, {"y"}}}},
        {" \"b,c\"\n", {{1, {" \"b", "c\""}}}},
        {",,\n\nlast", {{1, {"", "", ""}}, {2, {""}}, {3, {"last"}}}},
        {"\"\"\n", {{1, {""}}}},
    };
    for (const auto& c : cases) expectRecords(c.input, c.records);
}

TEST(CsvRecords, AnUnterminatedQuoteRefusesOneRowAndReadingResumesAfterItsLine) {
    const std::string quote = "refused: unterminated quote opened on line ";
    expectRecords(
        "h\nx,1\n\"open,2\n3,4\n5,6\n",
        {{1, {"h"}}, {2, {"x", "1"}}, {3, {quote + "3"}}, {4, {"3", "4"}}, {5, {"5", "6"}}});
    // A later quote closes the field, however many lines it holds: one record.
    expectRecords("\"a\n\"b\nc\n", {{1, {"a\nb"}}, {3, {"c"}}});
    // A quote opened on the last line, and one whose quoted field held a closed one first.
    expectRecords("h\n1,\"2", {{1, {"h"}}, {2, {quote + "2"}}});
    expectRecords("\"a\nb\",\"c\nd\ne\n", {{1, {quote + "2"}}, {3, {"d"}}, {4, {"e"}}});
}

TEST(CsvRecords, RowsLongerThanOneMebibyteAreRefusedAndTheNextRowsRead) {
    const std::string longField(fg::kMaxCsvRecordBytes, 'x');
    std::size_t refused = 0;
    const auto records = readAll("h\n1," + longField + "\n2,3\n", &refused);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].fields[0], "refused: the row on line 2 is longer than 1 MiB");
    EXPECT_EQ(records[2].fields, (std::vector<std::string>{"2", "3"}));
    EXPECT_EQ(refused, 1u);

    // A row of exactly the limit (line end included) is still a row.
    const std::string fits(fg::kMaxCsvRecordBytes - 1, 'y');
    EXPECT_EQ(readAll(fits + "\n").at(0).fields.at(0), fits);

    // A quoted field open past the limit: the lines after the quote's are read again as rows.
    std::string open = "h\n\"" + std::string(10, 'a') + "\n";
    for (int i = 0; i < 11000; ++i) open += std::string(99, 'b') + "\n";
    const auto reread = readAll(open, &refused);
    ASSERT_EQ(reread.size(), 2u + 11000u);
    EXPECT_EQ(reread[1].fields[0], "refused: unterminated quote opened on line 2");
    EXPECT_EQ(reread[2].line, 3u);
    EXPECT_EQ(reread.back().fields[0], std::string(99, 'b'));
    EXPECT_EQ(refused, 1u);
}

TEST(CsvRecords, TheHeaderIsTrimmedAndRefusesADuplicatedColumn) {
    const struct {
        std::string input;
        std::vector<std::string> names;  // empty: refused with `error`
        std::string error;
    } cases[] = {
        {"\xEF\xBB\xBFn2, ar ,t\n", {"n2", "ar", "t"}, ""},
        {"n2,t,tref, t \n", {}, "the column 't' appears twice in the header"},
        {"n2,,\n", {}, "the column '' appears twice in the header"},
        {"", {}, "the CSV file is empty: no header line"},
        {"\"n2\n", {}, "the header: unterminated quote opened on line 1"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        fg::CsvRecordReader reader(in);
        if (c.names.empty()) {
            try {
                fg::readCsvHeader(reader);
                ADD_FAILURE() << c.input;
            } catch (const fg::CsvHeaderError& e) {
                EXPECT_EQ(e.what(), c.error);
            }
        } else {
            EXPECT_EQ(fg::readCsvHeader(reader), c.names);
        }
    }
}

// A stream that has at most a few bytes at a time, as a pipe has: records that straddle what
// it holds come out the same.
class TrickleBuffer : public std::streambuf {
  public:
    TrickleBuffer(std::string text, std::size_t piece) : text_(std::move(text)), piece_(piece) {}

  protected:
    int_type underflow() override {
        if (at_ >= text_.size()) return traits_type::eof();
        const std::size_t n = std::min(piece_, text_.size() - at_);
        char* begin = text_.data() + at_;
        setg(begin, begin, begin + n);
        at_ += n;
        return traits_type::to_int_type(*begin);
    }

  private:
    std::string text_;
    std::size_t piece_;
    std::size_t at_ = 0;
};

// The records of `input` read through a stream that holds `piece` bytes at a time, against
// those read with the whole text at hand (where whole lines are split in one pass).
void expectSameInPieces(const std::string& input, std::initializer_list<std::size_t> pieces) {
    const std::vector<Expected> whole = readAll(input);
    for (std::size_t piece : pieces) {
        TrickleBuffer buffer(input, piece);
        std::istream in(&buffer);
        fg::CsvRecordReader reader(in);
        fg::CsvRecord record;
        std::size_t n = 0;
        while (reader.next(record)) {
            ASSERT_LT(n, whole.size()) << piece;
            EXPECT_EQ(record.line, whole[n].line) << piece;
            EXPECT_EQ(record.refusal ? std::vector<std::string>{"refused: " + *record.refusal}
                                     : record.fields,
                      whole[n].fields)
                << piece << " record " << n;
            ++n;
        }
        EXPECT_EQ(n, whole.size()) << piece;
    }
}

TEST(CsvRecords, AStreamThatHoldsAFewBytesAtATimeGivesTheSameRecords) {
    expectSameInPieces("a,b,c\r\n1,\"x,\ny\"\"z\",3\n\n\"open,4\n5,6,7\nlast,\"\",end",
                       {1, 2, 3, 5, 8});
    // Random texts of the characters that matter to the reader: separators, quotes, carriage
    // returns alone, before a line end and inside fields.
    std::mt19937 random(7);
    constexpr std::string_view kAlphabet = "a1,,\"\r\n\n ";
    for (int i = 0; i < 300; ++i) {
        std::string input(random() % 40, ' ');
        for (char& c : input) c = kAlphabet[random() % kAlphabet.size()];
        expectSameInPieces(input, {1, 3});
    }
}

TEST(CsvRecords, ReadCsvRecordKeepsTheReaderOfItsStream) {
    std::istringstream in("a,b\n\"x\n1,q,2\n");
    std::vector<std::string> fields;
    ASSERT_TRUE(fg::readCsvRecord(in, fields));
    EXPECT_EQ(fields, (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(fg::csvRecordRefusal(in));
    ASSERT_TRUE(fg::readCsvRecord(in, fields));
    EXPECT_TRUE(fields.empty());
    EXPECT_EQ(fg::csvRecordRefusal(in), "unterminated quote opened on line 2");
    ASSERT_TRUE(fg::readCsvRecord(in, fields));  // the line after the quote's, read again
    EXPECT_EQ(fields, (std::vector<std::string>{"1", "q", "2"}));
    EXPECT_FALSE(fg::readCsvRecord(in, fields));
}

TEST(CsvRecords, OneStrayQuoteCostsTheBatchOneRow) {
    tw::TW_Language = tw::TW_English;
    std::string input = "n2,ar,o2,co2,co,so2,h2o,t,tref\n";
    for (int i = 0; i < 600; ++i) {
        input += i == 2 ? "\"76" : "76";
        input += i == 1 ? ",0.9,4,12,0,0.1,7,30\"0,25\n" : ",0.9,4,12,0,0.1,7,300,25\n";
    }
    for (unsigned jobs : {1U, 2U}) {
        std::istringstream in(input);
        std::ostringstream out;
        const fg::BatchCount count = fg::runFlueGasBatch(in, out, jobs);
        EXPECT_EQ(count.cases, 600u);
        EXPECT_EQ(count.refused, 2u);  // the open quote, and the quote typed into 30"0
        EXPECT_NE(out.str().find("unterminated quote opened on line 4"), std::string::npos);
    }
    tw::TW_Language = tw::TW_Korean;
}

}  // namespace

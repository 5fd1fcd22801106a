// The CSV batch: the same bytes whatever the number of threads, rows written while the input is
// still being read, and cases calculated on several threads at once.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "FlueGasBatch.h"
#include "mdlTW_FlueGas.h"
#include "tw/AutomationError.h"
#include "tw/MessageSink.h"

namespace {

namespace fg = tw::fluegas;

class Batch : public ::testing::Test {
  protected:
    void SetUp() override { tw::TW_Language = tw::TW_English; }
    void TearDown() override { tw::TW_Language = tw::TW_Korean; }
};

// Cases of every kind: formulas, units, SO3 modes, totals other than 100 (a message), refused
// values, rows of the wrong length, quoted fields, blank lines.
std::string mixedCases(int count) {
    std::ostringstream csv;
    csv << "\xEF\xBB\xBFn2, ar ,o2,co2,co,so2,h2o,t,tref,formula,so3,utp\r\n";
    for (int i = 0; i < count; ++i) {
        const int o2 = 2 + i % 7;
        csv << 76 - o2 + i % 3 << ",0.9," << o2 << ",12,0,0." << i % 4 << ",7," << 120 + i % 600
            << ",25," << i % 3 << ',' << (i % 11 == 0 ? "2.5" : "") << ','
            << (i % 13 == 0 ? "oF" : "") << "\r\n";
        if (i % 97 == 0) csv << "76,0.9,4,12,0,0.1,7\r\n";                 // too few fields
        if (i % 89 == 0) csv << "\"7,5\",0.9,4,12,0,0.1,7,300,25,,,\r\n";  // a comma typed in
        if (i % 83 == 0) csv << "\r\n";
        if (i % 79 == 0) csv << "76,0.9,4,12,0,0.1,7,-500,25,0,,\r\n";  // below 200 K
    }
    return csv.str();
}

std::string runBatch(const std::string& input, unsigned jobs, std::size_t* cases = nullptr) {
    std::istringstream in(input);
    std::ostringstream out;
    const std::size_t n = fg::runFlueGasBatch(in, out, jobs).cases;
    if (cases) *cases = n;
    return out.str();
}

TEST_F(Batch, TheSameBytesWhateverTheNumberOfThreads) {
    const std::string input = mixedCases(3000);
    std::size_t cases = 0;
    const std::string one = runBatch(input, 1, &cases);
    EXPECT_EQ(cases, 3000u + 31 + 34 + 38);
    EXPECT_NE(one.find("the row has 7 fields, the header 12"), std::string::npos);
    EXPECT_NE(one.find("Total of component percent"), std::string::npos);
    for (unsigned jobs : {2U, 3U, 8U}) {
        std::size_t n = 0;
        EXPECT_TRUE(runBatch(input, jobs, &n) == one) << jobs << " jobs";
        EXPECT_EQ(n, cases);
    }
    // A batch smaller than one hand-over, and one without cases.
    const std::string few = mixedCases(3);
    EXPECT_EQ(runBatch(few, 4), runBatch(few, 1));
    EXPECT_EQ(runBatch("n2,o2\r\n", 4), runBatch("n2,o2\r\n", 1));
}

// An output that counts what was written so far, for a reader on another thread.
class CountedOutput : public std::streambuf {
  public:
    std::atomic<std::size_t> written{0};
    std::string text;

  protected:
    int_type overflow(int_type ch) override {
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            text += traits_type::to_char_type(ch);
            ++written;
        }
        return traits_type::not_eof(ch);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        text.append(s, static_cast<std::size_t>(n));
        written += static_cast<std::size_t>(n);
        return n;
    }
};

// An input that makes its cases as it is read, and notes how much output the batch had written
// by the time the last case was read. With `pauseAt`, it stops after that many cases, as a pipe
// whose rows come slowly does, until rows are out (ten seconds at most).
class GeneratedCases : public std::streambuf {
  public:
    GeneratedCases(int cases, const CountedOutput& out, int pauseAt = -1)
        : left_(cases), pauseLeft_(cases - pauseAt), out_(out) {
        line_ = "n2,ar,o2,co2,co,so2,h2o,t,tref\n";
        setg(line_.data(), line_.data(), line_.data() + line_.size());
    }
    std::size_t writtenBeforeTheEnd = 0;
    bool rowsOutDuringThePause = false;

  protected:
    int_type underflow() override {
        if (left_ == 0) {
            writtenBeforeTheEnd = out_.written.load();
            return traits_type::eof();
        }
        if (left_ == pauseLeft_) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (out_.written < 10000 && std::chrono::steady_clock::now() < until) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            rowsOutDuringThePause = out_.written >= 10000;
        }
        --left_;
        line_ = "76,0.9,4,12,0,0.1,7," + std::to_string(100 + left_ % 500) + ",25\n";
        setg(line_.data(), line_.data(), line_.data() + line_.size());
        return traits_type::to_int_type(line_[0]);
    }

  private:
    int left_;
    int pauseLeft_;
    const CountedOutput& out_;
    std::string line_;
};

TEST_F(Batch, RowsAreWrittenWhileTheInputIsStillRead) {
    for (unsigned jobs : {1U, 2U}) {
        CountedOutput written;
        std::ostream out(&written);
        GeneratedCases source(20000, written);
        std::istream in(&source);
        EXPECT_EQ(fg::runFlueGasBatch(in, out, jobs).cases, 20000u);
        // Most rows are out before the input ends: only the cases in hand are held back.
        const std::size_t rowLength = written.text.size() / 20001;
        EXPECT_GT(source.writtenBeforeTheEnd, rowLength * 10000) << jobs << " jobs";
    }
}

// An output that takes `room` bytes and refuses the rest, as a full disk does.
class FullOutput : public std::streambuf {
  public:
    explicit FullOutput(std::size_t room) : room_(room) {}

  protected:
    std::streamsize xsputn(const char*, std::streamsize n) override {
        const auto taken = std::min(room_, static_cast<std::size_t>(n));
        room_ -= taken;
        return static_cast<std::streamsize>(taken);
    }
    int_type overflow(int_type ch) override {
        return xsputn(nullptr, 1) == 1 ? ch : traits_type::eof();
    }

  private:
    std::size_t room_;
};

// Asked to stop, the batch ends after a whole block with the rows before it written in order;
// a failing check and an output that fails end it too. No thread is left waiting.
TEST_F(Batch, AnInterruptOrAFailedOutputStopsEveryThread) {
    const std::string input = mixedCases(40000);
    const std::string whole = runBatch(input, 1);
    const std::size_t headerLine = whole.find("\r\n") + 2;
    for (unsigned jobs : {1U, 2U, 3U}) {
        SCOPED_TRACE(jobs);
        CountedOutput written;
        // Asked for once the first rows are out.
        const fg::ScopedBatchInterruptCheck check([&] { return written.written > headerLine; });
        std::istringstream in(input);
        std::ostream out(&written);
        EXPECT_THROW(fg::runFlueGasBatch(in, out, jobs), fg::BatchInterrupted);
        const std::string& part = written.text;
        EXPECT_GT(part.size(), headerLine);
        EXPECT_LT(part.size(), whole.size() / 2);
        EXPECT_EQ(whole.compare(0, part.size(), part), 0);
        EXPECT_TRUE(part.ends_with("\r\n"));
    }
    for (unsigned jobs : {1U, 2U, 3U}) {  // a check that fails ends the batch with its error
        SCOPED_TRACE(jobs);
        CountedOutput written;
        const fg::ScopedBatchInterruptCheck check([&]() -> bool {
            if (written.written > headerLine) throw std::runtime_error("the check failed");
            return false;
        });
        std::istringstream in(input);
        std::ostream out(&written);
        EXPECT_THROW(fg::runFlueGasBatch(in, out, jobs), std::runtime_error);
    }
    for (unsigned jobs : {1U, 2U, 3U}) {
        SCOPED_TRACE(jobs);
        FullOutput full(whole.size() / 3);
        std::ostream out(&full);
        std::istringstream in(input);
        EXPECT_LT(fg::runFlueGasBatch(in, out, jobs).cases, 40000u);
        EXPECT_TRUE(out.bad());
    }
}

// While one thread waits for more rows, the blocks already calculated are written.
TEST_F(Batch, BlocksAreWrittenWhileAThreadWaitsForRows) {
    for (unsigned jobs : {1U, 2U, 3U}) {
        CountedOutput written;
        std::ostream out(&written);
        GeneratedCases source(6000, written, 3000);
        std::istream in(&source);
        EXPECT_EQ(fg::runFlueGasBatch(in, out, jobs).cases, 6000u);
        EXPECT_TRUE(source.rowsOutDuringThePause) << jobs << " jobs";
    }
}

TEST_F(Batch, CasesOnSeveralThreadsCollectTheirOwnMessages) {
    // Totals of 100 (no message) and of 101 (the normalisation notice, twice).
    auto caseWithTotal = [](int i) {
        fg::FlueGasCase c;
        c.cells = {i % 2 == 0 ? "76" : "77", "0.9", "4", "12", "0", "0.1", "7",
                   std::to_string(150 + i),  "25"};
        return c;
    };
    std::vector<fg::CaseOutcome> expected;
    expected.reserve(200);
    for (int i = 0; i < 200; ++i) expected.push_back(fg::calculateCase(caseWithTotal(i)));
    tw::RecordingMessageSink processWide;
    const tw::ScopedMessageSink guard(processWide);
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < wrong.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round) {
                for (int i = 0; i < 200; ++i) {
                    const fg::CaseOutcome o = fg::calculateCase(caseWithTotal(i));
                    const fg::CaseOutcome& e = expected[static_cast<std::size_t>(i)];
                    if (o.messages.size() != e.messages.size() ||
                        o.table.value(fg::rowGasEnthalpy) != e.table.value(fg::rowGasEnthalpy) ||
                        o.table.value(fg::rowWaterDewPoint) !=
                            e.table.value(fg::rowWaterDewPoint)) {
                        ++wrong[t];
                    }
                }
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
    EXPECT_EQ(expected[1].messages.size(), 2u);
    EXPECT_TRUE(processWide.messages().empty());  // every case kept its own
}

}  // namespace

namespace {

// Random cases with every kind of setting and hostile texts, in the option names' texts.
std::string randomCases(unsigned seed, int count) {
    std::mt19937 rng(seed);
    const auto pick = [&](const std::vector<std::string>& texts) {
        return texts[std::uniform_int_distribution<std::size_t>(0, texts.size() - 1)(rng)];
    };
    const auto number = [&](double low, double high) {
        std::ostringstream s;
        s << std::uniform_real_distribution<double>(low, high)(rng);
        return s.str();
    };
    const std::vector<std::string> hostile{"",
                                           "-",
                                           ".",
                                           "1e39",
                                           "-1e39",
                                           "1e-45",
                                           "0",
                                           "-0",
                                           "e5",
                                           "1.2.3",
                                           "--1",
                                           "7e",
                                           "300x",
                                           "nan",
                                           "inf",
                                           "1E+2",
                                           "99999999999999999999",
                                           "\"5\"",
                                           "1,5",
                                           "\t3"};
    std::ostringstream csv;
    csv << "n2,ar,o2,co2,co,so2,h2o,t,tref,basis,formula,so3,utp,uenth,upr\n";
    for (int i = 0; i < count; ++i) {
        std::vector<std::string> f{number(60, 80), number(0, 2),       number(0, 10),
                                   number(5, 15),  number(0, 1),       number(0, 0.5),
                                   number(0, 15),  number(-300, 1800), number(-50, 100)};
        for (std::string& v : f) {
            if (rng() % 9 == 0) v = pick(hostile);
        }
        f.push_back(pick({"", "vol", "wt", "weight"}));
        f.push_back(pick({"", "0", "1", "2", "3"}));
        f.push_back(pick({"", "auto", "user", "2.5", "0", "150", "x"}));
        f.push_back(pick({"", "0", "1", "2", "oF", "K", "9"}));
        f.push_back(pick({"", "0", "1", "2", "3"}));
        f.push_back(pick({"", "0", "1", "2", "psi"}));
        for (std::size_t k = 0; k < f.size(); ++k) csv << (k ? "," : "") << fg::csvField(f[k]);
        csv << "\n";
    }
    return csv.str();
}

}  // namespace

// Each row of a batch holds its input fields as read, what the table of calculateCase shows for
// its case, and the messages it showed: the batch's shortcuts change no byte.
TEST_F(Batch, EveryRowIsWhatTheCasesOwnTableShows) {
    for (unsigned seed : {1U, 2U, 3U}) {
        const std::string input = randomCases(seed, 1500);
        std::istringstream in(input);
        std::ostringstream out;
        fg::runFlueGasBatch(in, out, seed);  // 1 to 3 jobs
        std::istringstream written(out.str());
        std::istringstream given(input);
        std::vector<std::string> header, row, fields;
        ASSERT_TRUE(fg::readCsvRecord(written, header));
        ASSERT_TRUE(fg::readCsvRecord(given, fields));
        const std::size_t inputs = header.size() - fg::kResultColumns.size() - 1;
        int compared = 0;
        while (fg::readCsvRecord(written, row)) {
            ASSERT_EQ(row.size(), header.size());
            ASSERT_TRUE(fg::readCsvRecord(given, fields));
            std::vector<std::pair<std::string, std::string>> options;
            for (std::size_t i = 0; i < inputs; ++i) options.emplace_back(header[i], fields[i]);
            std::vector<std::string> expected = fields;
            try {
                const fg::CaseOutcome o = fg::calculateCase(fg::parseFlueGasCase(options));
                for (const auto& column : fg::kResultColumns)
                    expected.push_back(o.table.value(column.first));
                std::string messages;
                for (const auto& m : o.messages) {
                    messages += (messages.empty() ? "" : "\n") + m.caption + ": " + m.text;
                }
                expected.push_back(messages);
                ++compared;
            } catch (const fg::CaseError& e) {
                expected.resize(header.size() - 1);
                expected.push_back(e.what());
            } catch (const tw::AutomationError& e) {
                expected.resize(header.size() - 1);
                expected.push_back(e.messageText());
            }
            ASSERT_EQ(row, expected) << "seed " << seed;
        }
        EXPECT_GT(compared, 300);
    }
}

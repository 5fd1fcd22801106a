#pragma once
// Reading the CSV files of the batches: records split into fields, the header of column
// names, and the rows the reader itself refuses. Every batch reads through this, so that every
// batch follows the same rules:
//
// - RFC 4180 quoting: a field that starts with a quote is quoted; inside it a doubled quote is
//   one quote and commas and line breaks are ordinary characters. A quote anywhere else (in
//   the middle of an unquoted field, or after the closing quote) is an ordinary character.
// - A record longer than kMaxCsvRecordBytes is refused ("the row is longer than 1 MiB"), and
//   reading goes on at the next line, so that memory stays flat whatever the input.
// - A quoted field still open after kMaxCsvRecordBytes, or at the end of the input, refuses its
//   row ("unterminated quote opened on line N", lines counted from 1 with the header as line
//   1), and reading resumes at the line after the one where the quote opened: one stray quote
//   costs one row, not the rest of the file.
// - A line end outside quotes ends a record; a carriage return outside quotes is dropped.

#include <cstddef>
#include <functional>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tw::fluegas {

inline constexpr std::size_t kMaxCsvRecordBytes = std::size_t{1} << 20;  // 1 MiB

// One record as read: its fields, or why the reader refused it (then `fields` is empty).
struct CsvRecord {
    std::vector<std::string> fields;
    std::optional<std::string> refusal;
    std::size_t line = 0;  // where it starts, counted from 1
    // A line read whole, with no quote and no carriage return inside: its text, the fields
    // joined by commas, none of which needs quotes. Empty and false for any other record.
    std::string plainText;
    bool plain = false;

    // A line with nothing on it, which the batches skip.
    bool blank() const { return !refusal && fields.size() == 1 && fields[0].empty(); }
};

// Reads records from a stream, counting lines and the rows it refused. It takes from the stream
// what the stream has buffered (and waits for no more than one character when it has nothing),
// so a pipe is read as its lines arrive; bytes read ahead to find the end of an unterminated
// quote are kept and read again, so any stream will do. What the reader took is its own: read
// the stream through one reader only.
class CsvRecordReader {
  public:
    explicit CsvRecordReader(std::istream& in) : in_(in) {}

    // The next record; false at the end of the input. A failed read sets the stream's badbit
    // and ends the input.
    bool next(CsvRecord& record);

    // The rows refused so far (by the reader's own rules).
    std::size_t refused() const { return refused_; }
    std::istream& stream() { return in_; }

  private:
    // The next record when it is a whole line in the buffer without quotes: split at its
    // commas as next would split it, in one pass; false, with nothing taken, otherwise.
    bool plainLine(CsvRecord& record);
    bool fill();
    int get();
    int peek();

    static constexpr std::size_t kFillBytes = std::size_t{64} * 1024;
    std::istream& in_;
    std::string buffer_;  // taken from the stream or read ahead, read before the stream
    std::size_t at_ = 0;
    std::size_t line_ = 1;
    std::size_t refused_ = 0;
};

// Error of a header that cannot be used: empty input, refused, or a column named twice. The
// text is in English, for command-line users.
struct CsvHeaderError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

// The column names of a batch: the first record, without a UTF-8 byte order mark, each name
// without its leading and trailing spaces. CsvHeaderError when there is no header, when the
// reader refused it, or when two columns have the same name ("the column 't' appears twice in
// the header").
std::vector<std::string> readCsvHeader(CsvRecordReader& reader);

// What a batch did: its rows (cases) and, among them, the rows that gave no results: refused
// by the reader, of the wrong length, or with a value the case could not use.
struct BatchCount {
    std::size_t cases = 0;
    std::size_t refused = 0;
    BatchCount& operator+=(const BatchCount& other) {
        cases += other.cases;
        refused += other.refused;
        return *this;
    }
};

// A batch stopped between two blocks of rows because its caller asked it to (Ctrl+C in Python):
// nothing after the interruption is calculated, and an output file is not committed.
struct BatchInterrupted : std::runtime_error {
    BatchInterrupted() : std::runtime_error("the batch was interrupted") {}
};

// While it lives, the batches on this thread ask `check` between blocks of rows (every few
// hundred rows, and it may look at the clock to ask less often still) whether to stop, and
// throw BatchInterrupted when it says so.
class ScopedBatchInterruptCheck {
  public:
    explicit ScopedBatchInterruptCheck(std::function<bool()> check);
    ~ScopedBatchInterruptCheck();
    ScopedBatchInterruptCheck(const ScopedBatchInterruptCheck&) = delete;
    ScopedBatchInterruptCheck& operator=(const ScopedBatchInterruptCheck&) = delete;

  private:
    std::function<bool()> check_;
    std::function<bool()>* previous_;
};
// True when the check of this thread asks the batch to stop.
bool batchInterruptRequested();
// Throws BatchInterrupted when the check of this thread asks the batch to stop.
void checkBatchInterrupt();

// The summary a batch prints after writing its file: "N cases written to FILE, M refused".
std::string batchSummary(const BatchCount& count, std::string_view file);

// The records of a stream one by one, with the reader's rules and one reader per stream (kept
// with the stream): false at the end of the input. A refused row comes back as a record
// without fields (so that a batch comparing the field count with its header refuses it too);
// csvRecordRefusal then says why.
bool readCsvRecord(std::istream& in, std::vector<std::string>& fields);
// Why the last record readCsvRecord gave from `in` was refused; nothing when it was not.
std::optional<std::string> csvRecordRefusal(std::istream& in);

// A field quoted when it holds a comma, a quote or a line break.
std::string csvField(std::string_view text);
// Appends `text` to `line` as csvField writes it.
void appendCsvField(std::string& line, std::string_view text);

}  // namespace tw::fluegas

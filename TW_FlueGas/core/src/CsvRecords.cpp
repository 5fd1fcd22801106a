#include "CsvRecords.h"

#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <string_view>

namespace tw::fluegas {
namespace {

constexpr int kEnd = std::char_traits<char>::eof();

// A table of the bytes in `bytes`, for tests made once per character.
constexpr std::array<bool, 256> byteSet(std::string_view bytes) {
    std::array<bool, 256> set{};
    for (const char c : bytes) set[static_cast<unsigned char>(c)] = true;
    return set;
}

}  // namespace

bool CsvRecordReader::fill() {
    // Takes what the stream holds in its buffer already, or, when it holds nothing, waits for
    // one character as a plain read would: a pipe is answered as soon as its line arrives.
    buffer_.clear();
    at_ = 0;
    try {
        std::streambuf& source = *in_.rdbuf();
        if (const std::streamsize held = source.in_avail(); held > 0) {
            buffer_.resize(static_cast<std::size_t>(std::min<std::streamsize>(held, kFillBytes)));
            buffer_.resize(static_cast<std::size_t>(
                source.sgetn(buffer_.data(), static_cast<std::streamsize>(buffer_.size()))));
            if (!buffer_.empty()) return true;
        }
        const int c = source.sbumpc();
        if (c == kEnd) {
            in_.setstate(std::ios::eofbit);
            return false;
        }
        buffer_ += static_cast<char>(c);
        return true;
    } catch (...) {
        in_.setstate(std::ios::badbit);  // the file could not be read on
        return false;
    }
}

int CsvRecordReader::get() {
    if (at_ == buffer_.size() && (!in_.good() || !fill())) return kEnd;
    return static_cast<unsigned char>(buffer_[at_++]);
}

int CsvRecordReader::peek() {
    if (at_ == buffer_.size() && (!in_.good() || !fill())) return kEnd;
    return static_cast<unsigned char>(buffer_[at_]);
}

bool CsvRecordReader::plainLine(CsvRecord& record) {
    const std::string_view held = std::string_view(buffer_).substr(at_);
    const std::size_t lineEnd = held.find('\n');
    if (lineEnd == std::string_view::npos || lineEnd + 1 > kMaxCsvRecordBytes) return false;
    // A carriage return is left out of a field; one that ends the line is the only kind taken
    // here.
    std::string_view text = held.substr(0, lineEnd);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    // One pass splits the line at its commas; a quote or a carriage return inside sends it to
    // the character reader, which writes the fields again from the first.
    static constexpr std::array<bool, 256> kStops = byteSet(",\"\r");
    std::size_t count = 0;
    const auto setField = [&](const char* first, const char* last) {
        if (count == record.fields.size()) {
            if (record.fields.capacity() == 0) record.fields.reserve(16);
            record.fields.emplace_back();
        }
        std::string& f = record.fields[count++];
        f.clear();
        f.append(first, static_cast<std::size_t>(last - first));
    };
    const char* fieldStart = text.data();
    const char* const end = text.data() + text.size();
    for (const char* p = fieldStart; p != end; ++p) {
        if (!kStops[static_cast<unsigned char>(*p)]) continue;
        if (*p != ',') return false;
        setField(fieldStart, p);
        fieldStart = p + 1;
    }
    setField(fieldStart, end);
    record.fields.resize(count);
    record.line = line_;
    record.plainText.clear();
    record.plainText.append(text.data(), text.size());
    record.plain = true;
    ++line_;
    at_ += lineEnd + 1;
    return true;
}

bool CsvRecordReader::next(CsvRecord& record) {
    record.refusal.reset();
    record.plainText.clear();
    record.plain = false;
    if (peek() == kEnd) {
        record.fields.clear();
        if (!in_.bad()) in_.setstate(std::ios::eofbit);
        return false;
    }
    if (plainLine(record)) return true;
    record.line = line_;
    // The record's fields are written over those of the record before, keeping their storage.
    std::size_t count = 0;
    const auto nextField = [&]() -> std::string& {
        if (count == record.fields.size()) {
            if (record.fields.capacity() == 0) record.fields.reserve(16);
            record.fields.emplace_back();
        }
        std::string& f = record.fields[count++];
        f.clear();
        return f;
    };
    std::string* field = &nextField();
    bool fieldStart = true;
    bool quoted = false;
    std::size_t bytes = 0;
    // The quoted field that is open: where it opened, and what was read after the end of that
    // line (read again should the quote never close).
    std::size_t quoteLine = 0;
    bool quoteLineEnded = false;
    std::string afterQuoteLine;

    const auto refuse = [&](std::string why) {
        record.fields.clear();
        record.refusal = std::move(why);
        ++refused_;
        return true;
    };
    const auto skipLine = [&] {
        for (int c = get(); c != kEnd; c = get()) {
            if (c == '\n') {
                ++line_;
                break;
            }
        }
    };
    const auto unterminated = [&] {
        if (quoteLineEnded) {
            afterQuoteLine.append(buffer_, at_);
            buffer_ = std::move(afterQuoteLine);
            at_ = 0;
            line_ = quoteLine + 1;
        } else {
            skipLine();  // the quote's own line has not ended yet
        }
        return refuse("unterminated quote opened on line " + std::to_string(quoteLine));
    };

    while (true) {
        const int ch = get();
        if (ch == kEnd) {
            if (quoted) return unterminated();
            break;
        }
        const char c = static_cast<char>(ch);
        ++bytes;
        if (quoted) {
            if (bytes > kMaxCsvRecordBytes) return unterminated();
            if (quoteLineEnded) {
                afterQuoteLine += c;
            } else if (c == '\n') {
                quoteLineEnded = true;
            }
            if (c == '\n') ++line_;
            if (c != '"') {
                *field += c;
            } else if (peek() == '"') {
                get();
                ++bytes;
                if (quoteLineEnded) afterQuoteLine += '"';
                *field += '"';
            } else {
                quoted = false;
            }
            continue;
        }
        if (bytes > kMaxCsvRecordBytes) {
            if (c == '\n') {
                ++line_;
            } else {
                skipLine();
            }
            return refuse("the row on line " + std::to_string(record.line) +
                          " is longer than 1 MiB");
        }
        if (c == '"' && fieldStart) {
            quoted = true;
            fieldStart = false;
            quoteLine = line_;
            quoteLineEnded = false;
            afterQuoteLine.clear();
            continue;
        }
        fieldStart = false;
        if (c == ',') {
            field = &nextField();
            fieldStart = true;
        } else if (c == '\n') {
            ++line_;
            break;
        } else if (c != '\r') {
            // It and the ordinary characters after it, up to the next separator, line end or
            // carriage return, in one piece, never past the record's limit. get() took it from
            // the buffer, at at_ - 1.
            const std::size_t room = kMaxCsvRecordBytes - bytes;
            const std::size_t stop = std::min(buffer_.size(), at_ + room);
            std::size_t run = at_;
            while (run < stop && buffer_[run] != ',' && buffer_[run] != '\n' &&
                   buffer_[run] != '\r') {
                ++run;
            }
            field->append(buffer_, at_ - 1, run - at_ + 1);
            bytes += run - at_;
            at_ = run;
        }
    }
    record.fields.resize(count);
    return true;
}

std::vector<std::string> readCsvHeader(CsvRecordReader& reader) {
    CsvRecord header;
    if (!reader.next(header)) throw CsvHeaderError("the CSV file is empty: no header line");
    if (header.refusal) throw CsvHeaderError("the header: " + *header.refusal);
    std::vector<std::string>& names = header.fields;
    if (names[0].starts_with("\xEF\xBB\xBF")) names[0].erase(0, 3);
    std::set<std::string_view> seen;
    for (std::string& name : names) {
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
    }
    for (const std::string& name : names) {
        if (!seen.insert(name).second) {
            throw CsvHeaderError("the column '" + name + "' appears twice in the header");
        }
    }
    return std::move(names);
}

namespace {
thread_local std::function<bool()>* interruptCheck = nullptr;
}  // namespace

ScopedBatchInterruptCheck::ScopedBatchInterruptCheck(std::function<bool()> check)
    : check_(std::move(check)), previous_(interruptCheck) {
    interruptCheck = &check_;
}

ScopedBatchInterruptCheck::~ScopedBatchInterruptCheck() {
    interruptCheck = previous_;
}

bool batchInterruptRequested() {
    return interruptCheck != nullptr && *interruptCheck && (*interruptCheck)();
}

void checkBatchInterrupt() {
    if (batchInterruptRequested()) throw BatchInterrupted();
}

std::string batchSummary(const BatchCount& count, std::string_view file) {
    return std::to_string(count.cases) + " cases written to " + std::string(file) + ", " +
           std::to_string(count.refused) + " refused";
}

namespace {

// The reader readCsvRecord keeps with a stream, in the stream's own storage (pword), deleted
// with the stream.
struct StreamReader {
    CsvRecordReader reader;
    CsvRecord record;
};

int streamReaderIndex() {
    static const int index = std::ios_base::xalloc();
    return index;
}

void forgetStreamReader(std::ios_base::event event, std::ios_base& stream, int index) {
    void*& slot = stream.pword(index);
    if (event == std::ios_base::erase_event) {
        delete static_cast<StreamReader*>(slot);  // NOLINT(cppcoreguidelines-owning-memory)
        slot = nullptr;
    } else if (event == std::ios_base::copyfmt_event) {
        slot = nullptr;  // copyfmt copied the other stream's pointer: not this stream's reader
    }
}

StreamReader& streamReader(std::istream& in) {
    void*& slot = in.pword(streamReaderIndex());
    if (slot == nullptr) {
        auto made = std::make_unique<StreamReader>(StreamReader{CsvRecordReader(in), {}});
        in.register_callback(forgetStreamReader, streamReaderIndex());
        slot = made.release();
    }
    return *static_cast<StreamReader*>(slot);
}

}  // namespace

bool readCsvRecord(std::istream& in, std::vector<std::string>& fields) {
    StreamReader& state = streamReader(in);
    const bool more = state.reader.next(state.record);
    fields = std::move(state.record.fields);
    state.record.fields.clear();
    return more;
}

std::optional<std::string> csvRecordRefusal(std::istream& in) {
    return streamReader(in).record.refusal;
}

void appendCsvField(std::string& line, std::string_view text) {
    static constexpr std::array<bool, 256> kQuoted = byteSet(",\"\r\n");
    const bool plain = std::none_of(text.begin(), text.end(),
                                    [](char c) { return kQuoted[static_cast<unsigned char>(c)]; });
    if (plain) {
        line += text;
        return;
    }
    line += '"';
    for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
        line.append(text.substr(0, quote + 1));
        line += '"';
        text.remove_prefix(quote + 1);
    }
    line += text;
    line += '"';
}

std::string csvField(std::string_view text) {
    std::string field;
    appendCsvField(field, text);
    return field;
}

}  // namespace tw::fluegas

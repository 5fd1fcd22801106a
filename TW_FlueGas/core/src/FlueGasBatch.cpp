#include "FlueGasBatch.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "Units.h"
#include "tw/AutomationError.h"

namespace tw::fluegas {
namespace {

void checkTypable(std::string_view name, const std::string& text) {
    for (unsigned char c : text) {
        if (!isAcceptedEditorKey(c)) {
            throw CaseError(std::string(name) + " '" + text +
                            "': only digits, '-', '.', 'E' and 'e' can be typed into the table");
        }
    }
}

int parseUnitIndex(std::string_view name, QuantityId q, const std::string& text) {
    const units::QuantityInfo& info = units::quantity(q);
    int index = -1;
    const char* last = text.data() + text.size();
    const auto r = std::from_chars(text.data(), last, index);
    if (r.ec == std::errc() && r.ptr == last && info.valid(index)) return index;
    if (auto byName = units::findUnit(q, text)) return *byName;
    std::string list;
    for (int i = 0; i < info.count(); ++i) {
        list += (i ? ", " : "") + std::to_string(i) + " " +
                info.units[static_cast<std::size_t>(i)].display;
    }
    throw CaseError(std::string(name) + " '" + text + "' is not a " + info.key +
                    " unit; give an index or a unit text: " + list);
}
std::string joinMessages(const std::vector<RecordedMessage>& messages) {
    std::string joined;
    for (const RecordedMessage& m : messages) {
        if (!joined.empty()) joined += '\n';
        joined += m.caption;
        joined += ": ";
        joined += m.text;
    }
    return joined;
}

// Appends `text` as one CSV field: quoted when it holds a comma, a quote or a line break.
void appendField(std::string& line, std::string_view text) {
    const bool plain = std::none_of(text.begin(), text.end(), [](char c) {
        return c == ',' || c == '"' || c == '\r' || c == '\n';
    });
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

void appendRecord(std::string& line, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) line += ',';
        appendField(line, fields[i]);
    }
    line += "\r\n";
}

void writeRecord(std::ostream& out, const std::vector<std::string>& fields) {
    std::string line;
    appendRecord(line, fields);
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
}

// Sets one named option of a case from its text (see parseFlueGasCase).
void applyOption(FlueGasCase& c, std::string_view name, const std::string& text) {
    const auto cell = std::find(kCellOptionNames.begin(), kCellOptionNames.end(), name);
    if (cell != kCellOptionNames.end()) {
        checkTypable(name, text);
        c.cells[static_cast<std::size_t>(cell - kCellOptionNames.begin())] = text;
    } else if (name == "basis") {
        if (text == "vol" || text.empty()) {
            c.basis = CompositionBasis::Volume;
        } else if (text == "wt") {
            c.basis = CompositionBasis::Weight;
        } else {
            throw CaseError("basis '" + text + "': give vol or wt");
        }
    } else if (name == "formula") {
        if (text.size() > 1 || (!text.empty() && (text[0] < '0' || text[0] > '2'))) {
            throw CaseError("formula '" + text +
                            "': give 0 (NASA Glenn), 1 (ASME PTC 4.4) or 2 (B&W)");
        }
        c.formula = text.empty() ? NasaGlenn : text[0] - '0';
    } else if (name == "so3") {
        if (text == "auto" || text.empty()) {
            c.so3Mode = So3Mode::Automatic;
        } else {
            // "user" selects user-input mode with an empty rate.
            c.so3Mode = So3Mode::UserInput;
            c.so3Rate = text == "user" ? "" : text;
            checkTypable("so3", c.so3Rate);
        }
    } else if (name == "utp") {
        if (!text.empty()) c.uTP = parseUnitIndex(name, QuantityId::TP, text);
    } else if (name == "uenth") {
        if (!text.empty()) c.uENTH = parseUnitIndex(name, QuantityId::ENTH, text);
    } else if (name == "upr") {
        if (!text.empty()) c.uPR = parseUnitIndex(name, QuantityId::PR, text);
    } else {
        throw CaseError("unknown option '" + std::string(name) +
                        "'; options are n2, ar, o2, co2, co, so2, h2o, t, tref, basis, "
                        "formula, so3, utp, uenth, upr");
    }
}

// The output row of one input record: its fields as given (cut or padded to the header), the
// result rows and the messages. A case that fails reports why in its messages field.
void appendCaseRow(std::string& line, const std::vector<std::string>& header,
                   std::vector<std::string>& fields) {
    std::array<std::string, kResultColumns.size()> results;
    std::string messages;
    try {
        if (fields.size() != header.size()) {
            throw CaseError("the row has " + std::to_string(fields.size()) +
                            " fields, the header " + std::to_string(header.size()));
        }
        FlueGasCase c;
        for (std::size_t i = 0; i < header.size(); ++i) applyOption(c, header[i], fields[i]);
        const CaseOutcome outcome = calculateCase(c);
        for (std::size_t i = 0; i < kResultColumns.size(); ++i) {
            results[i] = outcome.table.value(kResultColumns[i].first);
        }
        messages = joinMessages(outcome.messages);
    } catch (const CaseError& e) {
        messages = e.what();
    } catch (const AutomationError& e) {
        messages = e.messageText();
    }
    fields.resize(header.size());
    bool first = true;
    auto append = [&](std::string_view text) {
        if (!first) line += ',';
        first = false;
        appendField(line, text);
    };
    for (const std::string& f : fields) append(f);
    for (const std::string& r : results) append(r);
    append(messages);
    line += "\r\n";
}

// The input is handed on in blocks of whole records, about kBlockBytes each (some hundreds of
// cases): enough for a worker between two hand-overs, and little to hold.
constexpr std::size_t kBlockBytes = std::size_t{16} * 1024;

// Cuts the input into blocks that end with a line end outside quotes, so that no record is cut
// in two; the records themselves are split by whoever calculates the block. A quote toggles
// the state as the record reader's quoting does (a doubled quote inside a quoted field toggles
// twice).
class RecordBlocks {
  public:
    explicit RecordBlocks(std::istream& in) : in_(in) {}

    // The next block; false at the end of the input.
    bool next(std::string& block) {
        while (true) {
            for (; scanned_ < pending_.size(); ++scanned_) {
                const char c = pending_[scanned_];
                if (c == '"') {
                    quoted_ = !quoted_;
                } else if (c == '\n' && !quoted_) {
                    recordsEnd_ = scanned_ + 1;
                }
            }
            if ((pending_.size() >= kBlockBytes || ended_) && recordsEnd_ > 0) {
                block.assign(pending_, 0, recordsEnd_);
                pending_.erase(0, recordsEnd_);
                scanned_ -= recordsEnd_;
                recordsEnd_ = 0;
                return true;
            }
            if (ended_) {  // what is left: the last record without its line end
                if (pending_.empty()) return false;
                block = std::move(pending_);
                pending_.clear();
                scanned_ = 0;
                return true;
            }
            const std::size_t had = pending_.size();
            pending_.resize(had + kBlockBytes);
            in_.read(pending_.data() + had, static_cast<std::streamsize>(kBlockBytes));
            const auto got = static_cast<std::size_t>(in_.gcount());
            pending_.resize(had + got);
            ended_ = got < kBlockBytes;
        }
    }

  private:
    std::istream& in_;
    std::string pending_;         // read, not yet handed on
    std::size_t scanned_ = 0;     // how much of pending_ has been scanned
    std::size_t recordsEnd_ = 0;  // just after the last line end outside quotes, or 0
    bool quoted_ = false;         // inside quotes at the end of the scanned part
    bool ended_ = false;
};

struct Chunk {
    std::string input;  // whole records
    std::string text;   // their output rows
    std::size_t cases = 0;
    bool done = false;
};

// The output rows of a block's records (blank lines skipped).
void calculateChunk(const std::vector<std::string>& header, Chunk& chunk) {
    std::istringstream records(std::move(chunk.input));
    std::vector<std::string> fields;
    while (readCsvRecord(records, fields)) {
        if (fields.size() == 1 && fields[0].empty()) continue;  // blank line
        ++chunk.cases;
        appendCaseRow(chunk.text, header, fields);
    }
}

void writeChunk(std::ostream& out, const Chunk& chunk) {
    out.write(chunk.text.data(), static_cast<std::streamsize>(chunk.text.size()));
}

// The cases on `jobs` worker threads; this thread cuts the input into blocks and writes the rows
// in input order. At most two chunks per worker are held at a time, so the memory used stays the
// same whatever the number of cases.
std::size_t calculateOnThreads(std::istream& in, std::ostream& out,
                               const std::vector<std::string>& header, unsigned jobs) {
    std::mutex mutex;
    std::condition_variable workReady, chunkDone;
    std::deque<std::shared_ptr<Chunk>> waiting;    // read, not yet taken by a worker
    std::deque<std::shared_ptr<Chunk>> unwritten;  // every chunk held, in input order
    bool inputEnded = false;
    std::exception_ptr failure;

    auto work = [&] {
        while (true) {
            std::shared_ptr<Chunk> chunk;
            {
                std::unique_lock lock(mutex);
                workReady.wait(lock, [&] { return !waiting.empty() || inputEnded; });
                if (waiting.empty()) return;
                chunk = std::move(waiting.front());
                waiting.pop_front();
            }
            std::exception_ptr failed;
            try {
                calculateChunk(header, *chunk);
            } catch (...) {  // not a case's own failure (out of memory, say): ends the batch
                failed = std::current_exception();
            }
            const std::lock_guard lock(mutex);
            if (failed && !failure) failure = failed;
            chunk->done = true;
            chunkDone.notify_all();
        }
    };
    std::vector<std::jthread> workers;
    workers.reserve(jobs);
    for (unsigned j = 0; j < jobs; ++j) workers.emplace_back(work);

    // Writes the finished chunks at the front until at most `held` chunks remain.
    std::size_t cases = 0;
    auto writeUntil = [&](std::size_t held) {
        while (true) {
            std::shared_ptr<Chunk> front;
            {
                std::unique_lock lock(mutex);
                if (unwritten.size() <= held) return;
                chunkDone.wait(lock, [&] { return unwritten.front()->done; });
                front = std::move(unwritten.front());
                unwritten.pop_front();
                if (failure) continue;
            }
            cases += front->cases;
            writeChunk(out, *front);
        }
    };

    RecordBlocks blocks(in);
    const std::size_t held = 2 * static_cast<std::size_t>(jobs);
    while (true) {
        auto chunk = std::make_shared<Chunk>();
        if (!blocks.next(chunk->input)) break;
        {
            const std::lock_guard lock(mutex);
            waiting.push_back(chunk);
            unwritten.push_back(std::move(chunk));
        }
        workReady.notify_one();
        writeUntil(held - 1);
        const std::lock_guard lock(mutex);
        if (!out || failure) break;
    }
    {
        const std::lock_guard lock(mutex);
        inputEnded = true;
    }
    workReady.notify_all();
    writeUntil(0);
    workers.clear();  // joins the workers
    if (failure) std::rethrow_exception(failure);
    return cases;
}

}  // namespace

FlueGasCase parseFlueGasCase(const std::vector<std::pair<std::string, std::string>>& options) {
    FlueGasCase c;
    for (const auto& [name, text] : options) applyOption(c, name, text);
    return c;
}

CalculatorTable tableForCase(const FlueGasCase& c) {
    CalculatorTable table;
    if (c.uTP) table.unit().setuTP(*c.uTP);
    if (c.uENTH) table.unit().setuENTH(*c.uENTH);
    if (c.uPR) table.unit().setuPR(*c.uPR);
    table.RefreshUnitColumn();
    // The basis is chosen before anything is typed, so nothing is converted.
    table.setBasisOnly(c.basis);
    table.SelectFormula(c.formula);
    if (c.so3Mode == So3Mode::UserInput) {
        table.SelectSo3Mode(So3Mode::UserInput);
        table.setValue(rowSo3ConversionRate, c.so3Rate);
    }
    constexpr std::array<int, 9> rows{rowN2,
                                      rowAr,
                                      rowO2,
                                      rowCO2,
                                      rowCO,
                                      rowSO2,
                                      rowH2O,
                                      rowGasTemperature,
                                      rowReferenceTemperature};
    for (std::size_t i = 0; i < rows.size(); ++i) table.setValue(rows[i], c.cells[i]);
    return table;
}

CaseOutcome calculateCase(const FlueGasCase& c) {
    RecordingMessageSink recorder;
    const ScopedThreadMessageSink guard(recorder);
    CaseOutcome outcome{tableForCase(c), {}, {}};
    outcome.results = Calculate(outcome.table);
    outcome.messages = recorder.messages();
    return outcome;
}

std::size_t runFlueGasBatch(std::istream& in, std::ostream& out, unsigned jobs) {
    std::vector<std::string> header;
    if (!readCsvRecord(in, header)) throw CaseError("the CSV file is empty: no header line");
    if (!header.empty() && header[0].starts_with("\xEF\xBB\xBF")) header[0].erase(0, 3);
    for (std::string& name : header) {
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        // Check the names once, with empty values, so that a misspelt column stops the batch.
        parseFlueGasCase({{name, ""}});
    }
    std::vector<std::string> outHeader = header;
    for (const auto& column : kResultColumns) outHeader.emplace_back(column.second);
    outHeader.emplace_back("messages");
    writeRecord(out, outHeader);

    if (jobs > 1) return calculateOnThreads(in, out, header, jobs);
    std::size_t cases = 0;
    RecordBlocks blocks(in);
    Chunk chunk;
    while (out && blocks.next(chunk.input)) {
        chunk.text.clear();
        chunk.cases = 0;
        calculateChunk(header, chunk);
        cases += chunk.cases;
        writeChunk(out, chunk);
    }
    return cases;
}

void writeCaseCsv(std::ostream& out,
                  const std::vector<std::pair<std::string, std::string>>& options,
                  const CalculatorTable& calculated, const std::vector<RecordedMessage>& messages) {
    std::vector<std::string> header;
    std::vector<std::string> row;
    for (const auto& [name, value] : options) {
        header.push_back(name);
        row.push_back(value);
    }
    for (const auto& [resultRow, name] : kResultColumns) {
        header.emplace_back(name);
        row.push_back(calculated.value(resultRow));
    }
    header.emplace_back("messages");
    row.push_back(joinMessages(messages));
    writeRecord(out, header);
    writeRecord(out, row);
}

bool readCsvRecord(std::istream& in, std::vector<std::string>& fields) {
    fields.clear();
    if (in.peek() == std::char_traits<char>::eof()) return false;
    // Character by character from the stream's buffer; its end and a read error reach the
    // stream's state as they would through get().
    std::streambuf& buffer = *in.rdbuf();
    constexpr int eof = std::char_traits<char>::eof();
    std::string field;
    bool quoted = false;
    try {
        while (true) {
            const int ch = buffer.sbumpc();
            if (ch == eof) {
                in.setstate(std::ios::eofbit);
                break;
            }
            const char c = static_cast<char>(ch);
            if (quoted) {
                if (c != '"') {
                    field += c;
                } else if (buffer.sgetc() == '"') {
                    field += static_cast<char>(buffer.sbumpc());
                } else {
                    quoted = false;
                }
            } else if (c == '"') {
                quoted = true;
            } else if (c == ',') {
                fields.push_back(std::move(field));
                field.clear();
            } else if (c == '\n') {
                break;
            } else if (c != '\r') {
                field += c;
            }
        }
    } catch (...) {
        in.setstate(std::ios::badbit);  // the file could not be read on
    }
    // A quote left open at the end of the file keeps what it held: the row then fails on its
    // own values or field count.
    fields.push_back(std::move(field));
    return true;
}

std::string csvField(std::string_view text) {
    std::string field;
    appendField(field, text);
    return field;
}

}  // namespace tw::fluegas

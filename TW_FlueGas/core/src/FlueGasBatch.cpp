#include "FlueGasBatch.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "Units.h"
#include "tw/AutomationError.h"
#include "tw/Format.h"
#include "tw/Stable.h"

namespace tw::fluegas {
namespace {

bool typable(std::string_view text) noexcept {
    static constexpr std::array<bool, 256> kTypable = [] {
        std::array<bool, 256> keys{};
        for (int c = 0; c < 256; ++c) keys[static_cast<std::size_t>(c)] = isAcceptedEditorKey(c);
        return keys;
    }();
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return kTypable[static_cast<unsigned char>(c)]; });
}

[[noreturn]] void refuseUntypable(std::string_view name, const std::string& text) {
    throw CaseError(std::string(name) + " '" + text +
                    "': only digits, '-', '.', 'E' and 'e' can be typed into the table");
}

void checkTypable(std::string_view name, const std::string& text) {
    if (!typable(text)) refuseUntypable(name, text);
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

// The messages of a row's case as its messages field holds them ("caption: text", one per
// line), joined as they are shown; one sink serves the rows of a block, keeping its storage.
class JoinedMessages final : public MessageSink {
  public:
    MessageAnswer show(std::string_view text, std::string_view caption, MessageIcon,
                       MessageButtons) override {
        if (!joined_.empty()) joined_ += '\n';
        joined_ += caption;
        joined_ += ": ";
        joined_ += text;
        return MessageAnswer::OK;
    }
    void beep() override {}
    const std::string& text() const noexcept { return joined_; }
    void clear() noexcept { joined_.clear(); }

    // The text as a CSV field. The rows of a block mostly show the same messages, so the field
    // last made is kept and made again only for a different text.
    std::string_view field() {
        if (joined_ != fieldOf_) {
            fieldOf_ = joined_;
            field_.clear();
            appendCsvField(field_, joined_);
        }
        return field_;
    }

  private:
    std::string joined_;
    std::string fieldOf_;  // the text of field_
    std::string field_;
};

std::string joinMessages(const std::vector<RecordedMessage>& messages) {
    JoinedMessages joined;
    for (const RecordedMessage& m : messages) joined.show(m.text, m.caption, m.icon, m.buttons);
    return joined.text();
}

void appendRecord(std::string& line, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) line += ',';
        appendCsvField(line, fields[i]);
    }
    line += "\r\n";
}

void writeRecord(std::ostream& out, const std::vector<std::string>& fields) {
    std::string line;
    appendRecord(line, fields);
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
}

// The options of a case: the cells in kCellOptionNames order, then the settings.
enum class Option { Basis = kCellOptionNames.size(), Formula, So3, UTP, UENTH, UPR };

// The option a column name sets; CaseError for a name that is none.
int optionOf(std::string_view name) {
    const auto cell = std::find(kCellOptionNames.begin(), kCellOptionNames.end(), name);
    if (cell != kCellOptionNames.end()) return static_cast<int>(cell - kCellOptionNames.begin());
    constexpr std::array<std::pair<std::string_view, Option>, 6> kSettings{{
        {"basis", Option::Basis},
        {"formula", Option::Formula},
        {"so3", Option::So3},
        {"utp", Option::UTP},
        {"uenth", Option::UENTH},
        {"upr", Option::UPR},
    }};
    for (const auto& [settingName, option] : kSettings) {
        if (name == settingName) return static_cast<int>(option);
    }
    throw CaseError("unknown option '" + std::string(name) +
                    "'; options are n2, ar, o2, co2, co, so2, h2o, t, tref, basis, "
                    "formula, so3, utp, uenth, upr");
}

// Sets option `option` (named `name`) of a case from its text (see parseFlueGasCase).
void applyOption(FlueGasCase& c, int option, std::string_view name, const std::string& text) {
    if (option < static_cast<int>(kCellOptionNames.size())) {
        checkTypable(name, text);
        c.cells[static_cast<std::size_t>(option)] = text;
        return;
    }
    switch (static_cast<Option>(option)) {
        case Option::Basis:
            if (text == "vol" || text.empty()) {
                c.basis = CompositionBasis::Volume;
            } else if (text == "wt") {
                c.basis = CompositionBasis::Weight;
            } else {
                throw CaseError("basis '" + text + "': give vol or wt");
            }
            break;
        case Option::Formula:
            if (text.size() > 1 || (!text.empty() && (text[0] < '0' || text[0] > '2'))) {
                throw CaseError("formula '" + text +
                                "': give 0 (NASA Glenn), 1 (ASME PTC 4.4) or 2 (B&W)");
            }
            c.formula = text.empty() ? NasaGlenn : text[0] - '0';
            break;
        case Option::So3:
            if (text == "auto" || text.empty()) {
                c.so3Mode = So3Mode::Automatic;
            } else {
                // "user" selects user-input mode with an empty rate.
                c.so3Mode = So3Mode::UserInput;
                c.so3Rate = text == "user" ? "" : text;
                checkTypable("so3", c.so3Rate);
            }
            break;
        case Option::UTP:
            if (!text.empty()) c.uTP = parseUnitIndex(name, QuantityId::TP, text);
            break;
        case Option::UENTH:
            if (!text.empty()) c.uENTH = parseUnitIndex(name, QuantityId::ENTH, text);
            break;
        case Option::UPR:
            if (!text.empty()) c.uPR = parseUnitIndex(name, QuantityId::PR, text);
            break;
    }
}

void applyOption(FlueGasCase& c, std::string_view name, const std::string& text) {
    applyOption(c, optionOf(name), name, text);
}

// The table of a case up to its cells: units, basis, formula and SO3 mode (with the rate of
// user-input mode).
CalculatorTable tableForSettings(const FlueGasCase& c) {
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
    return table;
}

// The rows of the case's cells (rows 1 to 7, 9 and 10), in kCellOptionNames order.
constexpr std::array<int, kCellOptionNames.size()> kRowOfCell{
    rowN2, rowAr, rowO2, rowCO2, rowCO, rowSO2, rowH2O, rowGasTemperature, rowReferenceTemperature};

// Types the case's texts into their rows, the last step of tableForCase.
void typeCells(CalculatorTable& table, const FlueGasCase& c) {
    for (std::size_t i = 0; i < kRowOfCell.size(); ++i) table.setValue(kRowOfCell[i], c.cells[i]);
}

bool sameSettings(const FlueGasCase& a, const FlueGasCase& b) {
    return a.uTP == b.uTP && a.uENTH == b.uENTH && a.uPR == b.uPR && a.basis == b.basis &&
           a.formula == b.formula && a.so3Mode == b.so3Mode &&
           (a.so3Mode != So3Mode::UserInput || a.so3Rate == b.so3Rate);
}

// The output row of one input record: its fields as given (cut or padded to the header), the
// result rows and the messages. A case that fails, and a row the reader refused, report why in
// the messages field; they count as refused. The cells are read as numbers straight from their
// fields, and the results are written straight into the row.
void appendCaseRow(std::string& line, const std::vector<std::string>& header,
                   const std::vector<int>& options, CsvRecord& record, BatchCount& count,
                   CaseCalculator& calculator, JoinedMessages& shown) {
    constexpr int kCells = static_cast<int>(kCellOptionNames.size());
    std::optional<CaseCalculator::Calculated> calculated;
    std::optional<CaseCalculator::Results> texts;  // a case whose settings have no kept table
    std::string messages;                          // when not those shown
    shown.clear();
    std::vector<std::string>& fields = record.fields;
    ++count.cases;
    try {
        if (record.refusal) throw CaseError(*record.refusal);
        if (fields.size() != header.size()) {
            throw CaseError("the row has " + std::to_string(fields.size()) +
                            " fields, the header " + std::to_string(header.size()));
        }
        FlueGasCase c;
        CaseCalculator::CellValues values;
        for (std::size_t i = 0; i < header.size(); ++i) {
            if (const int option = options[i]; option < kCells) {
                // A plain decimal can be typed as it stands; another text is checked first.
                const std::optional<double> plain = plainDecimal(fields[i]);
                if (!plain) checkTypable(header[i], fields[i]);
                values[static_cast<std::size_t>(option)] =
                    plain ? *plain : leadingNumber(fields[i]);
            } else {
                applyOption(c, option, header[i], fields[i]);
            }
        }
        calculated = calculator.calculatedShowing(c, values);
        if (!calculated) {
            for (std::size_t i = 0; i < header.size(); ++i) {
                if (options[i] < kCells) c.cells[static_cast<std::size_t>(options[i])] = fields[i];
            }
            texts = calculator.results(c);
            messages = joinMessages(texts->messages);
        }
    } catch (const CaseError& e) {
        messages = e.what();
        ++count.refused;
    } catch (const AutomationError& e) {
        messages = e.messageText();
        ++count.refused;
    }
    bool first = true;
    auto separate = [&] {
        if (!first) line += ',';
        first = false;
    };
    if (record.plain && fields.size() == header.size()) {
        line += record.plainText;
        first = false;
    } else {
        fields.resize(header.size());
        for (const std::string& f : fields) {
            separate();
            appendCsvField(line, f);
        }
    }
    for (std::size_t i = 0; i < kResultColumns.size(); ++i) {
        separate();
        const int row = kResultColumns[i].first;
        if (calculated) {
            // A result's text is a number or N/A, which needs no quotes.
            if (!appendResultText(line, calculated->results, row)) {
                appendCsvField(line, calculated->settings->value(row));
            }
        } else if (texts) {
            appendCsvField(line, texts->texts[i]);
        }
    }
    separate();
    if (calculated) {
        line += shown.field();
    } else {
        appendCsvField(line, messages);
    }
    line += "\r\n";
}

// The input is handed on in blocks of whole records, about kBlockBytes of fields or kBlockRecords
// records each (about two thousand cases): enough for a worker that the hand-overs cost little
// beside the cases, and little to hold.
constexpr std::size_t kBlockBytes = std::size_t{128} * 1024;
constexpr std::size_t kBlockRecords = 2048;

struct Chunk {
    std::vector<CsvRecord> records;  // blank lines left out
    std::size_t used = 0;            // records[0 .. used) belong to this block
    std::string text;                // their output rows
    BatchCount count;
    bool done = false;
    unsigned worker = 0;  // the worker whose storage it is
};

// Reads the next block of records into `chunk`; false when the input has no more.
bool readBlock(CsvRecordReader& reader, Chunk& chunk) {
    chunk.used = 0;
    chunk.text.clear();
    chunk.count = {};
    std::size_t bytes = 0;
    while (chunk.used < kBlockRecords && bytes < kBlockBytes) {
        if (chunk.records.size() == chunk.used) chunk.records.emplace_back();
        CsvRecord& record = chunk.records[chunk.used];
        if (!reader.next(record)) break;
        if (record.blank()) continue;
        ++chunk.used;
        for (const std::string& f : record.fields) bytes += f.size() + 1;
        if (record.refusal) bytes += record.refusal->size();
    }
    return chunk.used > 0;
}

// The output rows of a block's records.
void calculateChunk(const std::vector<std::string>& header, Chunk& chunk) {
    const ScopedSteamTableState oneState;  // the steam table files as they are now
    CaseCalculator calculator;
    std::vector<int> options;  // the option of each column
    options.reserve(header.size());
    for (const std::string& name : header) options.push_back(optionOf(name));
    JoinedMessages shown;
    const ScopedThreadMessageSink guard(shown);
    for (std::size_t r = 0; r < chunk.used; ++r) {
        appendCaseRow(chunk.text, header, options, chunk.records[r], chunk.count, calculator,
                      shown);
    }
}

void writeChunk(std::ostream& out, const Chunk& chunk) {
    out.write(chunk.text.data(), static_cast<std::streamsize>(chunk.text.size()));
}

// The cases on `jobs` threads: this one and jobs - 1 helpers, with no writer of their own (with
// as many threads as processors, a writer would take a processor from a calculating thread at
// every block). Each thread takes the reader in turn for its next block of records, so the rows
// are split where they are calculated, and the thread that finishes the block at the front of
// the line writes the finished blocks in input order, so that a block is out as soon as those
// before it are, even while another thread waits for rows that come slowly through a pipe. This
// thread reads only when no other thread is reading, and asks whether the batch was interrupted
// (a question its caller set up for this thread) after each block it calculates or writes and
// whenever it wakes. At most two blocks per thread are held, read or being read, so the memory
// used stays the same whatever the number of cases.
BatchCount calculateOnThreads(CsvRecordReader& reader, std::ostream& out,
                              const std::vector<std::string>& header, unsigned jobs) {
    std::mutex mutex;        // guards everything below but the reader
    std::mutex readerMutex;  // one block read at a time, taken in input order
    std::condition_variable chunkDone, roomMade;
    std::deque<std::shared_ptr<Chunk>> unwritten;  // every block read and held, in input order
    std::size_t reading = 0;  // blocks with room taken for them, not yet in `unwritten`
    // Written blocks, kept for their storage, each for the thread that made it: a block stays
    // with one thread, in its cache and its allocator's memory.
    std::vector<std::vector<std::shared_ptr<Chunk>>> spare(jobs);
    const std::size_t held = 2 * static_cast<std::size_t>(jobs);
    bool inputEnded = false;
    bool stopped = false;  // interrupted, or the output or a thread failed
    bool writing = false;  // a thread is writing finished blocks
    BatchCount count;      // of the blocks written
    std::exception_ptr failure;

    const auto stop = [&] {  // with the mutex held, as in every function below
        stopped = true;
        roomMade.notify_all();
        chunkDone.notify_all();
    };
    const auto fail = [&](std::exception_ptr e) {
        if (!failure) failure = std::move(e);
        stop();
    };
    const auto hasRoom = [&] { return unwritten.size() + reading < held; };
    // Reads the next block for thread `worker`, which holds the reader and has taken room for
    // the block, and puts it in line; none once the input has ended or the batch stopped.
    // Releases `lock` on the mutex while it reads.
    const auto readNext = [&](unsigned worker,
                              std::unique_lock<std::mutex>& lock) -> std::shared_ptr<Chunk> {
        std::vector<std::shared_ptr<Chunk>>& own = spare[worker];
        std::shared_ptr<Chunk> chunk;
        bool read = false;
        if (!stopped && !inputEnded) {
            if (!own.empty()) {
                chunk = std::move(own.back());
                own.pop_back();
            }
            lock.unlock();
            std::exception_ptr failed;
            try {
                if (!chunk) {
                    chunk = std::make_shared<Chunk>();
                    chunk->worker = worker;
                }
                chunk->done = false;
                read = readBlock(reader, *chunk);
            } catch (...) {
                failed = std::current_exception();
            }
            lock.lock();
            if (failed) fail(failed);
        }
        --reading;
        if (read && !stopped) {
            unwritten.push_back(chunk);  // still in input order: the reader is held
            return chunk;
        }
        inputEnded = true;
        if (chunk) own.push_back(std::move(chunk));
        roomMade.notify_all();
        return nullptr;
    };
    // Asked by this thread only (releasing `lock` meanwhile). A check that fails ends the batch
    // with its error, raised once the other threads are done.
    bool interrupted = false;
    const auto askForInterrupt = [&](std::unique_lock<std::mutex>& lock) {
        lock.unlock();
        bool interrupt = false;
        std::exception_ptr failed;
        try {
            interrupt = batchInterruptRequested();
        } catch (...) {
            failed = std::current_exception();
        }
        lock.lock();
        if (failed) fail(failed);
        if (interrupt) {
            // Every thread finishes the block it holds and reads no more.
            interrupted = true;
            stop();
        }
    };
    // The finished blocks at the front of the line, written by the thread that holds `writing`.
    const auto writeFront = [&](std::unique_lock<std::mutex>& lock, bool asks) {
        while (!unwritten.empty() && unwritten.front()->done) {
            std::shared_ptr<Chunk> front = std::move(unwritten.front());
            unwritten.pop_front();
            if (!stopped) {
                lock.unlock();
                std::exception_ptr failed;
                try {
                    count += front->count;
                    writeChunk(out, *front);
                } catch (...) {
                    failed = std::current_exception();
                }
                lock.lock();
                if (failed) fail(failed);
                if (!out) stop();
                if (asks) askForInterrupt(lock);
            }
            spare[front->worker].push_back(std::move(front));
            roomMade.notify_all();
        }
    };
    // Writes the finished blocks at the front of the line unless another thread is at it
    // (releasing `lock` while it writes); once stopped, nothing more is written. This thread
    // asks for an interrupt after each block it writes: its writing can go on for as long as
    // the others finish blocks.
    const auto writeFinished = [&](std::unique_lock<std::mutex>& lock, bool asks) {
        if (writing) return;
        writing = true;
        const auto handBack = [&] {
            writing = false;
            chunkDone.notify_all();
        };
        try {
            writeFront(lock, asks);
        } catch (...) {  // out of memory, say: the next writer, or the end, must not wait for it
            handBack();
            throw;
        }
        handBack();
    };
    const auto calculate = [&](Chunk& chunk, std::unique_lock<std::mutex>& lock, bool asks) {
        lock.unlock();
        std::exception_ptr failed;
        try {
            calculateChunk(header, chunk);
        } catch (...) {  // not a case's own failure (out of memory, say): ends the batch
            failed = std::current_exception();
        }
        lock.lock();
        if (failed) fail(failed);
        chunk.done = true;
        writeFinished(lock, asks);
    };

    const auto help = [&](unsigned worker) {
        std::unique_lock lock(mutex);
        try {
            while (true) {
                roomMade.wait(lock, [&] { return stopped || inputEnded || hasRoom(); });
                if (stopped || inputEnded) break;
                ++reading;
                lock.unlock();
                std::unique_lock readerLock(readerMutex);
                lock.lock();
                const std::shared_ptr<Chunk> chunk = readNext(worker, lock);
                readerLock.unlock();
                chunkDone.notify_all();  // the reader is free for the calling thread
                if (!chunk) break;
                calculate(*chunk, lock, false);
            }
        } catch (...) {
            if (!lock.owns_lock()) lock.lock();
            fail(std::current_exception());
        }
    };
    std::vector<std::jthread> helpers;
    helpers.reserve(jobs - 1);
    for (unsigned j = 1; j < jobs; ++j) helpers.emplace_back(help, j);

    std::unique_lock lock(mutex);
    try {
        while (true) {
            writeFinished(lock, true);
            const bool over = stopped || inputEnded;
            if (over && unwritten.empty() && reading == 0 && !writing) break;
            if (!over && hasRoom()) {
                std::unique_lock readerLock(readerMutex, std::try_to_lock);
                if (readerLock.owns_lock()) {
                    ++reading;
                    const std::shared_ptr<Chunk> chunk = readNext(0, lock);
                    readerLock.unlock();
                    if (chunk) calculate(*chunk, lock, true);
                    askForInterrupt(lock);
                    continue;
                }
            }
            chunkDone.wait(lock);  // for a finished block, the reader, or the end
            askForInterrupt(lock);
        }
    } catch (...) {
        if (!lock.owns_lock()) lock.lock();
        stop();
        lock.unlock();
        helpers.clear();
        throw;
    }
    lock.unlock();
    helpers.clear();  // joins the helpers
    if (failure) std::rethrow_exception(failure);
    if (interrupted) throw BatchInterrupted();
    return count;
}

}  // namespace

FlueGasCase parseFlueGasCase(const std::vector<std::pair<std::string, std::string>>& options) {
    FlueGasCase c;
    for (const auto& [name, text] : options) applyOption(c, name, text);
    return c;
}

CalculatorTable tableForCase(const FlueGasCase& c) {
    CalculatorTable table = tableForSettings(c);
    typeCells(table, c);
    return table;
}

CaseOutcome calculateCase(const FlueGasCase& c) {
    RecordingMessageSink recorder;
    const ScopedThreadMessageSink guard(recorder);
    CaseOutcome outcome{tableForCase(c), {}, {}};
    outcome.results = Calculate(outcome.table);
    outcome.messages = recorder.takeMessages();
    return outcome;
}

CaseOutcome CaseCalculator::calculate(const FlueGasCase& c) {
    const CalculatorTable* settings = tableFor(c);
    if (settings == nullptr) return calculateCase(c);
    RecordingMessageSink recorder;
    const ScopedThreadMessageSink guard(recorder);
    CaseOutcome outcome{*settings, {}, {}};
    typeCells(outcome.table, c);
    outcome.results = Calculate(outcome.table);
    outcome.messages = recorder.takeMessages();
    return outcome;
}

namespace {

// The rows typeCells types, by row: the index of the case's cell, or -1.
constexpr std::array<int, kTableRows> kCellOfRow = [] {
    std::array<int, kTableRows> cells{};
    cells.fill(-1);
    for (std::size_t i = 0; i < kRowOfCell.size(); ++i) {
        cells[static_cast<std::size_t>(kRowOfCell[i])] = static_cast<int>(i);
    }
    return cells;
}();

}  // namespace

CaseCalculator::Results CaseCalculator::results(const FlueGasCase& c) {
    const CalculatorTable* settings = tableFor(c);
    if (settings == nullptr) {
        Results out;
        CaseOutcome outcome = calculateCase(c);
        for (std::size_t i = 0; i < kResultColumns.size(); ++i) {
            out.texts[i] = outcome.table.value(kResultColumns[i].first);
        }
        out.messages = std::move(outcome.messages);
        return out;
    }
    return results(calculated(*settings, c, {}));
}

std::optional<CaseCalculator::Results> CaseCalculator::results(const FlueGasCase& c,
                                                               const CellValues& values) {
    const CalculatorTable* settings = tableFor(c);
    if (settings == nullptr) return std::nullopt;
    return results(calculated(*settings, c, values));
}

std::optional<CaseCalculator::Calculated> CaseCalculator::calculatedShowing(
    const FlueGasCase& c, const CellValues& values) {
    const CalculatorTable* settings = tableFor(c);
    if (settings == nullptr) return std::nullopt;
    return Calculated{calculatedResults(*settings, c, values), settings, {}};
}

CaseCalculator::Calculated CaseCalculator::calculated(const CalculatorTable& settings,
                                                      const FlueGasCase& c,
                                                      const CellValues& values) {
    RecordingMessageSink recorder;
    Calculated out;
    {
        const ScopedThreadMessageSink guard(recorder);
        out.results = calculatedResults(settings, c, values);
    }
    out.settings = &settings;
    out.messages = recorder.takeMessages();
    return out;
}

FlueGasResults CaseCalculator::calculatedResults(const CalculatorTable& settings,
                                                 const FlueGasCase& c, const CellValues& values) {
    // The value cells as the case's table would read them: its own cells typed over the table
    // of its settings, a cell with a value as its text would name it.
    struct Cells {
        const CalculatorTable& settings;
        const FlueGasCase& c;
        const CellValues& values;
        float operator()(int row) const {
            const int cell =
                row >= 0 && row < kTableRows ? kCellOfRow[static_cast<std::size_t>(row)] : -1;
            if (cell < 0) return settings.number(row);
            const auto k = static_cast<std::size_t>(cell);
            return values[k] ? cellNumber(*values[k]) : cellNumber(c.cells[k]);
        }
    };
    return CalculateFlueGas(flueGasNumbersOf(settings, Cells{settings, c, values}), settings.unit(),
                            NasaRecords::NotKept);
}

CaseCalculator::Results CaseCalculator::results(Calculated calculated) {
    Results out;
    for (std::size_t i = 0; i < kResultColumns.size(); ++i) {
        const int row = kResultColumns[i].first;
        if (!appendResultText(out.texts[i], calculated.results, row)) {
            out.texts[i] = calculated.settings->value(row);
        }
    }
    out.messages = std::move(calculated.messages);
    return out;
}

CalculatorTable CaseCalculator::table(const FlueGasCase& c) {
    const CalculatorTable* settings = tableFor(c);
    CalculatorTable table = settings != nullptr ? *settings : tableForSettings(c);
    typeCells(table, c);
    return table;
}

const CalculatorTable* CaseCalculator::tableFor(const FlueGasCase& c) {
    for (const auto& [key, table] : tables_) {
        if (sameSettings(key, c)) return table ? &*table : nullptr;
    }
    if (tables_.size() >= kKept) return nullptr;
    RecordingMessageSink recorder;
    std::optional<CalculatorTable> table;
    {
        const ScopedThreadMessageSink guard(recorder);
        try {
            table = tableForSettings(c);
        } catch (const AutomationError&) {
            table.reset();  // calculateCase raises it again, for the case's row
        }
    }
    if (!recorder.messages().empty() || recorder.beeps() != 0) table.reset();
    tables_.emplace_back(c, std::move(table));
    return tables_.back().second ? &*tables_.back().second : nullptr;
}

BatchCount runFlueGasBatch(std::istream& in, std::ostream& out, unsigned jobs) {
    CsvRecordReader reader(in);
    std::vector<std::string> header;
    try {
        header = readCsvHeader(reader);
    } catch (const CsvHeaderError& e) {
        throw CaseError(e.what());
    }
    // Check the names once, with empty values, so that a misspelt column stops the batch.
    for (const std::string& name : header) parseFlueGasCase({{name, ""}});
    std::vector<std::string> outHeader = header;
    for (const auto& column : kResultColumns) outHeader.emplace_back(column.second);
    outHeader.emplace_back("messages");
    writeRecord(out, outHeader);

    if (jobs > 1) return calculateOnThreads(reader, out, header, jobs);
    BatchCount count;
    Chunk chunk;
    while (out && (checkBatchInterrupt(), readBlock(reader, chunk))) {
        calculateChunk(header, chunk);
        count += chunk.count;
        writeChunk(out, chunk);
    }
    return count;
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

}  // namespace tw::fluegas

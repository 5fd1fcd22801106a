#include "CsvBatch.h"

#include <cerrno>

#include "FlueGasBatch.h"
#include "tw/MessageSink.h"

namespace twcalc {

namespace fg = tw::fluegas;

namespace {

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

void writeRecord(std::ostream& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i)
        out << (i ? "," : "") << fg::csvField(fields[i]);
    out << "\r\n";
}

}  // namespace

fg::BatchCount runCsvBatch(std::ifstream& in, const std::string& path, std::ostream& out,
                           const CsvBatch& batch) {
    errno = 0;
    fg::CsvRecordReader reader(in);
    std::vector<std::string> header;
    try {
        header = fg::readCsvHeader(reader);
    } catch (const fg::CsvHeaderError& e) {
        if (in.bad()) checkCsvInputRead(in, path);
        throw UsageError(path + ": " + e.what());
    }
    batch.checkHeader(header);
    std::vector<std::string> outHeader = header;
    outHeader.insert(outHeader.end(), batch.resultColumns.begin(), batch.resultColumns.end());
    outHeader.emplace_back("messages");
    writeRecord(out, outHeader);

    fg::BatchCount count;
    fg::CsvRecord record;
    std::vector<std::string> fields;
    while (out && reader.next(record)) {
        if (record.blank()) continue;
        if (count.cases % 64 == 0) fg::checkBatchInterrupt();
        ++count.cases;
        std::vector<std::string> row = record.fields;
        row.resize(header.size());
        std::vector<std::string> results(batch.resultColumns.size());
        tw::RecordingMessageSink recorder;
        std::string messages;
        bool calculated = false;
        try {
            if (record.refusal) throw UsageError(*record.refusal);
            if (record.fields.size() != header.size()) {
                throw UsageError("the row has " + std::to_string(record.fields.size()) +
                                 " fields, the header " + std::to_string(header.size()));
            }
            fields.clear();
            for (const std::string& field : record.fields) fields.push_back(trimmed(field));
            tw::ScopedMessageSink guard(recorder);
            calculated = batch.calculate(fields, results);
        } catch (const UsageError& e) {
            messages = e.what();
        }
        if (!calculated) ++count.refused;
        for (const tw::RecordedMessage& m : recorder.messages()) {
            messages += (messages.empty() ? "" : "\n") + m.caption + ": " + m.text;
        }
        row.insert(row.end(), results.begin(), results.end());
        row.push_back(messages);
        writeRecord(out, row);
    }
    checkCsvInputRead(in, path);
    return count;
}

void fillResults(const std::vector<std::string>& resultColumns,
                 const std::vector<std::pair<std::string, std::string>>& values,
                 std::vector<std::string>& results) {
    for (std::size_t i = 0, v = 0; i < resultColumns.size() && v < values.size(); ++i) {
        if (resultColumns[i] == values[v].first) results[i] = values[v++].second;
    }
}

}  // namespace twcalc

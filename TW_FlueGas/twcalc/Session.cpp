#include "Session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <sstream>

#include "tw/AtomicFile.h"

namespace twcalc {

void Session::addCommonOptions(CLI::App& command) {
    command.add_flag("--json", json, "Print exactly one JSON object on standard output");
    command
        .add_option_function<std::string>(
            "--lang",
            [this](const std::string& lang) {
                language = lang == "ko" ? tw::TW_Korean : tw::TW_English;
            },
            "Language of messages: en (default) or ko")
        ->check(CLI::IsMember({"en", "ko"}));
}

void Session::runs(CLI::App& command, std::function<void()> body) {
    auto shared = std::make_shared<const std::function<void()>>(std::move(body));
    command.callback([shared] { (*shared)(); });
    bodies_.push_back(
        {&command, std::move(shared), resets_.empty() ? kNoReset : resets_.size() - 1});
}

void Session::atEachRun(std::function<void()> reset) {
    resets_.push_back(std::move(reset));
}

const std::function<void()>* Session::bodyOf(const CLI::App& command) const {
    for (const Body& b : bodies_) {
        if (b.command == &command) return b.body.get();
    }
    return nullptr;
}

void Session::beginRun(bool impliedJson, const CLI::App* only) {
    json = impliedJson;
    language = tw::TW_English;
    recorder.clear();
    result.reset();
    refused = false;
    if (only != nullptr) {
        // Only `only` reads options this run: its own variables are the ones to put back.
        for (const Body& b : bodies_) {
            if (b.command == only && b.reset != kNoReset) {
                resets_[b.reset]();
                return;
            }
        }
    }
    for (const std::function<void()>& reset : resets_) reset();
}

tw::ScopedMessageSink Session::installSink() {
    return json ? tw::ScopedMessageSink(recorder) : tw::ScopedMessageSink(plainSink);
}

tw::MessageAnswer Session::PlainSink::show(std::string_view text, std::string_view caption,
                                           tw::MessageIcon icon, tw::MessageButtons buttons) {
    session_.recorder.show(text, caption, icon, buttons);
    *session_.err << caption << ": " << text << '\n';
    return tw::MessageAnswer::OK;
}

Json Session::messagesJson() const {
    // Built field by field: braces would make each field an array of two values first.
    Json::array_t list;
    list.reserve(recorder.messages().size());
    for (const tw::RecordedMessage& m : recorder.messages()) {
        Json::object_t message;
        message.reserve(3);
        message.emplace_back("caption", m.caption);
        message.emplace_back("text", m.text);
        message.emplace_back("icon", tw::iconName(m.icon));
        list.emplace_back(std::move(message));
    }
    return Json(std::move(list));
}

void Session::emit(Json object, const std::string& plain, bool withMessages) {
    if (json) {
        const bool addsMessages = withMessages || !recorder.messages().empty();
        if (addsMessages && object.is_object() && !object.contains("messages")) {
            // Growing the object in place would copy every value, its keys being const: the
            // messages go into room kept for them, or the fields move into a larger object.
            Json::object_t& fields = object.get_ref<Json::object_t&>();
            if (fields.capacity() > fields.size()) {
                fields.emplace_back("messages", messagesJson());
                result = std::move(object);
                return;
            }
            Json::object_t grown;
            grown.reserve(fields.size() + 1);
            for (auto& field : fields) grown.emplace_back(field.first, std::move(field.second));
            grown.emplace_back("messages", messagesJson());
            object = Json(std::move(grown));
        } else if (addsMessages) {
            object["messages"] = messagesJson();  // in place of one the object has
        }
        result = std::move(object);
    } else if (!plain.empty()) {
        *out << plain << (plain.back() == '\n' ? "" : "\n");
    }
}

void Session::refuse() {
    refused = true;
    result = Json{{"messages", messagesJson()}};
}

void Session::emitCsvBatch(const std::string& outPath,
                           const std::function<tw::fluegas::BatchCount(std::ostream&)>& run) {
    if (!outPath.empty()) {
        tw::AtomicFile file(outPath);
        const tw::fluegas::BatchCount count = run(file.stream());
        file.commit();
        const std::string summary = tw::fluegas::batchSummary(count, outPath);
        emit({{"cases", count.cases},
              {"refused", count.refused},
              {"out", outPath},
              {"summary", summary}},
             summary);
    } else if (json) {
        std::ostringstream csv;
        const tw::fluegas::BatchCount count = run(csv);
        emit({{"cases", count.cases}, {"refused", count.refused}, {"csv", csv.str()}}, csv.str());
    } else {
        run(*out);
    }
}

void Session::emitCsvBatch(const std::string& outPath,
                           const std::function<std::size_t(std::ostream&)>& run) {
    emitCsvBatch(outPath, [&run](std::ostream& out) {
        return tw::fluegas::BatchCount{run(out), 0};
    });
}

namespace {

// Asks the kernel to start reading the first part of a CSV file at once: a batch calculates its
// rows faster than a disk hands them over one read at a time, and what arrives meanwhile is
// cached when the reader gets there. A hint only, for regular files; taken after the batch's
// own stream is open, so that a pipe never sees a reader come and go.
void readAhead(const std::string& path) {
    constexpr off_t kAheadBytes = off_t{256} * 1024 * 1024;
    const int savedErrno = errno;  // the stream's own errors are told by it
    struct stat named {};
    if (::stat(path.c_str(), &named) == 0 && S_ISREG(named.st_mode)) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd >= 0) {
            struct stat opened {};
            if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode)) {
                ::posix_fadvise(fd, 0, kAheadBytes, POSIX_FADV_WILLNEED);
            }
            ::close(fd);
        }
    }
    errno = savedErrno;
}

}  // namespace

std::ifstream openCsvInput(const std::string& path) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int error = errno;
        throw tw::FileError("cannot read '" + path + "': " + std::strerror(error), error);
    }
    readAhead(path);
    return in;
}

void checkCsvInputRead(const std::ifstream& in, const std::string& path) {
    if (in.bad()) {
        const int error = errno;
        throw tw::FileError(
            "cannot read '" + path + "': " + (error != 0 ? std::strerror(error) : "read error"),
            error);
    }
}

namespace {

std::size_t skipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i;
}

// An optional sign, digits with an optional decimal point (at least one digit), and an optional
// exponent: what a user means by a decimal number. Words such as "nan" or "inf" are not.
bool isDecimalText(std::string_view text) {
    std::size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    const std::size_t integral = skipDigits(text, i);
    std::size_t end = integral;
    std::size_t digits = integral - i;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fraction = skipDigits(text, end + 1);
        digits += fraction - end - 1;
        end = fraction;
    }
    if (digits == 0) return false;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        end = skipDigits(text, exponent);
        if (end == exponent) return false;
    }
    return end == text.size();
}

bool isIntegerText(std::string_view text) {
    const std::size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    return i < text.size() && skipDigits(text, i) == text.size();
}

}  // namespace

float parseFloat(const std::string& text, const std::string& what) {
    if (!isDecimalText(text)) throw UsageError(what + " '" + text + "' is not a decimal number");
    float value = 0;
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    const auto r = std::from_chars(first, text.data() + text.size(), value);
    if (r.ec == std::errc::result_out_of_range || !std::isfinite(value)) {
        throw UsageError(what + " '" + text + "' is beyond the range of a single-precision number");
    }
    return value;
}

std::optional<int> parseIndex(const std::string& text) {
    if (!isIntegerText(text)) return std::nullopt;
    long long value = 0;
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    const auto r = std::from_chars(first, text.data() + text.size(), value);
    if (r.ec == std::errc::result_out_of_range || value < INT_MIN || value > INT_MAX) return -1;
    return static_cast<int>(value);
}

}  // namespace twcalc

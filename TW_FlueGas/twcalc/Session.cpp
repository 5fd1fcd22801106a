#include "Session.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "JsonWriter.h"

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
    Json list = Json::array();
    for (const tw::RecordedMessage& m : recorder.messages()) {
        list.push_back({{"caption", m.caption}, {"text", m.text}, {"icon", tw::iconName(m.icon)}});
    }
    return list;
}

void Session::emit(Json result, const std::string& plain, bool withMessages) {
    if (json) {
        if (withMessages || !recorder.messages().empty()) result["messages"] = messagesJson();
        *out << writeJson(result) << '\n';
    } else if (!plain.empty()) {
        *out << plain << (plain.back() == '\n' ? "" : "\n");
    }
}

float parseFloat(const std::string& text, const std::string& what) {
    float value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    auto r = std::from_chars(first, last, value);
    if (r.ec == std::errc::result_out_of_range) {
        throw UsageError(what + " '" + text + "' is beyond the range of a single-precision number");
    }
    if (r.ec != std::errc() || r.ptr != last) {
        throw UsageError(what + " '" + text + "' is not a decimal number");
    }
    return value;
}

std::optional<int> parseIndex(const std::string& text) {
    long long value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    auto r = std::from_chars(first, last, value);
    if (r.ptr != last || text.empty()) return std::nullopt;
    if (r.ec == std::errc::result_out_of_range || value < INT_MIN || value > INT_MAX) return -1;
    return static_cast<int>(value);
}

}  // namespace twcalc

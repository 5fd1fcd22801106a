#include "tw/MessageSink.h"

#include <atomic>
#include <iostream>

namespace tw {
namespace {

StderrMessageSink& defaultSink() {
    static StderrMessageSink sink;
    return sink;
}

std::atomic<MessageSink*> processSink{nullptr};
thread_local MessageSink* threadSink = nullptr;

MessageAnswer defaultAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return MessageAnswer::Yes;
        case MessageButtons::OK:
        case MessageButtons::OKCancel:
            break;
    }
    return MessageAnswer::OK;
}

}  // namespace

std::string_view iconName(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical:
            return "critical";
        case MessageIcon::Information:
            return "information";
        case MessageIcon::Exclamation:
            return "exclamation";
        case MessageIcon::None:
            break;
    }
    return "none";
}

MessageSink& messageSink() {
    if (threadSink != nullptr) return *threadSink;
    MessageSink* sink = processSink.load();
    return sink != nullptr ? *sink : defaultSink();
}

MessageSink* setMessageSink(MessageSink* sink) {
    return processSink.exchange(sink);
}

MessageSink* setThreadMessageSink(MessageSink* sink) noexcept {
    MessageSink* previous = threadSink;
    threadSink = sink;
    return previous;
}

void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) {
    messageSink().show(text, caption, icon, MessageButtons::OK);
}

void showMessage(const BilingualText& text, std::int32_t language, std::string_view caption,
                 MessageIcon icon) {
    if (const char* t = text.in(language)) showMessage(t, caption, icon);
}

MessageAnswer StderrMessageSink::show(std::string_view text, std::string_view caption,
                                      MessageIcon /*icon*/, MessageButtons buttons) {
    std::cerr << caption << ": " << text << '\n';
    return defaultAnswer(buttons);
}

void StderrMessageSink::beep() {
    std::cerr << '\a' << std::flush;
}

MessageAnswer RecordingMessageSink::show(std::string_view text, std::string_view caption,
                                         MessageIcon icon, MessageButtons buttons) {
    messages_.push_back({std::string(text), std::string(caption), icon, buttons});
    return answer_;
}

}  // namespace tw

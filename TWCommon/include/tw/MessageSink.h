#pragma once
// Modal message boxes of code that has no user interface of its own. The host installs the
// process-wide sink: the windows show a QMessageBox, twcalc prints or collects, tests record.
// A thread that calculates on its own (a worker of a batch) installs a sink for itself, which
// takes precedence over the process-wide one on that thread only.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tw/Language.h"

namespace tw {

enum class MessageIcon { None, Critical, Information, Exclamation };
enum class MessageButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MessageAnswer { OK, Cancel, Yes, No };

std::string_view iconName(MessageIcon icon);  // "critical", "information", "exclamation", "none"

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual MessageAnswer show(std::string_view text, std::string_view caption, MessageIcon icon,
                               MessageButtons buttons) = 0;
    virtual void beep() = 0;
};

// The sink of the calling thread: the one installed for this thread, else the process-wide
// one, else the stderr sink.
MessageSink& messageSink();
// Installs the process-wide `sink` (not owned; nullptr restores the default) and returns the
// previous one.
MessageSink* setMessageSink(MessageSink* sink);
// Installs `sink` for the calling thread only (not owned; nullptr falls back to the process-wide
// sink) and returns the thread's previous one.
MessageSink* setThreadMessageSink(MessageSink* sink) noexcept;

// Shorthand for the common case: an OK box.
void showMessage(std::string_view text, std::string_view caption,
                 MessageIcon icon = MessageIcon::Critical);
// Shows the text of `language` if it has one; language values other than Korean and English
// show nothing.
void showMessage(const BilingualText& text, std::int32_t language, std::string_view caption,
                 MessageIcon icon = MessageIcon::Critical);

// Prints "caption: text" to standard error and answers the default button (OK, or Yes).
class StderrMessageSink final : public MessageSink {
  public:
    MessageAnswer show(std::string_view text, std::string_view caption, MessageIcon icon,
                       MessageButtons buttons) override;
    void beep() override;
};

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::OK;
};

// Keeps every message in order and answers with a preset answer; used by twcalc's JSON mode
// and by tests. One recorder serves one thread.
class RecordingMessageSink final : public MessageSink {
  public:
    explicit RecordingMessageSink(MessageAnswer answer = MessageAnswer::OK) : answer_(answer) {}
    MessageAnswer show(std::string_view text, std::string_view caption, MessageIcon icon,
                       MessageButtons buttons) override;
    void beep() override { ++beeps_; }

    const std::vector<RecordedMessage>& messages() const noexcept { return messages_; }
    // The messages recorded, handed over: the sink holds none afterwards.
    std::vector<RecordedMessage> takeMessages() noexcept { return std::exchange(messages_, {}); }
    int beeps() const noexcept { return beeps_; }
    void setAnswer(MessageAnswer answer) noexcept { answer_ = answer; }
    void clear() noexcept {
        messages_.clear();
        beeps_ = 0;
    }

  private:
    std::vector<RecordedMessage> messages_;
    int beeps_ = 0;
    MessageAnswer answer_;
};

// Installs a process-wide sink for the lifetime of the guard and restores the previous one
// afterwards.
class ScopedMessageSink {
  public:
    explicit ScopedMessageSink(MessageSink& sink) : previous_(setMessageSink(&sink)) {}
    ~ScopedMessageSink() { setMessageSink(previous_); }
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

  private:
    MessageSink* previous_;
};

// Installs a sink for the calling thread for the lifetime of the guard.
class ScopedThreadMessageSink {
  public:
    explicit ScopedThreadMessageSink(MessageSink& sink) noexcept
        : previous_(setThreadMessageSink(&sink)) {}
    ~ScopedThreadMessageSink() { setThreadMessageSink(previous_); }
    ScopedThreadMessageSink(const ScopedThreadMessageSink&) = delete;
    ScopedThreadMessageSink& operator=(const ScopedThreadMessageSink&) = delete;

  private:
    MessageSink* previous_;
};

}  // namespace tw

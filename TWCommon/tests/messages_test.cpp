#include <gtest/gtest.h>

#include <thread>

#include "tw/AutomationError.h"
#include "tw/MessageSink.h"

using namespace tw;

TEST(MessageSink, HostSinkReceivesMessagesInOrderAndIsRestored) {
    MessageSink* before = &messageSink();
    RecordingMessageSink recorder;
    {
        ScopedMessageSink guard(recorder);
        showMessage("first", "Function A");
        showMessage(BilingualText{"둘째", "second"}, TW_Korean, "Function B",
                    MessageIcon::Information);
        showMessage(BilingualText{"셋째", "third"}, 7, "Function C");  // no language: no box
        messageSink().beep();
    }
    EXPECT_EQ(&messageSink(), before);
    ASSERT_EQ(recorder.messages().size(), 2u);
    EXPECT_EQ(recorder.messages()[0].text, "first");
    EXPECT_EQ(recorder.messages()[0].icon, MessageIcon::Critical);
    EXPECT_EQ(recorder.messages()[1].text, "둘째");
    EXPECT_EQ(recorder.messages()[1].caption, "Function B");
    EXPECT_EQ(recorder.beeps(), 1);
    EXPECT_EQ(iconName(MessageIcon::Exclamation), "exclamation");
}

TEST(MessageSink, AThreadsOwnSinkTakesPrecedenceOnThatThreadOnly) {
    RecordingMessageSink processWide, first, second;
    const ScopedMessageSink guard(processWide);
    auto showFrom = [](RecordingMessageSink* own, const char* text) {
        if (own == nullptr) {
            showMessage(text, "");
            return;
        }
        const ScopedThreadMessageSink threadGuard(*own);
        showMessage(text, "");
        {
            RecordingMessageSink inner;  // nested: restored afterwards
            const ScopedThreadMessageSink innerGuard(inner);
            showMessage("inner", "");
        }
        messageSink().beep();
    };
    std::thread a(showFrom, &first, "a"), b(showFrom, &second, "b"), c(showFrom, nullptr, "c");
    a.join();
    b.join();
    c.join();
    showMessage("main", "");
    ASSERT_EQ(first.messages().size(), 1u);
    EXPECT_EQ(first.messages()[0].text, "a");
    EXPECT_EQ(first.beeps(), 1);
    ASSERT_EQ(second.messages().size(), 1u);
    EXPECT_EQ(second.messages()[0].text, "b");
    // A thread without its own sink, and the main thread, use the process-wide one.
    ASSERT_EQ(processWide.messages().size(), 2u);
    EXPECT_EQ(processWide.messages()[0].text, "c");
    EXPECT_EQ(processWide.messages()[1].text, "main");
}

TEST(AutomationErrors, CarryNumberAndStandardDescription) {
    const AutomationError e(ErrorNumber::SubscriptOutOfRange);
    EXPECT_EQ(e.number(), 9);
    EXPECT_EQ(e.description(), "Subscript out of range");
    EXPECT_EQ(e.messageText(), "Error #9\nSubscript out of range");
    EXPECT_EQ(AutomationError(ErrorNumber::SetNotPermitted).description(), "Set not permitted");
    EXPECT_EQ(AutomationError(ErrorNumber::SetNotSupportedAtRuntime).description(),
              "Set not supported at runtime");
    EXPECT_THROW(checkedFloat(1e39), AutomationError);
    EXPECT_EQ(checkedFloat(1.5), 1.5f);
}

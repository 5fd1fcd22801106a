#include "QuitSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <stdexcept>

namespace tw::fluegas {
namespace {

// The write end of the pipe, read by the handler. A lock-free atomic may be used in a signal
// handler.
std::atomic<int> gWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void handOver(int signalNumber) {
    const int savedErrno = errno;
    const int fd = gWriteEnd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signalNumber);
        // write() is async-signal-safe; a full pipe already holds a request, so a lost byte
        // loses nothing.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

QuitSignals::QuitSignals(QWidget* window, QObject* parent) : QObject(parent), window_(window) {
    if (gWriteEnd.load() >= 0) throw std::logic_error("the quit signals are handed over already");
    if (::pipe2(pipe_.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("no pipe for the quit signals");
    }
    gWriteEnd.store(pipe_[1]);
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &QuitSignals::readPipe);

    struct sigaction action {};
    action.sa_handler = handOver;
    sigemptyset(&action.sa_mask);
    // The handler stays for one signal: a second one has its default effect and ends the
    // program even when the first close never finishes.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &action, &previous_[i]);
    }
}

QuitSignals::~QuitSignals() {
    notifier_.reset();
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &previous_[i], nullptr);
    }
    gWriteEnd.store(-1);
    for (int fd : pipe_) {
        if (fd >= 0) ::close(fd);
    }
}

void QuitSignals::readPipe() {
    unsigned char byte = 0;
    bool any = false;
    int last = 0;
    while (::read(pipe_[0], &byte, 1) == 1) {
        any = true;
        last = byte;
    }
    if (!any) return;
    if (!toStderr_) toStderr_ = std::make_unique<tw::ScopedMessageSink>(stderrSink_);
    signalNumber_ = last;
    emit received(last);
    if (window_) window_->close();
}

}  // namespace tw::fluegas

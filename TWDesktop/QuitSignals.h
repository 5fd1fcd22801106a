#pragma once
// Requests to end the program from outside (SIGTERM of a logout or of kill, SIGINT of Ctrl+C in
// a terminal, SIGHUP of a closed terminal) close the calculator window through its normal path,
// so that the settings are written as when the user chooses Exit. The signal handler only
// writes the signal number into a pipe; the event loop reads it and closes the window. Nobody
// may be there to answer a message box by then, so what the close has to say goes to standard
// error, and the program ends with 128 + the signal's number, as a shell expects.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <array>
#include <csignal>
#include <memory>
#include <optional>

#include "tw/MessageSink.h"

class QSocketNotifier;

namespace tw::fluegas {

class QuitSignals final : public QObject {
    Q_OBJECT
  public:
    // The signals handed over, in the order their handlers are installed.
    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

    // Installs the handlers; each signal then closes `window`. A second signal of the same kind
    // ends the program at once, should the first close get stuck. One instance at a time.
    explicit QuitSignals(QWidget* window, QObject* parent = nullptr);
    // Restores the handlers that were in place before.
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // The status the program ends with after a handed-over signal: 128 + its number, as a
    // shell reports a program ended by it; nothing while no signal came.
    std::optional<int> exitStatus() const {
        return signalNumber_ != 0 ? std::optional<int>(128 + signalNumber_) : std::nullopt;
    }

  signals:
    // A signal arrived and was handed over; the window is being closed.
    void received(int signalNumber);

  private:
    void readPipe();

    QPointer<QWidget> window_;
    std::array<int, 2> pipe_{-1, -1};
    std::array<struct sigaction, kSignals.size()> previous_{};
    std::unique_ptr<QSocketNotifier> notifier_;
    int signalNumber_ = 0;
    tw::StderrMessageSink stderrSink_;
    std::unique_ptr<tw::ScopedMessageSink> toStderr_;  // from the first signal on
};

}  // namespace tw::fluegas

#pragma once
// Requests to end the program from outside (SIGTERM of a logout or of kill, SIGINT of Ctrl+C in
// a terminal, SIGHUP of a closed terminal) close the calculator window through its normal path,
// so that the settings are written as when the user chooses Exit. The signal handler only
// writes the signal number into a pipe; the event loop reads it and closes the window.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <array>
#include <csignal>
#include <memory>

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

  signals:
    // A signal arrived and was handed over; the window is being closed.
    void received(int signalNumber);

  private:
    void readPipe();

    QPointer<QWidget> window_;
    std::array<int, 2> pipe_{-1, -1};
    std::array<struct sigaction, kSignals.size()> previous_{};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tw::fluegas

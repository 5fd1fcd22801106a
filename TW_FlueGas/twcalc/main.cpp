#include <unistd.h>

#include <csignal>
#include <iostream>

#include "Commands.h"
#include "tw/AtomicFile.h"

namespace {

// A terminal's Ctrl+C, a kill or a closed session while --out is being written: the temporary
// goes, then the signal takes its default course, so the shell sees 128 + its number.
extern "C" void endOnSignal(int signal) {
    tw::removeTemporariesOnSignal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void removeTemporariesOnQuitSignals() {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction old {};
        ::sigaction(signal, nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue;  // nohup and the like keep theirs
        struct sigaction action {};
        action.sa_handler = endOnSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace

int main(int argc, char** argv) {
    removeTemporariesOnQuitSignals();
    // Standard output through a stream that keeps the system's reason for a failed write.
    tw::DescriptorOutput out(STDOUT_FILENO);
    return twcalc::run(argc, argv, out, std::cerr);
}

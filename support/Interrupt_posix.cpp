#include "support/Interrupt.h"

#include <csignal>
#include <pthread.h>
#include <stdexcept>
#include <thread>

void WatchInterrupts(std::function<void()> onInterrupt) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    // A remote session that drops (ssh, a serial console) hangs the terminal up.
    sigaddset(&signals, SIGHUP);
    // Blocked here, the signals stay blocked in every thread started later; only the watcher
    // takes them, with sigwait.
    if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) {
        throw std::runtime_error("pthread_sigmask failed");
    }
    std::thread([signals, onInterrupt = std::move(onInterrupt)] {
        for (;;) {
            int signal = 0;
            if (sigwait(&signals, &signal) == 0) {
                onInterrupt();
            }
        }
    }).detach();
}

void InterruptedCommandEnded() {
    // Nothing waits here: a signal only requests the cancel, and the program ends by itself once
    // the command has returned.
}

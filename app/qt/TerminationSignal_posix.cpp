#include "app/qt/TerminationSignal.h"

#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The handler only writes one byte into a pipe; the event loop reads it and closes the window.
int g_pipe[2] = {-1, -1};

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void OnTerminationSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

void CatchTerminationSignals() {
    if (g_pipe[0] >= 0 || pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigset_t handled;
    sigemptyset(&handled);
    for (int signal : kSignals) {
        sigaction(signal, &action, nullptr);
        sigaddset(&handled, signal);
    }
    // A launcher may hand us these signals blocked; we handle them, so take them.
    sigprocmask(SIG_UNBLOCK, &handled, nullptr);
}

void CloseOnTerminationSignal(QWidget& window) {
    if (g_pipe[0] < 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char buffer[64];
        while (read(g_pipe[0], buffer, sizeof buffer) > 0) {
        }
        window.close();
    });
}

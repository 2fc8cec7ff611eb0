#include "tests/serial/PtyPair_posix.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

PtyPair::PtyPair(int comNumber) : Variable("QUORVEL_COM" + std::to_string(comNumber)) {
    char name[PATH_MAX] = {};
    if (::openpty(&Master, &SlaveKeeper, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    Slave = name;
    termios raw{};
    ::tcgetattr(Master, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(Master, TCSANOW, &raw);
    ::setenv(Variable.c_str(), Slave.c_str(), 1);
}

PtyPair::~PtyPair() {
    ::unsetenv(Variable.c_str());
    HangUp();
    ::close(SlaveKeeper);
}

termios PtyPair::SlaveSettings() const {
    termios settings{};
    EXPECT_EQ(::tcgetattr(SlaveKeeper, &settings), 0);
    return settings;
}

void PtyPair::Send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(Master, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        ASSERT_GT(put, 0) << "write to the pty master failed";
        done += static_cast<std::size_t>(put);
    }
}

std::string PtyPair::Received(std::size_t count, std::chrono::milliseconds wait) {
    using SteadyClock = std::chrono::steady_clock;
    const auto deadline = SteadyClock::now() + wait;
    std::string got;
    char chunk[4096];
    while (got.size() < count && SteadyClock::now() < deadline) {
        pollfd entry{Master, POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
        if (::poll(&entry, 1, static_cast<int>(left.count()) + 1) <= 0)
            continue;
        const ssize_t n = ::read(Master, chunk, sizeof chunk);
        if (n > 0)
            got.append(chunk, static_cast<std::size_t>(n));
    }
    return got;
}

void PtyPair::HangUp() {
    if (Master >= 0)
        ::close(Master);
    Master = -1;
}

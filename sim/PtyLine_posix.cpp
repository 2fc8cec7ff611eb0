// The simulator's end of a pseudo-terminal: the master side. The client opens the other end, the
// slave, as its COM port.
//
// Only the client holds the slave open. When it closes the port, the master reports a hang-up
// until the next client opens it; reads then fail at once, so every wait here looks again only
// every few milliseconds instead of spinning. A pseudo-terminal keeps what was written to it
// for whoever opens it next, unlike a real port, which loses what arrives while it is closed:
// nothing is written while nobody listens, and what the last client left unread is discarded
// when it goes, so that no stale packet opens the next transfer. A client that closes and opens
// the line again within a moment may go unnoticed; as on a real line, a request sent that soon
// after the last packet then runs into it.
#include "sim/SimLine.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// While nobody has the line open, how often to look whether a client has come.
constexpr milliseconds kAbsentCheck{10};
// The longest a write may wait for room: a client that holds the line open but does not read
// must not stop the simulator.
constexpr milliseconds kWriteLimit{2000};

std::runtime_error SystemError(const std::string& call) {
    return std::runtime_error(call + ": " + std::strerror(errno));
}

int MillisecondsUntil(SteadyClock::time_point deadline) {
    const auto left = std::chrono::ceil<milliseconds>(deadline - SteadyClock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

class PtyLine final : public SimLine {
public:
    PtyLine() {
        termios raw{};
        ::cfmakeraw(&raw);
        char name[PATH_MAX] = {};
        int slave = -1;
        if (::openpty(&master_, &slave, name, &raw, nullptr) != 0) {
            throw SystemError("openpty");
        }
        path_ = name;
        ::close(slave);
        if (::fcntl(master_, F_SETFL, O_NONBLOCK) != 0 ||
            ::fcntl(master_, F_SETFD, FD_CLOEXEC) != 0) {
            const std::runtime_error error = SystemError("fcntl");
            ::close(master_);
            throw error;
        }
    }

    ~PtyLine() override { ::close(master_); }

    const std::string& Path() const override { return path_; }

    std::string Read(std::size_t max, milliseconds wait) override {
        const auto deadline = SteadyClock::now() + wait;
        std::string bytes(max, '\0');
        for (;;) {
            const ssize_t got = ::read(master_, bytes.data(), max);
            if (got > 0) {
                present_ = true;
                bytes.resize(static_cast<std::size_t>(got));
                return bytes;
            }
            if (got < 0 && errno == EINTR) {
                continue;
            }
            // EIO: nobody has the line open at this moment, even if the next client is about
            // to. Its going ends the read, so that what it sent before and what the next client
            // sends are never taken for one packet.
            if ((got < 0 && errno == EIO && NoteAbsent()) || !WaitReadable(deadline)) {
                return {};
            }
        }
    }

    bool Write(std::string_view bytes) override {
        const auto deadline = SteadyClock::now() + kWriteLimit;
        while (!bytes.empty()) {
            if (HungUp()) {
                return false;
            }
            const ssize_t put = ::write(master_, bytes.data(), bytes.size());
            if (put > 0) {
                bytes.remove_prefix(static_cast<std::size_t>(put));
                continue;
            }
            if (put < 0 && errno == EINTR) {
                continue;
            }
            pollfd entry{master_, POLLOUT, 0};
            if (put == 0 || errno != EAGAIN ||
                ::poll(&entry, 1, MillisecondsUntil(deadline)) <= 0) {
                return false;
            }
        }
        return true;
    }

    bool TakeHangUp() override { return std::exchange(hungUp_, false); }

private:
    // Waits until a byte can be read; false at the deadline or when the client goes away.
    bool WaitReadable(SteadyClock::time_point deadline) {
        for (;;) {
            pollfd entry{master_, POLLIN, 0};
            const int ready = ::poll(&entry, 1, MillisecondsUntil(deadline));
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready > 0 && (entry.revents & POLLIN) != 0) {
                return true;
            }
            if (ready == 0) {
                present_ = true; // the wait ran out without a hang-up: the line is open
                return false;
            }
            // The client's going ends the read, so that what it sent before and what the next
            // client sends are never taken for one packet.
            if ((entry.revents & POLLHUP) != 0 && NoteAbsent()) {
                return false;
            }
            if (SteadyClock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(
                std::min<SteadyClock::duration>(kAbsentCheck, deadline - SteadyClock::now()));
        }
    }

    // True when nobody has the line open.
    bool HungUp() {
        pollfd entry{master_, 0, 0};
        int ready = 0;
        do {
            ready = ::poll(&entry, 1, 0);
        } while (ready < 0 && errno == EINTR);
        if (ready > 0 && (entry.revents & POLLHUP) != 0) {
            NoteAbsent();
            return true;
        }
        return false;
    }

    // True when the client has just gone away.
    bool NoteAbsent() {
        if (!present_) {
            return false;
        }
        present_ = false;
        hungUp_ = true;
        DiscardUnread();
        return true;
    }

    // Flushing the slave's input queue takes an open slave; a client that opened the line
    // meanwhile and locked it keeps its queue, which then holds nothing stale yet.
    void DiscardUnread() const {
        const int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ::tcflush(fd, TCIFLUSH);
            ::close(fd);
        }
    }

    int master_ = -1;
    std::string path_;
    bool present_ = false;
    bool hungUp_ = false;
};

} // namespace

std::unique_ptr<SimLine> MakePtyLine() {
    return std::make_unique<PtyLine>();
}

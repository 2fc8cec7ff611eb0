// Serial ports on POSIX systems: a terminal device in raw mode.
//
// The descriptor is non-blocking; a read or write that has to wait does so in poll(), bounded by
// the port's time-outs and timed by the port's clock, so no call can hang on a silent line or on
// a peer that stops reading.
#include "serial/ComPortMap.h"
#include "serial/RawLine_posix.h"
#include "serial/SerialDevice.h"

#include "support/Save_Err.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/serial.h>
#endif

namespace {

struct BaudSpeed {
    std::int32_t baud;
    speed_t speed;
};

// The rates a terminal can be set to by name; others leave the port at its present rate.
constexpr BaudSpeed Speeds[] = {
    {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},     {2400, B2400},
    {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

std::optional<speed_t> SpeedFor(std::int32_t baud) {
    for (const BaudSpeed& entry : Speeds)
        if (entry.baud == baud)
            return entry.speed;
    return std::nullopt;
}

void LogDebug(const std::string& text) {
    if (DebugOn())
        WriteLog(text);
}

void LogFailure(const char* call, const std::string& deviceName, const char* reason) {
    LogDebug(std::string(call) + " " + deviceName + ": " + reason);
}

// A USB serial adapter hands received bytes on only when its latency timer runs out, 16 ms by
// default: longer than the 10 ms of silence that ends a packet, so one packet could arrive as two.
// Low latency mode passes bytes on at once. Returns true when this call changed the mode; ports
// without it (pseudo-terminals, some drivers) are used as they are.
bool SwitchLowLatency(int fd, const std::string& deviceName, bool on) {
#ifdef __linux__
    serial_struct settings{};
    if (::ioctl(fd, TIOCGSERIAL, &settings) != 0) {
        LogDebug("low latency not offered by " + deviceName + ": " + std::strerror(errno));
        return false;
    }
    constexpr int kLowLatency = static_cast<int>(ASYNC_LOW_LATENCY);
    if (((settings.flags & kLowLatency) != 0) == on)
        return false;
    settings.flags = on ? settings.flags | kLowLatency : settings.flags & ~kLowLatency;
    if (::ioctl(fd, TIOCSSERIAL, &settings) != 0) {
        LogDebug("low latency not set on " + deviceName + ": " + std::strerror(errno));
        return false;
    }
    LogDebug(std::string("low latency ") + (on ? "on for " : "off again for ") + deviceName);
    return true;
#else
    (void)fd;
    (void)deviceName;
    (void)on;
    return false;
#endif
}

class PosixSerialDevice final : public SerialDevice {
public:
    explicit PosixSerialDevice(Clock& clock) : Time(clock) {}
    ~PosixSerialDevice() override { close(); }

    bool open(const std::string& deviceName) override {
        // O_NONBLOCK also keeps open() from waiting for a carrier on ports with modem control.
        const int fd = ::open(deviceName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            LogFailure("open", deviceName, std::strerror(errno));
            return false;
        }
        if (!::isatty(fd)) {
            LogFailure("open", deviceName, "not a serial port");
            ::close(fd);
            return false;
        }
        // TIOCEXCL keeps other programs from opening the port (root excepted); the lock also
        // keeps out cooperating programs running as root, and another object of this program.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            LogFailure("flock", deviceName,
                       errno == EWOULDBLOCK ? "port in use by another program"
                                            : std::strerror(errno));
            ::close(fd);
            return false;
        }
        ::ioctl(fd, TIOCEXCL);
        Fd = fd;
        DeviceName = deviceName;
        LowLatencySwitched = SwitchLowLatency(Fd, DeviceName, true);
        return true;
    }

    void configure(std::int32_t baud, char parity) override {
        termios line{};
        if (::tcgetattr(Fd, &line) != 0)
            return;
        SetRawLine(line, baud, parity);
        ::tcsetattr(Fd, TCSANOW, &line);
        BitsPerByte = (line.c_cflag & PARENB) != 0 ? 11 : 10;
        Baud = baud;
    }

    void setLines(bool rts, bool dtr) override {
        // Pseudo-terminals and some adapters have no modem lines; that is not an error here.
        int rtsBit = TIOCM_RTS;
        int dtrBit = TIOCM_DTR;
        ::ioctl(Fd, rts ? TIOCMBIS : TIOCMBIC, &rtsBit);
        ::ioctl(Fd, dtr ? TIOCMBIS : TIOCMBIC, &dtrBit);
    }

    void setTimeouts(const SerialTimeouts& timeouts) override { Timeouts = timeouts; }

    std::size_t read(char* buffer, std::size_t count) override {
        std::optional<Clock::TimePoint> deadline;
        for (;;) {
            const ssize_t got = ::read(Fd, buffer, count);
            if (got > 0)
                return static_cast<std::size_t>(got);
            // End of file on a terminal means the line hung up.
            const int error = got < 0 ? errno : EIO;
            if (error == EINTR)
                continue;
            if (!deadline)
                deadline = Time.Now() + Clock::Duration(Timeouts.readConstant);
            if (error == EAGAIN) {
                const short events = WaitFor(POLLIN, *deadline);
                if (events == 0)
                    return 0; // the line stayed silent
                if ((events & POLLIN) != 0)
                    continue;
            }
            // A failed read (adapter unplugged, line hung up) counts as no byte, but only after
            // the time-out: callers poll in slices and must not spin on a dead port.
            Time.Sleep(Time.Until(*deadline));
            return 0;
        }
    }

    void write(const std::string& data) override {
        std::size_t done = 0;
        std::optional<Clock::TimePoint> deadline;
        while (done < data.size()) {
            const ssize_t put = ::write(Fd, data.data() + done, data.size() - done);
            if (put > 0) {
                done += static_cast<std::size_t>(put);
                continue;
            }
            if (put < 0 && errno == EINTR)
                continue;
            if (put == 0 || errno != EAGAIN)
                return;
            if (!deadline)
                deadline = Time.Now() + WriteAllowance(Timeouts, data.size(), Baud, BitsPerByte);
            if ((WaitFor(POLLOUT, *deadline) & POLLOUT) == 0)
                return;
        }
    }

    void close() override {
        if (Fd < 0)
            return;
        // The port is left as it was found for the programs that use it after this one.
        if (LowLatencySwitched)
            SwitchLowLatency(Fd, DeviceName, false);
        ::ioctl(Fd, TIOCNXCL);
        ::close(Fd);
        Fd = -1;
    }

private:
    // Waits until the port reports one of events or the deadline passes. Returns the events
    // reported, 0 when none came.
    short WaitFor(short events, Clock::TimePoint deadline) {
        short reported = 0;
        Time.Await(Time.Until(deadline), [&](Clock::Duration limit) {
            for (;;) {
                pollfd entry{Fd, events, 0};
                const int ready = ::poll(&entry, 1, static_cast<int>(limit.count()));
                if (ready > 0)
                    reported = entry.revents;
                if (ready >= 0 || errno != EINTR)
                    return ready > 0;
                limit = std::min(limit, Time.Until(deadline)); // never beyond the wait asked for
            }
        });
        return reported;
    }

    Clock& Time;
    int Fd = -1;
    std::string DeviceName;
    bool LowLatencySwitched = false;
    SerialTimeouts Timeouts{};
    std::int32_t Baud = 0;
    int BitsPerByte = 10;
};

} // namespace

void SetRawLine(termios& line, std::int32_t baud, char parity) {
    // Built from nothing rather than by clearing bits: whatever a previous program left set
    // (upper-to-lower case mapping, CR translation, echo, XON/XOFF) would otherwise corrupt
    // packets. A break on the line is not a byte.
    const std::optional<speed_t> speed = SpeedFor(baud);
    const speed_t inSpeed = speed.value_or(::cfgetispeed(&line));
    const speed_t outSpeed = speed.value_or(::cfgetospeed(&line));
    line.c_iflag = IGNBRK;
    line.c_oflag = 0;
    line.c_lflag = 0;
    line.c_cflag = CS8 | CLOCAL | CREAD;
    if (parity == 'e' || parity == 'E')
        line.c_cflag |= PARENB;
    else if (parity == 'o' || parity == 'O')
        line.c_cflag |= PARENB | PARODD;
    // Whole bytes as soon as they come; the waiting is done in poll().
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    ::cfsetispeed(&line, inSpeed);
    ::cfsetospeed(&line, outSpeed);
}

std::string ComDeviceName(std::int32_t number) {
    const std::string variable = "QUORVEL_COM" + std::to_string(number);
    if (const char* named = std::getenv(variable.c_str()); named != nullptr && *named != '\0')
        return named;
    if (auto mapped = MappedComDevice(number))
        return *mapped;
    return "/dev/ttyS" + std::to_string(static_cast<std::int64_t>(number) - 1);
}

std::unique_ptr<SerialDevice> MakeSystemSerialDevice(Clock& clock) {
    return std::make_unique<PosixSerialDevice>(clock);
}

#include "serial/zivud232.h"

#include "support/Save_Err.h"

#include <algorithm>
#include <array>
#include <exception>
#include <utility>

namespace {

// Bit of the debug level that adds the open marker lines and the byte trace.
constexpr std::int32_t TraceBit = 8;
// The limit of a receive whose caller asks for none (maxLength < 1).
constexpr std::int32_t UnlimitedLength = 99999;
// Receive buffer kept between packets; larger packets simply grow it.
constexpr std::size_t ReservedReceive = 64 * 1024;
// The largest single read; the receive reads one byte at a time in practice.
constexpr std::size_t MaxReadChunk = 254;

char LineParity(char parity) {
    switch (parity) {
    case 'e':
    case 'o':
    case 'E':
    case 'O':
        return parity;
    default:
        return 'n';
    }
}

} // namespace

TPivotobject::TPivotobject() : TPivotobject(SystemClock()) {}

TPivotobject::TPivotobject(Clock& clock) : TPivotobject(MakeSystemSerialDevice(clock)) {}

TPivotobject::TPivotobject(std::unique_ptr<SerialDevice> device) : Device(std::move(device)) {}

TPivotobject::~TPivotobject() {
    ClosePort();
}

bool TPivotobject::OpenPort(std::int32_t number, std::int32_t baud, char parity) {
    try {
        if (DebugBit(TraceBit))
            WriteLog("+ReOpenPort");
        ClosePort();
        if (baud < 300)
            baud = 9600;
        // Numbers below 1 name no port: fail without asking the system.
        if (number >= 1 && Device->open(ComDeviceName(number))) {
            PortNumber_ = number;
            BaudRate_ = baud;
            // Configuration failures leave the port open and usable: the device may still
            // answer at whatever settings the port had.
            Device->configure(baud, LineParity(parity));
            SetControlLines(true, true);
            // Make the next SetReadTimeout differ from the cache, so the new port is always told.
            Timeouts.readConstant = 1;
            SetReadTimeout(0);
        }
        if (DebugOn())
            WriteLog("Com=" + DecStr(number) + ": " + BoolText(IsOpen()) +
                     "  Baud=" + std::to_string(baud));
        if (DebugBit(TraceBit))
            WriteLog(" OpenPort");
    } catch (const std::exception& e) {
        WriteLog(std::string("OpenPort: Exception ") + e.what());
    }
    return IsOpen();
}

void TPivotobject::ClosePort() {
    if (IsOpen()) {
        if (DebugOn())
            WriteLog("CLOSE COM" + DecStr(PortNumber_));
        SetControlLines(false, false);
        Device->close();
    }
    PortNumber_ = 0;
    BaudRate_ = 0;
}

void TPivotobject::SetControlLines(bool rts, bool dtr) {
    if (IsOpen())
        Device->setLines(rts, dtr);
    RtsOn_ = rts;
    DtrOn_ = dtr;
}

void TPivotobject::SetReadTimeout(std::int32_t ms) {
    // A negative time-out would turn into a wait of weeks on the platform; treat it as "no wait".
    std::uint32_t t = ms > 0 ? static_cast<std::uint32_t>(ms) : 0;
    // The platform waits one millisecond less than asked (0 and 1 stay as they are).
    if (t > 1)
        --t;
    if (t == Timeouts.readConstant)
        return;
    Timeouts = SerialTimeouts{SerialTimeouts::NoIntervalLimit, 0, t, 1, 0};
    if (IsOpen())
        Device->setTimeouts(Timeouts);
}

std::size_t TPivotobject::ReadBytes(std::size_t count) {
    if (!IsOpen())
        return 0;
    std::array<char, MaxReadChunk> chunk;
    const std::size_t got = Device->read(chunk.data(), std::min(count, chunk.size()));
    RxBuffer.append(chunk.data(), got);
    return got;
}

// True when a byte is waiting already (it is then read); asks the port for no time-out.
bool TPivotobject::ByteFollowsAtOnce() {
    SetReadTimeout(0);
    return ReadBytes(1) > 0;
}

void TPivotobject::ReceivePacket(std::int32_t maxLength, std::int32_t firstByteTimeout,
                                 std::int32_t gapTimeout, std::string& data) {
    ReceivePacket(maxLength, firstByteTimeout, gapTimeout, data, nullptr);
}

void TPivotobject::ReceivePacket(std::int32_t maxLength, std::int32_t firstByteTimeout,
                                 std::int32_t gapTimeout, std::string& data,
                                 const WholePacket& whole) {
    if (maxLength < 1)
        maxLength = UnlimitedLength;
    const auto limit = static_cast<std::size_t>(maxLength);
    RxBuffer.clear();
    // Kept between receives, so a packet costs no allocation once the first one has come.
    RxBuffer.reserve(std::min(limit + 1, ReservedReceive));
    SetReadTimeout(firstByteTimeout);
    std::int32_t gapInForce = firstByteTimeout;
    bool askWhole = static_cast<bool>(whole);
    for (;;) {
        const std::size_t n = ReadBytes(1);
        if (n > 0 && gapTimeout >= 0) {
            // From the second byte on, only a short pause is allowed: switch once.
            SetReadTimeout(gapTimeout);
            gapInForce = gapTimeout;
            gapTimeout = -1;
        }
        if (n == 0 || RxBuffer.size() > limit)
            break;
        if (askWhole && whole(RxBuffer)) {
            // Asked once: whatever follows without a pause makes the packet longer than whole.
            askWhole = false;
            if (!ByteFollowsAtOnce() || RxBuffer.size() > limit)
                break;
            SetReadTimeout(gapInForce);
        }
    }
    if (DebugBit(TraceBit))
        WriteLog("  RS-:" + RxBuffer);
    data.assign(RxBuffer);
    RxBuffer.clear();
}

void TPivotobject::SendPacket(const std::string& data) {
    if (!IsOpen())
        return;
    RxBuffer.clear();
    if (DebugBit(TraceBit))
        WriteLog("  RS+:" + data);
    Device->write(data);
}

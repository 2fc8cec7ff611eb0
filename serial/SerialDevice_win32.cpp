// Serial ports on Windows: the communications calls of the system.
//
// Every call's result is checked; a failing one is logged by name with the system's error code
// (when the debug level is set) and otherwise treated as the port object expects: a
// configuration that fails leaves the port usable, a failed read counts as no byte, and a write
// that the driver cuts short is continued until the write allowance has passed.
#include "serial/SerialDevice.h"

#include "support/Save_Err.h"

#include <windows.h>

#include <algorithm>
#include <limits>

namespace {

using Clock = std::chrono::steady_clock;

// Input and output queue sizes suggested to the driver.
constexpr DWORD QueueSize = 512;

class Win32SerialDevice final : public SerialDevice {
public:
    ~Win32SerialDevice() override { close(); }

    bool open(const std::string& deviceName) override {
        // Share mode 0: nobody else may open the port while we hold it.
        PortHandle = ::CreateFileA(deviceName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
        if (PortHandle == INVALID_HANDLE_VALUE) {
            LogFailure("CreateFileA", deviceName);
            return false;
        }
        DeviceName = deviceName;
        ReadFailureLogged = false;
        return true;
    }

    void configure(std::int32_t baud, char parity) override {
        // Start from what the driver has: a zeroed record would leave the XON and XOFF
        // characters at 0, which some drivers refuse even with XON/XOFF off.
        DCB dcb{};
        dcb.DCBlength = sizeof(DCB);
        if (!Check(::GetCommState(PortHandle, &dcb), "GetCommState"))
            return;
        // "115200,n,8,1": baud, parity, data and stop bits; the text names no handshake.
        const std::string text = std::to_string(baud) + "," + parity + ",8,1";
        if (!Check(::BuildCommDCBA(text.c_str(), &dcb), "BuildCommDCBA"))
            return;
        MakeRawLine(dcb);
        if (Check(::SetCommState(PortHandle, &dcb), "SetCommState")) {
            Baud = baud;
            BitsPerByte = dcb.Parity != NOPARITY ? 11 : 10;
        }
        Check(::SetupComm(PortHandle, QueueSize, QueueSize), "SetupComm");
    }

    void setLines(bool rts, bool dtr) override {
        Check(::EscapeCommFunction(PortHandle, rts ? SETRTS : CLRRTS), "EscapeCommFunction RTS");
        Check(::EscapeCommFunction(PortHandle, dtr ? SETDTR : CLRDTR), "EscapeCommFunction DTR");
    }

    void setTimeouts(const SerialTimeouts& timeouts) override {
        COMMTIMEOUTS record{};
        record.ReadIntervalTimeout = timeouts.readInterval;
        record.ReadTotalTimeoutMultiplier = timeouts.readMultiplier;
        record.ReadTotalTimeoutConstant = timeouts.readConstant;
        record.WriteTotalTimeoutMultiplier = timeouts.writeMultiplier;
        record.WriteTotalTimeoutConstant = timeouts.writeConstant;
        Check(::SetCommTimeouts(PortHandle, &record), "SetCommTimeouts");
        Timeouts = timeouts;
    }

    std::size_t read(char* buffer, std::size_t count) override {
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(count, MAXDWORD));
        if (::ReadFile(PortHandle, buffer, wanted, &got, nullptr))
            return got;
        // Callers poll in slices, so a dead port would log every slice: once per open is
        // enough to tell what happened.
        if (!ReadFailureLogged) {
            LogFailure("ReadFile", DeviceName);
            ReadFailureLogged = true;
        }
        // A failed read (adapter unplugged) counts as no byte, but only after the time-out:
        // callers poll in slices and must not spin on a dead port.
        ::Sleep(Timeouts.readConstant);
        return 0;
    }

    void write(const std::string& data) override {
        // The driver ends a write when the record's write time-out for its length has passed,
        // possibly with part of it written; the rest follows until the allowance is used up.
        const Clock::time_point deadline =
            Clock::now() + WriteAllowance(Timeouts, data.size(), Baud, BitsPerByte);
        std::size_t done = 0;
        while (done < data.size()) {
            const DWORD chunk = static_cast<DWORD>(
                std::min<std::size_t>(data.size() - done, std::numeric_limits<DWORD>::max()));
            DWORD written = 0;
            if (!::WriteFile(PortHandle, data.data() + done, chunk, &written, nullptr)) {
                LogFailure("WriteFile", DeviceName);
                break;
            }
            done += written;
            if (done < data.size() && Clock::now() >= deadline)
                break;
        }
        if (done < data.size() && DebugOn())
            WriteLog("WriteFile " + DeviceName + ": " + std::to_string(data.size() - done) +
                     " of " + std::to_string(data.size()) + " bytes not written");
    }

    void close() override {
        if (PortHandle == INVALID_HANDLE_VALUE)
            return;
        Check(::CloseHandle(PortHandle), "CloseHandle");
        PortHandle = INVALID_HANDLE_VALUE;
    }

private:
    // Binary mode, every byte passed as it is, no flow control of either kind; DTR and RTS
    // are raised and lowered by the port object itself.
    static void MakeRawLine(DCB& dcb) {
        dcb.fBinary = TRUE;
        dcb.fParity = dcb.Parity != NOPARITY;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fTXContinueOnXoff = TRUE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE; // NUL bytes are data in a TFTP packet
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fAbortOnError = FALSE; // a line error must not stop every later read and write
    }

    bool Check(BOOL result, const char* call) const {
        if (!result)
            LogFailure(call, DeviceName);
        return result != FALSE;
    }

    static void LogFailure(const char* call, const std::string& deviceName) {
        if (DebugOn())
            WriteLog(std::string(call) + " " + deviceName + ": error " +
                     std::to_string(::GetLastError()));
    }

    HANDLE PortHandle = INVALID_HANDLE_VALUE;
    std::string DeviceName;
    SerialTimeouts Timeouts{};
    std::int32_t Baud = 0;
    int BitsPerByte = 10;
    bool ReadFailureLogged = false;
};

} // namespace

std::string ComDeviceName(std::int32_t number) {
    // The short form reaches COM1 to COM9 only; higher ports need the device namespace.
    const std::string digits = std::to_string(number);
    return number <= 9 ? "COM" + digits : "\\\\.\\COM" + digits;
}

std::unique_ptr<SerialDevice> MakeSystemSerialDevice() {
    return std::make_unique<Win32SerialDevice>();
}

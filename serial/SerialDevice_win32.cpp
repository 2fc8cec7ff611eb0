// Serial ports on Windows: the communications calls of the system.
#ifdef _WIN32

#include "serial/SerialDevice.h"

#include "support/Save_Err.h"

#include <limits>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

// Input and output queue sizes suggested to the driver.
constexpr DWORD QueueSize = 512;

class Win32SerialDevice final : public SerialDevice {
public:
    ~Win32SerialDevice() override { close(); }

    bool open(const std::string& deviceName) override {
        // Share mode 0: nobody else may open the port while we hold it.
        PortHandle = ::CreateFileA(deviceName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
        if (PortHandle != INVALID_HANDLE_VALUE)
            return true;
        if (DebugOn())
            WriteLog("CreateFileA " + deviceName + ": error " + std::to_string(::GetLastError()));
        return false;
    }

    void configure(std::int32_t baud, char parity) override {
        // "115200,n,8,1": naming no handshake leaves hardware and XON/XOFF flow control off.
        const std::string text = std::to_string(baud) + "," + parity + ",8,1";
        Dcb = DCB{};
        Dcb.DCBlength = sizeof(DCB);
        ::BuildCommDCBA(text.c_str(), &Dcb);
        Dcb.fBinary = TRUE;
        ::SetCommState(PortHandle, &Dcb);
        ::SetupComm(PortHandle, QueueSize, QueueSize);
    }

    void setLines(bool rts, bool dtr) override {
        ::EscapeCommFunction(PortHandle, rts ? SETRTS : CLRRTS);
        ::EscapeCommFunction(PortHandle, dtr ? SETDTR : CLRDTR);
    }

    void setTimeouts(const SerialTimeouts& timeouts) override {
        COMMTIMEOUTS record{};
        record.ReadIntervalTimeout = timeouts.readInterval;
        record.ReadTotalTimeoutMultiplier = timeouts.readMultiplier;
        record.ReadTotalTimeoutConstant = timeouts.readConstant;
        record.WriteTotalTimeoutMultiplier = timeouts.writeMultiplier;
        record.WriteTotalTimeoutConstant = timeouts.writeConstant;
        ::SetCommTimeouts(PortHandle, &record);
        ReadTimeout = timeouts.readConstant;
    }

    std::size_t read(char* buffer, std::size_t count) override {
        DWORD got = 0;
        if (::ReadFile(PortHandle, buffer, static_cast<DWORD>(count), &got, nullptr))
            return got;
        // A failed read (adapter unplugged) counts as no byte, but only after the time-out:
        // callers poll in slices and must not spin on a dead port.
        ::Sleep(ReadTimeout);
        return 0;
    }

    void write(const std::string& data) override {
        if (data.size() > std::numeric_limits<DWORD>::max())
            return;
        DWORD written = 0;
        ::WriteFile(PortHandle, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    }

    void close() override {
        if (PortHandle == INVALID_HANDLE_VALUE)
            return;
        ::CloseHandle(PortHandle);
        PortHandle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE PortHandle = INVALID_HANDLE_VALUE;
    DCB Dcb{};
    DWORD ReadTimeout = 0;
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

#endif // _WIN32

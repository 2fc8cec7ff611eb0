// The simulator on a serial port of the system, through the same port backend as the client's.
#include "sim/SimLine.h"

#include "serial/SerialDevice.h"

#include <stdexcept>

namespace {

constexpr std::int32_t kDeviceBaud = 115200;

class TtyLine final : public SimLine {
public:
    explicit TtyLine(std::string path) : path_(std::move(path)), device_(MakeSystemSerialDevice()) {
        if (!device_->open(path_)) {
            throw std::runtime_error("cannot open serial port \"" + path_ +
                                     "\": it is missing, in use or no serial port");
        }
        device_->configure(kDeviceBaud, 'n');
        device_->setLines(true, true);
    }

    ~TtyLine() override {
        device_->setLines(false, false);
        device_->close();
    }

    const std::string& Path() const override { return path_; }

    std::string Read(std::size_t max, std::chrono::milliseconds wait) override {
        const auto waitMs = static_cast<std::uint32_t>(wait.count() > 0 ? wait.count() : 0);
        if (waitMs != timeouts_.readConstant) {
            timeouts_ = {SerialTimeouts::NoIntervalLimit, 0, waitMs, 1, 0};
            device_->setTimeouts(timeouts_);
        }
        std::string bytes(max, '\0');
        bytes.resize(device_->read(bytes.data(), max));
        return bytes;
    }

    bool Write(std::string_view bytes) override {
        device_->write(std::string(bytes));
        return true;
    }

    // A serial port does not tell when the other side closes.
    bool TakeHangUp() override { return false; }

private:
    std::string path_;
    std::unique_ptr<SerialDevice> device_;
    // Impossible as a wait, so that the first read sets the time-outs.
    SerialTimeouts timeouts_{0, 0, 0xFFFFFFFF, 0, 0};
};

} // namespace

std::unique_ptr<SimLine> MakeTtyLine(const std::string& path) {
    return std::make_unique<TtyLine>(path);
}

#include "serial/SerialDevice.h"

std::chrono::milliseconds WriteAllowance(const SerialTimeouts& timeouts, std::size_t bytes,
                                         std::int32_t baud, int bitsPerByte) {
    const auto count = static_cast<std::int64_t>(bytes);
    const auto perRecord =
        static_cast<std::int64_t>(timeouts.writeMultiplier) * count + timeouts.writeConstant;
    const auto onWire = baud > 0 ? count * bitsPerByte * 1000 / baud : 0;
    return std::chrono::milliseconds(perRecord + onWire);
}

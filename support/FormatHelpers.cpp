// The small number-formatting helpers declared with the diagnostic log.
#include "support/Save_Err.h"

namespace {

std::string Hex(std::uint32_t value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) {
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    }
    return text;
}

} // namespace

std::string DecStr(std::int32_t value) {
    return std::to_string(value);
}

std::string Dec2(std::int32_t value) {
    std::string text = std::to_string(value);
    if (text.size() < 2) {
        text.insert(0, 1, '0');
    }
    return text;
}

std::string Hex2(std::uint32_t value) {
    return Hex(value, 2);
}

std::string Hex4(std::uint32_t value) {
    return Hex(value, 4);
}

std::string Hex6(std::uint32_t value) {
    return Hex(value, 6);
}

std::string BoolText(bool value) {
    return value ? "TRUE " : "FALSE";
}

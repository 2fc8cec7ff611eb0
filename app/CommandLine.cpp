#include "app/CommandLine.h"

#include "app/Main.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return 99;
}

// Removes a hexadecimal prefix from text and tells whether there was one.
bool TakeHexPrefix(std::string_view& text) {
    for (std::string_view prefix : {"$", "0x", "0X", "x", "X"}) {
        if (text.starts_with(prefix)) {
            text.remove_prefix(prefix.size());
            return true;
        }
    }
    return false;
}

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

} // namespace

std::int32_t ConvertInteger(std::string_view text, std::int32_t fallback) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const int base = TakeHexPrefix(text) ? 16 : 10;
    if (text.empty()) {
        return fallback;
    }
    // The magnitude may reach 2^31 for the most negative value.
    const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (char c : text) {
        const int digit = DigitValue(c);
        if (digit >= base) {
            return fallback;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > limit) {
            return fallback;
        }
    }
    if (!negative && magnitude == limit) {
        return fallback;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

void TForm1::ApplyParameters(const std::vector<std::string>& params) {
    for (std::size_t i = 1; i <= kExaminedParameters; ++i) {
        const std::string param = i < params.size() ? params[i] : std::string();
        const std::size_t colon = param.find(':');
        // At most 99 characters of the value are looked at.
        const std::string_view value = colon == std::string::npos
                                           ? std::string_view()
                                           : std::string_view(param).substr(colon + 1, 99);
        if (Contains(param, "-ex")) {
            ReraiseErrors = true;
        }
        if (Contains(param, "-p") && colon != std::string::npos) {
            TargetPort = ConvertInteger(value, TargetPort);
            ui_.SetText(Control::LblPort, "(target port=" + std::to_string(TargetPort) + ")");
        }
        if (Contains(param, "-t") && colon != std::string::npos) {
            SetTimeoutSeconds(std::max(1, ConvertInteger(value, ui_.Value(Control::seTO))));
        }
        if (Contains(param, "-f") && colon != std::string::npos) {
            SerialGap = std::max(1, ConvertInteger(value, SerialGap));
        }
    }
}

#include "support/IntText.h"

#include <algorithm>

namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return 99;
}

std::uint64_t Magnitude(std::int64_t value) {
    return value < 0 ? static_cast<std::uint64_t>(-(value + 1)) + 1
                     : static_cast<std::uint64_t>(value);
}

// Removes a hexadecimal prefix from text and tells whether there was one.
bool TakeHexPrefix(std::string_view& text, IntSyntax syntax) {
    for (std::string_view prefix : {"$", "0x", "0X", "x", "X"}) {
        if (prefix.size() == 1 && prefix != "$" && !syntax.bareX) {
            continue;
        }
        if (text.starts_with(prefix)) {
            text.remove_prefix(prefix.size());
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<std::int64_t> ParseInteger(std::string_view text, IntSyntax syntax, std::int64_t min,
                                         std::int64_t max) {
    bool negative = false;
    if (syntax.sign && !text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const int base = syntax.hex && TakeHexPrefix(text, syntax) ? 16 : 10;
    if (text.empty()) {
        return std::nullopt;
    }
    // Digits stop counting as soon as the magnitude passes the range: nothing can overflow.
    const std::uint64_t limit = std::max(Magnitude(min), Magnitude(max));
    std::uint64_t magnitude = 0;
    for (const char c : text) {
        const auto digit = static_cast<std::uint64_t>(DigitValue(c));
        if (digit >= static_cast<std::uint64_t>(base) || digit > limit ||
            magnitude > (limit - digit) / static_cast<std::uint64_t>(base)) {
            return std::nullopt;
        }
        magnitude = magnitude * static_cast<std::uint64_t>(base) + digit;
    }
    if (!negative && magnitude > static_cast<std::uint64_t>(INT64_MAX)) {
        return std::nullopt;
    }
    // The magnitude of a negative value may reach 2^63, one more than any positive one.
    const std::int64_t value = !negative        ? static_cast<std::int64_t>(magnitude)
                               : magnitude == 0 ? 0
                                                : -static_cast<std::int64_t>(magnitude - 1) - 1;
    if (value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    const std::optional<std::int64_t> value =
        ParseInteger(text, {.sign = true, .hex = true}, INT32_MIN, INT32_MAX);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
}

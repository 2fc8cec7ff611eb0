// Integer text as the settings file and the "DEBUG" marker hold it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Reads a signed 32-bit integer: an optional sign, then decimal digits, or hexadecimal digits
// after "$", "0x" or "0X". Nothing else may follow, no blanks included. Empty when the text is
// not such an integer or its value lies outside the signed 32-bit range (hexadecimal too:
// "$FFFFFFFF" is not -1).
std::optional<std::int32_t> ParseInt32(std::string_view text);

// The command-line options of the window: "-ex", "-p:<port>", "-t:<seconds>", "-f:<ms>".
#pragma once

#include <cstdint>
#include <string_view>

// Only the first ten parameters after the program name are examined.
inline constexpr int kExaminedParameters = 10;

// Converts an option value to a 32-bit integer: leading blanks, an optional sign, then decimal
// digits, or hexadecimal digits after "$", "x" or "0x". Anything else (trailing characters, no
// digits, a value outside the 32-bit range) gives fallback.
std::int32_t ConvertInteger(std::string_view text, std::int32_t fallback);

// Integer text, the one way the whole program reads a number: from the command lines, the
// settings file, the "DEBUG" marker and the device.
//
// No text can make it fail other than by saying "no number": it throws nothing, and a number too
// large for its range, however many digits it has, is simply not a valid one.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// What an integer text may hold besides decimal digits.
struct IntSyntax {
    bool sign = false;  // a leading "+" or "-"
    bool hex = false;   // hexadecimal digits after "$", "0x" or "0X" (following the sign)
    bool bareX = false; // with hex: after a lone "x" or "X" as well
};

// The integer of text, which holds nothing else (no blanks), when it lies from min to max;
// empty otherwise.
std::optional<std::int64_t> ParseInteger(std::string_view text, IntSyntax syntax, std::int64_t min,
                                         std::int64_t max);

// A signed 32-bit integer as the settings file and the "DEBUG" marker hold it: an optional sign,
// then decimal digits, or hexadecimal digits after "$", "0x" or "0X". Hexadecimal is a magnitude
// too: "$FFFFFFFF" is out of range, not -1.
std::optional<std::int32_t> ParseInt32(std::string_view text);

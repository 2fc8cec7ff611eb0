#include "tests/kit/Bytes.h"

std::string PatternBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + seed + i / 251) & 0xFF);
    }
    return bytes;
}

// Test data: bytes that differ from block to block of any size, so that a block stored in the
// wrong place or twice shows, with every byte value from 0 to 255 in it.
#pragma once

#include <cstddef>
#include <string>

// size bytes; another seed gives other bytes of the same size.
std::string PatternBytes(std::size_t size, unsigned seed = 0);

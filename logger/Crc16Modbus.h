// CRC-16/MODBUS, the checksum that closes every block of a logger file.
#pragma once

#include <cstddef>
#include <cstdint>

// Register preset to 0xFFFF, reflected polynomial 0xA001, no final XOR. Over a block whose last
// two bytes hold the checksum of the bytes before them (low byte first) the result is 0.
std::uint16_t Crc16Modbus(const std::uint8_t* bytes, std::size_t length);

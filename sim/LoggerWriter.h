// Writing logger files in the device's format: blocks of big-endian words that start with the
// identification 0x1968, carry register groups and end with a CRC-16/MODBUS (low byte first).
// The device simulator serves files made here, and the tests build their input with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Registers start, start+1, ... receive values in order.
struct RegisterGroup {
    std::uint16_t start = 0;
    std::vector<std::uint16_t> values;
};

// Words between the identification and the checksum of a full block.
inline constexpr std::size_t kBlockPayloadWords = 254;

// One block: identification, payload, checksum. Throws std::length_error for a payload of more
// than kBlockPayloadWords words.
std::string EncodeLoggerBlock(const std::vector<std::uint16_t>& payload);

// The payload words of groups: start, count and the values of each, in order.
std::vector<std::uint16_t> GroupWords(const std::vector<RegisterGroup>& groups);

// A whole file carrying the groups in the given order. A group that does not fit into the rest
// of a block is split and continued in the next; every block but the last is filled up to its
// 512 bytes with zero words, which read as empty groups. No groups give one block without any.
// Throws std::length_error for a group that runs past register 65535.
std::string EncodeLoggerFile(const std::vector<RegisterGroup>& groups);

// The device's event logger as a register image: a ring of 500 event records of eight 16-bit
// registers each (registers 61000 to 64999), three further registers (65000 to 65002) and the
// slot number of the newest record (65003).
#pragma once

#include <array>
#include <cstdint>

inline constexpr std::uint32_t kFirstLoggerRegister = 61000;
inline constexpr std::uint32_t kNewestSlotRegister = 65003;
inline constexpr std::uint32_t kLoggerRegisterCount =
    kNewestSlotRegister - kFirstLoggerRegister + 1;
inline constexpr unsigned kLoggerSlots = 500;
inline constexpr unsigned kRegistersPerSlot = 8;

// One event record. The device packs two timestamp bytes into each of the first three registers
// (high byte first) and stores par3 low register first.
struct LoggerRecord {
    std::uint8_t year = 0; // within the century: the year is 2000 + year
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint16_t code = 0; // 0 marks an empty slot
    std::uint16_t par1 = 0;
    std::uint16_t par2 = 0;
    std::uint32_t par3 = 0;

    bool operator==(const LoggerRecord&) const = default;
};

using RecordRegisters = std::array<std::uint16_t, kRegistersPerSlot>;

LoggerRecord DecodeRecord(const RecordRegisters& registers);
RecordRegisters EncodeRecord(const LoggerRecord& record);

inline bool IsLoggerRegister(std::uint32_t number) {
    return number >= kFirstLoggerRegister && number <= kNewestSlotRegister;
}

// Register values as read from a logger file; registers no group delivered stay 0.
struct LoggerImage {
    std::array<std::uint16_t, kLoggerRegisterCount> registers{};
    bool FirstSlotSeen = false;  // some group delivered register 61000
    bool NewestSlotSeen = false; // some group delivered register 65003

    // number must satisfy IsLoggerRegister.
    std::uint16_t Register(std::uint32_t number) const {
        return registers[number - kFirstLoggerRegister];
    }
    void SetRegister(std::uint32_t number, std::uint16_t value) {
        registers[number - kFirstLoggerRegister] = value;
    }

    // The newest slot as the device stored it; not necessarily below 500.
    std::uint16_t NewestSlot() const { return Register(kNewestSlotRegister); }

    // slot below kLoggerSlots.
    LoggerRecord Record(unsigned slot) const;
    void SetRecord(unsigned slot, const LoggerRecord& record);
};

#include "logger/LoggerImage.h"

namespace {

std::uint16_t Pack(std::uint8_t high, std::uint8_t low) {
    return static_cast<std::uint16_t>(high << 8 | low);
}

std::uint8_t High(std::uint16_t word) {
    return static_cast<std::uint8_t>(word >> 8);
}
std::uint8_t Low(std::uint16_t word) {
    return static_cast<std::uint8_t>(word & 0xFF);
}

std::uint32_t SlotBase(unsigned slot) {
    return kFirstLoggerRegister + slot * kRegistersPerSlot;
}

} // namespace

LoggerRecord DecodeRecord(const RecordRegisters& r) {
    LoggerRecord record;
    record.year = High(r[0]);
    record.month = Low(r[0]);
    record.day = High(r[1]);
    record.hour = Low(r[1]);
    record.minute = High(r[2]);
    record.second = Low(r[2]);
    record.code = r[3];
    record.par1 = r[4];
    record.par2 = r[5];
    record.par3 = static_cast<std::uint32_t>(r[7]) << 16 | r[6];
    return record;
}

RecordRegisters EncodeRecord(const LoggerRecord& record) {
    return {Pack(record.year, record.month),
            Pack(record.day, record.hour),
            Pack(record.minute, record.second),
            record.code,
            record.par1,
            record.par2,
            static_cast<std::uint16_t>(record.par3 & 0xFFFF),
            static_cast<std::uint16_t>(record.par3 >> 16)};
}

LoggerRecord LoggerImage::Record(unsigned slot) const {
    RecordRegisters r;
    for (unsigned i = 0; i < kRegistersPerSlot; ++i)
        r[i] = Register(SlotBase(slot) + i);
    return DecodeRecord(r);
}

void LoggerImage::SetRecord(unsigned slot, const LoggerRecord& record) {
    const RecordRegisters r = EncodeRecord(record);
    for (unsigned i = 0; i < kRegistersPerSlot; ++i)
        SetRegister(SlotBase(slot) + i, r[i]);
}

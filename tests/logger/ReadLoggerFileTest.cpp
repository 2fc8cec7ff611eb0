// Reading logger files: block checks, the messages and which one wins, register groups at the
// edges of a block, and malformed groups.
#include "logger/ReadLoggerFile.h"
#include "logger/Crc16Modbus.h"
#include "sim/LoggerWriter.h"

#include "tests/kit/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace {

const std::string kNoLoggerData = "file contains no logger data (wrong range of registers)";
// Identification, group of register 65003 with value 7, checksum low byte first.
constexpr char kNewestOnly[] = "\x19\x68\xFD\xEB\x00\x01\x00\x07\x49\x53";

// A block filled with zero words up to its full 512 bytes, as every block but the last must be.
std::string FullBlock(const std::vector<RegisterGroup>& groups) {
    std::vector<std::uint16_t> payload = GroupWords(groups);
    payload.resize(kBlockPayloadWords, 0);
    return EncodeLoggerBlock(payload);
}

std::string Corrupted(std::string block) {
    block[5] ^= 0x01;
    return block;
}

} // namespace

TEST(ReadLoggerFileTest, ChecksumAndBlockLayoutMatchTheDevice) {
    EXPECT_EQ(Crc16Modbus(reinterpret_cast<const std::uint8_t*>("123456789"), 9), 0x4B37);
    EXPECT_EQ(EncodeLoggerBlock({65003, 1, 7}), std::string(kNewestOnly, 10));

    TempFolder dir;
    WriteFile(dir / "plog.zel", std::string(kNewestOnly, 10));
    const LoggerReadResult read = ReadLoggerFile(dir / "plog.zel");
    EXPECT_EQ(read.message, "");
    EXPECT_EQ(read.image.NewestSlot(), 7);
    EXPECT_TRUE(read.image.NewestSlotSeen);
    EXPECT_FALSE(read.image.FirstSlotSeen);
    EXPECT_EQ(std::count(read.image.registers.begin(), read.image.registers.end(), 0), 4003);
}

TEST(ReadLoggerFileTest, RecordFieldsFollowTheDevicesByteOrder) {
    // 2021-12-31 23:59:58, code 17, par1 0x0102, par2 0x0304, par3 low register 0x0506 first.
    const LoggerReadResult read = ReadLoggerData(EncodeLoggerBlock(
        {61000, 8, 0x150C, 0x1F17, 0x3B3A, 0x0011, 0x0102, 0x0304, 0x0506, 0x0708}));
    ASSERT_EQ(read.message, "");
    EXPECT_EQ(read.image.Record(0),
              (LoggerRecord{21, 12, 31, 23, 59, 58, 17, 0x0102, 0x0304, 0x07080506}));
}

TEST(ReadLoggerFileTest, UnusableFilesEndWithNoLoggerData) {
    TempFolder dir;
    WriteFile(dir / "empty.zel", "");
    WriteFile(dir / "text.zel", "this is a text file and no logger at all\n");
    WriteFile(dir / "badcrc.zel", Corrupted(EncodeLoggerBlock({65003, 1, 7})));
    WriteFile(dir / "foreign.zel", EncodeLoggerBlock({1000, 2, 1, 2}));
    // The last two cannot be opened or read: their file error is replaced as well.
    for (const char* name : {"empty.zel", "text.zel", "badcrc.zel", "foreign.zel", "missing", ""})
        EXPECT_EQ(ReadLoggerFile(dir / name).message, kNoLoggerData) << name;
}

TEST(ReadLoggerFileTest, BadBlockAfterLoggerDataReportsItselfAndStopsReading) {
    const std::string first = FullBlock({{61000, {0x1501, 0x0203}}});
    const std::string later = EncodeLoggerBlock({61002, 1, 9});

    const LoggerReadResult foreign = ReadLoggerData(first + "PK" + later.substr(2));
    EXPECT_EQ(foreign.message, "no zel-500 data");
    EXPECT_EQ(foreign.image.Register(61000), 0x1501); // blocks before the bad one stay

    const LoggerReadResult corrupt = ReadLoggerData(first + Corrupted(FullBlock({})) + later);
    EXPECT_EQ(corrupt.message, "data corrupt (wrong CRC)");
    EXPECT_EQ(corrupt.image.Register(61002), 0);
}

TEST(ReadLoggerFileTest, FileErrorReplacesBlockMessageButNotTheRangeRule) {
    LoggerBlockReader seen;
    EXPECT_TRUE(seen.AddBlock(reinterpret_cast<const std::uint8_t*>(kNewestOnly), 10));
    EXPECT_FALSE(seen.AddBlock(reinterpret_cast<const std::uint8_t*>("nonsense"), 8));
    EXPECT_EQ(std::move(seen).Finish(5).message, "file error (5)");
    EXPECT_EQ(LoggerBlockReader{}.Finish(13).message, kNoLoggerData);
}

TEST(ReadLoggerGroupsTest, GroupsMayEndAtEitherOfTheLastTwoWordsBeforeTheChecksum) {
    EXPECT_EQ(ReadLoggerData(EncodeLoggerBlock({61000, 2, 1, 2})).image.Register(61001), 2);
    // One spare word is no group header, even one that reads as register 65003 with the
    // checksum as its count.
    const LoggerReadResult spare = ReadLoggerData(EncodeLoggerBlock({61000, 2, 1, 2, 65003}));
    EXPECT_EQ(spare.message, "");
    EXPECT_FALSE(spare.image.NewestSlotSeen);
    // Two spare words are a header: an empty group, or zero padding, changes nothing.
    EXPECT_FALSE(ReadLoggerData(EncodeLoggerBlock({61000, 1, 4, 65003, 0})).image.NewestSlotSeen);
    EXPECT_EQ(ReadLoggerData(FullBlock({{65003, {9}}})).image.NewestSlot(), 9);
}

TEST(ReadLoggerGroupsTest, OnlyRegistersInsideTheLoggerRangeAreStored) {
    std::vector<std::uint16_t> twenty(20);
    std::iota(twenty.begin(), twenty.end(), 1);
    const LoggerReadResult read =
        ReadLoggerData(EncodeLoggerFile({{60990, twenty}, {64994, twenty}, {100, {1, 2}}}));
    EXPECT_EQ(read.message, "");
    EXPECT_TRUE(read.image.FirstSlotSeen && read.image.NewestSlotSeen);
    EXPECT_EQ(read.image.Register(61000), 11);
    EXPECT_EQ(read.image.Register(61009), 20);
    EXPECT_EQ(read.image.Register(61010), 0);
    EXPECT_EQ(read.image.Register(64999), 6);
    EXPECT_EQ(read.image.NewestSlot(), 10);
}

TEST(ReadLoggerGroupsTest, TrailingOddByteIsIgnored) {
    EXPECT_EQ(ReadLoggerData(std::string(kNewestOnly, 10) + "\x55").image.NewestSlot(), 7);
    const LoggerReadResult afterFull = ReadLoggerData(FullBlock({{65003, {8}}}) + "\x55");
    EXPECT_EQ(afterFull.message, "");
    EXPECT_EQ(afterFull.image.NewestSlot(), 8);
}

TEST(ReadLoggerMalformedTest, GroupValuesOutsideTheGroupAreaAreRejected) {
    // Past word 255: header at words 253 and 254 of a full block.
    std::vector<std::uint16_t> full(kBlockPayloadWords, 0);
    full[252] = 61000;
    full[253] = 5;
    EXPECT_THROW(ReadLoggerData(EncodeLoggerBlock(full)), ELoggerFormatError);
    // Past the words a short last block holds; into the checksum word; a hostile count from
    // register 1 on that reaches into the logger range.
    EXPECT_THROW(ReadLoggerData(EncodeLoggerBlock({61000, 10, 1, 2})), ELoggerFormatError);
    EXPECT_THROW(ReadLoggerData(EncodeLoggerBlock({61000, 3, 1, 2})), ELoggerFormatError);
    EXPECT_THROW(ReadLoggerData(EncodeLoggerBlock({1, 65535, 0, 0})), ELoggerFormatError);
}

TEST(ReadLoggerMalformedTest, MessageNamesTheBlockAndForeignGroupsMayRunOut) {
    const std::string first = FullBlock({{65003, {1}}});
    EXPECT_THAT(
        [&] {
            ReadLoggerData(first + EncodeLoggerBlock({64990, 20, 1}));
        },
        testing::ThrowsMessage<ELoggerFormatError>(
            testing::HasSubstr("of block 2 (registers 64990 to 65009) runs past")));
    // Registers outside the logger range are never read, so their group may claim anything.
    EXPECT_EQ(ReadLoggerData(first + EncodeLoggerBlock({100, 60000, 1, 65530, 65535, 0})).message,
              "");
}

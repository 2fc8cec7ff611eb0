// The logger file writer and the simulator's sample logger, checked through the reader.
#include "sim/LoggerWriter.h"
#include "logger/ReadLoggerFile.h"
#include "sim/SampleLogger.h"

#include <gtest/gtest.h>

#include <numeric>

TEST(LoggerWriterTest, LongGroupsAreSplitAcrossFullBlocks) {
    std::vector<std::uint16_t> values(600);
    std::iota(values.begin(), values.end(), 1);
    const std::string file = EncodeLoggerFile({{60995, values}, {65003, {}}, {64990, {1, 2}}});
    ASSERT_EQ(file.size() / 512, 2u);
    const LoggerReadResult read = ReadLoggerData(file);
    ASSERT_EQ(read.message, "");
    EXPECT_EQ(read.image.Register(61000), 6);
    EXPECT_EQ(read.image.Register(61594), 600);
    EXPECT_EQ(read.image.Register(61595), 0);
    EXPECT_EQ(read.image.Register(64991), 2);
    EXPECT_THROW(EncodeLoggerBlock(values), std::length_error);
    EXPECT_THROW(EncodeLoggerFile({{65530, {1, 2, 3, 4, 5, 6, 7}}}), std::length_error);
}

TEST(SampleLoggerTest, SampleIsDeterministicWrappedAndReadsBackAsItsImage) {
    for (unsigned seed : {1u, 2u, 77u, 4096u}) {
        const std::string file = MakeSamplePlogZel(seed);
        EXPECT_EQ(file, MakeSamplePlogZel(seed));
        EXPECT_GT(file.size(), 8 * 512u);
        const LoggerImage image = SampleLoggerImage(seed);
        // Written on past slot 499: both ends of the ring are in use.
        EXPECT_TRUE(image.Record(499).code != 0 && image.Record(0).code != 0) << seed;
        EXPECT_NE(image.NewestSlot(), 499) << seed;
        const LoggerReadResult read = ReadLoggerData(file);
        ASSERT_EQ(read.message, "") << seed;
        EXPECT_EQ(read.image.registers, image.registers) << seed;
    }
    EXPECT_NE(MakeSamplePlogZel(1), MakeSamplePlogZel(2));
}

// Converting logger files into CSV: the lines byte for byte, ring order, empty slots, the two
// settings tables, and what happens to the output file on success and failure.
#include "logger/ConvertLoggerFile.h"
#include "logger/LoggerImage.h"
#include "logger/ReadLoggerFile.h"
#include "sim/LoggerWriter.h"
#include "support/PathText.h"

#include "tests/kit/PlatformFacts.h"
#include "tests/kit/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

namespace {

using Lines = std::vector<std::string>;

const std::string kHeader = "idx;timestamp;code;par1;par2;par3;source;par1-hex;par2-hex;par3-hex;";

std::string ImageFile(const LoggerImage& image, std::size_t registers = kLoggerRegisterCount) {
    return EncodeLoggerFile(
        {{61000, std::vector<std::uint16_t>(image.registers.begin(),
                                            image.registers.begin() + registers)}});
}

LoggerRecord Event(std::uint16_t code) {
    return LoggerRecord{24, 1, 2, 3, 4, 5, code, 0, 0, 0};
}

LoggerTablesRefill Tables(Lines codes, Lines select) {
    return [=](Lines& codeTexts, Lines& selectColumns) {
        codeTexts = codes;
        selectColumns = select;
    };
}

Lines SplitLines(const std::string& csv) {
    Lines lines;
    for (std::size_t at = 0, end; (end = csv.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(csv.substr(at, end - at));
    return lines;
}

std::vector<int> IdxColumn(const std::string& csv) {
    std::vector<int> idx;
    for (const std::string& line : SplitLines(csv))
        if (line != kHeader)
            idx.push_back(std::stoi(line));
    return idx;
}

std::vector<int> Slots(int from, int count) {
    std::vector<int> slots(static_cast<std::size_t>(count));
    std::iota(slots.begin(), slots.end(), from);
    for (int& slot : slots)
        slot %= 500;
    return slots;
}

class ConvertTest : public testing::Test {
protected:
    // Converts a file into out.csv and returns the CSV text, failing on any message.
    std::string Convert(const std::string& file, bool includeEmpty,
                        const LoggerTablesRefill& tables = {}) {
        WriteFile(in, file);
        EXPECT_EQ(ConvertLoggerFile(in, out, includeEmpty, tables), "");
        return ReadFile(out);
    }

    TempFolder dir;
    const std::string in = dir / "plog.zel";
    const std::string out = dir / "plog.csv";
};

} // namespace

TEST_F(ConvertTest, LinesAreWrittenByteForByte) {
    LoggerImage image;
    image.SetRecord(12, LoggerRecord{21, 3, 4, 5, 6, 7, 17, 0, 258, 65536});
    image.SetRecord(13, LoggerRecord{99, 123, 31, 0, 9, 10, 65535, 65535, 1, 1});
    image.SetRecord(14, LoggerRecord{0, 1, 1, 0, 0, 0, 1, 0, 0, 4294967295u});
    image.SetRegister(kNewestSlotRegister, 14);
    EXPECT_EQ(Convert(ImageFile(image), false),
              kHeader + "\r\n"
                        "12;2021-03-04 05:06:07;17;0;258;65536;;;0x0102;0x00010000;\r\n"
                        "13;2099-123-31 00:09:10;65535;65535;1;1;;0xFFFF;0x0001;0x00000001;\r\n"
                        "14;2000-01-01 00:00:00;1;0;0;4294967295;;;;0xFFFFFFFF;\r\n");
}

TEST_F(ConvertTest, SlotsRunFromTheOneAfterTheNewestRoundTheRing) {
    LoggerImage image;
    for (unsigned slot = 0; slot < kLoggerSlots; ++slot)
        image.SetRecord(slot, Event(static_cast<std::uint16_t>(slot + 1)));
    for (const auto& [newest, first] : {std::pair{499, 0}, {4000, 0}, {0, 1}, {250, 251}}) {
        image.SetRegister(kNewestSlotRegister, static_cast<std::uint16_t>(newest));
        EXPECT_EQ(IdxColumn(Convert(ImageFile(image), false)), Slots(first, 500)) << newest;
    }
    // A file that never delivers register 65003 reads it as 0.
    EXPECT_EQ(IdxColumn(Convert(ImageFile(image, 4000), false)), Slots(1, 500));
}

TEST_F(ConvertTest, EmptySlotsAreLeftOutUnlessIncluded) {
    LoggerImage image;
    image.SetRegister(kNewestSlotRegister, 250);
    EXPECT_EQ(Convert(ImageFile(image), false), kHeader + "\r\n");

    const Lines all = SplitLines(Convert(ImageFile(image), true));
    ASSERT_EQ(all.size(), 501u);
    EXPECT_EQ(all[1], "251;2000-00-00 00:00:00;0;0;0;0;;;;;");
    EXPECT_EQ(all[500], "250;2000-00-00 00:00:00;0;0;0;0;;;;;");

    for (const unsigned slot : std::initializer_list<unsigned>{5, 250, 498})
        image.SetRecord(slot, Event(1));
    EXPECT_EQ(IdxColumn(Convert(ImageFile(image), false)), (std::vector<int>{498, 5, 250}));
}

TEST_F(ConvertTest, TablesFillTheSourceColumnAndTheSelectColumns) {
    LoggerImage image;
    image.SetRecord(0, Event(17));
    image.SetRecord(1, Event(18));
    image.SetRecord(2, Event(20));
    image.SetRegister(kNewestSlotRegister, 499);
    const Lines lines =
        SplitLines(Convert(ImageFile(image), false,
                           Tables({"017=zero-padded", "17=Link up", "17=second", "18", "20=a;b"},
                                  {"17=x", "no column name", "17=y", "20=z"})));
    EXPECT_EQ(lines[0], kHeader + "17;;17;20;");
    EXPECT_EQ(lines[1], "0;2024-01-02 03:04:05;17;0;0;0;Link up;;;;x;;x;;");
    EXPECT_EQ(lines[2], "1;2024-01-02 03:04:05;18;0;0;0;;;;;;;;;");
    EXPECT_EQ(lines[3], "2;2024-01-02 03:04:05;20;0;0;0;a;b;;;;;;;z;"); // nothing quoted
    EXPECT_EQ(TableValue({"Abc=1", "abc=2"}, "aBC"), "1");
}

TEST_F(ConvertTest, TablesAreRefilledForEveryConversionOfAnAcceptedFile) {
    LoggerImage image;
    image.SetRecord(0, Event(1));
    int refills = 0;
    auto counting = [&](Lines& codes, Lines&) { codes = {"1=run " + std::to_string(++refills)}; };
    EXPECT_THAT(Convert(ImageFile(image), false, counting), testing::HasSubstr(";run 1;"));
    EXPECT_THAT(Convert(ImageFile(image), false, counting), testing::HasSubstr(";run 2;"));
    WriteFile(in, "garbage");
    EXPECT_NE(ConvertLoggerFile(in, out, false, counting), "");
    EXPECT_EQ(refills, 2);
}

TEST_F(ConvertTest, RejectedInputLeavesTheOutputAlone) {
    WriteFile(out, "previous content");
    WriteFile(in, EncodeLoggerBlock({1000, 1, 1}));
    EXPECT_EQ(ConvertLoggerFile(in, out, false, {}),
              "file contains no logger data (wrong range of registers)");
    WriteFile(in, EncodeLoggerBlock({61000, 4, 1, 2}));
    EXPECT_THROW(ConvertLoggerFile(in, out, false, {}), ELoggerFormatError);
    EXPECT_EQ(ReadFile(out), "previous content");

    EXPECT_NE(ConvertLoggerFile(dir / "missing.zel", dir / "new.csv", false, {}), "");
    EXPECT_FALSE(std::filesystem::exists(FilePath(dir / "new.csv")));
}

TEST_F(ConvertTest, InputMayBeReplacedByItsOwnCsv) {
    LoggerImage image;
    image.SetRecord(3, Event(7));
    WriteFile(in, ImageFile(image));
    ASSERT_EQ(ConvertLoggerFile(in, in, false, {}), "");
    EXPECT_EQ(ReadFile(in), kHeader + "\r\n3;2024-01-02 03:04:05;7;0;0;0;;;;;\r\n");
}

TEST_F(ConvertTest, UnwritableOutputGivesFileErrorAndKeepsWhatWasThere) {
    WriteFile(in, ImageFile(LoggerImage{}));
    std::filesystem::create_directory(FilePath(dir / "folder.csv"));
    EXPECT_EQ(ConvertLoggerFile(in, dir / "folder.csv", false, {}),
              "file error (" + std::to_string(platform_facts::kFolderOpenError) + ")");
    EXPECT_EQ(ConvertLoggerFile(in, dir / "missing/out.csv", false, {}), "file error (2)");

    // The CSV is written beside the output first, under a name nobody else uses: what the user
    // keeps under such a name is left alone.
    std::filesystem::create_directory(FilePath(out + ".part"));
    WriteFile(out + ".1.part", "user's file");
    EXPECT_EQ(ConvertLoggerFile(in, out, false, {}), "");
    EXPECT_EQ(ReadFile(out), kHeader + "\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(FilePath(out + ".part")));
    EXPECT_EQ(ReadFile(out + ".1.part"), "user's file");
    EXPECT_FALSE(std::filesystem::exists(FilePath(out + ".2.part")));

    // When no scratch file can be made the old output stays whole.
    WriteFile(out, "previous content");
    for (int number = 2; number <= 99; ++number)
        WriteFile(out + "." + std::to_string(number) + ".part", "");
    EXPECT_EQ(ConvertLoggerFile(in, out, false, {}), "file error (17)");
    EXPECT_EQ(ReadFile(out), "previous content");
}

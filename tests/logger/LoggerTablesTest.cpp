// Loading the two conversion tables from the settings file, and the default CSV name.
#include "logger/LoggerTables.h"
#include "logger/DefaultCsvPath.h"

#include "tests/kit/TempFolder.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(LoggerTablesTest, SectionsAreReadInFileOrderAndTheFileIsNotWritten) {
    TempFolder dir;
    const std::string settings = "[Param]\r\nTop=5\r\n\r\n[zel-codes]\r\n1=Power on\r\n"
                                 ";comment\r\n 17 = Link up \r\n20=a=b\r\n\r\n[ZEL-Select]\r\n"
                                 "17=x\r\nno column name\r\n[other]\r\n2=no\r\n";
    WriteFile(dir / "quorvel.INI", settings);
    Lines codes{"stale"}, select{"stale"};
    LoadLoggerTables(dir / "quorvel.INI", codes, select);
    EXPECT_EQ(codes, (Lines{"1=Power on", "17=Link up", "20=a=b"}));
    EXPECT_EQ(select, (Lines{"17=x", "no column name"}));
    EXPECT_EQ(ReadFile(dir / "quorvel.INI"), settings);
}

TEST(LoggerTablesTest, MissingFileEmptiesTheTablesUnreadableOneKeepsThem) {
    TempFolder dir;
    Lines codes{"1=a"}, select{"1=b"};
    SettingsFileTables(dir / "missing.INI")(codes, select);
    EXPECT_TRUE(codes.empty());
    EXPECT_TRUE(select.empty());

    codes = {"1=a"};
    select = {"1=b"};
    LoadLoggerTables(dir / "", codes, select); // a folder cannot be read as a file
    EXPECT_EQ(codes, Lines{"1=a"});
    EXPECT_EQ(select, Lines{"1=b"});
}

TEST(DefaultCsvPathTest, ReplacesOrAppendsTheExtensionOfTheFileName) {
    EXPECT_EQ(DefaultCsvPath("/data/report.zel"), "/data/report.CSV");
    EXPECT_EQ(DefaultCsvPath("/data/log"), "/data/log.CSV");
    EXPECT_EQ(DefaultCsvPath("/data.v2/log"), "/data.v2/log.CSV");
    EXPECT_EQ(DefaultCsvPath("plog.tar.zel"), "plog.tar.CSV");
    EXPECT_EQ(DefaultCsvPath("log."), "log.CSV");
}

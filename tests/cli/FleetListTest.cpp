// The device list of a run over many devices, the file names made from it, and the report: what
// scripts and technicians write and read.
#include "cli/FleetList.h"
#include "cli/FleetReport.h"
#include "support/ArgumentScan.h"
#include "tests/kit/TempFolder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<FleetDevice> Read(const std::string& list) {
    std::istringstream in(list);
    return ReadDeviceList(in, "net.txt", 69);
}

std::string RefusalOf(const std::string& list) {
    try {
        Read(list);
    } catch (const UsageError& error) {
        return error.what();
    }
    return "accepted";
}

} // namespace

TEST(FleetList, ReadsHostsPortsAndNamesSkippingCommentsAndBlankLines) {
    const auto devices = Read("\xEF\xBB\xBF# network north\r\n"
                              "10.0.0.5\r\n"
                              "\n"
                              "   mast-7.local:6970   Mast 7 Nord  # the tall one\n"
                              "10.0.0.5:70 Außendienst/Süd\n");
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].line, 2u);
    EXPECT_EQ(devices[0].host, "10.0.0.5");
    EXPECT_EQ(devices[0].port, 69);
    EXPECT_EQ(devices[0].name, "10.0.0.5");
    EXPECT_EQ(devices[1].line, 4u);
    EXPECT_EQ(devices[1].host, "mast-7.local");
    EXPECT_EQ(devices[1].port, 6970);
    EXPECT_EQ(devices[1].name, "Mast 7 Nord");
    EXPECT_EQ(devices[2].name, "Außendienst/Süd");
    EXPECT_EQ(devices[2].fileName, "Außendienst_Süd");
    // Without a name, the host and the port the line gave.
    EXPECT_EQ(Read("10.0.0.5:70")[0].fileName, "10.0.0.5_70");
}

TEST(FleetList, RefusesLinesThatAreNoDeviceAndDevicesOrNamesGivenTwice) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\nb c d\n!x\n", "net.txt:3: \"!x\" is not a device"},
        {"host:0", "net.txt:1: the port must be a number from 1 to 65535, not \"0\""},
        {"host:70000", "net.txt:1: the port"},
        {"host:x", "net.txt:1: the port"},
        {"host:", "net.txt:1: the port"},
        {"[::1]:69", "net.txt:1: \"[::1]:69\" is not a device"},
        {"10.0.0.5 A\n10.0.0.5:69 B", "net.txt:2: 10.0.0.5:69 is listed twice (first on line 1)"},
        {"Mast.local\nmast.LOCAL:69 M", "net.txt:2: mast.local:69 is listed twice"},
        {"h1 Mast/1\nh2 Mast_1", "net.txt:2: the name \"Mast_1\" gives the same file name as "
                                 "\"Mast/1\" on line 1"},
        {"h1 mast\nh2 MAST", "net.txt:2: the name \"MAST\" gives the same file name"},
        {"h1 Süd\nh2 SÜD", "net.txt:2: the name \"SÜD\" gives the same file name"},
        {"h1 Mast\x1b[2J", "net.txt:1: the name \"Mast\x1b[2J\" holds a control character"},
        {"# nothing\n\n", "net.txt lists no device"},
    };
    for (const auto& [list, refusal] : cases) {
        EXPECT_NE(RefusalOf(list).find(refusal), std::string::npos) << list << "\n"
                                                                    << RefusalOf(list);
    }
}

TEST(FleetList, NamesBecomeFileNamesSafeOnEverySystem) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a<b>c:d\"e/f\\g|h?i*j", "a_b_c_d_e_f_g_h_i_j"},
        {"tab\there", "tab_here"},
        {"end. .", "end___"},
        {"..", "__"},
        {"CON", "CON_"},
        {"com3", "com3_"},
        {"LPT9.csv", "LPT9.csv_"},
        {"COM10", "COM10"},
        {"Außendienst-Süd", "Außendienst-Süd"},
    };
    for (const auto& [name, safe] : cases) {
        EXPECT_EQ(SafeFileName(name), safe) << name;
    }
}

TEST(FleetList, SerialLinesOfCom) {
    const auto devices = ComDeviceList("3,12");
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].host, "");
    EXPECT_EQ(devices[0].port, 3);
    EXPECT_EQ(devices[0].name, "COM3");
    EXPECT_EQ(devices[0].fileName, "COM3_");
    EXPECT_EQ(devices[1].name, "COM12");
    for (const char* wrong : {"3,3", "3,", "3,x", "0", "256"}) {
        EXPECT_THROW(ComDeviceList(wrong), UsageError) << wrong;
    }
}

TEST(FleetReport, EveryOutcomeInTheListsOrderAndReadBack) {
    const auto devices = Read("10.0.0.5 Mast 1\n10.0.0.6:70\nh3 Süd;3\nh4 \"Q\"\n");
    const std::vector<FleetOutcome> outcomes = {
        {FleetResult::Ok, "File \"x\" successfull sent", 1000, 1.5},
        {FleetResult::Failed, "TFTP put file failed!\r\rEIdTFTPException: Timeout", 512, 12.25},
        {FleetResult::Canceled, "TFTP get file failed!\r\rOperation canceled", 7, 0.004},
        {FleetResult::NotStarted, "canceled before it was started", 0, 0},
    };
    const std::string report = ReportText(devices, outcomes);
    EXPECT_EQ(report, "device;host;port;result;message;bytes;seconds\r\n"
                      "Mast 1;10.0.0.5;69;ok;\"File \"\"x\"\" successfull sent\";1000;1.50\r\n"
                      "10.0.0.6:70;10.0.0.6;70;failed;TFTP put file failed! EIdTFTPException: "
                      "Timeout;512;12.25\r\n"
                      "\"Süd;3\";h3;69;canceled;TFTP get file failed! Operation canceled;7;0.00\r\n"
                      "\"\"\"Q\"\"\";h4;69;not started;canceled before it was started;0;0.00\r\n")
        << report;
    TempFolder folder;
    folder.Write("report.csv", report);
    const auto rows = ReadReport(folder / "report.csv");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows.at("Süd;3").result, FleetResult::Canceled);
    EXPECT_EQ(rows.at("\"Q\"").result, FleetResult::NotStarted);
    EXPECT_EQ(rows.at("Mast 1").message, "File \"x\" successfull sent");
    EXPECT_EQ(rows.at("10.0.0.6:70").bytes, 512);
    EXPECT_DOUBLE_EQ(rows.at("10.0.0.6:70").seconds, 12.25);

    // JSON for tools: every string escaped, and a device's text that is no UTF-8 made valid.
    FleetOutcome odd = outcomes[1];
    odd.message = "ERROR \"a\\b\"\x01\xFF end";
    EXPECT_EQ(JsonObject(devices[3], odd),
              "{\"device\":\"\\\"Q\\\"\",\"host\":\"h4\",\"port\":69,\"result\":\"failed\","
              "\"message\":\"ERROR \\\"a\\\\b\\\"\\u0001\\ufffd end\",\"bytes\":512,"
              "\"seconds\":12.25}");
}

TEST(FleetReport, AFileThatIsNoReportIsRefused) {
    TempFolder folder;
    folder.Write("other.csv", "idx;timestamp;code\r\n1;2;3\r\n");
    folder.Write("bad.csv",
                 "device;host;port;result;message;bytes;seconds\r\na;b;1;fine;m;0;0\r\n");
    for (const char* name : {"other.csv", "bad.csv", "missing.csv"}) {
        EXPECT_THROW(ReadReport(folder / name), UsageError) << name;
    }
}

// quorvel-sim's command line.
#include "sim/SimArguments.h"
#include "support/ArgumentScan.h"

#include <gtest/gtest.h>

namespace {

SimCommandLine Parse(const std::vector<std::string>& args) {
    return ParseSimArguments(args);
}

} // namespace

TEST(SimArguments, DefaultsMimicTheDeviceOnLoopback) {
    const SimCommandLine parsed = Parse({});
    EXPECT_EQ(parsed.options.folder, ".");
    EXPECT_EQ(parsed.options.bindAddress, "127.0.0.1");
    EXPECT_EQ(parsed.options.port, 69);
    EXPECT_FALSE(parsed.options.faults.Any());
    EXPECT_FALSE(parsed.help);
}

TEST(SimArguments, EverySwitchFillsTheOptions) {
    const SimCommandLine parsed = Parse({"--port",
                                         "0",
                                         "files",
                                         "--timeout=250",
                                         "--retries",
                                         "3",
                                         "--ignore-options",
                                         "--drop",
                                         "3",
                                         "--drop",
                                         "5",
                                         "--duplicate",
                                         "4",
                                         "--silent-after",
                                         "0",
                                         "--error",
                                         "2:Read only",
                                         "--error-at",
                                         "7",
                                         "--oack-tsize-first",
                                         "--oack-uppercase",
                                         "--oack-blksize",
                                         "abc",
                                         "--stray",
                                         "6",
                                         "--skip-block",
                                         "9",
                                         "--verbose"});
    const SimOptions& o = parsed.options;
    EXPECT_EQ(o.folder, "files");
    EXPECT_EQ(o.port, 0);
    EXPECT_EQ(o.timeoutMs, 250u);
    EXPECT_EQ(o.retries, 3u);
    EXPECT_TRUE(o.verbose);
    const SimFaults& f = o.faults;
    EXPECT_TRUE(f.ignoreOptions);
    EXPECT_EQ(f.dropPackets, (std::set<unsigned>{3, 5}));
    EXPECT_EQ(f.duplicatePackets, (std::set<unsigned>{4}));
    EXPECT_EQ(f.silentAfterBlock, 0u);
    EXPECT_EQ(f.errorCode, 2);
    EXPECT_EQ(f.errorText, "Read only");
    EXPECT_EQ(f.errorAtBlock, 7u);
    EXPECT_TRUE(f.oackExtraOption);
    EXPECT_TRUE(f.oackUpperCase);
    EXPECT_EQ(f.oackBlockSize, "abc");
    EXPECT_EQ(f.strayAfterPacket, 6u);
    EXPECT_EQ(f.skipBlock, 9u);
    EXPECT_NE(f.Describe().find("drop packet 3,5"), std::string::npos);
}

TEST(SimArguments, SerialLineSwitchesFillTheSerialOptions) {
    const SimCommandLine parsed =
        Parse({"--serial", "--gap", "8", "--pause", "120", "--baud-pace", "--wake-required",
               "--garbage", "4:9", "--zel-seed", "77"});
    ASSERT_TRUE(parsed.options.serial);
    const SimSerialOptions& serial = *parsed.options.serial;
    EXPECT_EQ(serial.device, "");
    EXPECT_EQ(serial.gapMs, 8u);
    EXPECT_EQ(serial.pauseMs, 120u);
    EXPECT_TRUE(serial.paced);
    EXPECT_TRUE(serial.wakeRequired);
    EXPECT_EQ(parsed.options.faults.garbageBeforePacket, 4u);
    EXPECT_EQ(parsed.options.faults.garbageBytes, 9u);
    EXPECT_EQ(parsed.options.zelSeed, 77u);

    EXPECT_EQ(Parse({"--serial-device", "/dev/ttyUSB1"}).options.serial->device, "/dev/ttyUSB1");
    EXPECT_FALSE(Parse({}).options.serial) << "the network is the default";
    EXPECT_EQ(Parse({"--garbage", "2"}).options.faults.garbageBytes, 16u);
}

TEST(SimArguments, RandomFaultsTakeASeedAndAShareAndNoStrayOnTheLine) {
    const auto network = Parse({"--random", "77:25"}).options.faults.random;
    ASSERT_TRUE(network);
    EXPECT_EQ(network->seed, 77u);
    EXPECT_EQ(network->perMillion, 25'000u);
    EXPECT_EQ(network->kinds.count(RandomFault::Stray), 1u);
    EXPECT_EQ(Parse({"--random", "5"}).options.faults.random->perMillion, 100'000u);
    const auto line = Parse({"--serial", "--random", "5"}).options.faults.random;
    EXPECT_EQ(line->kinds.count(RandomFault::Stray), 0u) << "a line has no second port";
    EXPECT_EQ(line->kinds.size(), 5u);
    for (const char* wrong : {"", "x", "5:1001", "5:-1"}) {
        EXPECT_THROW(Parse({"--random", wrong}), UsageError) << wrong;
    }
}

TEST(SimArguments, ErrorWithoutTextSendsTheMeaningOfTheCode) {
    EXPECT_EQ(Parse({"--error", "1"}).options.faults.errorText, "File not found");
    EXPECT_EQ(Parse({"--error", "42"}).options.faults.errorText, "Error 42");
    EXPECT_EQ(Parse({"--error", "0:"}).options.faults.errorText, "");
}

TEST(SimArguments, MistakesAreUsageErrors) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--nope"},
        {"--port"},
        {"--port", "70000"},
        {"--port", "-1"},
        {"--drop", "0"},
        {"--drop", "x"},
        {"--error", "65536"},
        {"--error", ":text"},
        {"--error-at", "2"},
        {"--timeout", "5"},
        {"a", "b"},
        {"--verbose=1"},
        {"--stray", "0"},
        {"--skip-block", ""},
        // Each transport refuses what only the other one knows.
        {"--serial", "--port", "69"},
        {"--serial", "--bind", "127.0.0.1"},
        {"--serial", "--stray", "2"},
        {"--gap", "5"},
        {"--pause", "9"},
        {"--baud-pace"},
        {"--wake-required"},
        {"--serial", "--gap", "0"},
        {"--serial", "--pause", "0"},
        {"--garbage", "0"},
        {"--garbage", "3:0"},
        {"--garbage", "3:2001"},
        {"--zel-seed", "-1"},
        // A network of devices: on the network only, and faults only for devices that exist.
        {"--devices", "0"},
        {"--device-fault", "2:drop=1"},
        {"--devices", "2", "--device-fault", "2:port=5"},
        {"--devices", "2", "--device-fault", "2:drop"},
        {"--devices", "2", "--device-fault", "2:ignore-options=1"},
        {"--devices", "2", "--device-fault", "drop=1"},
        {"--serial", "--devices", "2"},
        {"--serial", "--latency", "5"},
        {"--latency", "10001"},
    };
    for (const auto& args : wrong) {
        EXPECT_THROW(Parse(args), UsageError) << args[0];
    }
}

TEST(SimArguments, DevicesHaveTheCommonFaultsAndTheirOwn) {
    const SimOptions options = Parse({"--devices", "4", "--drop", "3", "--device-fault",
                                      "2:silent-after=0", "--device-fault", "2:duplicate=5",
                                      "--device-fault", "4:error=2:Read-only", "--latency", "20"})
                                   .options;
    EXPECT_EQ(options.devices, 4u);
    EXPECT_EQ(options.latencyMs, 20u);
    ASSERT_EQ(options.deviceFaults.size(), 2u);
    const SimFaults& second = options.deviceFaults.at(2);
    EXPECT_EQ(second.silentAfterBlock, 0u);
    EXPECT_EQ(second.dropPackets, std::set<unsigned>{3});
    EXPECT_EQ(second.duplicatePackets, std::set<unsigned>{5});
    const SimFaults& fourth = options.deviceFaults.at(4);
    EXPECT_EQ(fourth.errorCode, 2);
    EXPECT_EQ(fourth.errorText, "Read-only");
    EXPECT_FALSE(fourth.silentAfterBlock);
}

TEST(SimArguments, HelpIsRecognisedAndNamesEverySwitch) {
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_TRUE(Parse({"--help"}).help);
    const std::string usage = SimUsageText();
    for (const char* name : {"--bind",
                             "--port",
                             "--timeout",
                             "--retries",
                             "--ignore-options",
                             "--drop",
                             "--duplicate",
                             "--silent-after",
                             "--error",
                             "--error-at",
                             "--oack-tsize-first",
                             "--oack-uppercase",
                             "--oack-blksize",
                             "--stray",
                             "--skip-block",
                             "--verbose",
                             "--garbage",
                             "--zel-seed",
                             "--serial",
                             "--serial-device",
                             "--gap",
                             "--pause",
                             "--baud-pace",
                             "--wake-required",
                             "--random",
                             "--devices",
                             "--device-fault",
                             "--latency"}) {
        EXPECT_NE(usage.find(name), std::string::npos) << name;
    }
}

TEST(CommandLineScan, OptionsMayStandAnywhereAndDoubleDashEndsThem) {
    const std::vector<OptionDef> known = {{"host", true}, {"yes", false}};
    const ParsedArgs parsed =
        ScanArguments({"a", "--host", "h1", "b", "--yes", "--host=h2", "--", "--yes", "-"}, known);
    EXPECT_EQ(parsed.positionals, (std::vector<std::string>{"a", "b", "--yes", "-"}));
    EXPECT_EQ(parsed.Value("host"), "h2");
    EXPECT_EQ(parsed.Values("host"), (std::vector<std::string>{"h1", "h2"}));
    EXPECT_TRUE(parsed.Has("yes"));
}

TEST(CommandLineScan, NumbersMustBePlainDecimalsInRange) {
    EXPECT_EQ(ParseNumber("16", 1, 16, "t"), 16u);
    for (const std::string text : {"0", "17", "+5", " 5", "5s", "0x10", "", "99999999999"}) {
        EXPECT_THROW(ParseNumber(text, 1, 16, "t"), UsageError) << text;
    }
}

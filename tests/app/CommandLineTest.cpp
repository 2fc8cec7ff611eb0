// The command-line options and their number conversion.
#include "app/CommandLine.h"
#include "tests/app/FormFixture.h"

TEST(ConvertInteger, AcceptsDecimalAndTheThreeHexPrefixes) {
    const std::pair<const char*, int> cases[] = {{"5000", 5000},
                                                 {"  42", 42},
                                                 {"-7", -7},
                                                 {"+7", 7},
                                                 {"$1F", 31},
                                                 {"x1f", 31},
                                                 {"0X10", 16},
                                                 {"-$10", -16},
                                                 {"007", 7},
                                                 {"2147483647", 2147483647},
                                                 {"-2147483648", -2147483647 - 1}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(ConvertInteger(text, 69), value) << '"' << text << '"';
    }
}

TEST(ConvertInteger, AnythingElseGivesTheFallback) {
    for (const char* bad : {"", "abc", "12a", "12 ", "-", "$", "0x", "--1", "$G", "2147483648",
                            "-2147483649", "$80000000", "99999999999999999999"}) {
        EXPECT_EQ(ConvertInteger(bad, 69), 69) << '"' << bad << '"';
    }
}

TEST_F(FormTest, PortOptionSetsPortAndLabelOnlyWithAColon) {
    const struct {
        const char* param;
        int port;
        const char* label;
    } cases[] = {{"-p:5000", 5000, "(target port=5000)"},
                 {"-p:abc", 69, "(target port=69)"}, // a bad number still shows the port
                 {"-p5000", 69, ""},
                 {"-p: 0x46", 70, "(target port=70)"},
                 {"-p:1:2", 69, "(target port=69)"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Start({c.param}).TargetPort, c.port) << c.param;
        EXPECT_EQ((*ui)[Control::LblPort].text, c.label) << c.param;
    }
    // At most 99 characters after the colon are read: 99 zeros and a 7 give 0.
    EXPECT_EQ(Start({"-p:" + std::string(99, '0') + "7"}).TargetPort, 0);
}

TEST_F(FormTest, TimeoutOptionIsBroughtIntoRangeOverridesTheSettingsAndIsSaved) {
    WriteSettings("[Param]\r\nTimeout=9\r\n");
    const std::pair<const char*, int> cases[] = {
        {"-t:0", 1}, {"-t:5", 5}, {"-t:five", 9}, {"-t5", 9}, {"-t:99", 16}};
    for (const auto& [param, seconds] : cases) {
        Start({param});
        EXPECT_EQ((*ui)[Control::seTO].value, seconds) << param;
    }
    Close();
    EXPECT_NE(ReadFile(SettingsFile()).find("\r\nTimeout=16\r\n"), std::string::npos);
}

TEST_F(FormTest, SerialGapOptionIsAtLeastOne) {
    const std::pair<const char*, int> cases[] = {
        {"-f:25", 25}, {"-f:0", 1}, {"-f:-3", 1}, {"-f:x", 10}, {"-f", 10}};
    for (const auto& [param, gap] : cases) {
        EXPECT_EQ(Start({param}).SerialGap, gap) << param;
    }
}

TEST_F(FormTest, OptionsMatchAnywhereAndOneParameterCanMatchSeveral) {
    TForm1& f = Start({"-ex-p:70"});
    EXPECT_TRUE(f.ReraiseErrors);
    EXPECT_EQ(f.TargetPort, 70);
    EXPECT_EQ((*ui)[Control::seTO].value, 4) << "-ex-p:70 holds no -t";
    EXPECT_TRUE(Start({"x-exy"}).ReraiseErrors);
    EXPECT_FALSE(Start({"-e", "x"}).ReraiseErrors);
    EXPECT_EQ(Start({"-p:70", "-p:71"}).TargetPort, 71) << "a later parameter wins";
}

TEST_F(FormTest, OnlyTheFirstTenParametersAreExamined) {
    std::vector<std::string> params(9, "filler");
    params.push_back("-p:70");
    EXPECT_EQ(Start(params).TargetPort, 70) << "the tenth parameter counts";
    params.insert(params.begin(), "filler");
    EXPECT_EQ(Start(params).TargetPort, 69) << "the eleventh does not";
}

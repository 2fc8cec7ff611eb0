// The command-line options and their number conversion.
#include "app/CommandLine.h"
#include "app/FormFixture.h"

using enum Control;

TEST(ConvertInteger, AcceptsDecimalAndTheThreeHexPrefixes) {
    EXPECT_EQ(ConvertInteger("5000", -1), 5000);
    EXPECT_EQ(ConvertInteger("  42", -1), 42);
    EXPECT_EQ(ConvertInteger("-7", 0), -7);
    EXPECT_EQ(ConvertInteger("+7", 0), 7);
    EXPECT_EQ(ConvertInteger("$1F", 0), 31);
    EXPECT_EQ(ConvertInteger("x1f", 0), 31);
    EXPECT_EQ(ConvertInteger("0x10", 0), 16);
    EXPECT_EQ(ConvertInteger("0X10", 0), 16);
    EXPECT_EQ(ConvertInteger("-$10", 0), -16);
    EXPECT_EQ(ConvertInteger("007", 0), 7);
    EXPECT_EQ(ConvertInteger("2147483647", 0), 2147483647);
    EXPECT_EQ(ConvertInteger("-2147483648", 0), -2147483647 - 1);
}

TEST(ConvertInteger, AnythingElseGivesTheFallback) {
    for (const char* bad : {"", "abc", "12a", "12 ", "1 2", "-", "$", "0x", "x", "--1", "$G",
                            "2147483648", "-2147483649", "$80000000", "99999999999999999999"}) {
        EXPECT_EQ(ConvertInteger(bad, 69), 69) << '"' << bad << '"';
    }
}

TEST_F(FormTest, PortOptionSetsTargetPortAndLabel) {
    TForm1& f = Start({"-p:5000"});
    EXPECT_EQ(f.TargetPort, 5000);
    EXPECT_EQ((*ui)[LblPort].text, "(target port=5000)");
}

TEST_F(FormTest, PortOptionWithBadNumberKeepsThePortButShowsIt) {
    TForm1& f = Start({"-p:abc"});
    EXPECT_EQ(f.TargetPort, 69);
    EXPECT_EQ((*ui)[LblPort].text, "(target port=69)");
}

TEST_F(FormTest, PortOptionWithoutColonDoesNothing) {
    TForm1& f = Start({"-p5000"});
    EXPECT_EQ(f.TargetPort, 69);
    EXPECT_EQ((*ui)[LblPort].text, "");
}

TEST_F(FormTest, TimeoutOptionIsBroughtIntoRangeAndSaved) {
    Start({"-t:0"});
    EXPECT_EQ((*ui)[seTO].value, 1);

    Start({"-t:99"});
    EXPECT_EQ((*ui)[seTO].value, 16);
    Close();
    EXPECT_NE(ReadFileText(SettingsFile()).find("\r\nTimeout=16\r\n"), std::string::npos);
}

TEST_F(FormTest, TimeoutOptionOverridesTheSavedValueAndBadValueKeepsIt) {
    WriteSettings("[Param]\r\nTimeout=9\r\n");
    Start({"-t:5"});
    EXPECT_EQ((*ui)[seTO].value, 5);
    Start({"-t:five"});
    EXPECT_EQ((*ui)[seTO].value, 9);
}

TEST_F(FormTest, SerialGapOptionIsAtLeastOne) {
    EXPECT_EQ(Start({"-f:25"}).SerialGap, 25);
    EXPECT_EQ(Start({"-f:0"}).SerialGap, 1);
    EXPECT_EQ(Start({"-f:-3"}).SerialGap, 1);
    EXPECT_EQ(Start({"-f:x"}).SerialGap, 10);
    EXPECT_EQ(Start({"-f"}).SerialGap, 10);
}

TEST_F(FormTest, OneParameterCanMatchSeveralOptions) {
    TForm1& f = Start({"-ex-p:70"});
    EXPECT_TRUE(f.ReraiseErrors);
    EXPECT_EQ(f.TargetPort, 70);
    EXPECT_EQ((*ui)[seTO].value, 4) << "-ex-p:70 holds no -t";
}

TEST_F(FormTest, ReraiseOptionMatchesAnywhereInAParameter) {
    EXPECT_TRUE(Start({"x-exy"}).ReraiseErrors);
    EXPECT_FALSE(Start({"-e", "x"}).ReraiseErrors);
}

TEST_F(FormTest, OnlyTheFirstTenParametersAreExamined) {
    std::vector<std::string> params(9, "filler");
    params.push_back("-p:70");
    EXPECT_EQ(Start(params).TargetPort, 70) << "the tenth parameter counts";

    params.insert(params.begin(), "filler");
    EXPECT_EQ(Start(params).TargetPort, 69) << "the eleventh does not";
}

TEST_F(FormTest, LaterParametersOverrideEarlierOnes) {
    TForm1& f = Start({"-p:70", "-p:71"});
    EXPECT_EQ(f.TargetPort, 71);
    EXPECT_EQ((*ui)[LblPort].text, "(target port=71)");
}

TEST_F(FormTest, OptionValueIsTakenAfterTheFirstColonOnly) {
    EXPECT_EQ(Start({"-p:1:2"}).TargetPort, 69) << "\"1:2\" is no number";
    EXPECT_EQ(Start({"-p: 0x46"}).TargetPort, 70) << "a leading blank, then hex";
    // At most 99 characters after the colon are looked at: 99 zeros and a 7 read as 0.
    EXPECT_EQ(Start({"-p:" + std::string(99, '0') + "7"}).TargetPort, 0);
}

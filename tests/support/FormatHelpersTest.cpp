#include "support/IntText.h"
#include "support/Save_Err.h"
#include "support/Tr_Util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(FormatHelpers, NumbersAndFlags) {
    // The most negative numbers keep every digit instead of losing the last one.
    EXPECT_EQ(DecStr(INT32_MIN), "-2147483648");
    EXPECT_EQ(DecStr(-17), "-17");
    EXPECT_EQ(Dec2(5) + Dec2(0) + Dec2(42) + Dec2(100) + Dec2(-5), "050042100-5");
    EXPECT_EQ(Hex2(300) + Hex2(0xFFFFFFFF) + Hex2(8), "2CFF08");
    EXPECT_EQ(Hex4(0xABCDEF) + Hex4(0x1a), "CDEF001A");
    EXPECT_EQ(Hex6(0x12345678) + Hex6(0), "345678000000");
    EXPECT_EQ(BoolText(true) + BoolText(false), "TRUE FALSE");
}

TEST(IntegerText, AcceptedAndRejectedForms) {
    EXPECT_EQ(ParseInt32("-1032"), -1032);
    EXPECT_EQ(ParseInt32("+007"), 7);
    EXPECT_EQ(ParseInt32("$fF"), 255);
    EXPECT_EQ(ParseInt32("0x10"), 16);
    EXPECT_EQ(ParseInt32("0X10"), 16);
    EXPECT_EQ(ParseInt32("-$10"), -16);
    EXPECT_EQ(ParseInt32("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseInt32("-0x80000000"), INT32_MIN);
    for (const char* text : {"", "-", "$", "0x", "12a", " 12", "12 ", "1.5", "$G", "--1", "x10",
                             "2147483648", "-2147483649", "$FFFFFFFF", "99999999999999999999"}) {
        EXPECT_FALSE(ParseInt32(text).has_value()) << '"' << text << '"';
    }
}

TEST(IntegerText, RangesOfEveryWidthAndNoForeignForms) {
    // The command lines' numbers: decimal digits only, up to the largest unsigned 32-bit value,
    // which a 32-bit "unsigned long" could not take past.
    EXPECT_EQ(ParseInteger("4294967295", {}, 0, 4'294'967'295), 4'294'967'295);
    EXPECT_EQ(ParseInteger("0065535", {}, 1, 65535), 65535);
    for (const char* text :
         {"9999999999", "65536", "0", "-1", "+5", "$10", "0x10", "18446744073709551617"}) {
        EXPECT_FALSE(ParseInteger(text, {}, 1, 65535).has_value()) << '"' << text << '"';
    }
    EXPECT_FALSE(ParseInteger("9", {}, 0, 5).has_value());
    // The window's options also take a lone "x".
    EXPECT_EQ(ParseInteger("x1F", {.sign = true, .hex = true, .bareX = true}, INT32_MIN, INT32_MAX),
              31);
    EXPECT_FALSE(ParseInteger("x1F", {.sign = true, .hex = true}, INT32_MIN, INT32_MAX));
    EXPECT_EQ(ParseInteger("-9223372036854775808", {.sign = true}, INT64_MIN, INT64_MAX),
              INT64_MIN);
    EXPECT_FALSE(ParseInteger("9223372036854775808", {.sign = true}, INT64_MIN, INT64_MAX));
    EXPECT_EQ(ParseInteger("-0", {.sign = true}, 0, 10), 0);
}

TEST(TickTimer, DifferenceIsUnsignedAndLimitedTo31Bits) {
    EXPECT_EQ(TickDiffBetween(1000, 1010), 10u);
    EXPECT_EQ(TickDiffBetween(0xFFFFFFFAu, 4), 10u); // the counter wrapped past 2^32
    EXPECT_EQ(TickDiffBetween(10, 0), 0x7FFFFFF6u);  // never negative

    const std::uint32_t start = TickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(TickDiff(start), 20u);
    EXPECT_LT(TickDiff(start), 10000u);
}

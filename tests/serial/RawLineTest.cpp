// The terminal settings of an open port, starting from a line that an earlier program left
// cooked. (A pseudo-terminal cannot carry parity, so this is checked on the settings themselves.)
#include "serial/RawLine_posix.h"

#include <gtest/gtest.h>

namespace {

termios CookedLine() {
    termios line{};
    line.c_iflag = ICRNL | IXON | IXOFF | ISTRIP | INLCR | IGNCR | INPCK | IUCLC;
    line.c_oflag = OPOST | ONLCR;
    line.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    line.c_cflag = CS7 | CSTOPB | PARENB | PARODD | CRTSCTS;
    line.c_cc[VTIME] = 5;
    cfsetispeed(&line, B38400);
    cfsetospeed(&line, B38400);
    return line;
}

TEST(RawLine, EveryByteOfACookedLinePassesUnchanged) {
    termios line = CookedLine();
    SetRawLine(line, 115200, 'n');
    EXPECT_EQ(line.c_iflag & ~static_cast<tcflag_t>(IGNBRK), 0u);
    EXPECT_EQ(line.c_oflag | line.c_lflag, 0u);
    EXPECT_EQ(line.c_cflag & (CSIZE | CSTOPB | CRTSCTS | PARENB | CLOCAL | CREAD),
              static_cast<tcflag_t>(CS8 | CLOCAL | CREAD));
    EXPECT_EQ(line.c_cc[VMIN], 1);
    EXPECT_EQ(line.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetispeed(&line), static_cast<speed_t>(B115200));
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B115200));
}

TEST(RawLine, ParityAndSpeed) {
    const std::pair<char, tcflag_t> cases[] = {
        {'e', PARENB}, {'E', PARENB}, {'o', PARENB | PARODD}, {'O', PARENB | PARODD}, {'n', 0}};
    for (const auto& [letter, bits] : cases) {
        termios line = CookedLine();
        SetRawLine(line, 9600, letter);
        EXPECT_EQ(line.c_cflag & (PARENB | PARODD), bits) << letter;
    }
    termios line = CookedLine();
    SetRawLine(line, 12345, 'n');
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B38400)) << "unnamed rates keep the speed";
}

} // namespace

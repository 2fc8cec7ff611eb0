// The terminal settings of an open port. A pseudo-terminal cannot carry parity, so these are
// checked on the settings themselves, starting from a line that an earlier program left cooked.
#include "serial/PosixRawLine.h"

#include <gtest/gtest.h>

namespace {

termios CookedLine() {
    termios line{};
    line.c_iflag = ICRNL | IXON | IXOFF | IXANY | ISTRIP | INLCR | IGNCR | INPCK | BRKINT;
#ifdef IUCLC
    line.c_iflag |= IUCLC;
#endif
    line.c_oflag = OPOST | ONLCR;
    line.c_lflag = ICANON | ECHO | ECHOE | ISIG | IEXTEN;
    line.c_cflag = CS7 | CSTOPB | PARENB | PARODD | CRTSCTS;
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 5;
    cfsetispeed(&line, B38400);
    cfsetospeed(&line, B38400);
    return line;
}

tcflag_t ParityBits(const termios& line) {
    return line.c_cflag & (PARENB | PARODD);
}

TEST(RawLine, EveryByteOfACookedLinePassesUnchanged) {
    termios line = CookedLine();
    SetRawLine(line, 115200, 'n');
    EXPECT_EQ(line.c_iflag & ~static_cast<tcflag_t>(IGNBRK), 0u);
    EXPECT_EQ(line.c_oflag, 0u);
    EXPECT_EQ(line.c_lflag, 0u);
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.c_cflag & (CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(line.c_cc[VMIN], 1);
    EXPECT_EQ(line.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B115200));
    EXPECT_EQ(cfgetispeed(&line), static_cast<speed_t>(B115200));
}

TEST(RawLine, ParityLetters) {
    const std::pair<char, tcflag_t> cases[] = {
        {'e', PARENB}, {'E', PARENB}, {'o', PARENB | PARODD}, {'O', PARENB | PARODD}, {'n', 0},
        {'x', 0},      {'\0', 0}};
    for (const auto& [letter, bits] : cases) {
        termios line = CookedLine();
        SetRawLine(line, 9600, letter);
        EXPECT_EQ(ParityBits(line), bits) << static_cast<int>(letter);
    }
}

TEST(RawLine, AnUnnamedBaudRateKeepsTheSpeedTheLineHad) {
    termios line = CookedLine();
    SetRawLine(line, 12345, 'n');
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B38400));
    EXPECT_EQ(cfgetispeed(&line), static_cast<speed_t>(B38400));
    SetRawLine(line, 9600, 'n');
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B9600));
}

} // namespace

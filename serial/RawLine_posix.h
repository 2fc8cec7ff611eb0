// Line settings of a POSIX serial port as the port object wants them.
#pragma once

#include <cstdint>

#include <termios.h>

// Turns the terminal settings into a raw 8-bit line: every byte passes unchanged in both
// directions, 8 data bits, 1 stop bit, no flow control of either kind, modem lines ignored for
// input. Parity 'e'/'E' is even, 'o'/'O' odd, anything else none. A baud rate the terminal
// cannot be set to by name leaves the speeds as they were.
void SetRawLine(termios& line, std::int32_t baud, char parity);

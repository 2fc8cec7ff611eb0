// Which system device a COM number reaches.
#include "serial/SerialDevice.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

#ifdef _WIN32

TEST(ComDeviceName, ShortNamesUpToNineThenTheDeviceNamespace) {
    EXPECT_EQ(ComDeviceName(1), "COM1");
    EXPECT_EQ(ComDeviceName(9), "COM9");
    EXPECT_EQ(ComDeviceName(10), "\\\\.\\COM10");
    EXPECT_EQ(ComDeviceName(12), "\\\\.\\COM12");
}

#else

TEST(ComDeviceName, ComNIsTheNthSerialPortUnlessTheEnvironmentNamesAnother) {
    ::unsetenv("QUORVEL_COM3");
    EXPECT_EQ(ComDeviceName(1), "/dev/ttyS0");
    EXPECT_EQ(ComDeviceName(3), "/dev/ttyS2");
    ::setenv("QUORVEL_COM3", "/dev/ttyUSB0", 1);
    EXPECT_EQ(ComDeviceName(3), "/dev/ttyUSB0");
    EXPECT_EQ(ComDeviceName(13), "/dev/ttyS12") << "QUORVEL_COM3 must not match COM13";
    ::setenv("QUORVEL_COM3", "", 1);
    EXPECT_EQ(ComDeviceName(3), "/dev/ttyS2") << "an empty variable names no device";
    ::unsetenv("QUORVEL_COM3");
}

#endif

} // namespace

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

class ComDeviceNameEnv : public testing::Test {
protected:
    void SetUp() override { ::unsetenv("QUORVEL_COM3"); }
    void TearDown() override { ::unsetenv("QUORVEL_COM3"); }
};

TEST_F(ComDeviceNameEnv, ComNIsTheNthStandardSerialPort) {
    EXPECT_EQ(ComDeviceName(1), "/dev/ttyS0");
    EXPECT_EQ(ComDeviceName(3), "/dev/ttyS2");
    EXPECT_EQ(ComDeviceName(40), "/dev/ttyS39");
}

TEST_F(ComDeviceNameEnv, AnEnvironmentVariablePointsOneNumberElsewhere) {
    ::setenv("QUORVEL_COM3", "/dev/ttyUSB0", 1);
    EXPECT_EQ(ComDeviceName(3), "/dev/ttyUSB0");
    EXPECT_EQ(ComDeviceName(4), "/dev/ttyS3");
    EXPECT_EQ(ComDeviceName(13), "/dev/ttyS12") << "QUORVEL_COM3 must not match COM13";
    ::setenv("QUORVEL_COM3", "", 1);
    EXPECT_EQ(ComDeviceName(3), "/dev/ttyS2") << "an empty variable names no device";
}

#endif

} // namespace

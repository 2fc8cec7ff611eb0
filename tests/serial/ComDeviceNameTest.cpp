// Which system device a COM number reaches.
#include "serial/ComPortMap.h"
#include "serial/SerialDevice.h"
#ifndef _WIN32
#include "tests/kit/TempFolder.h"
#endif

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

TEST(ComDeviceName, SettingsFileMapsComNumbersAndTheEnvironmentWins) {
    TempFolder temp;
    WriteFile(temp / "quorvel.INI",
              "[Param]\r\nPort=4\r\n[comports]\r\nCOM5=/dev/ttyUSB0\r\n"
              "com 7 = /dev/ttyACM0\r\nCOM8=\r\nCOM0=/dev/x\r\nCOM9x=/dev/y\r\n");
    LoadComPortMap(temp / "quorvel.INI");
    EXPECT_EQ(ComDeviceName(5), "/dev/ttyUSB0");
    EXPECT_EQ(ComDeviceName(7), "/dev/ttyACM0");
    EXPECT_EQ(ComDeviceName(8), "/dev/ttyS7") << "an empty entry names no device";
    EXPECT_EQ(ComDeviceName(9), "/dev/ttyS8");
    ::setenv("QUORVEL_COM5", "/dev/pts/3", 1);
    EXPECT_EQ(ComDeviceName(5), "/dev/pts/3");
    ::unsetenv("QUORVEL_COM5");

    LoadComPortMap(temp / "absent.INI");
    EXPECT_EQ(ComDeviceName(5), "/dev/ttyS4") << "a new table replaces the old one";
}

#endif

} // namespace

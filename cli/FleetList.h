// The devices of a run over many: the list that --hosts names, or the serial lines of --com 3,5,7.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

struct FleetDevice {
    // The line of the list, for messages; 0 for a serial line of --com.
    std::size_t line = 0;
    // The device's host name or IPv4 address; empty for the serial line.
    std::string host;
    // Its TFTP port, or on the serial line the COM number.
    std::uint16_t port = 0;
    // How the report and the console name it: the line's name, else its host with ":PORT" when
    // the line gave one; "COM3" for the serial line COM3.
    std::string name;
    // The name made safe as a file name, for what is received from the device.
    std::string fileName;
};

// Reads a list of devices, one a line: "HOST[:PORT] [NAME]", where NAME is the rest of the line;
// "#" starts a comment, and blank lines are skipped. A line that is no device, and a device or a
// file name given twice, are usage errors naming listName and the line. defaultPort serves the
// lines that give none.
std::vector<FleetDevice> ReadDeviceList(std::istream& list, const std::string& listName,
                                        std::uint16_t defaultPort);

// The serial lines of --com, such as "3,5,7"; a COM number given twice is a usage error.
std::vector<FleetDevice> ComDeviceList(const std::string& numbers);

// name as a file or folder name on Windows and Linux alike: a control character or one of
// < > : " / \ | ? * becomes "_", and so do blanks and dots at its end (which Windows drops); a
// name Windows keeps for a device (CON, NUL, COM1, LPT1, ... also before an extension) gets a
// "_" after it.
std::string SafeFileName(const std::string& name);

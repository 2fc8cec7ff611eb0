// COM numbers that the settings file points at other devices, for USB serial adapters and the
// like, which Linux names /dev/ttyUSB0 or /dev/ttyACM0 rather than by a COM number:
//
//   [ComPorts]
//   COM5=/dev/ttyUSB0
//
// The table is read once from the settings file (the window at start-up, the command-line client
// with --com) and consulted when a COM number is turned into a device name. On Windows the COM
// names are the system's own and the table is not used.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Reads the section "ComPorts" of the settings file and uses it from now on. Entries are
// "COM<n>=device" with n from 1 (letters in any case, blanks allowed before the number); other
// entries and empty devices are ignored. A file that is missing or cannot be read gives an empty
// table.
void LoadComPortMap(const std::string& settingsFile);

// The device the table names for COM<number>; empty when it names none.
std::optional<std::string> MappedComDevice(std::int32_t number);

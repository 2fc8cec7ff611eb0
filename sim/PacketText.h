// Short human-readable descriptions of TFTP packets for the simulator's log.
#pragma once

#include <string>
#include <string_view>

// "DATA 3 (512 bytes)", "ACK 0", "OACK blksize=1024", "ERROR 1 "File not found"", ...
std::string DescribePacket(std::string_view packet);

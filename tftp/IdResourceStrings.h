// Message texts of the failures the TFTP client raises itself. The first three are the
// replaceable message resources of the program; the others are fixed.
#pragma once

inline constexpr const char* RSTFTPTimeout = "Timeout";
inline constexpr const char* RSTFTPOperationCanceled = "Operation canceled";
inline constexpr const char* RSTFTPUnexpectedOp = "Unexpected operation from %s:%d";
inline constexpr const char* RSTFTPUnableToOpenPort = "Unable to open RS232 port COM";
inline constexpr const char* RSTFTPFileSizeZero = "Filesize=0";
inline constexpr const char* RSTFTPUnknownTransferID = "Unknown transfer ID";

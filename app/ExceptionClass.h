// The class name of a caught exception, as the window's messages show it before the message
// text ("EIdTFTPException: Timeout").
#pragma once

#include <exception>
#include <string>

// The name of the most derived class of the socket and TFTP layers that error belongs to; any
// other exception (a file that cannot be read, a range error) is an "Exception".
std::string ExceptionClassName(const std::exception& error);

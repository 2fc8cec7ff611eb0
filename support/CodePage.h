// Text in the system's code page, for the two places outside the program that keep single-byte
// text: the settings file, which technicians edit and copy between machines as it always was, and
// the file names the device knows.
//
// On Linux the system's text is UTF-8 and nothing changes; on Windows it is the ANSI code page
// (Windows-1252 on a German or English system).
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The text in the code page; empty when the code page cannot hold one of its characters, which
// is then named in unheld (when given), so that a message can say which.
std::optional<std::string> ToCodePage(std::string_view text, std::string* unheld = nullptr);

// The program's text of bytes in the code page.
std::string FromCodePage(std::string_view bytes);

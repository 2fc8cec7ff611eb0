// Text for the Windows API: UTF-8 inside the program, UTF-16 at the system's wide calls.
//
// Windows only. Every text Quorvel holds (messages, control texts, paths) is UTF-8 on every
// system; the window, the console and the file calls of Windows take it as UTF-16, and these two
// functions are where it crosses over.
#pragma once

#include <string>
#include <string_view>

// UTF-16 of a UTF-8 text; a byte that is no part of a valid sequence becomes U+FFFD. With
// another code page (a Windows code page number, such as CP_ACP), UTF-16 of bytes in that one.
std::wstring WideText(std::string_view text, unsigned codePage = 65001);

// UTF-8 of a UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string Utf8Text(std::wstring_view text);

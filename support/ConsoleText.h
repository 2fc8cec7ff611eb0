// The programs' text in a console window.
//
// Every text of the programs is UTF-8. A Windows console shows the bytes it is given in its own
// code page (850 on a German system), so a file name with "ß" or "ü" would come out as other
// letters; there the text goes to the console as UTF-16 instead. Output that is redirected to a
// file or a pipe keeps the UTF-8 bytes, as do terminals elsewhere, which take UTF-8 as it is.
#pragma once

// Call once at the start of main, before anything is written to std::cout or std::cerr.
void UseConsoleText();

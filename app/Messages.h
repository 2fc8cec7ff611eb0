// Text handling shared by every implementation of the window's message boxes.
#pragma once

#include <string>
#include <string_view>

// Message texts mark line breaks with a CR; a CR LF pair counts as one break. Returns the text
// with every break as a single LF, the form toolkits and terminals display.
std::string WithLineBreaks(std::string_view text);

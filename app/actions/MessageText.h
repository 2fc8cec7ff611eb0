// The line breaks of the actions' message texts, as every front end shows them: the window's
// message boxes and the console.
#pragma once

#include <string>
#include <string_view>

// Message texts mark line breaks with a CR; a CR LF pair counts as one break. Returns the text
// with every break as a single LF, the form toolkits and terminals display.
std::string WithLineBreaks(std::string_view text);

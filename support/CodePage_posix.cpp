// The system's text is UTF-8, the program's own.
#include "support/CodePage.h"

std::optional<std::string> ToCodePage(std::string_view text, std::string* /*unheld*/) {
    return std::string(text);
}

std::string FromCodePage(std::string_view bytes) {
    return std::string(bytes);
}

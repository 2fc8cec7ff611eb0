#include "logger/DefaultCsvPath.h"

#include "support/Platform.h"

std::string DefaultCsvPath(const std::string& zelPath) {
    const auto nameStart = zelPath.find_last_of(platform::kNameDelimiters);
    const auto dot = zelPath.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
    return (hasExtension ? zelPath.substr(0, dot) : zelPath) + ".CSV";
}

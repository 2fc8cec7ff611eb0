#include "logger/DefaultCsvPath.h"

namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "/\\:";
#else
constexpr const char* kSeparators = "/";
#endif

} // namespace

std::string DefaultCsvPath(const std::string& zelPath) {
    const auto nameStart = zelPath.find_last_of(kSeparators);
    const auto dot = zelPath.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
    return (hasExtension ? zelPath.substr(0, dot) : zelPath) + ".CSV";
}

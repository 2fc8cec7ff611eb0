#include "logger/DefaultCsvPath.h"

#include "support/FileNames.h"

std::string DefaultCsvPath(const std::string& zelPath) {
    return WithoutExtension(zelPath) + ".CSV";
}

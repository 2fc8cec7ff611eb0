#include "sim/DeviceFolder.h"

#include "sim/SampleLogger.h"
#include "support/PathText.h"

#include <system_error>

SimFolder DeviceFolder(const SimOptions& options) {
    return SimFolder(FilePath(options.folder),
                     {{kLoggerFileName, MakeSamplePlogZel(options.zelSeed)}});
}

std::string DescribeLoggerFile(const SimOptions& options) {
    std::error_code ignored;
    if (std::filesystem::exists(FilePath(options.folder) / kLoggerFileName, ignored)) {
        return std::string(kLoggerFileName) + " from the folder";
    }
    return std::string(kLoggerFileName) + " generated from seed " +
           std::to_string(options.zelSeed) + " (" +
           std::to_string(MakeSamplePlogZel(options.zelSeed).size()) +
           " bytes), served while the folder holds none";
}

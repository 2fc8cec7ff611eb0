#include "common/TestEnvironment.h"

#include <random>
#include <stdexcept>

bool TryCreateSymlink(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::error_code error;
    std::filesystem::create_symlink(target, link, error);
    return !error;
}

std::filesystem::path MakeTempFolder(const std::string& prefix) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto path = std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
        if (std::filesystem::create_directory(path)) {
            return path;
        }
    }
    throw std::runtime_error("cannot create a temporary folder for " + prefix);
}

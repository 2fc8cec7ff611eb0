#include "tests/kit/TestEnvironment.h"

#include "support/PathText.h"

#include <random>
#include <stdexcept>

bool TryCreateSymlink(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::error_code error;
    std::filesystem::create_symlink(target, link, error);
    return !error;
}

std::filesystem::path MakeTempFolder(const std::string& prefix) {
    // Every test works below a folder named as a technician's user folder often is, with letters
    // beyond ASCII: a file call that reads a path in the wrong encoding fails every test.
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / std::filesystem::path(u8"Quorvel-Außendienst-Süd");
    std::error_code ignored;
    std::filesystem::create_directories(root, ignored);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto path = root / FilePath(prefix + std::to_string(random()));
        if (std::filesystem::create_directory(path)) {
            return path;
        }
    }
    throw std::runtime_error("cannot create a temporary folder for " + prefix);
}

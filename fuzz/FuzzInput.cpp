#include "fuzz/FuzzInput.h"

#include <cstdio>
#include <cstdlib>
#include <random>

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
        std::abort();
    }
}

std::vector<std::string> SplitParts(std::string_view input) {
    std::vector<std::string> parts;
    for (;;) {
        const std::size_t at = input.find(kPartSeparator);
        parts.emplace_back(input.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        input.remove_prefix(at + kPartSeparator.size());
    }
}

std::string JoinParts(const std::vector<std::string>& parts) {
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        joined += (i > 0 ? std::string(kPartSeparator) : std::string()) + parts[i];
    }
    return joined;
}

std::uint8_t InputBytes::Byte() {
    if (Rest_.empty()) {
        return 0;
    }
    const auto byte = static_cast<std::uint8_t>(Rest_.front());
    Rest_.remove_prefix(1);
    return byte;
}

namespace {

struct OwnFolder {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("quorvel-fuzz-" + std::to_string(std::random_device()()));
    OwnFolder() { std::filesystem::create_directories(path); }
    ~OwnFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

const std::filesystem::path& FuzzFolder() {
    static const OwnFolder folder;
    return folder.path;
}

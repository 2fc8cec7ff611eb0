// Scratch folders and whole-file helpers for the logger tests.
#pragma once

#include "common/TestEnvironment.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class ScratchDir {
public:
    ScratchDir() : path_(MakeTempFolder("quorvel-logger-")) {}
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

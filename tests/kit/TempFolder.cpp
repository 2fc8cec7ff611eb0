#include "tests/kit/TempFolder.h"
#include "support/PathText.h"

#include "tests/kit/TestEnvironment.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempFolder::TempFolder(const std::string& prefix) : path_(MakeTempFolder(prefix)) {}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string TempFolder::operator/(const std::string& name) const {
    return PathText(path_ / name);
}

void TempFolder::Write(const std::string& name, const std::string& content) const {
    WriteFile(path_ / name, content);
}

std::string TempFolder::Read(const std::string& name) const {
    return ReadFile(path_ / name);
}

std::vector<std::string> TempFolder::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
        names.push_back(PathText(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) {
        throw std::runtime_error("cannot write " + PathText(path));
    }
}

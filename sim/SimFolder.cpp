#include "sim/SimFolder.h"

#include "support/CodePage.h"
#include "support/PathText.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxNameLength = 255;

// A file name as a device gets it, bytes in the code page of the computer that sent it, as a
// name in the folder.
fs::path DeviceNamePath(const std::string& name) {
    return FilePath(FromCodePage(name));
}

SimFileError AccessViolation(const std::string& why) {
    return SimFileError(2, "Access violation: " + why);
}

// A hidden name in the same folder, so that the final rename stays on one file system.
fs::path TempPathFor(const fs::path& root, const std::string& name) {
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = std::random_device{}();
    return root / DeviceNamePath("." + name.substr(0, 64) + "." + std::to_string(salt) + "-" +
                                 std::to_string(++counter) + ".part");
}

bool IsInside(const fs::path& root, const fs::path& path) {
    std::error_code error;
    const fs::path real = fs::canonical(path, error);
    if (error) {
        return false;
    }
    return real.parent_path() == root;
}

} // namespace

IncomingFile::IncomingFile(fs::path temp, fs::path target, std::FILE* file)
    : temp_(std::move(temp)), target_(std::move(target)), file_(file) {}

IncomingFile::~IncomingFile() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
    if (!committed_) {
        std::error_code ignored;
        fs::remove(temp_, ignored);
    }
}

void IncomingFile::Append(const char* data, std::size_t size) {
    if (size > 0 && std::fwrite(data, 1, size, file_) != size) {
        throw SimFileError(3, std::string("Disk full or allocation exceeded (fwrite: ") +
                                  std::strerror(errno) + ")");
    }
    size_ += size;
}

void IncomingFile::Commit() {
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0) {
        throw SimFileError(3, std::string("Disk full or allocation exceeded (fclose: ") +
                                  std::strerror(errno) + ")");
    }
    std::error_code error;
    fs::rename(temp_, target_, error);
    if (error) {
        throw AccessViolation("cannot store the file (rename: " + error.message() + ")");
    }
    committed_ = true;
}

SimFolder::SimFolder(const fs::path& root, BuiltInFiles builtIns) : builtIns_(std::move(builtIns)) {
    std::error_code error;
    if (!fs::is_directory(root, error)) {
        throw std::runtime_error("folder \"" + PathText(root) + "\" does not exist");
    }
    root_ = fs::canonical(root, error);
    if (error) {
        throw std::runtime_error("folder \"" + PathText(root) + "\": " + error.message());
    }
}

std::string SimFolder::RefusalReason(const std::string& name) {
    if (name.empty()) {
        return "empty file name";
    }
    if (name.size() > kMaxNameLength) {
        return "file name longer than " + std::to_string(kMaxNameLength) + " characters";
    }
    if (name == "." || name == "..") {
        return "\"" + name + "\" is not a file name";
    }
    for (const char letter : name) {
        const auto c = static_cast<unsigned char>(letter);
        if (c == '/' || c == '\\' || c == ':') {
            return "file name with a folder or drive";
        }
        if (c < 32 || c == 127) {
            return "control character in file name";
        }
    }
    return {};
}

fs::path SimFolder::PathOf(const std::string& name) const {
    const std::string reason = RefusalReason(name);
    if (!reason.empty()) {
        throw AccessViolation(reason);
    }
    return root_ / DeviceNamePath(name);
}

FileSource SimFolder::OpenForReading(const std::string& name) const {
    const fs::path path = PathOf(name);
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) {
        const auto builtIn = builtIns_.find(name);
        if (builtIn == builtIns_.end()) {
            throw SimFileError(1, "File not found");
        }
        return {std::make_unique<std::istringstream>(builtIn->second), builtIn->second.size()};
    }
    // A link may point anywhere; only what really lies in the folder is served. A fifo or
    // device would block the server, so only regular files are.
    if (!IsInside(root_, path)) {
        throw AccessViolation("file lies outside the folder");
    }
    if (!fs::is_regular_file(status)) {
        throw AccessViolation("not a regular file");
    }
    FileSource source;
    source.size = fs::file_size(path, error);
    auto stream = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (error || !*stream) {
        throw AccessViolation("cannot open the file");
    }
    source.stream = std::move(stream);
    return source;
}

std::unique_ptr<IncomingFile> SimFolder::CreateForWriting(const std::string& name) const {
    const fs::path target = PathOf(name);
    std::error_code error;
    const fs::file_status existing = fs::symlink_status(target, error);
    if (fs::exists(existing) && !fs::is_regular_file(existing) && !fs::is_symlink(existing)) {
        throw AccessViolation("not a regular file");
    }
    const fs::path temp = TempPathFor(root_, name);
    // "x": never reuse a file that is already there.
    std::FILE* file = OpenFile(PathText(temp), "wbx");
    if (file == nullptr) {
        throw AccessViolation(std::string("cannot create the file (fopen: ") +
                              std::strerror(errno) + ")");
    }
    return std::make_unique<IncomingFile>(temp, target, file);
}

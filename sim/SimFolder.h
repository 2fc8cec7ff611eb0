// The simulated device's file store: one folder on disk, and files the device keeps in memory.
//
// Every name a client sends is checked before it touches the disk: a name that could reach
// outside the folder (a path, "..", a drive) is refused. Uploads go to a hidden temporary file
// that takes the real name only once the last block has arrived, so an interrupted upload never
// leaves a truncated file under the real name.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <istream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

// A file problem, carrying the TFTP error code the device answers with.
class SimFileError : public std::runtime_error {
public:
    SimFileError(std::uint16_t code, const std::string& text)
        : std::runtime_error(text), code_(code) {}
    std::uint16_t Code() const { return code_; }

private:
    std::uint16_t code_;
};

// An upload in progress. Destroying it before Commit() removes the temporary file.
class IncomingFile {
public:
    IncomingFile(std::filesystem::path temp, std::filesystem::path target, std::FILE* file);
    ~IncomingFile();
    IncomingFile(const IncomingFile&) = delete;
    IncomingFile& operator=(const IncomingFile&) = delete;

    void Append(const char* data, std::size_t size);
    // Closes the temporary file and gives it the real name, replacing an older file.
    void Commit();
    std::uint64_t Size() const { return size_; }

private:
    std::filesystem::path temp_;
    std::filesystem::path target_;
    std::FILE* file_;
    std::uint64_t size_ = 0;
    bool committed_ = false;
};

struct FileSource {
    std::unique_ptr<std::istream> stream;
    std::uint64_t size = 0;
};

// Files the device offers from memory, by name, while the folder holds no file of that name.
using BuiltInFiles = std::map<std::string, std::string>;

class SimFolder {
public:
    // Throws std::runtime_error when the folder does not exist.
    explicit SimFolder(const std::filesystem::path& root, BuiltInFiles builtIns = {});

    const std::filesystem::path& Root() const { return root_; }

    // Why a requested name is refused, or an empty text when it names a file in the folder.
    static std::string RefusalReason(const std::string& name);

    // Both throw SimFileError with the code to answer.
    FileSource OpenForReading(const std::string& name) const;
    std::unique_ptr<IncomingFile> CreateForWriting(const std::string& name) const;

private:
    std::filesystem::path PathOf(const std::string& name) const;

    std::filesystem::path root_;
    BuiltInFiles builtIns_;
};

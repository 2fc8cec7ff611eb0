#include "tftp/IdTFTPStreams.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <system_error>

namespace {

// The system's reason for the last failed call, if it left one.
std::string Reason(int error) {
    return error != 0 ? std::string(": ") + std::strerror(error) : std::string();
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

[[noreturn]] void RaiseFileError(const std::string& what, int error) {
    if (error != 0) {
        throw std::system_error(error, std::generic_category(), what);
    }
    throw std::runtime_error(what);
}

} // namespace

std::ofstream CreateLocalFile(const std::string& localPath) {
    errno = 0;
    std::ofstream file(localPath, std::ios::binary | std::ios::trunc);
    if (!file) {
        RaiseFileError("Cannot create file " + Quoted(localPath), errno);
    }
    return file;
}

void CloseLocalFile(std::ofstream& file, const std::string& localPath) {
    errno = 0;
    file.close();
    if (file.fail()) {
        RaiseFileError("Cannot write file " + Quoted(localPath), errno);
    }
}

std::ifstream OpenSourceFile(const std::string& localPath) {
    // A folder opens for reading on some systems and then has no end that a seek could find.
    std::error_code ignored;
    if (std::filesystem::is_directory(localPath, ignored)) {
        RaiseFileError("Cannot open file " + Quoted(localPath), EISDIR);
    }
    errno = 0;
    std::ifstream file(localPath, std::ios::binary);
    if (!file) {
        RaiseFileError("Cannot open file " + Quoted(localPath), errno);
    }
    return file;
}

void WriteBlock(std::ostream& destination, std::string_view data) {
    errno = 0;
    destination.write(data.data(), static_cast<std::streamsize>(data.size()));
    destination.flush();
    if (!destination) {
        throw std::runtime_error("Writing the received data failed" + Reason(errno));
    }
}

std::string ReadBlock(std::istream& source, std::size_t count) {
    std::string data(count, '\0');
    if (count == 0) {
        return data;
    }
    errno = 0;
    source.read(data.data(), static_cast<std::streamsize>(count));
    const auto got = static_cast<std::size_t>(source.gcount());
    if (got != count) {
        throw std::runtime_error("Reading the data to send failed after " + std::to_string(got) +
                                 " of " + std::to_string(count) + " bytes" + Reason(errno));
    }
    return data;
}

std::int64_t RemainingSize(std::istream& source) {
    const std::istream::pos_type start = source.tellg();
    if (start == std::istream::pos_type(-1)) {
        throw std::runtime_error("The data to send has no readable position");
    }
    source.seekg(0, std::ios::end);
    const std::istream::pos_type end = source.tellg();
    source.seekg(start);
    if (end == std::istream::pos_type(-1) || !source) {
        throw std::runtime_error("The size of the data to send cannot be determined");
    }
    return static_cast<std::int64_t>(end - start);
}

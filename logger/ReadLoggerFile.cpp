#include "logger/ReadLoggerFile.h"

#include "logger/Crc16Modbus.h"
#include "support/CFile.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::size_t kMaxBlockWords = kLoggerBlockBytes / 2;

std::string MalformedGroupMessage(unsigned block, std::size_t headerAt, std::uint32_t start,
                                  std::uint32_t count) {
    return "malformed logger data: the register group at word " + std::to_string(headerAt) +
           " of block " + std::to_string(block) + " (registers " + std::to_string(start) + " to " +
           std::to_string(start + count - 1) + ") runs past the end of the block";
}

} // namespace

std::string FileErrorMessage(int errorNumber) {
    return "file error (" + std::to_string(errorNumber) + ")";
}

bool LoggerBlockReader::AddBlock(const std::uint8_t* bytes, std::size_t size) {
    const std::size_t n = std::min(size, kLoggerBlockBytes) / 2;
    if (n == 0)
        return false;
    ++blocks_;
    if (bytes[0] != 0x19 || bytes[1] != 0x68) {
        result_.message = "no zel-500 data";
        return false;
    }
    if (Crc16Modbus(bytes, 2 * n) != 0) {
        result_.message = "data corrupt (wrong CRC)";
        return false;
    }
    std::array<std::uint16_t, kMaxBlockWords> words;
    for (std::size_t i = 0; i < n; ++i)
        words[i] = static_cast<std::uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);

    // A group header is recognised only while both its words lie before the checksum word.
    std::size_t p = 1;
    while (p + 2 < n) {
        CopyGroup(words.data(), n, p);
        p += 2 + std::size_t{words[p + 1]};
    }
    return true;
}

void LoggerBlockReader::CopyGroup(const std::uint16_t* words, std::size_t n, std::size_t headerAt) {
    // 32-bit arithmetic: a group may run past register 65535, those numbers simply fall
    // outside the logger's range.
    const std::uint32_t start = words[headerAt];
    const std::uint32_t count = words[headerAt + 1];
    if (count == 0)
        return;
    const std::uint32_t first = std::max(start, kFirstLoggerRegister);
    const std::uint32_t last = std::min(start + count - 1, kNewestSlotRegister);
    if (first > last)
        return;
    const std::size_t valuesAt = headerAt + 2;
    // Values may only come from the group area, words 1 to n-2: never from the checksum word,
    // from words the file did not hold, or from beyond the block.
    if (valuesAt + (last - start) > n - 2)
        throw ELoggerFormatError(MalformedGroupMessage(blocks_, headerAt, start, count));
    for (std::uint32_t r = first; r <= last; ++r)
        result_.image.SetRegister(r, words[valuesAt + (r - start)]);
    if (first == kFirstLoggerRegister)
        result_.image.FirstSlotSeen = true;
    if (last == kNewestSlotRegister)
        result_.image.NewestSlotSeen = true;
}

LoggerReadResult LoggerBlockReader::Finish(int fileError) && {
    if (fileError != 0)
        result_.message = FileErrorMessage(fileError);
    if (!result_.image.FirstSlotSeen && !result_.image.NewestSlotSeen)
        result_.message = "file contains no logger data (wrong range of registers)";
    return std::move(result_);
}

LoggerReadResult ReadLoggerFile(const std::string& path) {
    LoggerBlockReader reader;
    errno = 0;
    CFile file(path, "rb");
    if (!file)
        return std::move(reader).Finish(ErrnoOr(ENOENT));

    int error = 0;
    std::array<std::uint8_t, kLoggerBlockBytes> block;
    for (;;) {
        errno = 0;
        const std::size_t got = std::fread(block.data(), 1, block.size(), file.get());
        if (got < block.size() && std::ferror(file.get())) {
            error = ErrnoOr(EIO);
            break;
        }
        if (!reader.AddBlock(block.data(), got) || got < block.size())
            break;
    }
    errno = 0;
    const int closeError = file.Close();
    return std::move(reader).Finish(error != 0 ? error : closeError);
}

LoggerReadResult ReadLoggerData(std::string_view bytes) {
    LoggerBlockReader reader;
    for (std::size_t at = 0; at < bytes.size(); at += kLoggerBlockBytes) {
        const std::size_t size = std::min(kLoggerBlockBytes, bytes.size() - at);
        if (!reader.AddBlock(reinterpret_cast<const std::uint8_t*>(bytes.data() + at), size))
            break;
    }
    return std::move(reader).Finish(0);
}

#include "sim/LoggerWriter.h"

#include "logger/Crc16Modbus.h"

#include <algorithm>
#include <span>
#include <stdexcept>

namespace {

void AppendBigEndian(std::string& bytes, std::uint16_t word) {
    bytes += static_cast<char>(word >> 8);
    bytes += static_cast<char>(word & 0xFF);
}

// Fills blocks in turn and closes each once it is full.
class BlockPacker {
public:
    void Add(const RegisterGroup& group) {
        std::size_t done = 0;
        do {
            if (Room() < 3 && !(group.values.empty() && Room() == 2))
                CloseBlock(true);
            const std::size_t take = std::min(group.values.size() - done, Room() - 2);
            payload_.push_back(static_cast<std::uint16_t>(group.start + done));
            payload_.push_back(static_cast<std::uint16_t>(take));
            const auto values = std::span(group.values).subspan(done, take);
            payload_.insert(payload_.end(), values.begin(), values.end());
            done += take;
        } while (done < group.values.size());
    }

    std::string Finish() {
        CloseBlock(false);
        return file_;
    }

private:
    std::size_t Room() const { return kBlockPayloadWords - payload_.size(); }

    void CloseBlock(bool fill) {
        if (fill)
            payload_.resize(kBlockPayloadWords, 0);
        file_ += EncodeLoggerBlock(payload_);
        payload_.clear();
    }

    std::vector<std::uint16_t> payload_;
    std::string file_;
};

} // namespace

std::string EncodeLoggerBlock(const std::vector<std::uint16_t>& payload) {
    if (payload.size() > kBlockPayloadWords)
        throw std::length_error("logger block payload of " + std::to_string(payload.size()) +
                                " words exceeds " + std::to_string(kBlockPayloadWords));
    std::string bytes;
    AppendBigEndian(bytes, 0x1968);
    for (std::uint16_t word : payload)
        AppendBigEndian(bytes, word);
    const std::uint16_t crc =
        Crc16Modbus(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    bytes += static_cast<char>(crc & 0xFF);
    bytes += static_cast<char>(crc >> 8);
    return bytes;
}

std::vector<std::uint16_t> GroupWords(const std::vector<RegisterGroup>& groups) {
    std::vector<std::uint16_t> words;
    for (const RegisterGroup& group : groups) {
        words.push_back(group.start);
        words.push_back(static_cast<std::uint16_t>(group.values.size()));
        words.insert(words.end(), group.values.begin(), group.values.end());
    }
    return words;
}

std::string EncodeLoggerFile(const std::vector<RegisterGroup>& groups) {
    BlockPacker packer;
    for (const RegisterGroup& group : groups) {
        if (group.start + group.values.size() > 0x10000)
            throw std::length_error("register group at " + std::to_string(group.start) +
                                    " runs past register 65535");
        packer.Add(group);
    }
    return packer.Finish();
}

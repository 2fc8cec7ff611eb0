#include "SimTestKit.h"

#include "common/TestEnvironment.h"
#include "logger/SampleLogger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() : path_(MakeTempFolder("quorvel-simtest-")) {}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void ScratchFolder::Write(const std::string& name, const std::string& content) const {
    std::ofstream(path_ / name, std::ios::binary) << content;
}

std::string ScratchFolder::Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> ScratchFolder::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string PatternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 509) & 0xFF);
    }
    return bytes;
}

std::size_t SampleLoggerEvents() {
    const LoggerImage image = SampleLoggerImage(kDefaultZelSeed);
    std::size_t events = 0;
    for (unsigned slot = 0; slot < kLoggerSlots; ++slot) {
        events += image.Record(slot).code != 0 ? 1 : 0;
    }
    return events;
}

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

std::function<void(const std::string&)> LogCapture::Sink() {
    return [this](const std::string& line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
    };
}

bool LogCapture::WaitFor(const std::string& text) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    do {
        {
            std::lock_guard lock(mutex_);
            for (const auto& line : lines_) {
                if (line.find(text) != std::string::npos) {
                    return true;
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < until);
    return false;
}

std::size_t LogCapture::Count(const std::string& text) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(lines_.begin(), lines_.end(),
                      [&](const auto& line) { return line.find(text) != std::string::npos; }));
}

std::vector<std::string> LogCapture::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

SimHarness::SimHarness(const SimFaults& faults, unsigned timeoutMs, unsigned retries) {
    SimOptions options;
    options.folder = folder.Path().string();
    options.timeoutMs = timeoutMs;
    options.retries = retries;
    options.faults = faults;
    options.log = log.Sink();
    server_ = std::make_unique<SimServerThread>(options);
}

RawPeer::RawPeer(std::uint16_t serverPort)
    : socket_("127.0.0.1", 0), server_{"127.0.0.1", serverPort} {}

void RawPeer::SendRequest(const std::string& packet) const {
    socket_.SendTo(packet, server_);
}

namespace {

TIdTFTPOptions BlockSizeOption(std::optional<int> blockSize) {
    if (!blockSize) {
        return {};
    }
    return {{TFTP_BLKSIZE_OPTION, std::to_string(*blockSize)}};
}

} // namespace

void RawPeer::SendReadRequest(const std::string& name, std::optional<int> blockSize) const {
    SendRequest(BuildRequestPacket(TFTP_RRQ, name, "octet", BlockSizeOption(blockSize)));
}

void RawPeer::SendWriteRequest(const std::string& name, std::optional<int> blockSize) const {
    SendRequest(BuildRequestPacket(TFTP_WRQ, name, "octet", BlockSizeOption(blockSize)));
}

void RawPeer::Reply(const std::string& packet) const {
    socket_.SendTo(packet, last_.from);
}

void RawPeer::SendTo(const std::string& packet, const UdpAddress& to) const {
    socket_.SendTo(packet, to);
}

std::optional<Datagram> RawPeer::Receive(int waitMs) {
    auto datagram = socket_.Receive(waitMs);
    if (datagram) {
        last_ = *datagram;
    }
    return datagram;
}

Datagram RawPeer::Expect(int waitMs) {
    auto datagram = Receive(waitMs);
    if (!datagram) {
        ADD_FAILURE() << "no packet from the simulator within " << waitMs << " ms";
        return {};
    }
    return *datagram;
}

std::string RawPeer::ReadToEnd(std::size_t blockSize) {
    std::string data;
    for (;;) {
        const Datagram packet = Expect();
        if (packet.data.size() < TFTP_HEADER_SIZE) {
            return data;
        }
        if (OpcodeOf(packet) == TFTP_OACK) {
            Reply(BuildAckPacket(0));
            continue;
        }
        if (OpcodeOf(packet) != TFTP_DATA) {
            ADD_FAILURE() << "expected DATA, got opcode " << OpcodeOf(packet);
            return data;
        }
        data.append(DataPayload(packet.data));
        Reply(BuildAckPacket(WordOf(packet)));
        if (packet.data.size() - TFTP_HEADER_SIZE < blockSize) {
            return data;
        }
    }
}

std::uint16_t OpcodeOf(const Datagram& datagram) {
    return datagram.data.size() >= 2 ? PacketOpcode(datagram.data) : 0xFFFF;
}

std::uint16_t WordOf(const Datagram& datagram) {
    return datagram.data.size() >= TFTP_HEADER_SIZE ? PacketWord(datagram.data) : 0xFFFF;
}

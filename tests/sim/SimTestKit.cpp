#include "tests/sim/SimTestKit.h"
#include "support/PathText.h"

#include "sim/SampleLogger.h"
#include "tests/kit/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

std::size_t SampleLoggerEvents() {
    const LoggerImage image = SampleLoggerImage(kDefaultZelSeed);
    std::size_t events = 0;
    for (unsigned slot = 0; slot < kLoggerSlots; ++slot) {
        if (image.Record(slot).code != 0) {
            ++events;
        }
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

SimHarness::SimHarness(const SimFaults& faults, unsigned timeoutMs, unsigned retries)
    : SimHarness([&] {
          SimOptions options;
          options.timeoutMs = timeoutMs;
          options.retries = retries;
          options.faults = faults;
          return options;
      }()) {}

SimHarness::SimHarness(SimOptions options) {
    options.folder = PathText(folder.Path());
    options.log = log.Sink();
    server_ = std::make_unique<SimServerThread>(options);
}

std::vector<std::string> SimHarness::Requests() {
    const std::string probe = "probe-" + std::to_string(++probes_);
    RawPeer(Port()).SendReadRequest(probe);
    EXPECT_TRUE(log.WaitFor(probe)) << "the simulator does not answer";
    std::vector<std::string> requests;
    for (const std::string& line : log.Lines()) {
        const bool request =
            line.find("RRQ") != std::string::npos || line.find("WRQ") != std::string::npos;
        if (request && line.find("\"probe-") == std::string::npos) {
            requests.push_back(line);
        }
    }
    return requests;
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
    socket_.SendTo(packet, last_.From);
}

void RawPeer::SendTo(const std::string& packet, const TIdUDPAddress& to) const {
    socket_.SendTo(packet, to);
}

std::optional<TIdDatagram> RawPeer::Receive(int waitMs) {
    auto datagram = socket_.Receive(waitMs);
    if (datagram) {
        last_ = *datagram;
    }
    return datagram;
}

TIdDatagram RawPeer::Expect(int waitMs) {
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
        const TIdDatagram packet = Expect();
        if (packet.Data.size() < TFTP_HEADER_SIZE) {
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
        data.append(DataPayload(packet.Data));
        Reply(BuildAckPacket(WordOf(packet)));
        if (packet.Data.size() - TFTP_HEADER_SIZE < blockSize) {
            return data;
        }
    }
}

std::uint16_t OpcodeOf(const TIdDatagram& datagram) {
    return datagram.Data.size() >= 2 ? PacketOpcode(datagram.Data) : 0xFFFF;
}

std::uint16_t WordOf(const TIdDatagram& datagram) {
    return datagram.Data.size() >= TFTP_HEADER_SIZE ? PacketWord(datagram.Data) : 0xFFFF;
}

#include "sim/SerialSimServer.h"

#include "sim/DeviceFolder.h"
#include "sim/PacketText.h"
#include "tftp/IdTrivialFTPBase.h"

#include <algorithm>

namespace {

using SteadyClock = std::chrono::steady_clock;

// How soon the serving loop notices Stop() while the line is quiet.
constexpr std::chrono::milliseconds kStopCheck{100};

bool HasOpcode(const std::string& packet, std::uint16_t opcode) {
    return packet.size() >= 2 && PacketOpcode(packet) == opcode;
}

bool IsRequest(const std::string& packet) {
    return HasOpcode(packet, TFTP_RRQ) || HasOpcode(packet, TFTP_WRQ);
}

bool IsWakeUpPart(const std::string& packet) {
    return packet.find_first_not_of('&') == std::string::npos;
}

} // namespace

SerialSimServer::SerialSimServer(SimOptions options, std::unique_ptr<SimLine> line)
    : options_(WithStdoutLog(std::move(options))), serial_(options_.serial.value()),
      folder_(DeviceFolder(options_)), line_(std::move(line)), link_(*line_, serial_),
      inTransferMode_(!serial_.wakeRequired) {}

void SerialSimServer::Serve() {
    while (!stopRequested_) {
        auto until = SteadyClock::now() + kStopCheck;
        if (transfer_) {
            until = std::min(until, transfer_->Deadline());
        }
        if (const auto event = link_.Next(until)) {
            event->hangUp ? OnHangUp() : OnPacket(event->packet);
        }
        if (transfer_) {
            transfer_->OnTimer(SteadyClock::now(), Sender());
            if (transfer_->Done()) {
                transfer_.reset();
            }
        }
    }
    EndTransfer("the simulator stops");
}

void SerialSimServer::OnPacket(const std::string& packet) {
    if (options_.verbose) {
        Log("got " + DescribePacket(packet));
    }
    if (!IsWakeUpPart(packet)) {
        wakeUpCount_ = 0;
    }
    if (IsRequest(packet)) {
        OnRequest(packet);
    } else if (transfer_) {
        transfer_->OnPacket(packet, Sender());
    } else {
        OnIdlePacket(packet);
    }
}

void SerialSimServer::OnRequest(const std::string& packet) {
    if (!inTransferMode_) {
        Log("ignored " + DescribePacket(packet) +
            ": not in transfer mode (send \"&\" three times)");
        return;
    }
    // One transfer at a time: a client that sends a new request has given up the old one.
    EndTransfer("a new request came");
    const RequestVerdict verdict = CheckRequest(packet);
    if (!verdict.request) {
        const std::uint16_t code = verdict.errorCode.value_or(ERR_ILLEGAL_OPERATION);
        Log("refused " + DescribePacket(packet) + ": ERROR " + std::to_string(code) + " \"" +
            verdict.errorText + "\"");
        Put(BuildErrorPacket(code, verdict.errorText));
        return;
    }
    transfer_ = std::make_unique<SimTransfer>(
        ++nextId_, CreateSession(*verdict.request, folder_, options_.faults, options_.retries),
        options_);
    transfer_->Log(DescribePacket(packet) + " on the serial line");
    transfer_->Start(Sender());
}

void SerialSimServer::OnIdlePacket(const std::string& packet) {
    if (IsWakeUpPart(packet)) {
        wakeUpCount_ += packet.size();
        if (wakeUpCount_ >= 3) {
            wakeUpCount_ = 0;
            inTransferMode_ = true;
            Log("wake-up \"&&&\": answered \"transfer mode on\\r\\n\"");
            Put(kWakeUpAnswer);
        }
        return;
    }
    if (!HasOpcode(packet, TFTP_ERROR)) {
        Log("ignored " + DescribePacket(packet) + ": no transfer is running");
    }
}

void SerialSimServer::OnHangUp() {
    wakeUpCount_ = 0;
    if (options_.verbose) {
        Log("the client closed the line");
    }
    EndTransfer("the client closed the line");
}

void SerialSimServer::EndTransfer(const std::string& why) {
    if (transfer_) {
        transfer_->Abandon(why);
        transfer_.reset();
    }
}

SimTransfer::Send SerialSimServer::Sender() {
    return [this](const Delivery& delivery) {
        if (delivery.stray) {
            return; // a serial line has no second port to send from
        }
        // Once the client has gone, the rest of the answer belongs to nobody: a new client
        // that has opened the line meanwhile must not get it.
        if (!link_.Send(delivery.packet)) {
            transfer_->Log("nobody has the line open: " + DescribePacket(delivery.packet) +
                           " is lost");
        } else if (options_.verbose) {
            transfer_->Log("sent " + DescribePacket(delivery.packet));
        }
    };
}

void SerialSimServer::Put(const std::string& bytes) {
    if (!link_.Send(bytes)) {
        Log("nobody has the line open: the answer is lost");
    }
}

void SerialSimServer::Log(const std::string& line) const {
    options_.log(line);
}

SerialSimThread::SerialSimThread(SimOptions options) : server_(std::move(options), MakePtyLine()) {}

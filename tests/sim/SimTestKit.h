// Test kit for the device simulator: a scratch folder, a simulator serving it on a thread, a
// capture of its log, and a raw UDP peer that speaks packets by hand.
#pragma once

#include "sim/SimServer.h"
#include "tests/kit/Bytes.h"
#include "tests/kit/TempFolder.h"
#include "tftp/IdTrivialFTPBase.h"

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The events in the simulator's generated plog.zel: one CSV line each.
std::size_t SampleLoggerEvents();
std::size_t LineCount(const std::string& text);

class LogCapture {
public:
    std::function<void(const std::string&)> Sink();
    // Waits up to two seconds for a line containing text (the server logs on its own thread).
    bool WaitFor(const std::string& text) const;
    // Lines containing text so far.
    std::size_t Count(const std::string& text) const;
    std::vector<std::string> Lines() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

class SimHarness {
public:
    explicit SimHarness(const SimFaults& faults = {}, unsigned timeoutMs = 150,
                        unsigned retries = 2);
    // Any options; the harness gives them its folder and its log.
    explicit SimHarness(SimOptions options);
    std::uint16_t Port() const { return server_->Port(); }
    // The requests (RRQ and WRQ lines) the simulator has logged so far, exactly: it takes
    // requests in the order they came, so once a request sent now has been logged, every
    // earlier one has been too.
    std::vector<std::string> Requests();

    TempFolder folder;
    LogCapture log;

private:
    std::unique_ptr<SimServerThread> server_;
    unsigned probes_ = 0;
};

class RawPeer {
public:
    explicit RawPeer(std::uint16_t serverPort);

    void SendRequest(const std::string& packet) const;
    void SendReadRequest(const std::string& name, std::optional<int> blockSize = 512) const;
    void SendWriteRequest(const std::string& name, std::optional<int> blockSize = 512) const;
    // Sends to whoever sent the last packet received.
    void Reply(const std::string& packet) const;
    void SendTo(const std::string& packet, const TIdUDPAddress& to) const;

    // The next packet, or nothing after waitMs.
    std::optional<TIdDatagram> Receive(int waitMs = 2000);
    // The next packet; records a test failure and returns an empty datagram when none comes.
    TIdDatagram Expect(int waitMs = 2000);

    // Acknowledges DATA until a short block and returns the data; the first packet must be
    // the answer to a read request already sent (an OACK is acknowledged with ACK 0).
    std::string ReadToEnd(std::size_t blockSize = 512);

private:
    UdpSocket socket_;
    TIdUDPAddress server_;
    TIdDatagram last_;
};

// Opcode and block/error word of a packet, with readable failures for short packets.
std::uint16_t OpcodeOf(const TIdDatagram& datagram);
std::uint16_t WordOf(const TIdDatagram& datagram);

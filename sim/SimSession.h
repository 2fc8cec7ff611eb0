// One transfer as the simulated device sees it, apart from how packets travel.
//
// A session is fed with the packets its client sends and with the expiry of its reply timer, and
// answers with the packets to send back. It knows nothing of sockets or serial lines, so the same
// sessions serve any transport: the transport only delivers packets, keeps the timer (restarted
// whenever the session hands out packets) and ends the transfer when Finished() says so.
#pragma once

#include "sim/SimFolder.h"
#include "sim/SimOptions.h"
#include "tftp/IdTrivialFTPBase.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Packets = std::vector<std::string>;

class SimSession {
public:
    virtual ~SimSession() = default;

    // The answer to the request: an OACK, DATA 1, ACK 0 or an ERROR.
    virtual Packets Start() = 0;
    // A packet from this transfer's client.
    virtual Packets OnPacket(std::string_view packet) = 0;
    // The client did not answer in time: the last packet again, or nothing once the retries
    // are used up (the session then ends).
    Packets OnTimeout();

    // Nothing more is sent or accepted.
    bool Finished() const { return finished_; }
    // The transfer's outcome is known (it may still linger to answer a repeated last packet).
    bool HasEnded() const { return reported_; }
    // How the transfer ended ("sent 1024 bytes in 3 blocks", "failed: ..."), handed out once.
    std::optional<std::string> TakeResult();
    // Remarks worth a log line (ignored packets, retransmissions), handed out once.
    std::vector<std::string> TakeNotes();

protected:
    SimSession(const SimFaults& faults, unsigned retries);

    struct Negotiation {
        std::size_t blockSize = TFTP_DEFAULT_BLOCK_SIZE;
        std::optional<std::string> oack;
    };
    // The block size of the transfer and the OACK that announces it, if one is due.
    Negotiation Negotiate(const TIdTFTPRequest& request, std::uint64_t fileSize) const;

    // A new packet; it is the one repeated when the client does not answer.
    Packets Send(std::string packet);
    // The packet sent last, again (a duplicate from the client asks for it).
    Packets Repeat();
    // Answers with ERROR and ends the transfer.
    Packets Fail(std::uint16_t code, const std::string& text);
    // The ERROR of the error switch, when it is due at this block (0: the request).
    std::optional<Packets> SwitchedError(unsigned block);
    // Packets that are neither DATA nor ACK: a client's ERROR ends the transfer quietly, a
    // short packet is ignored, anything else is an illegal operation.
    Packets OnOtherPacket(std::string_view packet);

    void Report(const std::string& result);
    // Ends the transfer: what it holds is released first, so that its result is told only once
    // the folder shows it.
    void End(const std::string& result);
    virtual void Release() {}
    // The result is known, but stay one more timer period to answer a repeated last packet.
    void Linger() { lingering_ = true; }
    void Note(const std::string& note) { notes_.push_back(note); }

    const SimFaults& faults_;

private:
    unsigned retries_;
    unsigned retriesUsed_ = 0;
    std::string outstanding_;
    bool finished_ = false;
    bool lingering_ = false;
    bool reported_ = false;
    std::optional<std::string> result_;
    std::vector<std::string> notes_;
};

// What to do with a packet that arrived where requests arrive (the request port, or an idle
// serial line): start a transfer, answer with an ERROR, or ignore it (an ERROR is never
// answered with an ERROR).
struct RequestVerdict {
    std::optional<TIdTFTPRequest> request;
    std::optional<std::uint16_t> errorCode;
    std::string errorText;
};
RequestVerdict CheckRequest(std::string_view packet);

// A read or write session for a request that CheckRequest accepted.
std::unique_ptr<SimSession> CreateSession(const TIdTFTPRequest& request, const SimFolder& folder,
                                          const SimFaults& faults, unsigned retries);

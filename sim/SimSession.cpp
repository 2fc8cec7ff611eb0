#include "sim/SimSession.h"

#include "sim/PacketText.h"
#include "sim/ReadSession.h"
#include "sim/WriteSession.h"
#include "support/IntText.h"

#include <algorithm>
#include <cctype>

namespace {

// The largest data part of a DATA packet that still fits into one UDP datagram over IPv4.
constexpr std::size_t kLargestSendableBlock = 65507 - TFTP_HEADER_SIZE;

// The block size the simulator itself uses for an announced value: the value when a datagram
// can carry blocks of that size, else the protocol's default.
std::size_t UsableBlockSize(const std::string& announced) {
    const std::optional<std::int64_t> value = ParseInteger(announced, {}, 1, kLargestSendableBlock);
    return value ? static_cast<std::size_t>(*value) : TFTP_DEFAULT_BLOCK_SIZE;
}

bool KnownMode(std::string mode) {
    std::transform(mode.begin(), mode.end(), mode.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // Data is stored as it comes in either mode, as the device does.
    return mode == "octet" || mode == "netascii";
}

} // namespace

RequestVerdict CheckRequest(std::string_view packet) {
    RequestVerdict verdict;
    if (packet.size() >= 2 && PacketOpcode(packet) == TFTP_ERROR) {
        return verdict;
    }
    try {
        verdict.request = DecodeRequest(packet);
    } catch (const EIdTFTPException& error) {
        verdict.errorCode = ERR_ILLEGAL_OPERATION;
        verdict.errorText = error.what();
        return verdict;
    }
    if (!KnownMode(verdict.request->Mode)) {
        verdict.errorCode = ERR_ILLEGAL_OPERATION;
        verdict.errorText =
            "Unknown transfer mode \"" + PrintableText(verdict.request->Mode) + "\"";
        verdict.request.reset();
    }
    return verdict;
}

SimSession::SimSession(const SimFaults& faults, unsigned retries)
    : faults_(faults), retries_(retries) {}

Packets SimSession::OnTimeout() {
    if (finished_) {
        return {};
    }
    if (lingering_) {
        finished_ = true;
        return {};
    }
    if (retriesUsed_ >= retries_) {
        End("gave up: no answer from the client after " + std::to_string(retries_) + " retries");
        return {};
    }
    ++retriesUsed_;
    Note("no answer, sending " + DescribePacket(outstanding_) + " again");
    return {outstanding_};
}

std::optional<std::string> SimSession::TakeResult() {
    std::optional<std::string> result;
    result.swap(result_);
    return result;
}

std::vector<std::string> SimSession::TakeNotes() {
    std::vector<std::string> notes;
    notes.swap(notes_);
    return notes;
}

SimSession::Negotiation SimSession::Negotiate(const TIdTFTPRequest& request,
                                              std::uint64_t fileSize) const {
    Negotiation result;
    const auto option =
        std::find_if(request.Options.begin(), request.Options.end(), [](const auto& pair) {
            return SameOptionName(pair.first, TFTP_BLKSIZE_OPTION);
        });
    if (option == request.Options.end() || faults_.ignoreOptions) {
        return result;
    }
    std::string announced;
    if (faults_.oackBlockSize) {
        announced = *faults_.oackBlockSize;
    } else if (const auto requested = ParseBlockSize(option->second)) {
        announced = std::to_string(*requested);
    } else {
        return result; // a value outside 8..65464 is ignored, as a server may
    }
    result.blockSize = UsableBlockSize(announced);
    TIdTFTPOptions options;
    if (faults_.oackExtraOption) {
        options.emplace_back("tsize", std::to_string(fileSize));
    }
    options.emplace_back(faults_.oackUpperCase ? "BLKSIZE" : TFTP_BLKSIZE_OPTION, announced);
    result.oack = BuildOptionAckPacket(options);
    return result;
}

Packets SimSession::Send(std::string packet) {
    outstanding_ = std::move(packet);
    retriesUsed_ = 0;
    return {outstanding_};
}

Packets SimSession::Repeat() {
    return {outstanding_};
}

Packets SimSession::Fail(std::uint16_t code, const std::string& text) {
    End("failed: ERROR " + std::to_string(code) + " \"" + text + "\"");
    return {BuildErrorPacket(code, text)};
}

std::optional<Packets> SimSession::SwitchedError(unsigned block) {
    if (!faults_.errorCode || faults_.errorAtBlock != block) {
        return std::nullopt;
    }
    return Fail(*faults_.errorCode, faults_.errorText);
}

Packets SimSession::OnOtherPacket(std::string_view packet) {
    if (packet.size() < TFTP_HEADER_SIZE) {
        Note("ignored a " + DescribePacket(packet));
        return {};
    }
    if (PacketOpcode(packet) == TFTP_ERROR) {
        End("ended by the client's " + DescribePacket(packet));
        return {};
    }
    return Fail(ERR_ILLEGAL_OPERATION,
                "Illegal TFTP operation: unexpected " + DescribePacket(packet));
}

void SimSession::Report(const std::string& result) {
    if (!reported_) {
        reported_ = true;
        result_ = result;
    }
}

void SimSession::End(const std::string& result) {
    Release();
    Report(result);
    finished_ = true;
}

std::unique_ptr<SimSession> CreateSession(const TIdTFTPRequest& request, const SimFolder& folder,
                                          const SimFaults& faults, unsigned retries) {
    if (request.Opcode == TFTP_RRQ) {
        return std::make_unique<ReadSession>(request, folder, faults, retries);
    }
    return std::make_unique<WriteSession>(request, folder, faults, retries);
}

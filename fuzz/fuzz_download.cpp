// libFuzzer target over the download's state machine, driven by the fuzzed replies of a device on
// the network or the serial line (FuzzedExchange.h); one more settings byte in front limits the
// destination, as a full disk does (0: no limit, else 16 bytes per unit).
//
// Besides "no crash, no sanitizer report", whatever the device sends: the client answers every
// packet it takes in with the ACK of its block (ACK 0 for an option acknowledgement), or last with
// an ERROR (which may follow the ACK of a full block whose store failed); it stores the new blocks
// in order, each once, and nothing else (a destination that refuses holds a start of them, and the
// download fails); it returns exactly when a block shorter than a full block has been stored; and
// it fails only with the TFTP layer's exceptions or the destination's own failure.
#include "fuzz/FuzzedExchange.h"

#include <ostream>
#include <streambuf>

namespace {

// A destination that holds at most limit bytes (0: any number) and refuses the rest.
class LimitedBuffer final : public std::streambuf {
public:
    explicit LimitedBuffer(std::size_t limit) : Limit(limit) {}

    std::string data;
    bool refused = false;

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        auto room = Limit == 0 ? count : static_cast<std::streamsize>(Limit - data.size());
        if (room < count) {
            refused = true;
        }
        room = std::min(room, count);
        data.append(bytes, static_cast<std::size_t>(room));
        return room;
    }

private:
    const std::size_t Limit;
};

// What the client has stored according to the packets it took in and its answers to them.
struct StoredBlocks {
    std::string data;
    std::int32_t last = -1; // number of the block stored last
    bool wrapped = false;
    std::size_t full = TFTP_DEFAULT_BLOCK_SIZE;
    bool finished = false;

    bool IsNew(std::uint16_t block) const {
        return (last == -1 || last == 65535) ? block <= 1 : block == last + 1;
    }

    // Follows one DATA packet that the client acknowledged.
    void Data(const std::string& packet) {
        const std::uint16_t block = PacketWord(packet);
        if (!IsNew(block)) {
            Check(block <= last ||
                      (wrapped && BlockPrecedes(block, static_cast<std::uint16_t>(last))),
                  "a block is acknowledged without storing it only when it came before");
            return;
        }
        const std::string_view payload = DataPayload(packet);
        Check(payload.size() <= full, "no block is larger than the agreed block size");
        wrapped = wrapped || (last == 65535);
        data.append(payload);
        last = block;
        finished = payload.size() < full;
    }

    // Follows one option acknowledgement that the client acknowledged.
    void OptionAck(const std::string& packet) {
        const TIdTFTPOptions options = DecodeOptions(packet, 2);
        if (!options.empty() && SameOptionName(options.front().first, TFTP_BLKSIZE_OPTION)) {
            const auto size = ParseBlockSize(options.front().second);
            Check(size.has_value(), "only a valid block size is agreed");
            full = static_cast<std::size_t>(*size);
        }
    }
};

// Walks the packets the client took in, each with the answer it sent; returns what it must have
// stored.
StoredBlocks FollowExchange(const FuzzedExchange& exchange, bool failed) {
    StoredBlocks stored;
    for (std::size_t i = 0; i < exchange.received.size(); ++i) {
        Check(!stored.finished, "nothing is taken in after the last block");
        const std::string& packet = exchange.received[i];
        const std::string* answer = i + 1 < exchange.sent.size() ? &exchange.sent[i + 1] : nullptr;
        if (answer == nullptr || PacketOpcode(*answer) == TFTP_ERROR) {
            // Short packets, ERROR packets, unknown opcodes, refused blocks or block sizes and
            // failed stores end the download; the client tells the device where it can.
            Check(failed && i + 1 == exchange.received.size(), "only the last packet ends it");
            break;
        }
        Check(packet.size() >= TFTP_HEADER_SIZE, "a short packet is never acknowledged");
        if (PacketOpcode(packet) == TFTP_DATA) {
            Check(*answer == BuildAckPacket(PacketWord(packet)), "DATA n is answered by ACK n");
            stored.Data(packet);
        } else {
            Check(PacketOpcode(packet) == TFTP_OACK && *answer == BuildAckPacket(0),
                  "only DATA and OACK are acknowledged, OACK with ACK 0");
            stored.OptionAck(packet);
        }
    }
    // A full block is acknowledged before it is stored; should the store fail, an ERROR follows.
    const bool errorAfterAck = failed && exchange.sent.size() == exchange.received.size() + 2 &&
                               PacketOpcode(exchange.sent.back()) == TFTP_ERROR;
    Check(exchange.sent.size() <= exchange.received.size() + 1 || errorAfterAck,
          "nothing is sent unasked");
    return stored;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputBytes input(data, size);
    LimitedBuffer destination(input.Byte() * std::size_t{16});
    FuzzedExchange exchange(input);
    std::ostream stream(&destination);
    bool failed = true;
    try {
        exchange.client.Download("plog.zel", stream);
        failed = false;
    } catch (const EIdException&) {
    } catch (const std::runtime_error&) {
        Check(destination.refused, "only the destination's own failure leaves as it was raised");
    }
    exchange.CheckFrame(TFTP_RRQ, "plog.zel");
    const StoredBlocks stored = FollowExchange(exchange, failed);
    Check(failed != stored.finished, "the download returns exactly after the last block");
    // The blocks reach the destination in pieces, so a destination that refuses holds a start
    // of them; its refusal fails the download, at the latest when its last block is stored.
    Check(failed || !destination.refused, "a destination that refused data fails the download");
    Check(destination.refused ? stored.data.starts_with(destination.data) ||
                                    destination.data.starts_with(stored.data)
                              : destination.data == stored.data,
          "the new blocks are stored in order, each once, and nothing else");
    Check(exchange.workMax == 0 &&
              exchange.workTotal == static_cast<std::int64_t>(stored.data.size()),
          "the work total counts the stored bytes");
    return 0;
}

// libFuzzer target over the upload's state machine, driven by the fuzzed replies of a device on
// the network or the serial line (FuzzedExchange.h). Three settings bytes in front: the size of
// the file (two bytes, 1 to 3000) and the retry count (0 to 4).
//
// Besides "no crash, no sanitizer report", whatever the device sends: DATA blocks go out in order,
// numbered 1, 2, 3 ..., each carrying the next bytes of the file, as many as the block size in
// force allows; a block goes out again only as the same packet; on the serial line nothing is
// sent after a silent slice; an ERROR is only ever the last packet, and only of a failed upload;
// and an upload returns only once the whole file, ended by a short block, has gone out.
#include "fuzz/FuzzedExchange.h"

#include <sstream>

namespace {

std::string MakeFile(std::size_t size) {
    std::string file(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        file[i] = static_cast<char>(i * 7 + i / 251); // no two blocks alike
    }
    return file;
}

// What the client has sent of the file, followed through the exchange.
struct SentBlocks {
    explicit SentBlocks(const std::string& source) : file(source) {}

    const std::string& file;
    std::size_t offset = 0;
    std::uint16_t block = 0; // of the current DATA packet; 0 stands for the request
    std::string current;
    std::size_t full = TFTP_DEFAULT_BLOCK_SIZE;
    bool finished = false;

    // Follows a packet the client took in: an agreed block size counts from now on. A refused
    // one ends the upload (checked with the ERROR that tells the device).
    void Received(const std::string& packet) {
        if (packet.size() < TFTP_HEADER_SIZE || PacketOpcode(packet) != TFTP_OACK) {
            return;
        }
        const TIdTFTPOptions options = DecodeOptions(packet, 2);
        if (!options.empty() && SameOptionName(options.front().first, TFTP_BLKSIZE_OPTION)) {
            full = static_cast<std::size_t>(ParseBlockSize(options.front().second).value_or(0));
        }
    }

    // Follows a DATA packet the client sent.
    void Sent(const std::string& packet) {
        if (packet == current) {
            return; // the current block once more
        }
        Check(!finished, "nothing new goes out after the last block");
        Check(PacketOpcode(packet) == TFTP_DATA, "only DATA packets follow the request");
        ++block;
        Check(PacketWord(packet) == block, "blocks go out in order");
        const std::string_view payload = DataPayload(packet);
        Check(payload.size() == std::min(full, file.size() - offset),
              "every block is as full as the block size and the rest of the file allow");
        Check(file.compare(offset, payload.size(), payload) == 0, "a block carries the next bytes");
        offset += payload.size();
        current = packet;
        finished = payload.size() < full;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputBytes input(data, size);
    const auto fileSize = static_cast<std::size_t>(1 + (input.Byte() | input.Byte() << 8) % 3000);
    const std::int32_t retries = static_cast<std::int32_t>(input.Choice(5));
    FuzzedExchange exchange(input);
    const std::string file = MakeFile(fileSize);
    std::istringstream source(file);
    bool failed = true;
    try {
        exchange.client.Upload(source, "R7.pfo", retries);
        failed = false;
    } catch (const EIdException&) {
    }
    exchange.CheckFrame(TFTP_WRQ, "R7.pfo");

    SentBlocks blocks(file);
    std::size_t sent = 1;
    std::size_t received = 0;
    for (std::size_t i = 1; i < exchange.order.size(); ++i) {
        if (exchange.order[i] == 'r') {
            blocks.Received(exchange.received[received++]);
        } else if (exchange.order[i] == 's') {
            Check(!exchange.serial || exchange.order[i - 1] == 'r',
                  "on the serial line only a packet taken in is answered");
            const std::string& packet = exchange.sent[sent++];
            if (PacketOpcode(packet) == TFTP_ERROR) {
                Check(failed && sent == exchange.sent.size(), "an ERROR only ends a failure");
            } else {
                blocks.Sent(packet);
            }
        }
    }
    Check(failed || (blocks.finished && blocks.offset == file.size()),
          "an upload returns only once the whole file has gone out");
    Check(exchange.workMax == static_cast<std::int64_t>(file.size()) &&
              exchange.workTotal == static_cast<std::int64_t>(blocks.offset),
          "the work total counts the bytes sent");
    return 0;
}

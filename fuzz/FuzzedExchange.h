// One fuzzed transfer of the TFTP client: the client's settings and the device's replies, read
// from an input, played through a channel that records what passes in both directions.
//
// Input: the settings bytes (see the constructor), then the device's replies cut at the
// separator. On the network every reply is one datagram and an empty one a reply slice that
// passes in silence. On the serial line the real serial transport reads them from a line in
// virtual time: a reply goes out once the client has written (the device answers what it was
// sent), an empty reply is a second of silence first, and "%~" inside a reply is a short pause
// that cuts it in two, as a stalled adapter does.
#pragma once

#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzLine.h"
#include "serial/zivud232.h"
#include "tftp/IdTFTPTransport.h"
#include "tftp/IdTrivialFTP.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

inline constexpr std::string_view kShortPauseMark = "%~";

class FuzzedExchange {
public:
    // Reads four settings bytes from input, then takes the rest as the replies:
    //   1: bit 0 serial line; bits 1-2 reply slices - 1; bit 3 netascii; bits 4-7 the slice
    //      after which the user cancels (0: never);
    //   2: the block size the client asks for;
    //   3: the serial gap, 1 to 20 ms;
    //   4: the short pause inside a serial reply, 1 to 256 ms.
    explicit FuzzedExchange(InputBytes& input);

    TIdTrivialFTP client;
    std::vector<std::string> replies;
    bool serial = false;

    // What passed: every packet the client sent (the request first) and every packet it took
    // in, in order. A packet that arrived in the slice of the cancel is not taken in, unless the
    // cancel came after an upload's last block had gone out, when it goes unheard.
    std::vector<std::string> sent;
    std::vector<std::string> received;
    // Both in the order they passed, with the reply slices that passed in silence: 's' for a
    // packet sent, 'r' for one taken in, '-' for a silent slice.
    std::string order;
    // The work events.
    int begins = 0;
    int ends = 0;
    std::int64_t workMax = -1;
    std::int64_t workTotal = 0;

    // The checks every transfer must pass, whatever its outcome: work begun and ended once, the
    // request as configured, the channel closed.
    void CheckFrame(std::uint16_t opcode, const std::string& remoteFile) const;

private:
    class Recorder;

    void Sent(const std::string& packet);
    std::unique_ptr<TIdTFTPTransport> OpenChannel();
    void LayReplies();

    unsigned cancelAfter_ = 0;
    std::uint32_t shortPause_ = 1;
    std::size_t shortPauses_ = 0; // in all replies
    bool lastBlockOut_ = false;
    FuzzLine* line_ = nullptr; // owned by the serial link
    std::unique_ptr<TPivotobject> link_;
    int slices_ = 0;
    bool closed_ = false;
};

// The other end of a transfer, in memory: the client's transport hands every packet the client
// sends to the test's answer function at once, and the client's reply slices receive what it
// answered, one packet a slice; a slice with nothing left to receive is a silent second. The
// whole exchange runs on the test's thread, without sockets or real time, so that even 65536
// round trips or a string of time-outs take milliseconds on every platform.
#pragma once

#include "tftp/IdTrivialFTP.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class MemoryPeer {
public:
    // The packets the device sends in reply to one packet of the client; none: it stays silent.
    using Answer = std::function<std::vector<std::string>(const std::string& packet)>;

    explicit MemoryPeer(Answer answer) : answer_(std::move(answer)) {}

    // Makes the client's transfers run over this peer, as on the network: a packet can be sent
    // again after a silent wait once the peer has answered.
    void Attach(TIdTrivialFTP& client);

    // Everything the client sent, in order, the request first.
    std::vector<std::string> sent;
    // Reply slices that passed without a packet.
    int silentSlices = 0;
    // Runs in every reply slice before it ends, whether a packet arrives in it or not.
    std::function<void()> duringSlice;

private:
    class Transport;

    Answer answer_;
    std::deque<std::string> replies_;
    bool answered_ = false;
};

// A device that sends blocks of 512 bytes (the last one as given) in answer to the request and
// to each ACK, and falls silent after the last one or at an ERROR.
MemoryPeer BlockDevice(const std::vector<std::string>& blocks);
// content in blocks of 512 bytes, the last one shorter (empty where content fills whole blocks).
std::vector<std::string> InBlocks(const std::string& content);

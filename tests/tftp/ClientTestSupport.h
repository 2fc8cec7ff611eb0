// Helpers shared by the client's tests: a client aimed at a fake server, a record of its work
// events, and a check that a call fails with exactly one exception class.
#pragma once

#include "tests/tftp/FakeTftpServer.h"
#include "tftp/IdTrivialFTP.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

inline std::unique_ptr<TIdTrivialFTP> ClientFor(const FakeTftpServer& server) {
    auto client = std::make_unique<TIdTrivialFTP>();
    client->Host = "127.0.0.1";
    client->Port = server.Port();
    client->ReceiveTimeout = 1000;
    client->RequestedBlockSize = 512;
    return client;
}

// The work events of a client as short texts: "begin <mode> <max>", "work <mode> <total>",
// "end <mode>".
struct WorkLog {
    std::vector<std::string> events;

    void Attach(TIdTrivialFTP& client) {
        client.OnWorkBegin = [this](TIdComponent*, TWorkMode mode, std::int64_t max) {
            events.push_back("begin " + std::to_string(mode) + " " + std::to_string(max));
        };
        client.OnWork = [this](TIdComponent*, TWorkMode mode, std::int64_t count) {
            events.push_back("work " + std::to_string(mode) + " " + std::to_string(count));
        };
        client.OnWorkEnd = [this](TIdComponent*, TWorkMode mode) {
            events.push_back("end " + std::to_string(mode));
        };
    }
};

// Runs call, which must throw exactly Error; returns the message.
template <class Error, class Call> std::string FailureOf(Call&& call) {
    try {
        call();
    } catch (const std::exception& e) {
        EXPECT_EQ(typeid(e), typeid(Error)) << "threw " << typeid(e).name() << ": " << e.what();
        return e.what();
    }
    ADD_FAILURE() << "no exception";
    return {};
}

inline std::string ReadRequest(const std::string& file, const char* mode = "octet",
                               const char* blockSize = "512") {
    return BuildRequestPacket(TFTP_RRQ, file, mode, {{"blksize", blockSize}});
}

inline std::string WriteRequest(const std::string& file, const char* blockSize = "512") {
    return BuildRequestPacket(TFTP_WRQ, file, "octet", {{"blksize", blockSize}});
}

inline std::string BlockSizeAck(const std::string& value, const std::string& name = "blksize") {
    return BuildOptionAckPacket({{name, value}});
}

// The transfer frame: defaults, work events, reply slices, cancel, strangers, ports.
#include "tests/kit/FakeClock.h"
#include "tests/kit/MemoryPeer.h"
#include "tests/tftp/ClientTestSupport.h"

#include <chrono>
#include <sstream>
#include <thread>
#include <utility>

using namespace std::string_literals;

TEST(Client, NewClientDefaults) {
    TIdTrivialFTP client;
    EXPECT_EQ(client.Host, "");
    EXPECT_EQ(client.Port, 69);
    EXPECT_EQ(client.ReceiveTimeout, 4000);
    EXPECT_EQ(client.RequestedBlockSize, 1500);
    EXPECT_EQ(client.TransferMode, tfOctet);
    EXPECT_EQ(client.BufferSize(), 8192);
    EXPECT_FALSE(client.Active());
}

TEST(WorkEvents, OnlyTheOutermostBeginAndEndPerModeAreReported) {
    TIdTrivialFTP client;
    WorkLog log;
    log.Attach(client);
    client.DoWork(workRead, 5); // no work begun: nothing
    client.BeginWork(workRead, 0);
    client.BeginWork(workRead, 99);
    client.BeginWork(workWrite, 10);
    client.DoWork(workRead, 5);
    client.DoWork(workWrite, 3);
    client.EndWork(workWrite);
    client.EndWork(workRead);
    client.DoWork(workRead, 1);
    client.EndWork(workRead);
    client.EndWork(workRead); // unbalanced end: ignored
    EXPECT_EQ(log.events, (std::vector<std::string>{"begin 0 0", "begin 1 10", "work 0 5",
                                                    "work 1 3", "end 1", "work 0 6", "end 0"}));
}

TEST(WorkEvents, FailingHandlersLeaveTheWorkStateUsable) {
    TIdTrivialFTP client;
    int begins = 0;
    client.OnWorkBegin = [&](TIdComponent*, TWorkMode, std::int64_t) {
        if (++begins == 1) {
            throw std::runtime_error("begin handler");
        }
    };
    client.OnWorkEnd = [](TIdComponent*, TWorkMode) { throw std::runtime_error("end handler"); };
    EXPECT_THROW(client.BeginWork(workRead, 0), std::runtime_error);
    client.BeginWork(workRead, 0); // outermost again
    EXPECT_EQ(begins, 2);
    EXPECT_THROW(client.EndWork(workRead), std::runtime_error);
    client.BeginWork(workRead, 0);
    EXPECT_EQ(begins, 3);

    // In a transfer, a failing end handler still lets the clean-up close the socket.
    FakeTftpServer server([](FakeTftpServer& s) {
        s.ReceiveRequest();
        ServeBlocks(s, "x", 512);
    });
    auto aimed = ClientFor(server);
    aimed->OnWorkEnd = client.OnWorkEnd;
    std::ostringstream stream;
    EXPECT_THROW(aimed->Download("f", stream), std::runtime_error);
    EXPECT_FALSE(aimed->Active());
    EXPECT_EQ(stream.str(), "x");
}

TEST(ReplySlices, TimeoutIsWaitedInWholeSeconds) {
    // {ReceiveTimeout, empty slices before "Timeout"}; below a second still waits one slice.
    for (const auto& [timeout, slices] : {std::pair{2500, 2u}, std::pair{500, 1u}}) {
        FakeTftpServer server([](FakeTftpServer& s) { s.ReceiveRequest(); });
        auto client = ClientFor(server);
        FakeClock clock;
        client->TimeSource = &clock;
        client->ReceiveTimeout = timeout;
        WorkLog log;
        log.Attach(*client);
        std::ostringstream stream;
        EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client->Download("f", stream); }), "Timeout");
        EXPECT_EQ(log.events.size(), slices + 2) << "begin, one work call per slice, end";
        EXPECT_EQ(log.events[1], "work 0 0");
        EXPECT_EQ(clock.Skipped(), std::chrono::seconds(slices)) << "each slice a second";
        EXPECT_EQ(client->PeerPort(), 0);
    }
}

TEST(Cancel, EndsTheWaitAfterTheCurrentSliceAndDiscardsWhatCameInIt) {
    for (const bool replied : {false, true}) {
        MemoryPeer device([&](const std::string&) {
            return replied ? std::vector{BuildDataPacket(1, "late")} : std::vector<std::string>{};
        });
        TIdTrivialFTP client;
        device.Attach(client);
        client.ReceiveTimeout = 10000;
        device.duringSlice = [&] { client.CancelRequested = true; };
        std::ostringstream stream;
        EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client.Download("f", stream); }),
                  "Operation canceled");
        EXPECT_EQ(device.silentSlices, replied ? 0 : 1) << "one slice, not ten";
        EXPECT_EQ(stream.str(), "");
        EXPECT_EQ(device.sent.size(), 1u) << "the block is not acknowledged";
    }
}

TEST(Cancel, GivenWhileWorkBeginsIsNotLost) {
    FakeTftpServer server([](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.Send(BuildAckPacket(0));
    });
    auto client = ClientFor(server);
    client->CancelRequested = true; // left from before: cleared by the new transfer
    client->OnWorkBegin = [&](TIdComponent*, TWorkMode, std::int64_t) {
        client->CancelRequested = true; // the window processes the cancel button here
    };
    std::istringstream stream("data");
    EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client->Upload(stream, "x", 3); }),
              "Operation canceled");
}

TEST(Cancel, NoLongerEndsAnUploadOnceItsLastBlockIsOut) {
    // The device holds the whole file then, and may be flashing it: "canceled" would be false.
    MemoryPeer device([](const std::string& packet) {
        return PacketOpcode(packet) == TFTP_WRQ ? std::vector{BuildAckPacket(0)}
                                                : std::vector<std::string>{};
    });
    TIdTrivialFTP client;
    device.Attach(client);
    int announced = 0;
    client.OnLastBlockSent = [&] { ++announced; };
    device.duringSlice = [&] { client.CancelRequested = device.sent.size() > 1; };
    std::istringstream stream("cfg");
    client.Upload(stream, "x", 3);
    EXPECT_EQ(device.silentSlices, 2) << "silence, the block once more, silence";
    EXPECT_EQ(announced, 1);
}

TEST(Strangers, AreToldUnknownTransferIdAndCannotFeedTheTransfer) {
    const std::string content = PatternBytes(600);
    LoopbackSocket sameHost;
    LoopbackSocket otherHost("127.0.0.2");
    FakeTftpServer server([&](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.Send(BuildDataPacket(1, content.substr(0, 512)));
        s.Expect(BuildAckPacket(1));
        sameHost.SendTo(s.Client(), BuildDataPacket(2, "forged"));
        otherHost.SendTo(s.Client(), BuildErrorPacket(0, "stop"));
        otherHost.SendTo(s.Client(), BuildAckPacket(1));
        EXPECT_EQ(sameHost.Receive(1000), BuildErrorPacket(5, "Unknown transfer ID"));
        EXPECT_EQ(otherHost.Receive(1000), BuildErrorPacket(5, "Unknown transfer ID"));
        EXPECT_EQ(otherHost.Receive(200), std::nullopt) << "an ERROR is not answered";
        s.ExpectSilence(200);
        s.Send(BuildDataPacket(2, content.substr(512)));
        s.Expect(BuildAckPacket(2));
    });
    auto client = ClientFor(server);
    client->ReceiveTimeout = 5000; // the strangers' exchange must not look like a time-out
    std::ostringstream stream;
    client->Download("f", stream);
    EXPECT_EQ(stream.str(), content);
    EXPECT_EQ(client->PeerPort(), server.TransferPort());
}

TEST(Strangers, CannotAdvanceAnUpload) {
    LoopbackSocket stranger;
    FakeTftpServer server([&](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.Send(BuildAckPacket(0));
        s.Expect(BuildDataPacket(1, PatternBytes(512)));
        stranger.SendTo(s.Client(), BuildAckPacket(1));
        EXPECT_EQ(stranger.Receive(1000), BuildErrorPacket(5, "Unknown transfer ID"));
        s.ExpectSilence(200);
        s.Send(BuildAckPacket(1));
        EXPECT_EQ(CollectUpload(s, 512, 2), "end");
    });
    auto client = ClientFor(server);
    client->ReceiveTimeout = 5000;
    std::istringstream stream(PatternBytes(512) + "end");
    client->Upload(stream, "x", 3);
}

TEST(Endpoint, EveryTransferLeavesFromANewLocalPort) {
    std::int32_t firstPort = 0;
    FakeTftpServer server([&](FakeTftpServer& s) {
        for (int transfer = 0; transfer < 2; ++transfer) {
            s.ReceiveRequest();
            EXPECT_NE(s.ClientPort(), firstPort);
            firstPort = s.ClientPort();
            ServeBlocks(s, "abc", 512);
        }
    });
    auto client = ClientFor(server);
    client->Host = "localhost"; // names resolve (to IPv4)
    for (int transfer = 0; transfer < 2; ++transfer) {
        std::ostringstream stream;
        client->Download("f", stream);
        EXPECT_EQ(stream.str(), "abc");
        EXPECT_FALSE(client->Active());
    }
}

TEST(Endpoint, TheHostNameIsLookedUpForEveryTransfer) {
    // The device moved (DHCP, a changed hosts entry) after a transfer to its old address failed.
    FakeTftpServer server([](FakeTftpServer& s) {
        if (!s.ReceiveRequest().empty()) {
            ServeBlocks(s, "abc", 512);
        }
    });
    auto client = ClientFor(server);
    client->Host = "device";
    FakeClock clock(FakeClock::SystemWaits::Real);
    clock.LimitRealWaits(std::chrono::milliseconds(200)); // nobody answers at the old address
    client->TimeSource = &clock;
    std::string address = "127.0.0.2";
    client->Binding().LookUpHost = [&](const std::string& host) {
        return IdSocket::ParseIPv4(host == "device" ? std::exchange(address, "127.0.0.1") : host);
    };
    std::ostringstream stream;
    EXPECT_THROW(client->Download("f", stream), EIdTFTPException);
    clock.LimitRealWaits(FakeClock::Duration::max());
    EXPECT_NO_THROW(client->Download("f", stream));
    EXPECT_EQ(stream.str(), "abc");
}

TEST(Endpoint, PortsOutsideTheUdpRangeAreRefused) {
    for (const std::int32_t port : {0, 70000, -1}) {
        TIdTrivialFTP client;
        client.Host = "127.0.0.1";
        client.Port = port;
        WorkLog log;
        log.Attach(client);
        std::ostringstream stream;
        EXPECT_EQ(FailureOf<EIdSocketError>([&] { client.Download("f", stream); }),
                  "Invalid UDP port " + std::to_string(port) + ": ports are 1 to 65535");
        EXPECT_EQ(log.events, (std::vector<std::string>{"begin 0 0", "end 0"}));
    }
}

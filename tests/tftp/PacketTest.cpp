// Packet bytes, decoders on short or malformed input, and the error table in both directions.
#include "tftp/IdDatagramSender.h"
#include "tftp/IdTrivialFTPBase.h"

#include <gtest/gtest.h>

#include <typeinfo>

using namespace std::string_literals;

namespace {

struct RecordingSender : TIdDatagramSender {
    void SendDatagram(const std::string& host, std::int32_t port,
                      const std::string& bytes) override {
        sent.push_back({host, port, bytes});
    }
    struct Datagram {
        std::string host;
        std::int32_t port;
        std::string bytes;
    };
    std::vector<Datagram> sent;
};

// Runs RaiseErrorPacket and hands back what it threw.
template <class Check> void ExpectRaised(const std::string& packet, Check check) {
    try {
        RaiseErrorPacket(packet);
    } catch (const EIdTFTPException& e) {
        check(e);
        return;
    }
    ADD_FAILURE() << "RaiseErrorPacket returned";
}

} // namespace

TEST(PacketBuild, RequestHasExactlyTheGivenFieldsAndOptions) {
    const std::string rrq = BuildRequestPacket(TFTP_RRQ, "plog.zel", "octet", {{"blksize", "512"}});
    EXPECT_EQ(rrq, "\x00\x01"
                   "plog.zel\x00"
                   "octet\x00"
                   "blksize\x00"
                   "512\x00"s);
    EXPECT_EQ(rrq.size(), 29u);

    // A server-side request with two options, and a file name holding a byte above 0x7F.
    const std::string wrq =
        BuildRequestPacket(TFTP_WRQ, "f\xE9", "netascii", {{"tsize", "0"}, {"blksize", "1428"}});
    EXPECT_EQ(wrq, "\x00\x02\x66\xE9\x00"
                   "netascii\x00"
                   "tsize\x00"
                   "0\x00"
                   "blksize\x00"
                   "1428\x00"s);
}

TEST(PacketBuild, DataAckErrorAndOptionAckLayouts) {
    EXPECT_EQ(BuildAckPacket(65535), "\x00\x04\xFF\xFF"s);
    EXPECT_EQ(BuildAckPacket(0), "\x00\x04\x00\x00"s);
    EXPECT_EQ(BuildDataPacket(0x1234, "a\0b"s), "\x00\x03\x12\x34"
                                                "a\0b"s);
    EXPECT_EQ(BuildDataPacket(1, ""), "\x00\x03\x00\x01"s);
    EXPECT_EQ(BuildErrorPacket(8, "No"), "\x00\x05\x00\x08No\x00"s);
    EXPECT_EQ(BuildOptionAckPacket({{"blksize", "1024"}}), "\x00\x06"
                                                           "blksize\x00"
                                                           "1024\x00"s);
    EXPECT_EQ(EncodeWord(0x80FF), "\x80\xFF"s);
    EXPECT_EQ(DecodeWord("\x80\xFF"s), 0x80FF);
}

TEST(PacketDecode, HeaderFieldsAreNeverReadPastTheEnd) {
    EXPECT_THROW(DecodeWord("\x01"s), std::out_of_range);
    EXPECT_THROW(PacketWord("\x00\x03\x00"s), std::out_of_range);
    EXPECT_EQ(PacketWord("\x00\x03\xFF\xFE"s), 0xFFFE);
    EXPECT_EQ(DataPayload("\x00\x03\x00\x01"s), "");
    EXPECT_EQ(DataPayload("\x00\x03\x00\x01xyz"s), "xyz");
}

TEST(PacketDecode, ErrorTextEndsAtFirstZeroOrAtPacketEnd) {
    EXPECT_EQ(ErrorText("\x00\x05\x00\x01"s), "");
    EXPECT_EQ(ErrorText("\x00\x05\x00\x01gone\x00junk"s), "gone");
    EXPECT_EQ(ErrorText("\x00\x05\x00\x01unterminated"s), "unterminated");
}

TEST(PacketDecode, OptionsStopAtPacketEnd) {
    const TIdTFTPOptions full = DecodeOptions("\x00\x06tsize\x00"
                                              "9\x00"
                                              "BLKSIZE\x00"
                                              "8\x00"s,
                                              2);
    ASSERT_EQ(full.size(), 2u);
    EXPECT_EQ(full[1], (std::pair<std::string, std::string>{"BLKSIZE", "8"}));

    // Truncated OACKs: value without its zero, name without value, nothing at all.
    EXPECT_EQ(DecodeOptions("\x00\x06"
                            "blksize\x00"
                            "10"s,
                            2),
              (TIdTFTPOptions{{"blksize", "10"}}));
    EXPECT_EQ(DecodeOptions("\x00\x06"
                            "blksize\x00"s,
                            2),
              (TIdTFTPOptions{{"blksize", ""}}));
    EXPECT_EQ(DecodeOptions("\x00\x06"
                            "blks"s,
                            2),
              (TIdTFTPOptions{{"blks", ""}}));
    EXPECT_TRUE(DecodeOptions("\x00\x06"s, 2).empty());
}

TEST(PacketDecode, RequestRoundTripAndMalformedRequests) {
    const TIdTFTPRequest request = DecodeRequest(
        BuildRequestPacket(TFTP_WRQ, "fw.pfo", "octet", {{"blksize", "512"}, {"x", ""}}));
    EXPECT_EQ(request.Opcode, TFTP_WRQ);
    EXPECT_EQ(request.FileName, "fw.pfo");
    EXPECT_EQ(request.Mode, "octet");
    EXPECT_EQ(request.Options, (TIdTFTPOptions{{"blksize", "512"}, {"x", ""}}));

    EXPECT_THROW(DecodeRequest("\x00\x03name\x00octet\x00"s), EIdTFTPIllegalOperation);
    EXPECT_THROW(DecodeRequest("\x00\x01name\x00octet"s), EIdTFTPIllegalOperation);
    EXPECT_THROW(DecodeRequest("\x00\x01name"s), EIdTFTPIllegalOperation);
    EXPECT_THROW(DecodeRequest("\x00"s), EIdTFTPIllegalOperation);
}

TEST(ErrorPacket, KnownCodesRaiseTheirClassWithQuotedText) {
    ExpectRaised(BuildErrorPacket(1, "File not found"), [](const EIdTFTPException& e) {
        EXPECT_EQ(typeid(e), typeid(EIdTFTPFileNotFound));
        EXPECT_STREQ(e.what(), "\"File not found\"");
    });
    ExpectRaised(BuildErrorPacket(8, "bad"), [](const EIdTFTPException& e) {
        EXPECT_EQ(typeid(e), typeid(EIdTFTPOptionNegotiationFailed));
    });
    ExpectRaised("\x00\x05\x00\x02"s, [](const EIdTFTPException& e) {
        EXPECT_EQ(typeid(e), typeid(EIdTFTPAccessViolation));
        EXPECT_STREQ(e.what(), "\"\"");
    });
}

TEST(ErrorPacket, OtherCodesRaiseTheBaseClassWithCodeSuffix) {
    ExpectRaised(BuildErrorPacket(0, "Disk error"), [](const EIdTFTPException& e) {
        EXPECT_EQ(typeid(e), typeid(EIdTFTPException));
        EXPECT_STREQ(e.what(), "\"Disk error\"(code=0)");
    });
    ExpectRaised(BuildErrorPacket(9, "x"), [](const EIdTFTPException& e) {
        EXPECT_EQ(typeid(e), typeid(EIdTFTPException));
        EXPECT_STREQ(e.what(), "\"x\"(code=9)");
    });
    ExpectRaised("\x00\x05\xFF\xFF"s,
                 [](const EIdTFTPException& e) { EXPECT_STREQ(e.what(), "\"\"(code=65535)"); });
}

TEST(ErrorTable, EveryCodeMapsToAClassAndBack) {
    for (std::uint16_t code = 0; code <= 9; ++code) {
        try {
            RaiseTFTPError(code, "m");
        } catch (const std::exception& e) {
            EXPECT_EQ(ErrorCodeOf(e), code == 9 ? 0 : code) << "code " << code;
            EXPECT_STREQ(e.what(), "m");
        }
    }
    struct DerivedNotFound : EIdTFTPFileNotFound {
        using EIdTFTPFileNotFound::EIdTFTPFileNotFound;
    };
    EXPECT_EQ(ErrorCodeOf(DerivedNotFound("x")), ERR_FILE_NOT_FOUND);
    EXPECT_EQ(ErrorCodeOf(std::runtime_error("x")), ERR_UNDEFINED);
    EXPECT_EQ(ErrorCodeOf(EIdSocketError("x")), ERR_UNDEFINED);
    // As the window names them before a message; a derived class keeps its base's name.
    EXPECT_EQ(ClassNameOf(DerivedNotFound("x")), "EIdTFTPFileNotFound");
    EXPECT_EQ(ClassNameOf(EIdTFTPException("x")), "EIdTFTPException");
    EXPECT_EQ(ClassNameOf(EIdSocketError("x")), "EIdSocketError");
    EXPECT_EQ(ClassNameOf(std::runtime_error("x")), "Exception");
}

TEST(ErrorTable, ErrorForExceptionIsBuiltAndOptionallySent) {
    EXPECT_EQ(BuildErrorPacketFor(std::runtime_error("Write error on stream")),
              "\x00\x05\x00\x00Write error on stream\x00"s);
    const std::string full = BuildErrorPacketFor(EIdTFTPAllocationExceeded("full"));
    EXPECT_EQ(full, "\x00\x05\x00\x03"
                    "full\x00"s);

    RecordingSender sender;
    EXPECT_EQ(SendErrorPacket(&sender, "127.0.0.1", 4000, 3, "full", true), full);
    EXPECT_TRUE(sender.sent.empty()) << "built only";
    SendErrorPacket(&sender, "127.0.0.2", 7, 3, "full", false);
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0].host, "127.0.0.2");
    EXPECT_EQ(sender.sent[0].port, 7);
    EXPECT_EQ(sender.sent[0].bytes, full);
    EXPECT_THROW(SendErrorPacket(nullptr, "127.0.0.1", 1, 0, "x", false), std::invalid_argument);
}

TEST(OptionValues, BlockSizeMustBeDecimalWithinLimits) {
    EXPECT_EQ(ParseBlockSize("8"), 8);
    EXPECT_EQ(ParseBlockSize("65464"), 65464);
    EXPECT_EQ(ParseBlockSize("01024"), 1024);
    for (const char* bad :
         {"7", "0", "65465", "99999999999999999999", "", "abc", "+512", "-8", "512 ", "5x"}) {
        EXPECT_EQ(ParseBlockSize(bad), std::nullopt) << bad;
    }
}

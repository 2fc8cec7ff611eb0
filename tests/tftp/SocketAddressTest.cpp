// The dotted IPv4 text the socket layer takes for a local or a device address.
#include "tftp/IdExceptions.h"
#include "tftp/IdSocketApi.h"

#include <gtest/gtest.h>

TEST(SocketAddress, DottedTextIsFourNumbersFrom0To255AndNothingElse) {
    for (const char* text : {"127.0.0.1", "0.0.0.0", "255.255.255.255", "192.168.0.100"}) {
        EXPECT_EQ(IdSocket::AddressText(IdSocket::ParseIPv4(text)), text);
    }
    for (const char* text : {"", "1.2.3", "1.2.3.4.5", "1.2.3.", ".1.2.3", "1..2.3", "256.1.1.1",
                             "1.2.3.4294967297", "01.2.3.4", "1.2.3.00", "+1.2.3.4", "1.-2.3.4",
                             " 1.2.3.4", "1.2.3.4 ", "0x7f.0.0.1", "$7F.0.0.1", "localhost"}) {
        EXPECT_THROW(IdSocket::ParseIPv4(text), EIdSocketError) << text;
    }
}

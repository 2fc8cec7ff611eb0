// The datagram layers of the client's class chain: TIdUDPBase owns the datagram endpoint and the
// receive limit, TIdUDPClient adds the server address and the reply time-out.
#pragma once

#include "tftp/IdComponent.h"
#include "tftp/IdDatagramEndpoint.h"

#include <cstdint>
#include <memory>
#include <string>

class TIdUDPBase : public TIdComponent {
public:
    // Receive limit for one packet, in bytes.
    std::int32_t BufferSize() const { return BufferSize_; }

    // True while the endpoint has a socket open.
    bool Active() const;
    // The endpoint, created on first use; it opens its socket at its first send.
    TIdDatagramEndpoint& Binding();

protected:
    TIdUDPBase();
    ~TIdUDPBase();

    void SetBufferSize(std::int32_t size) { BufferSize_ = size; }

private:
    std::int32_t BufferSize_ = 8192;
    std::unique_ptr<TIdDatagramEndpoint> Endpoint;
};

// ReceiveTimeout value meaning "wait without limit"; the TFTP client replaces it by its own
// default.
inline constexpr std::int32_t IdTimeoutInfinite = -2;

class TIdUDPClient : public TIdUDPBase {
public:
    std::string Host;
    std::int32_t Port = 0;
    std::int32_t ReceiveTimeout = IdTimeoutInfinite; // ms

protected:
    TIdUDPClient() = default;
    ~TIdUDPClient() = default;
};

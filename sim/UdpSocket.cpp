#include "sim/UdpSocket.h"

#include <utility>

namespace {

// A new socket that holds one use of the socket layer until it is closed.
IdSocket::Handle OpenSocket() {
    IdSocket::AcquireLayer();
    try {
        return IdSocket::OpenUdp();
    } catch (...) {
        IdSocket::ReleaseLayer();
        throw;
    }
}

} // namespace

UdpSocket::UdpSocket(const std::string& ip, std::uint16_t port) : handle_(OpenSocket()) {
    try {
        IdSocket::Bind(handle_, {ip, port});
        local_ = IdSocket::LocalAddress(handle_);
    } catch (...) {
        Close();
        throw;
    }
}

UdpSocket::~UdpSocket() {
    Close();
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept
    : handle_(std::exchange(other.handle_, IdSocket::NoSocket)), local_(other.local_) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, IdSocket::NoSocket);
        local_ = other.local_;
    }
    return *this;
}

void UdpSocket::Close() noexcept {
    if (handle_ != IdSocket::NoSocket) {
        IdSocket::Close(std::exchange(handle_, IdSocket::NoSocket));
        IdSocket::ReleaseLayer();
    }
}

void UdpSocket::SendTo(const std::string& data, const TIdUDPAddress& to) const {
    IdSocket::SendTo(handle_, to, data);
}

std::optional<TIdDatagram> UdpSocket::Receive(int waitMs) {
    if (!WaitReadable({this}, waitMs)[0]) {
        return std::nullopt;
    }
    return IdSocket::ReceiveWaiting(handle_, buffer_);
}

std::vector<bool> WaitReadable(const std::vector<const UdpSocket*>& sockets, int timeoutMs) {
    std::vector<IdSocket::Handle> handles;
    handles.reserve(sockets.size());
    for (const UdpSocket* socket : sockets) {
        handles.push_back(socket->Handle());
    }
    return IdSocket::WaitReadable(handles, timeoutMs);
}

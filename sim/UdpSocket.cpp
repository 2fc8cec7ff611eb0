#include "sim/UdpSocket.h"

#include <utility>

namespace {

// Larger than any UDP payload over IPv4, so that no datagram is cut.
constexpr std::size_t kMaxDatagram = 65536;

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

UdpAddress LocalOf(IdSocket::Handle socket) {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    IdSocket::LocalAddress(socket, address, port);
    return {IdSocket::AddressText(address), port};
}

} // namespace

UdpSocket::UdpSocket(const std::string& ip, std::uint16_t port) : handle_(OpenSocket()) {
    try {
        IdSocket::Bind(handle_, IdSocket::ParseIPv4(ip), port);
        local_ = LocalOf(handle_);
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

void UdpSocket::SendTo(const std::string& data, const UdpAddress& to) const {
    IdSocket::SendTo(handle_, IdSocket::ParseIPv4(to.ip), to.port, data);
}

std::optional<Datagram> UdpSocket::Receive(int waitMs) const {
    if (!WaitReadable({this}, waitMs)[0]) {
        return std::nullopt;
    }
    std::string buffer(kMaxDatagram, '\0');
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    const std::optional<std::size_t> length =
        IdSocket::ReceiveWaiting(handle_, buffer.data(), buffer.size(), address, port);
    if (!length) {
        return std::nullopt;
    }
    buffer.resize(*length);
    return Datagram{std::move(buffer), {IdSocket::AddressText(address), port}};
}

std::vector<bool> WaitReadable(const std::vector<const UdpSocket*>& sockets, int timeoutMs) {
    std::vector<IdSocket::Handle> handles;
    handles.reserve(sockets.size());
    for (const UdpSocket* socket : sockets) {
        handles.push_back(socket->Handle());
    }
    return IdSocket::WaitReadable(handles, timeoutMs);
}

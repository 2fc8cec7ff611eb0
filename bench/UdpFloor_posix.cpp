// quorvel-udp-floor: the floor under any lock-step TFTP transfer on this machine's loopback.
//
//   quorvel-udp-floor ROUNDS BLOCK_SIZE [--apart]
//
// Two processes, each on its own UDP socket on 127.0.0.1, play one block each way as a transfer
// does: a datagram of BLOCK_SIZE + 4 bytes (a DATA packet) answered by one of 4 bytes (its ACK),
// ROUNDS times, with nothing else between: a blocking send and a blocking receive on each side.
// Prints the mean time of one round trip in microseconds. No TFTP client or server can move a
// block faster than this, so a transfer's time divided by its blocks, beside this number, tells
// how much of it is the peers' own work.
//
// Where the two ends run matters more than anything they do: on one CPU a round trip is two
// context switches, on two it is two wake-ups of a sleeping CPU, several times as long. --apart
// puts the device on the first CPU the program may use and the client on the last, as the
// benchmark places servers and clients.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t AckSize = 4;
constexpr std::size_t HeaderSize = 4;

// A socket on a free loopback port, whose receives give up after a second: on loopback nothing
// is lost, but a measurement must not hang if something is.
int BoundSocket(sockaddr_in& address) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    const timeval patience{.tv_sec = 1, .tv_usec = 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("socket");
        std::exit(1);
    }
    return fd;
}

// Moves the calling process onto the first (or last) CPU of those it may use.
void PlaceOnEnd(bool last) {
    cpu_set_t allowed;
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
        return;
    }
    constexpr std::size_t kNone = CPU_SETSIZE;
    std::size_t chosen = kNone;
    for (std::size_t cpu = 0; cpu < kNone; ++cpu) {
        if (CPU_ISSET(cpu, &allowed) && (chosen == kNone || last)) {
            chosen = cpu;
        }
    }
    if (chosen == kNone) {
        return;
    }
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(chosen, &one);
    ::sched_setaffinity(0, sizeof one, &one);
}

// Sends size bytes to peer and waits for the answer; false when the exchange broke.
bool Exchange(int fd, const std::vector<char>& out, std::size_t size, const sockaddr_in& peer,
              std::vector<char>& in) {
    return ::sendto(fd, out.data(), size, 0, reinterpret_cast<const sockaddr*>(&peer),
                    sizeof peer) == static_cast<ssize_t>(size) &&
           ::recv(fd, in.data(), in.size(), 0) >= 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool apart = argc == 4 && std::strcmp(argv[3], "--apart") == 0;
    if (argc != 3 && !apart) {
        std::fprintf(stderr, "usage: quorvel-udp-floor ROUNDS BLOCK_SIZE [--apart]\n");
        return 2;
    }
    const long rounds = std::strtol(argv[1], nullptr, 10);
    const long blockSize = std::strtol(argv[2], nullptr, 10);
    if (rounds < 1 || blockSize < 0 || blockSize > 65464) {
        std::fprintf(stderr, "quorvel-udp-floor: ROUNDS from 1, BLOCK_SIZE from 0 to 65464\n");
        return 2;
    }
    const std::size_t dataSize = static_cast<std::size_t>(blockSize) + HeaderSize;
    sockaddr_in serverAddress{};
    sockaddr_in clientAddress{};
    const int server = BoundSocket(serverAddress);
    const int client = BoundSocket(clientAddress);
    std::vector<char> data(dataSize, 'd');
    std::vector<char> buffer(65536);

    const pid_t child = ::fork();
    if (child == 0) { // the device: answers every block with its ACK
        if (apart) {
            PlaceOnEnd(false);
        }
        ::close(client);
        const std::vector<char> ack(AckSize, 'a');
        for (long round = 0; round < rounds; ++round) {
            if (::recv(server, buffer.data(), buffer.size(), 0) < 0 ||
                ::sendto(server, ack.data(), ack.size(), 0,
                         reinterpret_cast<const sockaddr*>(&clientAddress),
                         sizeof clientAddress) < 0) {
                return 1;
            }
        }
        return 0;
    }
    if (apart) {
        PlaceOnEnd(true);
    }
    ::close(server);
    const auto start = std::chrono::steady_clock::now();
    for (long round = 0; round < rounds; ++round) {
        if (!Exchange(client, data, dataSize, serverAddress, buffer)) {
            std::perror("quorvel-udp-floor");
            return 1;
        }
    }
    const std::chrono::duration<double, std::micro> elapsed =
        std::chrono::steady_clock::now() - start;
    int status = 0;
    ::waitpid(child, &status, 0);
    std::printf("%.3f\n", elapsed.count() / static_cast<double>(rounds));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

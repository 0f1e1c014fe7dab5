#include "discovery/posix_network.h"

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace discovery {
namespace {

int Descriptor(SocketHandle socket) {
    return static_cast<int>(socket);
}

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = htonl(address);
    result.sin_port = htons(port);
    return result;
}

// The call that just failed, with errno.
base::Failure Failed(const char* call) {
    return {errno, call};
}

} // namespace

PosixNetwork::PosixNetwork() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_wakeRead = ends[0];
        m_wakeWrite = ends[1];
    }
}

PosixNetwork::~PosixNetwork() {
    if (m_wakeRead >= 0) {
        ::close(m_wakeRead);
        ::close(m_wakeWrite);
    }
}

base::Result<std::vector<std::uint32_t>> PosixNetwork::LocalAddresses() {
    std::vector<std::uint32_t> addresses;
    char name[512];
    if (gethostname(name, sizeof name) != 0) {
        return Failed("gethostname");
    }

    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) {
        return Failed("getifaddrs");
    }
    for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        if ((entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        const std::uint32_t address = ntohl(ipv4->sin_addr.s_addr);
        if (std::find(addresses.begin(), addresses.end(), address) == addresses.end()) {
            addresses.push_back(address);
        }
    }
    freeifaddrs(interfaces);
    return addresses;
}

base::Result<SocketHandle> PosixNetwork::OpenBroadcastSocket(std::uint32_t address) {
    // Closed on every early return (errno is read before); the caller gets it only when whole.
    OwnedSocket socket(*this, ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!socket.IsOpen()) {
        return Failed("socket");
    }
    const int fd = Descriptor(socket.Get());
    // Not checked: without it the socket still works, and only loses more of a large burst.
    (void)setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof kReceiveBufferBytes);
    const int enable = 1;
    if (setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &enable, sizeof enable) != 0) {
        return Failed("setsockopt SO_BROADCAST");
    }
    const sockaddr_in local = MakeAddress(address, 0);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        return Failed("bind");
    }
    return socket.Release();
}

base::Result<std::uint32_t> PosixNetwork::BoundAddress(SocketHandle socket) {
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (getsockname(Descriptor(socket), reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        return Failed("getsockname");
    }
    if (bound.sin_family != AF_INET) {
        return base::Failure{.what = "getsockname: not an IPv4 socket"};
    }
    return ntohl(bound.sin_addr.s_addr);
}

base::Result<void> PosixNetwork::SendTo(SocketHandle socket, std::span<const std::byte> datagram,
                                        std::uint32_t address, std::uint16_t port) {
    const sockaddr_in destination = MakeAddress(address, port);
    ssize_t sent = 0;
    do {
        sent = ::sendto(Descriptor(socket), datagram.data(), datagram.size(), 0,
                        reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    } while (sent < 0 && errno == EINTR);
    // A datagram goes out whole or not at all.
    if (sent < 0) {
        return Failed("sendto");
    }
    return {};
}

int PosixNetwork::WaitReadable(std::span<const SocketHandle> set, std::chrono::milliseconds timeout,
                               std::vector<bool>& readable) {
    readable.assign(set.size(), false);
    if (set.empty()) {
        return -1; // as select() on Winsock: an empty set fails at once instead of waiting
    }
    std::vector<pollfd> watched(set.size());
    for (std::size_t i = 0; i < set.size(); ++i) {
        watched[i] = pollfd{Descriptor(set[i]), POLLIN, 0};
    }
    // Last, and only when there is one; a descriptor of -1 would be ignored by poll() anyway.
    if (m_wakeRead >= 0) {
        watched.push_back(pollfd{m_wakeRead, POLLIN, 0});
    }
    const auto milliseconds =
        std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, INT_MAX);
    const int ready = ::poll(watched.data(), watched.size(), static_cast<int>(milliseconds));
    if (ready <= 0) {
        return ready < 0 ? -1 : 0;
    }
    if (m_wakeRead >= 0 && watched.back().revents != 0) {
        char drained[64];
        while (::read(m_wakeRead, drained, sizeof drained) > 0) {
        }
    }
    // An error or hang-up counts as readable, as select() reports it: the read then fails.
    int count = 0;
    for (std::size_t i = 0; i < set.size(); ++i) {
        if (watched[i].revents != 0) {
            readable[i] = true;
            ++count;
        }
    }
    return count;
}

void PosixNetwork::Wake() {
    // A full pipe holds wake-ups enough already.
    const char byte = 1;
    if (m_wakeWrite >= 0) {
        (void)::write(m_wakeWrite, &byte, 1);
    }
}

int PosixNetwork::Receive(SocketHandle socket, std::span<std::byte> buffer) {
    sockaddr_in source{}; // filled and never used, like the 16-byte source buffer on Windows
    iovec part{buffer.data(), buffer.size()};
    msghdr message{};
    message.msg_name = &source;
    message.msg_namelen = sizeof source;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    ssize_t received = 0;
    do {
        // Non-blocking: a datagram that poll() announced may be dropped before it is read (a
        // bad checksum), and the receiver thread must never block in a read.
        received = ::recvmsg(Descriptor(socket), &message, MSG_DONTWAIT);
    } while (received < 0 && errno == EINTR);
    if (received < 0) {
        // Passing errors: nothing waiting, an ICMP error for an earlier send, short of memory.
        switch (errno) {
        case EAGAIN:
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
        case ECONNREFUSED:
        case EHOSTUNREACH:
        case ENETUNREACH:
        case ENOMEM:
        case ENOBUFS:
            return 0;
        default:
            return -1;
        }
    }
    // With MSG_TRUNC set the buffer holds the datagram's first bytes and the rest is discarded,
    // as on Winsock; `received` is what was copied.
    return static_cast<int>(received);
}

void PosixNetwork::Close(SocketHandle socket) {
    (void)::close(Descriptor(socket));
}

} // namespace discovery

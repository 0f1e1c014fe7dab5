#include "discovery/winsock_network.h"

#include "discovery/timeval_ms.h"

// Room for the 64 sockets the engine watches and the wake-up socket: Winsock's fd_set holds
// FD_SETSIZE handles, 64 unless defined before winsock2.h.
#define FD_SETSIZE 65
#include <winsock2.h>

#include <algorithm>
#include <climits>

namespace discovery {
namespace {

SOCKET Native(SocketHandle socket) {
    return static_cast<SOCKET>(socket);
}

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = htonl(address);
    result.sin_port = htons(port);
    return result;
}

constexpr std::uint32_t kLoopback = 0x7F000001;

// The Winsock call that just failed, with WSAGetLastError.
base::Failure Failed(const char* call) {
    return {::WSAGetLastError(), call};
}

// FIONBIO: recvfrom then fails with WSAEWOULDBLOCK instead of waiting. False on failure.
bool MakeNonBlocking(SOCKET s) {
    u_long enable = 1;
    return ::ioctlsocket(s, FIONBIO, &enable) == 0;
}

} // namespace

WinsockNetwork::~WinsockNetwork() {
    if (m_wakeSocket != kInvalidSocket) {
        Close(m_wakeSocket);
    }
}

SocketHandle WinsockNetwork::WakeSocket() {
    std::call_once(m_wakeMade, [this] {
        OwnedSocket socket(*this, static_cast<SocketHandle>(::socket(AF_INET, SOCK_DGRAM, 0)));
        const sockaddr_in local = MakeAddress(kLoopback, 0);
        if (socket.IsOpen() && MakeNonBlocking(Native(socket.Get())) &&
            ::bind(Native(socket.Get()), reinterpret_cast<const sockaddr*>(&local), sizeof local) ==
                0) {
            m_wakeSocket = socket.Release();
        }
    });
    return m_wakeSocket;
}

void WinsockNetwork::Wake() {
    const SocketHandle wake = WakeSocket();
    sockaddr_in self{};
    int length = sizeof self;
    if (wake == kInvalidSocket ||
        ::getsockname(Native(wake), reinterpret_cast<sockaddr*>(&self), &length) != 0) {
        return;
    }
    // A full buffer holds wake-ups enough already; the send's result does not matter.
    const char byte = 1;
    (void)::sendto(Native(wake), &byte, 1, 0, reinterpret_cast<const sockaddr*>(&self),
                   sizeof self);
}

base::Result<std::vector<std::uint32_t>> WinsockNetwork::LocalAddresses() {
    std::vector<std::uint32_t> addresses;
    char name[512];
    if (gethostname(name, sizeof name) != 0) {
        return Failed("gethostname");
    }
    // gethostbyname's result lives in per-thread Winsock storage; it is copied out at once.
    const hostent* host = gethostbyname(name);
    if (host == nullptr) {
        return Failed("gethostbyname");
    }
    if (host->h_addrtype != AF_INET || host->h_length != 4) {
        return addresses;
    }
    for (char** entry = host->h_addr_list; *entry != nullptr; ++entry) {
        in_addr address;
        std::copy_n(*entry, 4, reinterpret_cast<char*>(&address));
        addresses.push_back(ntohl(address.s_addr));
    }
    return addresses;
}

base::Result<SocketHandle> WinsockNetwork::OpenBroadcastSocket(std::uint32_t address) {
    // Closed on every early return, after the error code is read (closesocket may change it);
    // the caller gets it only when it is whole. INVALID_SOCKET (~0) converts to kInvalidSocket.
    OwnedSocket socket(*this, static_cast<SocketHandle>(::socket(AF_INET, SOCK_DGRAM, 0)));
    if (!socket.IsOpen()) {
        return Failed("socket");
    }
    const SOCKET s = Native(socket.Get());
    // Not checked: without it the socket still works, and only loses more of a large burst.
    (void)setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&kReceiveBufferBytes),
                     sizeof kReceiveBufferBytes);
    const int enable = 1; // a 4-byte integer, length 4
    if (setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&enable),
                   sizeof enable) != 0) {
        return Failed("setsockopt SO_BROADCAST");
    }
    if (!MakeNonBlocking(s)) {
        return Failed("ioctlsocket FIONBIO");
    }
    const sockaddr_in local = MakeAddress(address, 0);
    if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        return Failed("bind");
    }
    return socket.Release();
}

base::Result<std::uint32_t> WinsockNetwork::BoundAddress(SocketHandle socket) {
    sockaddr_in bound{};
    int length = sizeof bound;
    if (getsockname(Native(socket), reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        return Failed("getsockname");
    }
    if (bound.sin_family != AF_INET) {
        return base::Failure{.what = "getsockname: not an IPv4 socket"};
    }
    return ntohl(bound.sin_addr.s_addr);
}

base::Result<void> WinsockNetwork::SendTo(SocketHandle socket, std::span<const std::byte> datagram,
                                          std::uint32_t address, std::uint16_t port) {
    const sockaddr_in destination = MakeAddress(address, port);
    const int length = static_cast<int>(std::min<std::size_t>(datagram.size(), INT_MAX));
    // sendto returns the bytes sent or SOCKET_ERROR, whose reason WSAGetLastError gives.
    if (::sendto(Native(socket), reinterpret_cast<const char*>(datagram.data()), length, 0,
                 reinterpret_cast<const sockaddr*>(&destination),
                 sizeof destination) == SOCKET_ERROR) {
        return Failed("sendto");
    }
    return {};
}

int WinsockNetwork::WaitReadable(std::span<const SocketHandle> set,
                                 std::chrono::milliseconds timeout, std::vector<bool>& readable) {
    readable.assign(set.size(), false);
    if (set.empty()) {
        return -1; // select() fails on an empty set with WSAEINVAL; no need to ask it
    }
    fd_set watched;
    FD_ZERO(&watched);
    // FD_SET ignores sockets beyond FD_SETSIZE; the engine never passes more than 64.
    for (const SocketHandle socket : set) {
        FD_SET(Native(socket), &watched);
    }
    const SocketHandle wake = WakeSocket();
    if (wake != kInvalidSocket) {
        FD_SET(Native(wake), &watched);
    }
    const TimevalParts parts = TimevalFromMilliseconds(timeout);
    timeval wait{parts.seconds, parts.microseconds};
    // The first argument is ignored by Winsock.
    int ready = ::select(0, &watched, nullptr, nullptr, &wait);
    if (ready <= 0) {
        return ready < 0 ? -1 : 0;
    }
    if (wake != kInvalidSocket && FD_ISSET(Native(wake), &watched)) {
        --ready;
        char drained[16];
        while (::recv(Native(wake), drained, sizeof drained, 0) > 0) {
        }
    }
    for (std::size_t i = 0; i < set.size(); ++i) {
        readable[i] = FD_ISSET(Native(set[i]), &watched) != 0;
    }
    return ready;
}

int WinsockNetwork::Receive(SocketHandle socket, std::span<std::byte> buffer) {
    sockaddr_in source{}; // 16 bytes; the source of a reply is not used
    int sourceLength = sizeof source;
    const int length = static_cast<int>(std::min<std::size_t>(buffer.size(), INT_MAX));
    const int received = ::recvfrom(Native(socket), reinterpret_cast<char*>(buffer.data()), length,
                                    0, reinterpret_cast<sockaddr*>(&source), &sourceLength);
    if (received != SOCKET_ERROR) {
        return received;
    }
    switch (::WSAGetLastError()) {
    case WSAEMSGSIZE:
        // A datagram longer than the buffer: the buffer holds its first bytes and the rest is
        // gone. Any host can send one; it must not cost the socket.
        return length;
    case WSAECONNRESET: // an ICMP "port unreachable" for an earlier send from this socket
    case WSAENETRESET:  // an ICMP "time exceeded" for an earlier send
    case WSAEWOULDBLOCK:
    case WSAEINTR:
    case WSAEINPROGRESS:
    case WSAENOBUFS:
        return 0; // nothing read this time; the socket still works
    default:
        return -1;
    }
}

void WinsockNetwork::Close(SocketHandle socket) {
    (void)closesocket(Native(socket));
}

} // namespace discovery

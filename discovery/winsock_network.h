// DatagramNetwork over Windows sockets 2.2 (started by the application before any use).
#pragma once

#include "discovery/datagram_network.h"

namespace discovery {

class WinsockNetwork final : public DatagramNetwork {
public:
    // gethostname into a 512-byte buffer, then gethostbyname's IPv4 list in the system's order.
    std::vector<std::uint32_t> LocalAddresses() override;
    SocketHandle OpenBroadcastSocket(std::uint32_t address) override;
    bool BoundAddress(SocketHandle socket, std::uint32_t& address) override;
    int SendTo(SocketHandle socket, std::span<const std::byte> datagram, std::uint32_t address,
               std::uint16_t port) override;
    // select() over at most FD_SETSIZE (64) sockets; fails with WSAEINVAL on an empty set.
    int WaitReadable(std::span<const SocketHandle> set, std::chrono::milliseconds timeout,
                     std::vector<bool>& readable) override;
    // recvfrom. A datagram longer than the buffer fails with WSAEMSGSIZE having filled the
    // buffer: that counts as a read of the buffer's size. Errors that report an earlier send
    // (ICMP replies) or a passing shortage read as 0.
    int Receive(SocketHandle socket, std::span<std::byte> buffer) override;
    void Close(SocketHandle socket) override;
};

} // namespace discovery

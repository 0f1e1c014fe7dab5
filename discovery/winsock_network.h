// DatagramNetwork over Windows sockets 2.2 (started by the application before any use).
#pragma once

#include "discovery/datagram_network.h"

#include <mutex>

namespace discovery {

class WinsockNetwork final : public DatagramNetwork {
public:
    WinsockNetwork() = default;
    ~WinsockNetwork() override;
    WinsockNetwork(const WinsockNetwork&) = delete;
    WinsockNetwork& operator=(const WinsockNetwork&) = delete;

    // gethostname into a 512-byte buffer, then gethostbyname's IPv4 list in the system's order.
    base::Result<std::vector<std::uint32_t>> LocalAddresses() override;
    base::Result<SocketHandle> OpenBroadcastSocket(std::uint32_t address) override;
    base::Result<std::uint32_t> BoundAddress(SocketHandle socket) override;
    base::Result<void> SendTo(SocketHandle socket, std::span<const std::byte> datagram,
                              std::uint32_t address, std::uint16_t port) override;
    // select() over at most 64 sockets and the wake-up socket; fails with WSAEINVAL on an
    // empty set.
    int WaitReadable(std::span<const SocketHandle> set, std::chrono::milliseconds timeout,
                     std::vector<bool>& readable) override;
    // select() waits on sockets only, so the wake-up is a datagram that a socket bound to the
    // loopback address sends itself. Made at the first wait or wake-up (Winsock must have
    // started by then); without it a wait lasts its time.
    void Wake() override;
    // recvfrom on a socket that OpenBroadcastSocket made non-blocking, so that nothing to read
    // gives 0 (WSAEWOULDBLOCK). A datagram longer than the buffer fails with WSAEMSGSIZE having
    // filled the buffer: that counts as a read of the buffer's size. Errors that report an earlier
    // send (ICMP replies) or a passing shortage read as 0.
    int Receive(SocketHandle socket, std::span<std::byte> buffer) override;
    void Close(SocketHandle socket) override;

private:
    // The wake-up socket, or kInvalidSocket when it could not be made.
    SocketHandle WakeSocket();

    std::once_flag m_wakeMade;
    SocketHandle m_wakeSocket = kInvalidSocket;
};

} // namespace discovery

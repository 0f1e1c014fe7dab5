// DatagramNetwork over POSIX sockets, for the native Linux build (tests, simulator, benchmarks).
#pragma once

#include "discovery/datagram_network.h"

namespace discovery {

class PosixNetwork final : public DatagramNetwork {
public:
    PosixNetwork();
    ~PosixNetwork() override;
    PosixNetwork(const PosixNetwork&) = delete;
    PosixNetwork& operator=(const PosixNetwork&) = delete;

    // After a successful gethostname, the IPv4 addresses of the interfaces that are up, loopback
    // left out, in the order the kernel lists them. The resolver is not asked: on Linux it
    // answers the host name from /etc/hosts (127.0.0.1 on a bare machine, a container's outer
    // address that a test namespace does not have), whereas Windows answers its own name with
    // the addresses of its interfaces, which is what the interface list gives.
    base::Result<std::vector<std::uint32_t>> LocalAddresses() override;
    base::Result<SocketHandle> OpenBroadcastSocket(std::uint32_t address) override;
    base::Result<std::uint32_t> BoundAddress(SocketHandle socket) override;
    base::Result<void> SendTo(SocketHandle socket, std::span<const std::byte> datagram,
                              std::uint32_t address, std::uint16_t port) override;
    // poll() rather than select(): the same readiness, without select's limit on descriptor
    // values (FD_SETSIZE), which a long-running process can pass.
    // The wake-up is a pipe watched with the sockets.
    int WaitReadable(std::span<const SocketHandle> set, std::chrono::milliseconds timeout,
                     std::vector<bool>& readable) override;
    void Wake() override;
    // A datagram longer than the buffer gives its first buffer.size() bytes and the rest is
    // discarded; the socket reads on, as WinsockNetwork keeps it after WSAEMSGSIZE. A socket
    // with nothing to read after all gives 0 bytes.
    int Receive(SocketHandle socket, std::span<std::byte> buffer) override;
    void Close(SocketHandle socket) override;

private:
    // Both ends non-blocking; -1 when the pipe could not be made (waits then last their time).
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
};

} // namespace discovery

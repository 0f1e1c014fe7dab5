// The thin socket seam under the discovery engine: Winsock on Windows, POSIX sockets on Linux,
// and scripted fakes in tests. Addresses are IPv4 in host order (first octet in the top byte).
// A call that fails tells why: the failed call and the system's error code (errno, or
// Winsock's WSAGetLastError), which the command line shows the operator.
#pragma once

#include "base/result.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace discovery {

using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kInvalidSocket = -1;

// Receive buffer of every discovery socket. Devices answer a search all at once, faster than
// the receiver thread reads, and a default buffer holds only a small part of such a burst
// (the system charges each reply far more than its 208 bytes): the rest is lost. A socket
// hears every device twice per search (multicast and broadcast request); for 10,000 devices
// that is 20,000 replies, about 25 MB as Linux charges them. 32 MiB holds such a crowd even
// when the receiver falls behind. It is charged only as replies wait. Linux grants at most
// net.core.rmem_max.
inline constexpr int kReceiveBufferBytes = 32 * 1024 * 1024;

class DatagramNetwork {
public:
    virtual ~DatagramNetwork() = default;

    // The host name's IPv4 address list in the order the system gives (empty when the name
    // has none); a failure when the name or the list cannot be read.
    virtual base::Result<std::vector<std::uint32_t>> LocalAddresses() = 0;
    // A UDP socket with SO_BROADCAST and a receive buffer of kReceiveBufferBytes, bound to
    // (address, port 0); on failure, having released whatever was made, the call that failed.
    // A refused buffer size is no failure: the socket keeps the system's default.
    virtual base::Result<SocketHandle> OpenBroadcastSocket(std::uint32_t address) = 0;
    // The address the socket is bound to, or why the system cannot tell.
    virtual base::Result<std::uint32_t> BoundAddress(SocketHandle socket) = 0;
    // Nothing when the datagram went out whole, else the failure.
    virtual base::Result<void> SendTo(SocketHandle socket, std::span<const std::byte> datagram,
                                      std::uint32_t address, std::uint16_t port) = 0;
    // Waits until any socket of the set is readable or Wake is called; returns how many are
    // readable (marking them in `readable`, one flag per handle), 0 on time-out or wake-up,
    // negative on failure (an empty set fails at once).
    virtual int WaitReadable(std::span<const SocketHandle> set, std::chrono::milliseconds timeout,
                             std::vector<bool>& readable) = 0;
    // From any thread: ends the WaitReadable under way at once, or else the next one. Wake-ups
    // that come before a wait count as one.
    virtual void Wake() = 0;
    // Reads one datagram into the buffer without blocking: the bytes read (of a datagram longer
    // than the buffer, the first buffer.size() bytes; the rest is discarded), 0 when nothing
    // could be read (none waits, or a passing error), negative on an error after which the
    // socket is of no more use.
    virtual int Receive(SocketHandle socket, std::span<std::byte> buffer) = 0;
    virtual void Close(SocketHandle socket) = 0;
};

// Owns one socket of a network: closes it when reset, replaced or destroyed. Moves only, so a
// handle is closed exactly once.
class OwnedSocket {
public:
    OwnedSocket() = default;
    OwnedSocket(DatagramNetwork& network, SocketHandle socket)
        : m_network(&network), m_socket(socket) {}
    OwnedSocket(OwnedSocket&& other) noexcept
        : m_network(other.m_network), m_socket(std::exchange(other.m_socket, kInvalidSocket)) {}
    OwnedSocket& operator=(OwnedSocket&& other) noexcept {
        if (this != &other) {
            Reset();
            m_network = other.m_network;
            m_socket = std::exchange(other.m_socket, kInvalidSocket);
        }
        return *this;
    }
    ~OwnedSocket() { Reset(); }

    [[nodiscard]] SocketHandle Get() const { return m_socket; }
    [[nodiscard]] bool IsOpen() const { return m_socket != kInvalidSocket; }
    // Gives the handle up without closing it.
    [[nodiscard]] SocketHandle Release() { return std::exchange(m_socket, kInvalidSocket); }
    void Reset() {
        if (m_socket != kInvalidSocket) {
            m_network->Close(std::exchange(m_socket, kInvalidSocket));
        }
    }

private:
    DatagramNetwork* m_network = nullptr;
    SocketHandle m_socket = kInvalidSocket;
};

} // namespace discovery

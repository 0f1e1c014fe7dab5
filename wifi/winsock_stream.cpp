#include "wifi/winsock_stream.h"

#include <winsock2.h>

namespace wifi {
namespace {

// Owns one connected socket; closesocket on every path.
class WinsockStream : public DeviceStream {
public:
    explicit WinsockStream(SOCKET socket) : m_socket(socket) {}
    WinsockStream(const WinsockStream&) = delete;
    WinsockStream& operator=(const WinsockStream&) = delete;
    ~WinsockStream() override { ::closesocket(m_socket); }

    // SO_SNDTIMEO and SO_RCVTIMEO take a DWORD of milliseconds on Windows (not a timeval).
    // A time-out that cannot be set leaves the socket blocking without one; not checked.
    void SetTimeouts(std::chrono::milliseconds send, std::chrono::milliseconds receive) override {
        const DWORD sendMs = static_cast<DWORD>(send.count());
        const DWORD receiveMs = static_cast<DWORD>(receive.count());
        (void)::setsockopt(m_socket, SOL_SOCKET, SO_SNDTIMEO,
                           reinterpret_cast<const char*>(&sendMs), sizeof sendMs);
        (void)::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO,
                           reinterpret_cast<const char*>(&receiveMs), sizeof receiveMs);
    }

    // One send call; only SOCKET_ERROR is a failure (requests are far below INT_MAX bytes).
    bool Send(std::string_view bytes) override {
        return ::send(m_socket, bytes.data(), static_cast<int>(bytes.size()), 0) != SOCKET_ERROR;
    }

    // recv returns the bytes received, 0 when the peer closed, SOCKET_ERROR on failure or
    // when SO_RCVTIMEO passes (WSAETIMEDOUT).
    std::optional<std::string> Receive(std::size_t maxBytes) override {
        std::string buffer(maxBytes, '\0');
        const int received = ::recv(m_socket, buffer.data(), static_cast<int>(maxBytes), 0);
        if (received == SOCKET_ERROR) {
            return std::nullopt;
        }
        buffer.resize(static_cast<std::size_t>(received));
        return buffer;
    }

private:
    SOCKET m_socket;
};

} // namespace

std::unique_ptr<DeviceStream> WinsockConnector::Connect(std::uint32_t address, std::uint16_t port) {
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        return nullptr;
    }
    auto stream = std::make_unique<WinsockStream>(s);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_addr.s_addr = htonl(address);
    peer.sin_port = htons(port);
    if (::connect(s, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == SOCKET_ERROR) {
        return nullptr;
    }
    return stream;
}

} // namespace wifi

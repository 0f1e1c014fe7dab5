// The seam between the web commands and the sockets: a connected byte stream to a device,
// closed when its object goes, and the connector that opens one. Windows sockets implement it
// in the program; tests script it.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace wifi {

class DeviceStream {
public:
    virtual ~DeviceStream() = default;

    virtual void SetTimeouts(std::chrono::milliseconds send, std::chrono::milliseconds receive) = 0;
    // All of `bytes` in one send call; false when the call fails or times out.
    [[nodiscard]] virtual bool Send(std::string_view bytes) = 0;
    // One receive of at most `maxBytes`: what arrived, empty when the peer closed, nothing when
    // the call fails or its time-out passes.
    [[nodiscard]] virtual std::optional<std::string> Receive(std::size_t maxBytes) = 0;
};

class StreamConnector {
public:
    virtual ~StreamConnector() = default;

    // A blocking connect to `address` (first octet in the top byte) and `port`; null when it
    // fails. Only the system's own connect time-out applies.
    [[nodiscard]] virtual std::unique_ptr<DeviceStream> Connect(std::uint32_t address,
                                                                std::uint16_t port) = 0;
};

} // namespace wifi

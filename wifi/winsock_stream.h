// The web commands' stream over Windows sockets: a blocking TCP connection per command.
#pragma once

#include "wifi/device_stream.h"

namespace wifi {

class WinsockConnector : public StreamConnector {
public:
    // Needs Winsock started (the application does it at start-up).
    std::unique_ptr<DeviceStream> Connect(std::uint32_t address, std::uint16_t port) override;
};

} // namespace wifi

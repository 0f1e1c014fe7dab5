// One simulated device: what it tells in its search reply and its current network settings.
#pragma once

#include "discovery/datagram.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace devsim {

// Longest texts a reply can carry: the last byte of each field is always zero.
inline constexpr std::size_t kMaxClassTextBytes = discovery::kClassTextSize - 1;
inline constexpr std::size_t kMaxAddressTextBytes = discovery::kDeviceAddressSize - 1;
inline constexpr std::size_t kMaxNameBytes = discovery::kDeviceNameSize - 1;
inline constexpr std::size_t kMaxModelBytes = discovery::kModelTextSize - 1;

inline constexpr std::size_t kMinDevices = 1;
inline constexpr std::size_t kMaxDevices = 10000;

using MacAddress = std::array<std::uint8_t, discovery::kMacSize>;

struct Device {
    // What it sends; its IP text (deviceAddress) is also the key that address changes name.
    discovery::SearchReply reply;
    // Written by address changes only; empty while the device keeps its initial settings.
    std::string subnetMask;
    std::string gateway;
    bool usesDhcp = false;
    // Between a web restart request and the end of the restart: answers nothing.
    bool restarting = false;
};

} // namespace devsim

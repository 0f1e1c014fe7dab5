// Made-up devices for load runs: varied classes, names, models and ports, the same list for the
// same count and start address on every run.
#pragma once

#include "tools/devsim/device.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace devsim {

// Whether the last octet is neither 0 nor 255 (the network and broadcast addresses of a /24).
[[nodiscard]] bool IsHostAddress(std::uint32_t address);
// The first host address after `address`; nothing when it would pass 255.255.255.255.
[[nodiscard]] std::optional<std::uint32_t> NextHostAddress(std::uint32_t address);

// `count` devices on the host addresses after `network`, with distinct MACs; nothing when the
// addresses would run out.
[[nodiscard]] std::optional<std::vector<Device>> GenerateDevices(std::size_t count,
                                                                 std::uint32_t network);

} // namespace devsim

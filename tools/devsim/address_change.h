// What a simulated device does with an address-change request: the device whose current IP
// text equals the target text takes the static settings, or the next address of the DHCP pool.
#pragma once

#include "tools/devsim/device_table.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace devsim {

// Hands out addresses from `first` upwards, skipping the last octets 0 and 255 and every
// address a device already holds.
class DhcpPool {
public:
    explicit DhcpPool(std::uint32_t first);
    // Nothing once the pool has passed 255.255.255.255.
    [[nodiscard]] std::optional<std::string> Lease(const DeviceTable& table);

private:
    std::optional<std::uint32_t> m_next;
};

enum class IgnoreReason {
    ShortRequest,    // does not reach the DHCP flag
    UnknownTarget,   // no device has the target text
    BadStaticFields, // DHCP flag 0 but an address field is not a dotted address
    BadDhcpFlag,     // neither 0 nor 1
    AddressInUse,    // another device holds the new address
    DhcpExhausted,
};

// Stable names for the log.
[[nodiscard]] std::string_view IgnoreReasonName(IgnoreReason reason);

struct AddressChangeOutcome {
    // Set when the request changed nothing.
    std::optional<IgnoreReason> ignored;
    std::string target;
    // The rest is meaningful when the change was applied.
    std::size_t device = 0;
    bool dhcp = false;
    std::string address;
    std::string subnetMask;
    std::string gateway;
};

// `request` is a whole datagram whose header carries command 3.
[[nodiscard]] AddressChangeOutcome ApplyAddressChange(DeviceTable& table, DhcpPool& pool,
                                                      std::span<const std::byte> request);

} // namespace devsim

// What simulated devices do with an address-change request: every device whose current IP
// text equals the target text takes the static settings, or the next address of the DHCP pool.
#pragma once

#include "tools/devsim/device_table.h"
#include "tools/devsim/named.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

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
    kShortRequest,
    kUnknownTarget,
    kBadStaticFields,
    kBadDhcpFlag,
    kAddressInUse,
    kDhcpExhausted
};

// Under their names in the log.
inline constexpr std::array<Named<IgnoreReason>, 6> kIgnoreReasons = {{
    {IgnoreReason::kShortRequest, "short-request", "it does not reach the DHCP flag"},
    {IgnoreReason::kUnknownTarget, "unknown-target", "no device has the target text"},
    {IgnoreReason::kBadStaticFields, "bad-static-fields", "DHCP flag 0 and a field not an address"},
    {IgnoreReason::kBadDhcpFlag, "bad-dhcp-flag", "the DHCP flag is neither 0 nor 1"},
    {IgnoreReason::kAddressInUse, "address-in-use", "another device holds the new address"},
    {IgnoreReason::kDhcpExhausted, "dhcp-exhausted", "the DHCP pool has no address left"},
}};

struct AddressChangeOutcome {
    // Set when the request, or what was left of it, changed nothing.
    std::optional<IgnoreReason> ignored;
    std::string target;
    // The devices that took the change, in table order.
    std::vector<std::size_t> devices;
};

// `request` is a whole datagram whose header carries command 3.
[[nodiscard]] AddressChangeOutcome ApplyAddressChange(DeviceTable& table, DhcpPool& pool,
                                                      std::span<const std::byte> request);

} // namespace devsim

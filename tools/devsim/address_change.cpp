#include "tools/devsim/address_change.h"

#include "tools/devsim/device_fields.h"
#include "tools/devsim/device_generator.h"

namespace devsim {
namespace {

constexpr std::uint8_t kStaticFlag = 0;
constexpr std::uint8_t kDhcpFlag = 1;

} // namespace

DhcpPool::DhcpPool(std::uint32_t first)
    : m_next(IsHostAddress(first) ? std::optional(first) : NextHostAddress(first)) {}

std::optional<std::string> DhcpPool::Lease(const DeviceTable& table) {
    // Each skipped address is held by a device, so the walk ends within table.size() steps.
    while (m_next) {
        std::string address = discovery::FormatIPv4(*m_next);
        m_next = NextHostAddress(*m_next);
        if (table.DevicesAt(address).empty()) {
            return address;
        }
    }
    return std::nullopt;
}

AddressChangeOutcome ApplyAddressChange(DeviceTable& table, DhcpPool& pool,
                                        std::span<const std::byte> request) {
    const discovery::AddressChangeFields fields = discovery::DecodeAddressChange(request);
    AddressChangeOutcome outcome{std::nullopt, fields.target, {}};
    const auto ignore = [&outcome](IgnoreReason reason) {
        outcome.ignored = reason;
        return outcome;
    };
    if (request.size() <= discovery::kDhcpFlagOffset) {
        return ignore(IgnoreReason::kShortRequest);
    }
    // Devices that share the target all obey, as real ones do.
    const std::vector<std::size_t> devices = table.DevicesAt(fields.target);
    if (devices.empty()) {
        return ignore(IgnoreReason::kUnknownTarget);
    }

    if (fields.dhcpFlag == kStaticFlag) {
        if (!IsAddressText(fields.newAddress) || !IsAddressText(fields.subnetMask) ||
            !IsAddressText(fields.gateway)) {
            return ignore(IgnoreReason::kBadStaticFields);
        }
        if (fields.newAddress != fields.target && !table.DevicesAt(fields.newAddress).empty()) {
            return ignore(IgnoreReason::kAddressInUse);
        }
        for (const std::size_t device : devices) {
            table.SetAddress(device, fields.newAddress, false, fields.subnetMask, fields.gateway);
        }
        outcome.devices = devices;
        return outcome;
    }
    if (fields.dhcpFlag != kDhcpFlag) {
        return ignore(IgnoreReason::kBadDhcpFlag);
    }
    // Each takes an address of its own; any the pool has none left for keeps its address.
    for (const std::size_t device : devices) {
        const auto lease = pool.Lease(table);
        if (!lease) {
            return ignore(IgnoreReason::kDhcpExhausted);
        }
        table.SetAddress(device, *lease, true);
        outcome.devices.push_back(device);
    }
    return outcome;
}

} // namespace devsim

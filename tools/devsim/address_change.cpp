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
        if (!table.FindByAddress(address))
            return address;
    }
    return std::nullopt;
}

AddressChangeOutcome ApplyAddressChange(DeviceTable& table, DhcpPool& pool,
                                        std::span<const std::byte> request) {
    const discovery::AddressChangeFields fields = discovery::DecodeAddressChange(request);
    AddressChangeOutcome outcome{std::nullopt, fields.target};
    const auto ignore = [&outcome](IgnoreReason reason) {
        outcome.ignored = reason;
        return outcome;
    };
    if (request.size() <= discovery::kDhcpFlagOffset)
        return ignore(IgnoreReason::ShortRequest);
    const auto device = table.FindByAddress(fields.target);
    if (!device)
        return ignore(IgnoreReason::UnknownTarget);
    outcome.device = *device;

    if (fields.dhcpFlag == kStaticFlag) {
        if (!IsAddressText(fields.newAddress) || !IsAddressText(fields.subnetMask) ||
            !IsAddressText(fields.gateway))
            return ignore(IgnoreReason::BadStaticFields);
        if (!table.SetAddress(*device, fields.newAddress, false, fields.subnetMask, fields.gateway))
            return ignore(IgnoreReason::AddressInUse);
        return outcome;
    }
    if (fields.dhcpFlag != kDhcpFlag)
        return ignore(IgnoreReason::BadDhcpFlag);
    const auto lease = pool.Lease(table);
    if (!lease || !table.SetAddress(*device, *lease, true))
        return ignore(IgnoreReason::DhcpExhausted);
    return outcome;
}

} // namespace devsim

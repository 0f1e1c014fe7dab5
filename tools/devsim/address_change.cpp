#include "tools/devsim/address_change.h"

#include "tools/devsim/device_fields.h"
#include "tools/devsim/device_generator.h"

namespace devsim {
namespace {

constexpr std::uint32_t kLastOctetMask = 0xFF;
constexpr std::uint8_t kStaticFlag = 0;
constexpr std::uint8_t kDhcpFlag = 1;

bool IsHostAddress(std::uint32_t address) {
    const std::uint32_t last = address & kLastOctetMask;
    return last != 0 && last != kLastOctetMask;
}

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
    AddressChangeOutcome outcome;
    outcome.target = fields.target;
    if (request.size() <= discovery::kDhcpFlagOffset) {
        outcome.ignored = IgnoreReason::ShortRequest;
        return outcome;
    }
    const auto device = table.FindByAddress(fields.target);
    if (!device) {
        outcome.ignored = IgnoreReason::UnknownTarget;
        return outcome;
    }
    outcome.device = *device;

    if (fields.dhcpFlag == kStaticFlag) {
        if (!IsAddressText(fields.newAddress) || !IsAddressText(fields.subnetMask) ||
            !IsAddressText(fields.gateway)) {
            outcome.ignored = IgnoreReason::BadStaticFields;
            return outcome;
        }
        if (!table.SetStaticAddress(*device, fields.newAddress, fields.subnetMask,
                                    fields.gateway)) {
            outcome.ignored = IgnoreReason::AddressInUse;
            return outcome;
        }
        outcome.address = fields.newAddress;
        outcome.subnetMask = fields.subnetMask;
        outcome.gateway = fields.gateway;
        return outcome;
    }
    if (fields.dhcpFlag != kDhcpFlag) {
        outcome.ignored = IgnoreReason::BadDhcpFlag;
        return outcome;
    }
    const auto lease = pool.Lease(table);
    if (!lease || !table.SetDhcpAddress(*device, *lease)) {
        outcome.ignored = IgnoreReason::DhcpExhausted;
        return outcome;
    }
    outcome.dhcp = true;
    outcome.address = *lease;
    return outcome;
}

} // namespace devsim

#include "tools/devsim/device_table.h"

#include <cassert>

namespace devsim {

DeviceTable::DeviceTable(std::vector<Device> devices) : m_devices(std::move(devices)) {
    m_byAddress.reserve(m_devices.size());
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        [[maybe_unused]] const bool inserted =
            m_byAddress.emplace(m_devices[i].reply.deviceAddress, i).second;
        assert(inserted && "device IP texts must be distinct");
    }
}

std::optional<std::size_t> DeviceTable::FindByAddress(std::string_view address) const {
    const auto found = m_byAddress.find(std::string(address));
    if (found == m_byAddress.end())
        return std::nullopt;
    return found->second;
}

bool DeviceTable::SetAddress(std::size_t index, const std::string& address, bool dhcp,
                             const std::string& subnetMask, const std::string& gateway) {
    const auto holder = FindByAddress(address);
    if (holder && *holder != index)
        return false;
    Device& device = m_devices[index];
    m_byAddress.erase(device.reply.deviceAddress);
    device.reply.deviceAddress = address;
    m_byAddress.emplace(address, index);
    device.subnetMask = subnetMask;
    device.gateway = gateway;
    device.usesDhcp = dhcp;
    return true;
}

} // namespace devsim

#include "tools/devsim/device_table.h"

#include <algorithm>

namespace devsim {

DeviceTable::DeviceTable(std::vector<Device> devices) : m_devices(std::move(devices)) {
    m_byAddress.reserve(m_devices.size());
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        m_byAddress[m_devices[i].reply.deviceAddress].push_back(i);
    }
}

std::vector<std::size_t> DeviceTable::DevicesAt(std::string_view address) const {
    const auto found = m_byAddress.find(std::string(address));
    return found != m_byAddress.end() ? found->second : std::vector<std::size_t>();
}

void DeviceTable::SetAddress(std::size_t index, const std::string& address, bool dhcp,
                             const std::string& subnetMask, const std::string& gateway) {
    Device& device = m_devices[index];
    const auto old = m_byAddress.find(device.reply.deviceAddress);
    std::erase(old->second, index);
    if (old->second.empty()) {
        m_byAddress.erase(old);
    }
    device.reply.deviceAddress = address;
    std::vector<std::size_t>& holders = m_byAddress[address];
    holders.insert(std::upper_bound(holders.begin(), holders.end(), index), index);
    device.subnetMask = subnetMask;
    device.gateway = gateway;
    device.usesDhcp = dhcp;
}

} // namespace devsim

// The simulated devices, findable by their current IP text, which several may share (devices
// fresh from the factory all come up on one address). Devices are never added or removed
// while the simulator runs, so an index names a device for the whole run.
#pragma once

#include "tools/devsim/device.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace devsim {

class DeviceTable {
public:
    explicit DeviceTable(std::vector<Device> devices);

    [[nodiscard]] std::size_t size() const { return m_devices.size(); }
    [[nodiscard]] const Device& operator[](std::size_t index) const { return m_devices[index]; }

    // The devices holding the IP text, in table order; none when no device does.
    [[nodiscard]] std::vector<std::size_t> DevicesAt(std::string_view address) const;

    // The device's new settings (no mask and gateway under DHCP), whoever else holds the
    // address.
    void SetAddress(std::size_t index, const std::string& address, bool dhcp,
                    const std::string& subnetMask = {}, const std::string& gateway = {});

    void SetRestarting(std::size_t index, bool restarting) {
        m_devices[index].restarting = restarting;
    }

private:
    std::vector<Device> m_devices;
    // Each IP text held, with its holders in table order.
    std::unordered_map<std::string, std::vector<std::size_t>> m_byAddress;
};

} // namespace devsim

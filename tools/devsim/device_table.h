// The simulated devices, findable by their current IP text. Devices are never added or removed
// while the simulator runs, so an index names a device for the whole run.
#pragma once

#include "tools/devsim/device.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace devsim {

class DeviceTable {
public:
    // The IP texts must be distinct (the device file and the generator see to it).
    explicit DeviceTable(std::vector<Device> devices);

    [[nodiscard]] std::size_t size() const { return m_devices.size(); }
    [[nodiscard]] const Device& operator[](std::size_t index) const { return m_devices[index]; }

    [[nodiscard]] std::optional<std::size_t> FindByAddress(std::string_view address) const;

    // The device's new settings (no mask and gateway under DHCP); fails, changing nothing,
    // when another device holds the address text.
    [[nodiscard]] bool SetAddress(std::size_t index, const std::string& address, bool dhcp,
                                  const std::string& subnetMask = {},
                                  const std::string& gateway = {});

    void SetRestarting(std::size_t index, bool restarting) {
        m_devices[index].restarting = restarting;
    }

private:
    std::vector<Device> m_devices;
    std::unordered_map<std::string, std::size_t> m_byAddress;
};

} // namespace devsim

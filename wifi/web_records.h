// What the device's web commands carry: the device addressed, the networks a scan finds and
// the Wi-Fi settings a read finds and a save sends.
#pragma once

#include <optional>
#include <string>

namespace wifi {

// The first selected device row's texts: its IP column and its HTTP Port column.
struct DeviceEndpoint {
    std::wstring addressText;
    std::wstring portText;
};

// One network of a scan reply.
struct ScannedNetwork {
    std::wstring indexText;
    std::wstring ssid;
    // Present when the network's line held "(" and ")"; the signal text may still be empty.
    std::optional<std::wstring> signalText;
    int signal = 0;
    std::wstring security;
    // False for a first line that the end of the body cut off from its second line.
    bool complete = false;
};

// What the page collects and a save sends. -1: nothing chosen in that list.
struct WifiSettings {
    int enable = 0;
    std::wstring ssid;
    int authentication = -1;
    int keyindex = -1;
    std::wstring key;
};

// What a read finds; each field is present or absent on its own.
struct ReadSettings {
    std::optional<int> enable;
    std::optional<std::wstring> ssid;
    std::optional<int> authentication;
    std::optional<int> keyindex;
    std::optional<std::wstring> key;
};

} // namespace wifi

// What a device row shows and carries: its seven column texts, its class and its deviceWord,
// and what is said of the devices that share its address.
#pragma once

#include "discovery/datagram.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace discovery {

enum class DeviceClass : std::uint8_t { kDvs = 1, kIpCamera = 3, kDecoder = 4 };

enum Column : int {
    kIndexColumn = 0,
    kModelColumn = 1,
    kNameColumn = 2,
    kAddressColumn = 3,
    kHttpPortColumn = 4,
    kRtspPortColumn = 5,
    kMacColumn = 6,
};
inline constexpr int kColumnCount = 7;

using RowTexts = std::array<std::wstring, kColumnCount>;

// Case-sensitive search for "DVS", then "IPCAMERA", then "DECODER"; the first found decides.
[[nodiscard]] std::optional<DeviceClass> FindDeviceClass(std::string_view classText);

// (RTSP port << 8) | (class << 4) | DVS byte (DVS class only), in 32 bits.
[[nodiscard]] std::uint32_t deviceWord(std::int32_t rtspPort, DeviceClass deviceClass,
                                       std::uint8_t dvsByte);

// The row texts for a decoded reply; index is the 1-based number shown in column 0.
[[nodiscard]] RowTexts DeviceRowTexts(const SearchReply& reply, int index);

// Upper-case "02:4B:00:00:00:11".
[[nodiscard]] std::wstring FormatMac(const std::array<std::uint8_t, kMacSize>& mac);

// The MACs as one text, separated by ", ".
[[nodiscard]] std::wstring MacsText(std::span<const std::wstring> macs);

// A text about the devices that answer from one address, made from a translatable `format`
// (text::FillIn): %1 stands for their count, %2 for the address and %3 for their MACs.
[[nodiscard]] std::wstring SharedAddressText(std::wstring_view format, std::wstring_view address,
                                             std::span<const std::wstring> macs);

} // namespace discovery

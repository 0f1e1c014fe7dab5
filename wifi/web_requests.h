// The bytes of the four web commands' requests. Each request is composed whole before any
// connection is opened; one that would not fit its buffer is refused (nothing).
#pragma once

#include "wifi/web_records.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace wifi {

// Scan, read and save requests are composed into this buffer with their terminating zero.
inline constexpr std::size_t kRequestBufferBytes = 1024;
// The reboot request's own buffer.
inline constexpr std::size_t kRebootBufferBytes = 4096;
// The device's IP text in the host's code page, with its terminator.
inline constexpr std::size_t kHostTextBytes = 256;

// `host`: the device's IP text in the host's code page, sent unchanged in Referer and Host.
[[nodiscard]] std::optional<std::string> ComposeScanRequest(std::string_view host);
[[nodiscard]] std::optional<std::string> ComposeReadRequest(std::string_view host);
// The SSID and key go into the request target as typed, unescaped, in the host's code page;
// nothing when a text has no form there.
[[nodiscard]] std::optional<std::string> ComposeSaveRequest(std::string_view host,
                                                            const WifiSettings& settings);
[[nodiscard]] std::optional<std::string> ComposeRebootRequest(std::string_view host);

} // namespace wifi

// The device file: one device a line, eight fields separated by '|' (layout in
// devices.sample.txt). Every fault is reported with its line, nothing is cut or guessed.
#pragma once

#include "base/result.h"
#include "tools/devsim/device.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace devsim {

struct DeviceFileError {
    // 1-based; 0 when the fault concerns the file as a whole.
    std::size_t line = 0;
    std::string message;
};

using DeviceFileResult = base::Result<std::vector<Device>, DeviceFileError>;

// Larger files are refused before they are read: 10,000 devices take about 1 MiB.
inline constexpr std::size_t kMaxDeviceFileBytes = 16 * 1024 * 1024;

[[nodiscard]] DeviceFileResult ParseDeviceFile(std::string_view content);
[[nodiscard]] DeviceFileResult LoadDeviceFile(const std::string& path);

// "PATH:LINE: message", or "PATH: message" for a fault of the whole file.
[[nodiscard]] std::string FormatDeviceFileError(const std::string& path,
                                                const DeviceFileError& error);

} // namespace devsim

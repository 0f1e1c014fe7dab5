// What search-cli prints for the devices found: an aligned table, CSV or JSON, in UTF-8.
#pragma once

#include "cli/cli_options.h"
#include "discovery/device_texts.h"

#include <array>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// One row's seven column texts in UTF-8, in the window's column order.
using Utf8Row = std::array<std::string, discovery::kColumnCount>;

// A device as search-cli shows it: its row, and the MACs that answered from the row's address
// during the search, in the order they answered (several when devices share the address).
struct ShownDevice {
    Utf8Row texts;
    std::vector<std::string> macs{};
};

// JSON field names, in column order.
inline constexpr std::array<const char*, discovery::kColumnCount> kJsonFields = {
    "index", "model", "name", "ip", "http_port", "rtsp_port", "mac"};

// table: a heading line and columns padded to their widest text (counted in characters),
// two spaces apart; csv: a heading line and RFC 4180 records; json: an array of objects with
// the kJsonFields names, the index and ports as numbers, and "macs". An empty list still gives
// the heading line, or "[]".
[[nodiscard]] std::string FormatDevices(const std::vector<ShownDevice>& devices,
                                        OutputFormat format);

// One line of --watch: json: {"event", "time", "device": the object FormatDevices writes};
// table: the time, the event, the device's address, model, name and MACs, two spaces apart.
[[nodiscard]] std::string FormatEventLine(std::string_view event, std::string_view time,
                                          const ShownDevice& device, OutputFormat format);

// ISO 8601 in UTC with milliseconds: "2023-11-14T22:13:20.123Z".
[[nodiscard]] std::string FormatUtcTime(std::chrono::system_clock::time_point time);

} // namespace cli

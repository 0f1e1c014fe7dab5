// The three output formats; JSON through the nlohmann library, which escapes for us.
#include "cli/device_output.h"

#include "rowexport/row_export.h"
#include "text/number_text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace cli {
namespace {

bool IsNumberColumn(int column) {
    return column == discovery::kIndexColumn || column == discovery::kHttpPortColumn ||
           column == discovery::kRtspPortColumn;
}

// Characters, not bytes: UTF-8 continuation bytes do not count.
std::size_t DisplayWidth(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// A device's control characters (a line break, a tab) would break a table's lines and
// columns: they show as spaces.
std::string Printable(const std::string& text) {
    std::string shown;
    std::transform(text.begin(), text.end(), std::back_inserter(shown), [](char ch) {
        return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F ? ' ' : ch;
    });
    return shown;
}

// `text` followed by spaces up to `width` characters, and two more.
std::string Padded(const std::string& text, std::size_t width) {
    return text + std::string(width - std::min(width, DisplayWidth(text)) + 2, ' ');
}

Utf8Row Headings() {
    Utf8Row headings;
    std::copy(rowexport::kColumnHeadings.begin(), rowexport::kColumnHeadings.end(),
              headings.begin());
    return headings;
}

std::string Table(const std::vector<Utf8Row>& rows) {
    const Utf8Row headings = Headings();
    std::array<std::size_t, discovery::kColumnCount> widths{};
    for (std::size_t c = 0; c < widths.size(); ++c) {
        widths[c] = DisplayWidth(headings[c]);
    }
    for (const Utf8Row& row : rows) {
        for (std::size_t c = 0; c < widths.size(); ++c) {
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
        }
    }
    std::string out;
    const auto line = [&](const Utf8Row& row) {
        std::string text;
        for (std::size_t c = 0; c < row.size(); ++c) {
            text += c + 1 < row.size() ? Padded(Printable(row[c]), widths[c]) : Printable(row[c]);
        }
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        out += text + "\n";
    };
    line(headings);
    for (const Utf8Row& row : rows) {
        line(row);
    }
    return out;
}

std::string Csv(const std::vector<Utf8Row>& rows) {
    std::string out = rowexport::CsvRecord(Headings());
    for (const Utf8Row& row : rows) {
        out += rowexport::CsvRecord(row);
    }
    return out;
}

nlohmann::ordered_json DeviceObject(const ShownDevice& shown) {
    nlohmann::ordered_json device = nlohmann::ordered_json::object();
    for (std::size_t c = 0; c < shown.texts.size(); ++c) {
        const std::string& field = shown.texts[c];
        const auto number = IsNumberColumn(static_cast<int>(c))
                                ? text::ParseNumber<long long>(field)
                                : std::nullopt;
        if (number) {
            device[kJsonFields[c]] = *number;
        } else {
            device[kJsonFields[c]] = field;
        }
    }
    device["macs"] = shown.macs;
    return device;
}

// Texts arrive as valid UTF-8; should one not, it is replaced rather than thrown on.
std::string Dump(const nlohmann::ordered_json& json, int indent) {
    return json.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

} // namespace

std::string FormatDevices(const std::vector<ShownDevice>& devices, OutputFormat format) {
    if (format == OutputFormat::kJson) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const ShownDevice& device : devices) {
            list.push_back(DeviceObject(device));
        }
        return Dump(list, 2);
    }
    std::vector<Utf8Row> rows;
    rows.reserve(devices.size());
    for (const ShownDevice& device : devices) {
        rows.push_back(device.texts);
    }
    return format == OutputFormat::kCsv ? Csv(rows) : Table(rows);
}

std::string FormatEventLine(std::string_view event, std::string_view time,
                            const ShownDevice& device, OutputFormat format) {
    if (format == OutputFormat::kJson) {
        nlohmann::ordered_json line = nlohmann::ordered_json::object();
        line["event"] = event;
        line["time"] = time;
        line["device"] = DeviceObject(device);
        return Dump(line, -1);
    }
    constexpr std::size_t kEventWidth = 8;    // "appeared"
    constexpr std::size_t kAddressWidth = 15; // "255.255.255.255"
    std::string macs;
    for (const std::string& mac : device.macs) {
        macs += (macs.empty() ? "" : ", ") + Printable(mac);
    }
    return std::string(time) + "  " + Padded(std::string(event), kEventWidth) +
           Padded(Printable(device.texts[discovery::kAddressColumn]), kAddressWidth) +
           Printable(device.texts[discovery::kModelColumn]) + "  " +
           Printable(device.texts[discovery::kNameColumn]) + "  " + macs + "\n";
}

std::string FormatUtcTime(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto ms = floor<milliseconds>(time);
    const auto day = floor<days>(ms);
    const year_month_day date(day);
    const hh_mm_ss clock(ms - day);
    char text[32];
    std::snprintf(
        text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
        static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
    return text;
}

} // namespace cli

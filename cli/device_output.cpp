// The three output formats; JSON through the nlohmann library, which escapes for us.
#include "cli/device_output.h"

#include "rowexport/row_export.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
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

Utf8Row Headings() {
    Utf8Row headings;
    std::copy(rowexport::kColumnHeadings.begin(), rowexport::kColumnHeadings.end(),
              headings.begin());
    return headings;
}

std::string Table(const std::vector<Utf8Row>& rows) {
    const Utf8Row headings = Headings();
    std::array<std::size_t, discovery::kColumnCount> widths{};
    for (std::size_t c = 0; c < widths.size(); ++c)
        widths[c] = DisplayWidth(headings[c]);
    for (const Utf8Row& row : rows) {
        for (std::size_t c = 0; c < widths.size(); ++c)
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
    std::string out;
    const auto line = [&](const Utf8Row& row) {
        std::string text;
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0)
                text += "  ";
            // A device's control characters (a line break, a tab) would break the table's
            // lines and columns: they show as spaces.
            std::transform(row[c].begin(), row[c].end(), std::back_inserter(text), [](char ch) {
                return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F ? ' ' : ch;
            });
            if (c + 1 < row.size())
                text.append(widths[c] - DisplayWidth(row[c]), ' ');
        }
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        out += text + "\n";
    };
    line(headings);
    for (const Utf8Row& row : rows)
        line(row);
    return out;
}

std::string Csv(const std::vector<Utf8Row>& rows) {
    std::string out = rowexport::CsvRecord(Headings());
    for (const Utf8Row& row : rows)
        out += rowexport::CsvRecord(row);
    return out;
}

std::string Json(const std::vector<Utf8Row>& rows) {
    nlohmann::ordered_json devices = nlohmann::ordered_json::array();
    for (const Utf8Row& row : rows) {
        nlohmann::ordered_json device = nlohmann::ordered_json::object();
        for (std::size_t c = 0; c < row.size(); ++c) {
            long long number = 0;
            const std::string& text = row[c];
            const auto [end, status] =
                std::from_chars(text.data(), text.data() + text.size(), number);
            if (IsNumberColumn(static_cast<int>(c)) && status == std::errc() &&
                end == text.data() + text.size())
                device[kJsonFields[c]] = number;
            else
                device[kJsonFields[c]] = text;
        }
        devices.push_back(std::move(device));
    }
    // Texts arrive as valid UTF-8; should one not, it is replaced rather than thrown on.
    return devices.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

} // namespace

std::string FormatDevices(const std::vector<Utf8Row>& rows, OutputFormat format) {
    switch (format) {
    case OutputFormat::kCsv:
        return Csv(rows);
    case OutputFormat::kJson:
        return Json(rows);
    case OutputFormat::kTable:
        break;
    }
    return Table(rows);
}

} // namespace cli

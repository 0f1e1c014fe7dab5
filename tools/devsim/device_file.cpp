#include "tools/devsim/device_file.h"

#include "text/number_text.h"
#include "tools/devsim/device_fields.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace devsim {
namespace {

constexpr char kSeparator = '|';
constexpr char kComment = '#';
constexpr std::size_t kFieldCount = 8;
constexpr const char* kFieldLayout =
    "class | MAC | IP | name | HTTP port | RTSP port | DVS byte | model";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits at every '|' that is not escaped; escapes stay in the fields for UnescapeText.
std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\') {
            ++i;
        } else if (line[i] == kSeparator) {
            fields.push_back(Trim(line.substr(start, i - start)));
            start = i + 1;
        }
    }
    fields.push_back(Trim(line.substr(start)));
    return fields;
}

std::string TooLong(const char* field, std::string_view text, std::size_t maxBytes) {
    return std::string(field) + " " + QuoteBytes(text) + " is " + std::to_string(text.size()) +
           " bytes, at most " + std::to_string(maxBytes) + " allowed";
}

// The field readers store what they read in `out` and return the field's fault, empty when
// there is none.
std::string ReadText(std::string_view raw, const char* field, std::size_t maxBytes, bool mayBeEmpty,
                     std::string& out) {
    auto text = UnescapeText(raw);
    if (!text) {
        return std::string(field) + " " + QuoteBytes(raw) + ": " + text.error().what;
    }
    if (text->empty() && !mayBeEmpty) {
        return std::string(field) + " is empty";
    }
    if (text->size() > maxBytes) {
        return TooLong(field, *text, maxBytes);
    }
    out = std::move(*text);
    return {};
}

std::string ReadAddress(std::string_view raw, std::string& out) {
    if (raw.size() > kMaxAddressTextBytes) {
        return TooLong("IP", raw, kMaxAddressTextBytes);
    }
    if (!IsAddressText(raw)) {
        return "IP " + QuoteBytes(raw) + " is not a dotted IPv4 address";
    }
    out = std::string(raw);
    return {};
}

template <typename T, typename Out>
std::string Store(const std::optional<T>& value, Out& out, std::string fault) {
    if (!value) {
        return fault;
    }
    out = *value;
    return {};
}

// Reads the fields of one device line into `device`; returns the first fault, empty if none.
std::string ParseDeviceLine(std::string_view line, Device& device) {
    const auto fields = SplitFields(line);
    if (fields.size() != kFieldCount) {
        return "expected " + std::to_string(kFieldCount) + " fields separated by '|' (" +
               kFieldLayout + "), found " + std::to_string(fields.size());
    }
    discovery::SearchReply& reply = device.reply;
    const auto quoted = [&](std::size_t field) { return QuoteBytes(fields[field]); };
    for (const std::string& fault : std::initializer_list<std::string>{
             ReadText(fields[0], "class text", kMaxClassTextBytes, false, reply.classText),
             Store(ParseMac(fields[1]), reply.mac,
                   "MAC " + quoted(1) + " is not six hex pairs like 02:4b:00:00:00:01"),
             ReadAddress(fields[2], reply.deviceAddress),
             ReadText(fields[3], "name", kMaxNameBytes, true, reply.deviceName),
             Store(text::ParseNumber<std::int32_t>(fields[4]), reply.httpPort,
                   "HTTP port " + quoted(4) + " is not a signed 32-bit integer"),
             Store(text::ParseNumber<std::int32_t>(fields[5]), reply.rtspPort,
                   "RTSP port " + quoted(5) + " is not a signed 32-bit integer"),
             Store(ParseByte(fields[6]), reply.dvsByte,
                   "DVS byte " + quoted(6) + " is not a number from 0 to 255"),
             ReadText(fields[7], "model", kMaxModelBytes, true, reply.modelText)}) {
        if (!fault.empty()) {
            return fault;
        }
    }
    return {};
}

DeviceFileError Fault(std::size_t line, std::string message) {
    return {line, std::move(message)};
}

} // namespace

DeviceFileResult ParseDeviceFile(std::string_view content) {
    std::vector<Device> devices;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string_view::npos) {
            end = content.size();
        }
        std::string_view line = content.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == kComment) {
            continue;
        }

        Device device;
        if (std::string fault = ParseDeviceLine(trimmed, device); !fault.empty()) {
            return Fault(lineNumber, std::move(fault));
        }
        if (devices.size() == kMaxDevices) {
            return Fault(lineNumber, "more than " + std::to_string(kMaxDevices) + " devices");
        }
        devices.push_back(std::move(device));
    }
    if (devices.empty()) {
        return Fault(0, "no devices");
    }
    return devices;
}

DeviceFileResult LoadDeviceFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return Fault(0, std::string("cannot open: ") + std::strerror(errno));
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return Fault(0, "not a regular file");
    }
    file.seekg(0, std::ios::end);
    const auto size = file.tellg();
    if (size < 0) {
        return Fault(0, "cannot read");
    }
    if (static_cast<std::size_t>(size) > kMaxDeviceFileBytes) {
        return Fault(0, "larger than " + std::to_string(kMaxDeviceFileBytes) + " bytes");
    }
    file.seekg(0, std::ios::beg);
    std::string content(static_cast<std::size_t>(size), '\0');
    if (!file.read(content.data(), size)) {
        return Fault(0, "cannot read");
    }
    return ParseDeviceFile(content);
}

std::string FormatDeviceFileError(const std::string& path, const DeviceFileError& error) {
    if (error.line == 0) {
        return path + ": " + error.message;
    }
    return path + ":" + std::to_string(error.line) + ": " + error.message;
}

} // namespace devsim

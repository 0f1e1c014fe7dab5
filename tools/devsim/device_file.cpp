#include "tools/devsim/device_file.h"

#include "tools/devsim/device_fields.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unordered_map>

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
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
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

// Each Read* reads one field into `out`, or says in `error` what is wrong with it, naming it.
bool ReadText(std::string_view raw, const char* field, std::size_t maxBytes, bool mayBeEmpty,
              std::string& out, std::string& error) {
    std::string why;
    auto text = UnescapeText(raw, why);
    if (!text) {
        error = std::string(field) + " " + QuoteBytes(raw) + ": " + why;
        return false;
    }
    if (text->empty() && !mayBeEmpty) {
        error = std::string(field) + " is empty";
        return false;
    }
    if (text->size() > maxBytes) {
        error = std::string(field) + " " + QuoteBytes(*text) + " is " +
                std::to_string(text->size()) + " bytes, at most " + std::to_string(maxBytes) +
                " allowed";
        return false;
    }
    out = std::move(*text);
    return true;
}

bool ReadMac(std::string_view raw, MacAddress& out, std::string& error) {
    const auto mac = ParseMac(raw);
    if (!mac) {
        error = "MAC " + QuoteBytes(raw) + " is not six hex pairs like 02:4b:00:00:00:01";
        return false;
    }
    out = *mac;
    return true;
}

bool ReadAddress(std::string_view raw, std::string& out, std::string& error) {
    if (raw.size() > kMaxAddressTextBytes) {
        error = "IP " + QuoteBytes(raw) + " is " + std::to_string(raw.size()) + " bytes, at most " +
                std::to_string(kMaxAddressTextBytes) + " allowed";
        return false;
    }
    if (!IsAddressText(raw)) {
        error = "IP " + QuoteBytes(raw) + " is not a dotted IPv4 address";
        return false;
    }
    out = std::string(raw);
    return true;
}

bool ReadPort(std::string_view raw, const char* field, std::int32_t& out, std::string& error) {
    const auto port = ParseNumber<std::int32_t>(raw);
    if (!port) {
        error = std::string(field) + " " + QuoteBytes(raw) + " is not a signed 32-bit integer";
        return false;
    }
    out = *port;
    return true;
}

bool ReadDvsByte(std::string_view raw, std::uint8_t& out, std::string& error) {
    const auto dvsByte = ParseByte(raw);
    if (!dvsByte) {
        error = "DVS byte " + QuoteBytes(raw) + " is not a number from 0 to 255";
        return false;
    }
    out = *dvsByte;
    return true;
}

// Parses the fields of one device line; fills `error` and returns nothing on the first fault.
std::optional<Device> ParseDeviceLine(std::string_view line, std::string& error) {
    const auto fields = SplitFields(line);
    if (fields.size() != kFieldCount) {
        error = "expected " + std::to_string(kFieldCount) + " fields separated by '|' (" +
                kFieldLayout + "), found " + std::to_string(fields.size());
        return std::nullopt;
    }
    Device device;
    discovery::SearchReply& reply = device.reply;
    if (!ReadText(fields[0], "class text", kMaxClassTextBytes, false, reply.classText, error) ||
        !ReadMac(fields[1], reply.mac, error) ||
        !ReadAddress(fields[2], reply.deviceAddress, error) ||
        !ReadText(fields[3], "name", kMaxNameBytes, true, reply.deviceName, error) ||
        !ReadPort(fields[4], "HTTP port", reply.httpPort, error) ||
        !ReadPort(fields[5], "RTSP port", reply.rtspPort, error) ||
        !ReadDvsByte(fields[6], reply.dvsByte, error) ||
        !ReadText(fields[7], "model", kMaxModelBytes, true, reply.modelText, error))
        return std::nullopt;
    return device;
}

} // namespace

DeviceFileResult ParseDeviceFile(std::string_view content) {
    DeviceFileResult result;
    // Line of the device holding each IP text: address changes find a device by its text.
    std::unordered_map<std::string, std::size_t> addressLines;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string_view::npos)
            end = content.size();
        std::string_view line = content.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == kComment)
            continue;

        std::string error;
        auto device = ParseDeviceLine(trimmed, error);
        if (!device) {
            result.error = DeviceFileError{lineNumber, error};
            return result;
        }
        const std::string& address = device->reply.deviceAddress;
        const auto [known, inserted] = addressLines.emplace(address, lineNumber);
        if (!inserted) {
            result.error =
                DeviceFileError{lineNumber, "IP " + address + " is already used on line " +
                                                std::to_string(known->second)};
            return result;
        }
        if (result.devices.size() == kMaxDevices) {
            result.error = DeviceFileError{lineNumber,
                                           "more than " + std::to_string(kMaxDevices) + " devices"};
            return result;
        }
        result.devices.push_back(std::move(*device));
    }
    if (result.devices.empty())
        result.error = DeviceFileError{0, "no devices"};
    return result;
}

DeviceFileResult LoadDeviceFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {{}, DeviceFileError{0, std::string("cannot open: ") + std::strerror(errno)}};
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return {{}, DeviceFileError{0, "not a regular file"}};
    file.seekg(0, std::ios::end);
    const auto size = file.tellg();
    if (size < 0)
        return {{}, DeviceFileError{0, "cannot read"}};
    if (static_cast<std::size_t>(size) > kMaxDeviceFileBytes)
        return {
            {},
            DeviceFileError{0, "larger than " + std::to_string(kMaxDeviceFileBytes) + " bytes"}};
    file.seekg(0, std::ios::beg);
    std::string content(static_cast<std::size_t>(size), '\0');
    if (!file.read(content.data(), size))
        return {{}, DeviceFileError{0, "cannot read"}};
    return ParseDeviceFile(content);
}

std::string FormatDeviceFileError(const std::string& path, const DeviceFileError& error) {
    if (error.line == 0)
        return path + ": " + error.message;
    return path + ":" + std::to_string(error.line) + ": " + error.message;
}

} // namespace devsim

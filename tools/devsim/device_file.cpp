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

// Reads one text field; an error message names the field.
std::optional<std::string> ReadText(std::string_view raw, const char* field, std::size_t maxBytes,
                                    bool mayBeEmpty, std::string& error) {
    std::string why;
    auto text = UnescapeText(raw, why);
    if (!text) {
        error = std::string(field) + " " + QuoteBytes(raw) + ": " + why;
        return std::nullopt;
    }
    if (text->empty() && !mayBeEmpty) {
        error = std::string(field) + " is empty";
        return std::nullopt;
    }
    if (text->size() > maxBytes) {
        error = std::string(field) + " " + QuoteBytes(*text) + " is " +
                std::to_string(text->size()) + " bytes, at most " + std::to_string(maxBytes) +
                " allowed";
        return std::nullopt;
    }
    return text;
}

std::optional<std::int32_t> ReadPort(std::string_view raw, const char* field, std::string& error) {
    const auto port = ParseInt32(raw);
    if (!port)
        error = std::string(field) + " " + QuoteBytes(raw) + " is not a signed 32-bit integer";
    return port;
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
    const auto classText = ReadText(fields[0], "class text", kMaxClassTextBytes, false, error);
    if (!classText)
        return std::nullopt;
    device.classText = *classText;

    const auto mac = ParseMac(fields[1]);
    if (!mac) {
        error = "MAC " + QuoteBytes(fields[1]) + " is not six hex pairs like 02:4b:00:00:00:01";
        return std::nullopt;
    }
    device.mac = *mac;

    if (fields[2].size() > kMaxAddressTextBytes) {
        error = "IP " + QuoteBytes(fields[2]) + " is " + std::to_string(fields[2].size()) +
                " bytes, at most " + std::to_string(kMaxAddressTextBytes) + " allowed";
        return std::nullopt;
    }
    if (!IsAddressText(fields[2])) {
        error = "IP " + QuoteBytes(fields[2]) + " is not a dotted IPv4 address";
        return std::nullopt;
    }
    device.address = std::string(fields[2]);

    const auto name = ReadText(fields[3], "name", kMaxNameBytes, true, error);
    if (!name)
        return std::nullopt;
    device.name = *name;

    const auto httpPort = ReadPort(fields[4], "HTTP port", error);
    if (!httpPort)
        return std::nullopt;
    device.httpPort = *httpPort;
    const auto rtspPort = ReadPort(fields[5], "RTSP port", error);
    if (!rtspPort)
        return std::nullopt;
    device.rtspPort = *rtspPort;

    const auto dvsByte = ParseByte(fields[6]);
    if (!dvsByte) {
        error = "DVS byte " + QuoteBytes(fields[6]) + " is not a number from 0 to 255";
        return std::nullopt;
    }
    device.dvsByte = *dvsByte;

    const auto model = ReadText(fields[7], "model", kMaxModelBytes, true, error);
    if (!model)
        return std::nullopt;
    device.model = *model;
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
        const auto [known, inserted] = addressLines.emplace(device->address, lineNumber);
        if (!inserted) {
            result.error =
                DeviceFileError{lineNumber, "IP " + device->address + " is already used on line " +
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

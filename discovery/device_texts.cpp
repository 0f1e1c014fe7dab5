#include "discovery/device_texts.h"

#include "text/ansi_text.h"
#include "text/fill_in.h"
#include "text/number_text.h"

#include <span>

namespace discovery {

std::optional<DeviceClass> FindDeviceClass(std::string_view classText) {
    if (classText.find("DVS") != std::string_view::npos) {
        return DeviceClass::kDvs;
    }
    if (classText.find("IPCAMERA") != std::string_view::npos) {
        return DeviceClass::kIpCamera;
    }
    if (classText.find("DECODER") != std::string_view::npos) {
        return DeviceClass::kDecoder;
    }
    return std::nullopt;
}

std::uint32_t deviceWord(std::int32_t rtspPort, DeviceClass deviceClass, std::uint8_t dvsByte) {
    const std::uint32_t classBits = static_cast<std::uint32_t>(deviceClass) << 4;
    const std::uint32_t low = deviceClass == DeviceClass::kDvs ? dvsByte : 0u;
    return (static_cast<std::uint32_t>(rtspPort) << 8) | classBits | low;
}

std::wstring FormatMac(const std::array<std::uint8_t, kMacSize>& mac) {
    const std::string hex =
        text::HexBytes(std::as_bytes(std::span(mac)), text::HexCase::kUpper, ":");
    return std::wstring(hex.begin(), hex.end());
}

std::wstring MacsText(std::span<const std::wstring> macs) {
    std::wstring text;
    for (const std::wstring& mac : macs) {
        if (!text.empty()) {
            text += L", ";
        }
        text += mac;
    }
    return text;
}

std::wstring SharedAddressText(std::wstring_view format, std::wstring_view address,
                               std::span<const std::wstring> macs) {
    return text::FillIn(format, {std::to_wstring(macs.size()), address, MacsText(macs)});
}

RowTexts DeviceRowTexts(const SearchReply& reply, int index) {
    RowTexts texts;
    texts[kIndexColumn] = std::to_wstring(index);
    const std::string model = reply.classText + " " + reply.modelText;
    texts[kModelColumn] = text::AnsiToWide(model).value_or(std::wstring());
    texts[kNameColumn] = text::AnsiToWide(reply.deviceName).value_or(std::wstring());
    texts[kAddressColumn] = text::AnsiToWide(reply.deviceAddress).value_or(std::wstring());
    texts[kHttpPortColumn] = std::to_wstring(reply.httpPort);
    texts[kRtspPortColumn] = std::to_wstring(reply.rtspPort);
    texts[kMacColumn] = FormatMac(reply.mac);
    return texts;
}

} // namespace discovery

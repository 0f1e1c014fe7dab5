// libFuzzer target: request composition with arbitrary texts. A request is either refused or
// fits its buffer, keeps its fixed lines and carries the SSID and key unchanged.
#include "text/ansi_text.h"
#include "wifi/web_requests.h"
#include "tests/fuzz/fuzz_target.h"

#include <cstring>

namespace {
constexpr std::string_view kEnd = "Authorization: Basic Qx7bLm2VtR9kWp4=\r\n\r\n";

void CheckShape(const std::optional<std::string>& request, std::size_t buffer) {
    Require(!request || (request->size() < buffer && request->starts_with("GET /goform/") &&
                         request->ends_with(kEnd)));
}

} // namespace

// Layout: 4 bytes of numbers, then host, SSID and key separated by zero bytes; the SSID and
// key bytes are read as 16-bit characters so that texts without an 8-bit form occur too.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    wifi::WifiSettings settings;
    settings.enable = static_cast<std::int8_t>(data[0]);
    settings.authentication = static_cast<std::int8_t>(data[1]);
    settings.keyindex = static_cast<std::int8_t>(data[2]) * 1000003;
    const std::string_view rest(reinterpret_cast<const char*>(data + 4), size - 4);
    const std::size_t hostEnd = std::min(rest.find('\0'), rest.size());
    const std::string host(rest.substr(0, std::min<std::size_t>(hostEnd, data[3])));
    const std::string_view texts = rest.substr(std::min(hostEnd + 1, rest.size()));
    std::wstring wide;
    for (std::size_t i = 0; i + 1 < texts.size(); i += 2) {
        wide.push_back(static_cast<wchar_t>(static_cast<std::uint8_t>(texts[i]) |
                                            static_cast<std::uint8_t>(texts[i + 1]) << 8));
    }
    const std::size_t cut = wide.find(L'\0');
    settings.ssid = wide.substr(0, cut);
    settings.key = cut == std::wstring::npos ? std::wstring() : wide.substr(cut + 1);

    CheckShape(wifi::ComposeScanRequest(host), wifi::kRequestBufferBytes);
    CheckShape(wifi::ComposeReadRequest(host), wifi::kRequestBufferBytes);
    CheckShape(wifi::ComposeRebootRequest(host), wifi::kRebootBufferBytes);
    const auto save = wifi::ComposeSaveRequest(host, settings);
    CheckShape(save, wifi::kRequestBufferBytes);
    if (save) {
        const auto ssid = text::WideToAnsi(settings.ssid), key = text::WideToAnsi(settings.key);
        Require(ssid && key && save->find("&ssid=" + *ssid + "&authentication=") != save->npos &&
                save->find("&key=" + *key + " HTTP/1.1\r\n") != save->npos);
    }
    return 0;
}

#include "wifi/web_requests.h"

#include "text/ansi_text.h"

#include <string>

namespace wifi {
namespace {

constexpr std::string_view kScanLines =
    "GET /goform/wireless?cmd=search HTTP/1.1\r\nAccept: */*\r\n";
constexpr std::string_view kReadLines = "GET /goform/wireless?cmd=get HTTP/1.1\r\nAccept: */*\r\n";
constexpr std::wstring_view kSaveTarget = L"GET /goform/wireless?cmd=set";
constexpr std::wstring_view kSaveVersionAndAccept = L" HTTP/1.1\r\nAccept: */*\r\n";
constexpr std::string_view kAcceptEncoding = "Accept-Encoding: gzip, deflate\r\n";
constexpr std::string_view kUserAgent =
    "User-Agent: Vorlu/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; InfoPath.2; .NET CLR "
    "2.0.50727)\r\n";
constexpr std::string_view kAuthorization = "Authorization: Basic Qx7bLm2VtR9kWp4=\r\n\r\n";

// The reboot request, split at its one placeholder (the host text).
constexpr std::string_view kRebootHead =
    "GET /goform/maintenance?cmd=set&restart=yes HTTP/1.1\r\n"
    "Accept: image/gif, image/jpeg, image/pjpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/x-silverlight, application/vnd.ms-excel, application/vnd.ms-powerpoint, "
    "application/msword, */*\r\n"
    "Accept-Language: zh-cn\r\n"
    "User-Agent: Vorlu/4.0 (compatible; MSIE 8.0; Windows NT 5.1; Trident/4.0; CIBA; .NET CLR "
    "2.0.50727)\r\n"
    "Accept-Encoding: gzip, deflate\r\n"
    "Host: ";
constexpr std::string_view kRebootTail =
    "\r\nConnection: Keep-Alive\r\nAuthorization: Basic Qx7bLm2VtR9kWp4=\r\n\r\n";

// The shared layout after the command's own two lines; nothing when the whole would not fit
// the request buffer with its terminator.
std::optional<std::string> Compose(std::string_view commandLines, std::string_view host) {
    std::string request(commandLines);
    request += "Accept-Language: zh-cn\r\nReferer: http://";
    request += host;
    request += "/Pages/wifi.html\r\nIf-Modified-Since: 0\r\n";
    request += kAcceptEncoding;
    request += kUserAgent;
    request += "Host: ";
    request += host;
    request += "\r\nConnection: Keep-Alive\r\n";
    request += kAuthorization;
    if (request.size() >= kRequestBufferBytes) {
        return std::nullopt;
    }
    return request;
}

} // namespace

std::optional<std::string> ComposeScanRequest(std::string_view host) {
    return Compose(kScanLines, host);
}

std::optional<std::string> ComposeReadRequest(std::string_view host) {
    return Compose(kReadLines, host);
}

std::optional<std::string> ComposeSaveRequest(std::string_view host, const WifiSettings& settings) {
    std::wstring lines(kSaveTarget);
    lines += L"&enable=" + std::to_wstring(settings.enable);
    lines += L"&ssid=" + settings.ssid;
    lines += L"&authentication=" + std::to_wstring(settings.authentication);
    lines += L"&keyindex=" + std::to_wstring(settings.keyindex);
    lines += L"&key=" + settings.key;
    lines += kSaveVersionAndAccept;
    const auto narrow = text::WideToAnsi(lines, kRequestBufferBytes);
    if (!narrow) {
        return std::nullopt;
    }
    return Compose(*narrow, host);
}

std::optional<std::string> ComposeRebootRequest(std::string_view host) {
    std::string request(kRebootHead);
    request += host;
    request += kRebootTail;
    if (request.size() >= kRebootBufferBytes) {
        return std::nullopt;
    }
    return request;
}

} // namespace wifi

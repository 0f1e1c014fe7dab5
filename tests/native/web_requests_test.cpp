// The four web requests byte for byte, and the refusal of one that would not fit its buffer.
#include "wifi/web_requests.h"

#include <gtest/gtest.h>

#include <string>

namespace wifi {
namespace {

// Lines 3 to 11 of a scan, read or save request to 10.77.1.5.
const std::string kSharedLines = "Accept-Language: zh-cn\r\n"
                                 "Referer: http://10.77.1.5/Pages/wifi.html\r\n"
                                 "If-Modified-Since: 0\r\n"
                                 "Accept-Encoding: gzip, deflate\r\n"
                                 "User-Agent: Vorlu/4.0 (compatible; MSIE 6.0; Windows NT 5.1; "
                                 "SV1; InfoPath.2; .NET CLR 2.0.50727)\r\n"
                                 "Host: 10.77.1.5\r\n"
                                 "Connection: Keep-Alive\r\n"
                                 "Authorization: Basic Qx7bLm2VtR9kWp4=\r\n"
                                 "\r\n";

TEST(WebRequests, FourCommandsByteForByte) {
    const struct {
        const char* name;
        std::optional<std::string> request;
        std::string expected;
    } cases[] = {
        {"scan", ComposeScanRequest("10.77.1.5"),
         "GET /goform/wireless?cmd=search HTTP/1.1\r\nAccept: */*\r\n" + kSharedLines},
        {"read", ComposeReadRequest("10.77.1.5"),
         "GET /goform/wireless?cmd=get HTTP/1.1\r\nAccept: */*\r\n" + kSharedLines},
        {"save with unescaped & = # and space",
         ComposeSaveRequest("10.77.1.5", {1, L"my net&x=1#2", 6, 2, L"p a&s=s#"}),
         "GET /goform/wireless?cmd=set&enable=1&ssid=my net&x=1#2&authentication=6&keyindex=2"
         "&key=p a&s=s# HTTP/1.1\r\nAccept: */*\r\n" +
             kSharedLines},
        {"save with nothing chosen and an 8-bit SSID",
         ComposeSaveRequest("10.77.1.5", {0, L"Caf\u00e9", -1, -1, L""}),
         "GET /goform/wireless?cmd=set&enable=0&ssid=Caf\xe9&authentication=-1&keyindex=-1"
         "&key= HTTP/1.1\r\nAccept: */*\r\n" +
             kSharedLines},
        {"reboot: own header order, image/pjpeg twice", ComposeRebootRequest("10.77.1.5"),
         "GET /goform/maintenance?cmd=set&restart=yes HTTP/1.1\r\n"
         "Accept: image/gif, image/jpeg, image/pjpeg, image/pjpeg, "
         "application/x-shockwave-flash, application/x-silverlight, application/vnd.ms-excel, "
         "application/vnd.ms-powerpoint, application/msword, */*\r\n"
         "Accept-Language: zh-cn\r\n"
         "User-Agent: Vorlu/4.0 (compatible; MSIE 8.0; Windows NT 5.1; Trident/4.0; CIBA; .NET "
         "CLR 2.0.50727)\r\n"
         "Accept-Encoding: gzip, deflate\r\n"
         "Host: 10.77.1.5\r\n"
         "Connection: Keep-Alive\r\n"
         "Authorization: Basic Qx7bLm2VtR9kWp4=\r\n"
         "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.request.has_value());
        EXPECT_EQ(c.expected, *c.request);
    }
}

// A save request is at most 1023 bytes; one byte more is refused, not cut.
WifiSettings Texts(std::wstring ssid, std::wstring key) {
    WifiSettings settings;
    settings.ssid = std::move(ssid);
    settings.key = std::move(key);
    return settings;
}

TEST(WebRequests, SaveRequestLongerThanItsBufferIsRefused) {
    const std::size_t fixed = ComposeSaveRequest("10.77.1.5", {})->size();
    const std::wstring fits(kRequestBufferBytes - 1 - fixed, L'k');
    EXPECT_EQ(kRequestBufferBytes - 1,
              ComposeSaveRequest("10.77.1.5", Texts(L"", fits)).value_or("").size());
    EXPECT_FALSE(ComposeSaveRequest("10.77.1.5", Texts(L"", fits + L"k")));
    EXPECT_FALSE(ComposeSaveRequest("10.77.1.5", Texts(std::wstring(2000, L's'), L"")));
    // No form in the host's code page (Latin-1 here).
    EXPECT_FALSE(ComposeSaveRequest("10.77.1.5", Texts(L"\u4e2d", L"")));
}

} // namespace
} // namespace wifi

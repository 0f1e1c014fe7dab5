// A save request byte for byte, and the refusal of one that would not fit its buffer.
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

// The wire of scan, read, save and reboot is proved end to end against the simulator; what the
// simulator's devices do not show is here: nothing chosen, and an 8-bit SSID sent as one byte.
TEST(WebRequests, SaveWithNothingChosenAndAnEightBitSsid) {
    EXPECT_EQ("GET /goform/wireless?cmd=set&enable=0&ssid=Caf\xe9&authentication=-1&keyindex=-1"
              "&key= HTTP/1.1\r\nAccept: */*\r\n" +
                  kSharedLines,
              ComposeSaveRequest("10.77.1.5", {0, L"Caf\u00e9", -1, -1, L""}).value_or(""));
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

// The Wi-Fi page's pure rules: the scan and read parsers over either receive, the save
// request's bytes and bound, the security mode a network selects and the Signal order.
#include "wifi/network_rules.h"
#include "wifi/web_replies.h"
#include "wifi/web_requests.h"

#include <gtest/gtest.h>

#include <climits>

namespace wifi {
namespace {

const std::string kHead = "HTTP/1.1 200 OK\r\nServer: cam\r\nContent-Type: text/plain\r\n\r\n";

// The body as the parsers get it from a one-piece reply and from a two-piece one.
std::vector<std::wstring> Deliveries(const std::string& body) {
    return {BodyText(kHead + body, ""), BodyText(kHead, body)};
}

std::string Describe(const ScannedNetwork& n) {
    const std::wstring text =
        n.indexText + L"|" + n.ssid + L"|" + (n.signalText ? L"(" + *n.signalText + L")" : L"-") +
        L"|" + std::to_wstring(n.signal) + L"|" + n.security + (n.complete ? L"" : L"|cut");
    return std::string(text.begin(), text.end()); // the table is ASCII
}

// Each body delivered twice: in the first receive with the head, and as the second receive.
TEST(WebReplies, ScanAndReadBodies) {
    const struct {
        std::string body;
        std::vector<std::string> networks;
    } scans[] = {
        {"n=1\ns=Home(62) WPA2PSK/AES\nn=2\ns=Cafe(-70) NONE\n",
         {"1|Home|(62)|62|WPA2PSK/AES", "2|Cafe|(-70)|-70|NONE"}},
        {"", {}},
        {"n=3\ns=My Net(40) WEP\n", {"3|My|-|0|Net(40) WEP"}}, // an SSID ends at a space
        {"n=4\ns=Odd)x(5 WPAPSK/TKIP\n", {"4|Odd)x|()|0|WPAPSK/TKIP"}},
        {"n=10\ns=A(1)(2) NONE\n", {"10|A|(1)|1|NONE"}}, // the first '(' and ')' count
        {"n=6\ns=Lonely(9)\n", {"6||-|0|Lonely(9)"}},
        {"n=1\ns=A(1) NONE\nn=7\ns=B(2) NONE", {"1|A|(1)|1|NONE", "7||-|0||cut"}},
        {"junk\na=b=8\ns=x=Y(3) NONE\n", {"8|Y|(3)|3|NONE"}}, // after a line's last '='
    };
    for (const auto& c : scans) {
        for (const std::wstring& body : Deliveries(c.body)) {
            SCOPED_TRACE(testing::PrintToString(body));
            std::vector<std::string> got;
            for (const ScannedNetwork& network : ParseScanBody(body)) {
                got.push_back(Describe(network));
            }
            EXPECT_EQ(c.networks, got);
        }
    }
    const struct {
        std::string body;
        ReadSettings expected;
    } reads[] = {
        {"enable=1\r\nssid=Home Net\r\nauthentication=6\r\nkeyindex=2\r\nkey=s3=t\r\n",
         {1, L"Home Net", 6, 2, L"s3=t"}},
        // Any order; the last value without CR LF reads empty; keyindex is never taken for key.
        {"keyindex=0\r\nenable=1\r\nauthentication=3", {1, std::nullopt, 0, 0, std::nullopt}},
        {"ssid=x\r\nkey=abc\r\n", {std::nullopt, L"x", std::nullopt, std::nullopt, L"abc"}},
    };
    for (const auto& c : reads) {
        for (const std::wstring& body : Deliveries(c.body)) {
            SCOPED_TRACE(testing::PrintToString(body));
            const ReadSettings got = ParseReadBody(body);
            const auto fields = [](const ReadSettings& r) {
                return std::tie(r.enable, r.ssid, r.authentication, r.keyindex, r.key);
            };
            EXPECT_EQ(fields(c.expected), fields(got));
        }
    }
}

// Scan, read and reboot are proved on the wire end to end; here what the simulator does not
// show: nothing chosen, an 8-bit SSID as one byte, and the 1023-byte bound.
TEST(WebRequests, SaveRequestBytesAndBound) {
    EXPECT_EQ("GET /goform/wireless?cmd=set&enable=0&ssid=Caf\xe9&authentication=-1&keyindex=-1"
              "&key= HTTP/1.1\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
              "Referer: http://10.77.1.5/Pages/wifi.html\r\nIf-Modified-Since: 0\r\n"
              "Accept-Encoding: gzip, deflate\r\nUser-Agent: Vorlu/4.0 (compatible; MSIE 6.0; "
              "Windows NT 5.1; SV1; InfoPath.2; .NET CLR 2.0.50727)\r\nHost: 10.77.1.5\r\n"
              "Connection: Keep-Alive\r\nAuthorization: Basic Qx7bLm2VtR9kWp4=\r\n\r\n",
              ComposeSaveRequest("10.77.1.5", {0, L"Caf\u00e9", -1, -1, L""}).value_or(""));
    const std::size_t fixed = ComposeSaveRequest("10.77.1.5", {})->size();
    WifiSettings settings;
    settings.key.assign(kRequestBufferBytes - 1 - fixed, L'k');
    EXPECT_EQ(kRequestBufferBytes - 1, ComposeSaveRequest("10.77.1.5", settings)->size());
    settings.key += L'k';
    EXPECT_FALSE(ComposeSaveRequest("10.77.1.5", settings));
    EXPECT_FALSE(ComposeSaveRequest("10.77.1.5", {0, L"\u4e2d", -1, -1, L""})); // no 8-bit form
}

TEST(NetworkRules, SecurityTextsSelectInTheirOrder) {
    const struct {
        const wchar_t* security;
        int mode; // -1: none selected
    } cases[] = {
        // The combined texts come first, so they never fall to a WPA2 entry.
        {L"WPA1PSKWPA2PSK/TKIPAES", kModeWpaPskAes},
        {L"WPA1PSKWPA2PSK/AES", kModeWpaPskAes},
        {L"WPAPSK/TKIP", kModeWpaPskTkip},
        {L"WPA2PSK/TKIPAES", kModeWpa2PskAes},
        {L"WPA2PSK/TKIP", kModeWpa2PskTkip},
        {L"WEP", kModeWepOpen},
        {L"NONE", kModeNone},
        {L"WPA3SAE", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.security)));
        const auto choice = SecurityChoiceFor(c.security);
        EXPECT_EQ(c.mode, choice ? choice->mode : -1);
        EXPECT_EQ(c.mode == kModeWepOpen, choice && choice->wep);
    }
    // Extreme values, where a subtraction would overflow and flip the order.
    EXPECT_LT(CompareSignals(INT_MAX, INT_MIN, true), 0);
    EXPECT_GT(CompareSignals(INT_MAX, INT_MIN, false), 0);
    EXPECT_EQ(0, CompareSignals(std::nullopt, INT_MAX, true));
}

} // namespace
} // namespace wifi

// The body rule of the two receives and the scan and read parsers, each over one table of the
// shapes device replies take. Every case is delivered twice: head and body in one receive
// followed by a close, and head and body in two receives.
#include "wifi/web_replies.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wifi {
namespace {

const std::string kHead = "HTTP/1.1 200 OK\r\nServer: cam\r\nContent-Type: text/plain\r\n\r\n";

// The body as the parsers get it from a one-piece reply and from a two-piece one.
std::vector<std::wstring> Deliveries(const std::string& body) {
    return {BodyText(kHead + body, ""), BodyText(kHead, body)};
}

std::string Describe(const ScannedNetwork& n) {
    std::wstring text = n.indexText + L"|" + n.ssid + L"|" +
                        (n.signalText ? L"(" + *n.signalText + L")" : L"-") + L"|" +
                        std::to_wstring(n.signal) + L"|" + n.security + L"|" +
                        (n.complete ? L"complete" : L"cut");
    return std::string(text.begin(), text.end()); // the table is ASCII
}

TEST(WebReplies, ScanBodies) {
    const struct {
        const char* name;
        std::string body;
        std::vector<std::string> networks;
    } cases[] = {
        {"two networks",
         "n=1\ns=Home(62) WPA2PSK/AES\nn=2\ns=Cafe(-70) NONE\n",
         {"1|Home|(62)|62|WPA2PSK/AES|complete", "2|Cafe|(-70)|-70|NONE|complete"}},
        {"empty body", "", {}},
        {"SSID with a space ends at it",
         "n=3\ns=My Net(40) WEP\n",
         {"3|My|-|0|Net(40) WEP|complete"}},
        {"')' before '('", "n=4\ns=Odd)x(5 WPAPSK/TKIP\n", {"4|Odd)x|()|0|WPAPSK/TKIP|complete"}},
        {"no parentheses: no signal", "n=5\ns=Plain NONE\n", {"5|Plain|-|0|NONE|complete"}},
        {"the first '(' and ')' count", "n=10\ns=A(1)(2) NONE\n", {"10|A|(1)|1|NONE|complete"}},
        {"no space at all", "n=6\ns=Lonely(9)\n", {"6||-|0|Lonely(9)|complete"}},
        {"first line cut off by the end",
         "n=1\ns=A(1) NONE\nn=7\ns=B(2) NONE",
         {"1|A|(1)|1|NONE|complete", "7||-|0||cut"}},
        {"value after the last '=' of a line",
         "a=b=8\ns=x=Y(3) NONE\n",
         {"8|Y|(3)|3|NONE|complete"}},
        {"lines without '=' between networks are passed over",
         "junk\nn=1\ns=A(1) NONE\nmore junk\nn=2\ns=B(2) NONE\n",
         {"1|A|(1)|1|NONE|complete", "2|B|(2)|2|NONE|complete"}},
        {"a second line without '=' runs on from the first line's value",
         "n=9\nZ(4) NONE\n",
         {"9|9\nZ|(4)|4|NONE|complete"}},
    };
    for (const auto& c : cases) {
        for (const std::wstring& body : Deliveries(c.body)) {
            SCOPED_TRACE(std::string(c.name) + (body.size() > c.body.size() ? " (one piece)" : ""));
            std::vector<std::string> got;
            for (const ScannedNetwork& network : ParseScanBody(body))
                got.push_back(Describe(network));
            EXPECT_EQ(c.networks, got);
        }
    }
}

TEST(WebReplies, ReadBodies) {
    const struct {
        const char* name;
        std::string body;
        ReadSettings expected;
    } cases[] = {
        {"all five",
         "enable=1\r\nssid=Home Net\r\nauthentication=6\r\nkeyindex=2\r\nkey=s3cr=t\r\n",
         {1, L"Home Net", 6, 2, L"s3cr=t"}},
        {"order does not matter",
         "key=k\r\nkeyindex=0\r\nenable=0\r\n",
         {0, std::nullopt, std::nullopt, 0, std::nullopt}},
        {"last value without CR LF reads empty",
         "enable=1\r\nauthentication=3",
         {1, std::nullopt, 0, std::nullopt, std::nullopt}},
        {"no keyindex: key searched from position 1",
         "ssid=x\r\nkey=abc\r\n",
         {std::nullopt, L"x", std::nullopt, std::nullopt, L"abc"}},
        {"keyindex is never taken for key",
         "keyindex=3\r\n",
         {std::nullopt, std::nullopt, std::nullopt, 3, std::nullopt}},
        {"empty body", "", {}},
    };
    for (const auto& c : cases) {
        for (const std::wstring& body : Deliveries(c.body)) {
            SCOPED_TRACE(std::string(c.name) + (body.size() > c.body.size() ? " (one piece)" : ""));
            const ReadSettings got = ParseReadBody(body);
            EXPECT_EQ(c.expected.enable, got.enable);
            EXPECT_EQ(c.expected.ssid, got.ssid);
            EXPECT_EQ(c.expected.authentication, got.authentication);
            EXPECT_EQ(c.expected.keyindex, got.keyindex);
            EXPECT_EQ(c.expected.key, got.key);
        }
    }
}

// Whatever the length of the second receive, shorter or longer than the head, the body is
// exactly its bytes: the head's tail never shows up as phantom networks.
TEST(WebReplies, SecondReceiveIsTheWholeBodyAtEverySplit) {
    const std::string body = "n=1\ns=A(1) NONE\n";
    for (std::size_t length = 1; length <= body.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_EQ(std::wstring(body.begin(), body.begin() + static_cast<long>(length)),
                  BodyText(kHead, body.substr(0, length)));
    }
}

// A receive that fills the whole buffer is read to its end, and a zero byte ends a text.
TEST(WebReplies, FullBufferAndZeroBytes) {
    const std::string full(kReceiveBufferBytes, 'x');
    EXPECT_EQ(kReceiveBufferBytes, BodyText(kHead, full).size());
    EXPECT_FALSE(HasOkStatus(std::string("HTTP/1.1 200", 12) + '\0' + " OK"));
    EXPECT_TRUE(HasOkStatus("HTTP/1.0 200 OK\r\n"));
    EXPECT_FALSE(HasOkStatus("HTTP/1.1 401 Unauthorized\r\n\r\n200 O"));
    EXPECT_EQ(L"ab", BodyText(kHead, std::string("ab\0cd", 5)));
}

} // namespace
} // namespace wifi

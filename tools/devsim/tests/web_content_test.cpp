// The web servers' reading of requests and --web-behaviour, and the replies that the Wi-Fi
// client's parsers must cope with.
#include "tools/devsim/web_behaviour.h"
#include "tools/devsim/web_content.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace devsim {
namespace {

std::string Request(std::string_view target) {
    return "GET " + std::string(target) + " HTTP/1.1\r\nHost: 10.77.1.5\r\n\r\n";
}

TEST(WebContent, RequestsNameTheirCommand) {
    const struct {
        std::string target;
        WebCommand command;
        std::optional<WebSettings> settings;
    } cases[] = {
        {"/goform/wireless?cmd=search", WebCommand::Scan, std::nullopt},
        {"/goform/wireless?cmd=get", WebCommand::Read, std::nullopt},
        {"/goform/maintenance?cmd=set&restart=yes", WebCommand::Reboot, std::nullopt},
        {"/goform/wireless?cmd=set&enable=1&ssid=a b&c=d#e&authentication=-1&keyindex=3"
         "&key=k&authentication=2",
         WebCommand::Save, WebSettings{1, "a b&c=d#e", -1, 3, "k&authentication=2"}},
        {"/goform/wireless?cmd=set&enable=x", WebCommand::Save, std::nullopt},
        {"/index.html", WebCommand::Other, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const WebRequest request = ParseWebRequest(Request(c.target));
        EXPECT_EQ(c.command, request.command);
        ASSERT_EQ(c.settings.has_value(), request.settings.has_value());
        if (c.settings) {
            EXPECT_EQ(c.settings->enable, request.settings->enable);
            EXPECT_EQ(c.settings->ssid, request.settings->ssid);
            EXPECT_EQ(c.settings->authentication, request.settings->authentication);
            EXPECT_EQ(c.settings->keyindex, request.settings->keyindex);
            EXPECT_EQ(c.settings->key, request.settings->key);
        }
    }
    EXPECT_FALSE(IsCompleteRequest("GET / HTTP/1.1\r\nHost: x\r\n"));
}

TEST(WebContent, BehaviourRules) {
    std::string error;
    const auto rules = ParseWebBehaviours(
        "10.77.1.5:all=keep-open,10.77.1.5:scan=many-networks,10.77.1.6:all=no-listener", error);
    ASSERT_TRUE(rules) << error;
    EXPECT_EQ(WebBehaviour::ManyNetworks, BehaviourFor(*rules, "10.77.1.5", WebCommand::Scan));
    EXPECT_EQ(WebBehaviour::KeepOpen, BehaviourFor(*rules, "10.77.1.5", WebCommand::Read));
    EXPECT_EQ(WebBehaviour::NoListener, BehaviourFor(*rules, "10.77.1.6", WebCommand::Other));
    EXPECT_EQ(WebBehaviour::Close, BehaviourFor(*rules, "10.77.1.7", WebCommand::Save));
    for (const char* bad : {"10.77.1.5:scan=no-listener", "10.77.1.5=close", "host:all=close",
                            "10.77.1.5:boot=close", "10.77.1.5:all=slow"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseWebBehaviours(bad, error));
    }
}

TEST(WebContent, HostileRepliesHaveTheirSizes) {
    EXPECT_EQ(kLongReplyBytes, LongReply().size());
    EXPECT_EQ(std::string::npos, LongReply().find('\0'));
    const std::string many = ReplyBody(WebCommand::Scan, WebBehaviour::ManyNetworks, {});
    EXPECT_EQ(800, std::count(many.begin(), many.end(), '\n'));
    const std::string read = ReplyBody(WebCommand::Read, WebBehaviour::Close, {0, "s", 2, 1, "k"});
    EXPECT_EQ("enable=0\r\nssid=s\r\nauthentication=2\r\nkeyindex=1\r\nkey=k\r\n", read);
}

} // namespace
} // namespace devsim

// The web commands over scripted connections: what the operator is told for each way a device
// fails or accepts, that every connection is closed again, and closed before the message.
#include "wifi/device_web_client.h"

#include "wifi/web_messages.h"

#include <gtest/gtest.h>

#include <deque>

namespace wifi {
namespace {

const std::string kOk = "HTTP/1.1 200 OK\r\n\r\n";

// One connection: whether it connects and sends, and what each receive returns (nullopt: a
// time-out; nothing left: the device closed).
struct Script {
    bool connects = true;
    bool sends = true;
    std::deque<std::optional<std::string>> receives;
};
const Script kRefused{false, true, {}};

class ScriptedConnector : public StreamConnector {
public:
    struct Stream : DeviceStream {
        Stream(Script s, int& counter) : script(std::move(s)), open(++counter) {}
        ~Stream() override { --open; }
        void SetTimeouts(std::chrono::milliseconds send,
                         std::chrono::milliseconds receive) override {
            EXPECT_EQ(1000, send.count());
            EXPECT_EQ(5000, receive.count());
        }
        bool Send(std::string_view) override { return script.sends; }
        std::optional<std::string> Receive(std::size_t maxBytes) override {
            EXPECT_EQ(4096u, maxBytes);
            if (script.receives.empty()) {
                return std::string();
            }
            auto next = script.receives.front();
            script.receives.pop_front();
            return next;
        }
        Script script;
        int& open;
    };
    std::unique_ptr<DeviceStream> Connect(std::uint32_t address, std::uint16_t port) override {
        EXPECT_EQ(0x0A4D0105u, address);
        EXPECT_EQ(8080, port);
        const Script script = scripts.empty() ? kRefused : scripts.front();
        if (!scripts.empty()) {
            scripts.pop_front();
        }
        return script.connects ? std::make_unique<Stream>(script, open) : nullptr;
    }
    std::deque<Script> scripts;
    int open = 0;
};

class WebClientTest : public ::testing::Test {
protected:
    // The texts told since the last call, each marked when told while a connection was open.
    std::vector<std::wstring> Told() { return std::exchange(told, {}); }
    DeviceWebClient client{connector, [this](const std::wstring& text, Prompt) {
                               told.push_back(connector.open == 0 ? text : text + kOpen);
                               return true;
                           }};
    static constexpr wchar_t kOpen[] = L" [a connection open]";
    const DeviceEndpoint device{L"10.77.1.5", L"8080"};
    ScriptedConnector connector;
    std::vector<std::wstring> told;
};

TEST_F(WebClientTest, EachCommandTellsTheOutcomeOfEachStep) {
    const std::wstring off = L"Client is not running!", send = kSendTimeout, wait = kReceiveTimeout;
    const struct {
        Script script; // for each of scan, read and save, and the reboot after the save's OK
        std::vector<std::wstring> scan, read, save;
    } cases[] = {
        {kRefused, {off}, {off}, {off}},
        {{true, false, {}}, {send}, {send}, {send}},
        {{true, true, {std::nullopt}}, {wait}, {wait}, {wait}},
        {{true, true, {"HTTP/1.1 401 Unauthorized\r\n\r\n"}}, {kScanFailed}, {}, {kSaveFailed}},
        {{true, true, {kOk + "n=1\n", std::nullopt}}, {wait}, {wait}, {wait}},
        {{true, true, {kOk + "Saved"}}, {}, {}, {}},
        // Only the question is asked with the save's connection open, as the reboot needs it.
        {{true, true, {kOk + "Successful Need Reboot"}},
         {},
         {},
         {kRebootQuestion + std::wstring(kOpen), kRebootDone}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        connector.scripts = {c.script, c.script, c.script, c.script};
        const bool scanned = client.ScanNetworks(device).has_value();
        EXPECT_EQ(c.scan, Told());
        const bool read = client.ReadWifiSettings(device).has_value();
        EXPECT_EQ(c.read, Told());
        client.SaveWifiSettings(device, {});
        EXPECT_EQ(c.save, Told());
        EXPECT_EQ(c.scan.empty(), scanned); // only a reply without a failure gives a result
        EXPECT_EQ(c.scan.empty(), read);
        EXPECT_EQ(0, connector.open);
    }

    // A request too long to send, and a text with no form in the code page: no connection.
    const std::pair<WifiSettings, std::wstring> refused[] = {
        {{0, L"", -1, -1, std::wstring(1100, L'k')}, kRequestTooLong},
        {{0, L"\u4e2d", -1, -1, L""}, kUnsendableText},
        {{0, L"", -1, -1, L"\u4e2d"}, kUnsendableText},
    };
    for (const auto& [settings, message] : refused) {
        connector.scripts = {{}};
        client.SaveWifiSettings(device, settings);
        EXPECT_EQ(1u, connector.scripts.size()) << "a connection was made";
        EXPECT_EQ(std::vector<std::wstring>{message}, Told());
    }
}

} // namespace
} // namespace wifi

// The web commands' exchanges over a scripted stream: what is sent, what the operator is told,
// and that every connection is closed, for each way a device can fail.
#include "wifi/device_web_client.h"

#include "wifi/web_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace wifi {
namespace {

const std::string kOk = "HTTP/1.1 200 OK\r\n\r\n";

// What one connection attempt does: whether it connects, whether the send goes through, and
// what each receive returns (nothing: the receive fails or times out).
struct Script {
    bool connects = true;
    bool sends = true;
    std::deque<std::optional<std::string>> receives;
};

Script Refused() {
    return Script{false, true, {}};
}
Script SendFails() {
    return Script{true, false, {}};
}
Script Replies(std::deque<std::optional<std::string>> receives) {
    return Script{true, true, std::move(receives)};
}

struct Record {
    std::vector<std::string> sent; // one entry per connection, in connect order
    int open = 0;
    int mostOpen = 0;
};

class ScriptedStream : public DeviceStream {
public:
    ScriptedStream(Script script, Record& record, std::size_t index)
        : m_script(std::move(script)), m_record(record), m_index(index) {
        m_record.mostOpen = std::max(m_record.mostOpen, ++m_record.open);
    }
    ~ScriptedStream() override { --m_record.open; }
    void SetTimeouts(std::chrono::milliseconds send, std::chrono::milliseconds receive) override {
        EXPECT_EQ(1000, send.count());
        EXPECT_EQ(5000, receive.count());
    }
    bool Send(std::string_view bytes) override {
        m_record.sent[m_index] += bytes;
        return m_script.sends;
    }
    std::optional<std::string> Receive(std::size_t maxBytes) override {
        EXPECT_EQ(4096u, maxBytes);
        if (m_script.receives.empty())
            return std::string();
        auto next = m_script.receives.front();
        m_script.receives.pop_front();
        return next;
    }

private:
    Script m_script;
    Record& m_record;
    std::size_t m_index;
};

class ScriptedConnector : public StreamConnector {
public:
    std::unique_ptr<DeviceStream> Connect(std::uint32_t address, std::uint16_t port) override {
        EXPECT_EQ(0x0A4D0105u, address);
        EXPECT_EQ(8080, port);
        if (scripts.empty() || !scripts.front().connects) {
            if (!scripts.empty())
                scripts.pop_front();
            return nullptr;
        }
        record.sent.emplace_back();
        auto stream =
            std::make_unique<ScriptedStream>(scripts.front(), record, record.sent.size() - 1);
        scripts.pop_front();
        return stream;
    }
    std::deque<Script> scripts;
    Record record;
};

struct Told {
    std::wstring text;
    Prompt prompt;
    bool operator==(const Told&) const = default;
};

class WebClientTest : public ::testing::Test {
protected:
    DeviceWebClient Client(bool answerOk = true) {
        return DeviceWebClient(connector, [this, answerOk](const std::wstring& text, Prompt p) {
            told.push_back({text, p});
            return answerOk;
        });
    }
    const DeviceEndpoint device{L"10.77.1.5", L"8080"};
    ScriptedConnector connector;
    std::vector<Told> told;
};

TEST_F(WebClientTest, FailuresOfEachStepTellTheirText) {
    const struct {
        const char* name;
        Script script;
        std::vector<std::wstring> scan, read, save;
    } cases[] = {
        {"connect fails", Refused(), {kNotRunning}, {kNotRunning}, {kNotRunning}},
        {"send fails", SendFails(), {kSendTimeout}, {kSendTimeout}, {kSendTimeout}},
        {"first receive times out",
         Replies({std::nullopt}),
         {kReceiveTimeout},
         {kReceiveTimeout},
         {kReceiveTimeout}},
        {"401", Replies({"HTTP/1.1 401 Unauthorized\r\n\r\n"}), {kScanFailed}, {}, {kSaveFailed}},
        {"kept open: second receive times out",
         Replies({kOk + "n=1\n", std::nullopt}),
         {kReceiveTimeout},
         {kReceiveTimeout},
         {kReceiveTimeout}},
        {"save without the phrase", Replies({kOk + "Saved"}), {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto texts = [this] {
            std::vector<std::wstring> out;
            for (const Told& t : told)
                out.push_back(t.text);
            told.clear();
            return out;
        };
        connector.scripts = {c.script, c.script, c.script};
        auto client = Client();
        const bool scanned = client.ScanNetworks(device).has_value();
        EXPECT_EQ(c.scan, texts());
        const bool read = client.ReadWifiSettings(device).has_value();
        EXPECT_EQ(c.read, texts());
        client.SaveWifiSettings(device, {});
        EXPECT_EQ(c.save, texts());
        // Only a reply without a failure gives a result; each connection was closed.
        EXPECT_EQ(c.scan.empty(), scanned);
        EXPECT_EQ(c.scan.empty(), read);
        EXPECT_EQ(0, connector.record.open);
    }
}

TEST_F(WebClientTest, RebootOutcomes) {
    const struct {
        const char* name;
        Script script;
        std::wstring text;
    } cases[] = {
        {"refused", Refused(), kNotRunning},
        {"no 200 OK", Replies({"HTTP/1.1 500 Error\r\n"}), kRebootFailed},
        {"closed without a reply", {}, kRebootFailed},
        {"silent", Replies({std::nullopt}), kReceiveTimeout},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        told.clear();
        connector.scripts = {c.script};
        Client().RebootDevice(device);
        EXPECT_EQ((std::vector<Told>{{c.text, Prompt::Notice}}), told);
    }
}

TEST_F(WebClientTest, RequestTooLongIsRefusedBeforeAnyConnection) {
    connector.scripts = {{}};
    Client().SaveWifiSettings(device, {0, L"", -1, -1, std::wstring(1100, L'k')});
    EXPECT_TRUE(connector.record.sent.empty());
    EXPECT_EQ(1u, connector.scripts.size());
    EXPECT_EQ((std::vector<Told>{{kRequestTooLong, Prompt::Notice}}), told);
}

} // namespace
} // namespace wifi

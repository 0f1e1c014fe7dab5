// The simulator on a real socket: run only inside the run's own network namespace
// (SEARCH_NETNS=1, see run_in_netns.sh), where the tool side holds 10.77.0.1 on "vt".
#include "discovery/datagram.h"
#include "tools/devsim/log_format.h"
#include "tools/devsim/tests/child_process.h"
#include "tools/devsim/unique_fd.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace devsim::test {
namespace {

using namespace std::chrono_literals;
using Datagram = std::vector<std::byte>;

constexpr std::uint32_t kToolAddress = 0x0A4D0001; // 10.77.0.1
constexpr auto kStartTimeout = 10s;
constexpr auto kReplyTimeout = 20s;
constexpr int kReceiveBufferBytes = 32 * 1024 * 1024;
constexpr std::size_t kMaxDatagram = 64 * 1024;

constexpr const char* kThreeDevices =
    "IPCAMERA | 02:4b:00:00:00:15 | 10.77.0.21 | Lobby camera | 80   | 554 | 0 | VX-200\n"
    "DVS      | 02:4b:00:00:00:16 | 10.77.0.22 | Recorder A   | 8080 | 554 | 4 | DR-0404\n"
    "DECODER  | 02:4b:00:00:00:17 | 10.77.0.23 | Caf\\xE9 wall | 81   | 554 | 0 |\n";

using Fields = std::map<std::string, std::string>;

// "kind key=value key=value" -> {"": kind, key: value, ...}
Fields Split(const std::string& line) {
    Fields fields;
    std::istringstream words(line);
    std::string word;
    words >> fields[""];
    while (words >> word) {
        const auto equals = word.find('=');
        fields[word.substr(0, equals)] = equals == std::string::npos ? "" : word.substr(equals + 1);
    }
    return fields;
}

// A running simulator with its log and ready file in a directory of its own.
class Simulator {
public:
    bool Start(std::vector<std::string> args) {
        args.insert(args.end(), {"--log", LogPath().string(), "--ready-file",
                                 (m_dir.Path() / "ready").string()});
        if (!m_child.Start(DEVSIM_PATH, args, m_dir.Path() / "stdout", m_dir.Path() / "stderr"))
            return false;
        return WaitUntil(
                   [&] {
                       return std::filesystem::exists(m_dir.Path() / "ready") || !m_child.Running();
                   },
                   kStartTimeout) &&
               std::filesystem::exists(m_dir.Path() / "ready");
    }
    std::filesystem::path LogPath() const { return m_dir.Path() / "log"; }
    std::string Stderr() const { return ReadFile(m_dir.Path() / "stderr"); }
    std::string DeviceFile(const std::string& content) const {
        return m_dir.Write("devices.txt", content).string();
    }
    // Log lines of one kind ("rx", "tx", ...), split into fields, in order.
    std::vector<Fields> Lines(const std::string& kind) const {
        std::vector<Fields> lines;
        std::istringstream log(ReadFile(LogPath()));
        std::string line;
        while (std::getline(log, line)) {
            Fields fields = Split(line);
            if (fields[""] == kind)
                lines.push_back(std::move(fields));
        }
        return lines;
    }
    bool WaitForLines(const std::string& kind, std::size_t count) const {
        return WaitUntil([&] { return Lines(kind).size() >= count; }, kReplyTimeout);
    }
    void Signal(int signal) { m_child.Signal(signal); }
    ExitStatus Wait() { return m_child.Wait(kStartTimeout); }

private:
    TempDir m_dir;
    ChildProcess m_child;
};

// The tool's side: a socket bound to 10.77.0.1 with broadcast allowed, as the tool has.
class ToolSocket {
public:
    ToolSocket() : m_socket(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        const int one = 1;
        setsockopt(m_socket.Get(), SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
        // Root may pass the system's cap; 10,000 replies must wait here unread.
        if (setsockopt(m_socket.Get(), SOL_SOCKET, SO_RCVBUFFORCE, &kReceiveBufferBytes,
                       sizeof kReceiveBufferBytes) != 0)
            setsockopt(m_socket.Get(), SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes,
                       sizeof kReceiveBufferBytes);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(kToolAddress);
        m_bound = bind(m_socket.Get(), reinterpret_cast<sockaddr*>(&local), sizeof local) == 0;
        socklen_t length = sizeof local;
        getsockname(m_socket.Get(), reinterpret_cast<sockaddr*>(&local), &length);
        m_port = ntohs(local.sin_port);
    }
    bool Bound() const { return m_bound; }
    std::uint16_t Port() const { return m_port; }

    bool Send(std::span<const std::byte> datagram, std::uint32_t destination) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(destination);
        to.sin_port = htons(discovery::DISCOVERY_PORT);
        return sendto(m_socket.Get(), datagram.data(), datagram.size(), 0,
                      reinterpret_cast<sockaddr*>(&to),
                      sizeof to) == static_cast<ssize_t>(datagram.size());
    }
    discovery::Request SendSearch(std::uint32_t destination) {
        discovery::Request request = discovery::EncodeSearchRequest();
        discovery::SetSenderAddress(request, kToolAddress);
        EXPECT_TRUE(Send(request, destination));
        return request;
    }
    // Up to `count` datagrams, or fewer when `timeout` passes first.
    std::vector<Datagram> Receive(std::size_t count, std::chrono::milliseconds timeout) {
        std::vector<Datagram> received;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        Datagram buffer(kMaxDatagram);
        while (received.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{m_socket.Get(), POLLIN, 0};
            if (left.count() < 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
                break;
            const ssize_t n = recv(m_socket.Get(), buffer.data(), buffer.size(), 0);
            if (n < 0)
                break;
            received.emplace_back(buffer.begin(), buffer.begin() + n);
        }
        return received;
    }
    // Whatever is already waiting, without waiting for more.
    std::size_t Drain() { return Receive(SIZE_MAX, 0ms).size(); }

private:
    UniqueFd m_socket;
    bool m_bound = false;
    std::uint16_t m_port = 0;
};

std::set<std::string> Addresses(const std::vector<Datagram>& replies) {
    std::set<std::string> addresses;
    for (const Datagram& d : replies)
        addresses.insert(discovery::DecodeSearchReply(discovery::MakeReplyRecord(d)).deviceAddress);
    return addresses;
}

class DevsimNetns : public ::testing::Test {
protected:
    void SetUp() override {
        const char* netns = std::getenv("SEARCH_NETNS");
        if (netns == nullptr || std::string(netns) != "1")
            GTEST_SKIP() << "opens discovery sockets: runs only inside the test namespace "
                            "(SEARCH_NETNS=1)";
        ASSERT_TRUE(tool.Bound()) << "10.77.0.1 is not an address here";
    }
    void StartWith(std::vector<std::string> args) {
        ASSERT_TRUE(sim.Start(std::move(args))) << sim.Stderr();
    }

    Simulator sim;
    ToolSocket tool;
};

TEST_F(DevsimNetns, AnswersMulticastThenBroadcastAndLogsBoth) {
    StartWith({"--devices", sim.DeviceFile(kThreeDevices)});

    const auto multicastRequest = tool.SendSearch(discovery::kMulticastGroup);
    const auto first = tool.Receive(3, kReplyTimeout);
    const auto broadcastRequest = tool.SendSearch(discovery::kBroadcastAddress);
    const auto second = tool.Receive(3, kReplyTimeout);
    ASSERT_EQ(3u, first.size());
    ASSERT_EQ(3u, second.size());
    ASSERT_TRUE(sim.WaitForLines("tx", 2));
    EXPECT_EQ(0u, tool.Drain()) << "one reply per device and request";

    for (const auto& d : first) {
        EXPECT_EQ(discovery::kReplySize, d.size());
        EXPECT_TRUE(discovery::IsAcceptedReply(d));
    }
    const std::set<std::string> expected{"10.77.0.21", "10.77.0.22", "10.77.0.23"};
    EXPECT_EQ(expected, Addresses(first));
    EXPECT_EQ(expected, Addresses(second));
    for (const auto& d : first) {
        const auto reply = discovery::DecodeSearchReply(discovery::MakeReplyRecord(d));
        if (reply.deviceAddress != "10.77.0.23")
            continue;
        EXPECT_EQ("DECODER", reply.classText);
        EXPECT_EQ("Caf\xE9 wall", reply.deviceName);
        EXPECT_EQ(81, reply.httpPort);
        EXPECT_EQ(554, reply.rtspPort);
        EXPECT_EQ("", reply.modelText);
        EXPECT_EQ((std::array<std::uint8_t, 6>{0x02, 0x4b, 0, 0, 0, 0x17}), reply.mac);
    }

    const auto rx = sim.Lines("rx");
    ASSERT_EQ(2u, rx.size());
    const std::string source = "10.77.0.1:" + std::to_string(tool.Port());
    const std::string dst[] = {"224.111.111.1", "255.255.255.255"};
    const discovery::Request* requests[] = {&multicastRequest, &broadcastRequest};
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(dst[i]);
        EXPECT_EQ(dst[i], rx[i].at("dst"));
        EXPECT_EQ(source, rx[i].at("src"));
        EXPECT_EQ("256", rx[i].at("len"));
        EXPECT_EQ("2", rx[i].at("cmd"));
        EXPECT_EQ(HexBytes(*requests[i]), rx[i].at("hex"));
    }
    for (const Fields& tx : sim.Lines("tx")) {
        EXPECT_EQ(source, tx.at("dst"));
        EXPECT_EQ("3", tx.at("replies"));
        EXPECT_EQ("0", tx.at("dropped"));
    }
}

TEST_F(DevsimNetns, AddressChangesShowInLaterReplies) {
    StartWith({"--devices", sim.DeviceFile(kThreeDevices), "--dhcp-base", "10.77.99.1"});

    // As the tool sends it: the same request to the group, then to the broadcast.
    const discovery::Request toStatic = discovery::EncodeAddressChange(
        {0x0A4D0016, 0x0A4D0505, 0xFFFF0000, 0x0A4D00FE, false}); // 10.77.0.22 -> 10.77.5.5
    ASSERT_TRUE(tool.Send(toStatic, discovery::kMulticastGroup));
    ASSERT_TRUE(tool.Send(toStatic, discovery::kBroadcastAddress));
    const discovery::Request toDhcp =
        discovery::EncodeAddressChange({0x0A4D0015, 0, 0, 0, true}); // 10.77.0.21 -> DHCP
    ASSERT_TRUE(tool.Send(toDhcp, discovery::kMulticastGroup));
    ASSERT_TRUE(sim.WaitForLines("addr", 3));

    const auto addr = sim.Lines("addr");
    EXPECT_EQ("10.77.0.22", addr[0].at("target"));
    EXPECT_EQ("applied", addr[0].at("result"));
    EXPECT_EQ("static", addr[0].at("mode"));
    EXPECT_EQ("10.77.5.5", addr[0].at("ip"));
    EXPECT_EQ("255.255.0.0", addr[0].at("mask"));
    EXPECT_EQ("10.77.0.254", addr[0].at("gateway"));
    EXPECT_EQ("02:4b:00:00:00:16", addr[0].at("mac"));
    EXPECT_EQ("ignored", addr[1].at("result"));
    EXPECT_EQ("unknown-target", addr[1].at("reason"));
    EXPECT_EQ("applied", addr[2].at("result"));
    EXPECT_EQ("dhcp", addr[2].at("mode"));
    EXPECT_EQ("10.77.99.1", addr[2].at("ip"));

    tool.SendSearch(discovery::kMulticastGroup);
    const auto replies = tool.Receive(3, kReplyTimeout);
    ASSERT_TRUE(sim.WaitForLines("tx", 1));
    EXPECT_EQ((std::set<std::string>{"10.77.99.1", "10.77.5.5", "10.77.0.23"}), Addresses(replies));
    EXPECT_EQ(0u, tool.Drain()) << "address changes get no reply";
}

TEST_F(DevsimNetns, FaultyRequestsAreLoggedButNotAnswered) {
    StartWith({"--devices", sim.DeviceFile(kThreeDevices)});
    discovery::Request badMarker = discovery::EncodeSearchRequest();
    badMarker[11] = std::byte{'!'};
    discovery::Request command4 = discovery::EncodeSearchRequest();
    command4[discovery::kCommandOffset] = std::byte{4};
    const discovery::Request whole = discovery::EncodeSearchRequest();
    const auto markerOnly = std::span<const std::byte>(whole).first(discovery::kMarkerSize);
    ASSERT_TRUE(tool.Send(badMarker, discovery::kMulticastGroup));
    ASSERT_TRUE(tool.Send(command4, discovery::kMulticastGroup));
    ASSERT_TRUE(tool.Send(markerOnly, discovery::kMulticastGroup));
    // A header-only request is still a search request.
    const auto headerOnly = std::span<const std::byte>(whole).first(discovery::kHeaderSize);
    ASSERT_TRUE(tool.Send(headerOnly, discovery::kMulticastGroup));

    EXPECT_EQ(3u, tool.Receive(3, kReplyTimeout).size());
    ASSERT_TRUE(sim.WaitForLines("tx", 1));
    EXPECT_EQ(0u, tool.Drain());
    const auto rx = sim.Lines("rx");
    ASSERT_EQ(4u, rx.size());
    const char* commands[] = {"none", "4", "none", "2"};
    const char* lengths[] = {"256", "256", "12", "13"};
    for (std::size_t i = 0; i < rx.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(commands[i], rx[i].at("cmd"));
        EXPECT_EQ(lengths[i], rx[i].at("len"));
    }
    EXPECT_EQ(1u, sim.Lines("tx").size());
}

TEST_F(DevsimNetns, InjectedDatagramsFollowEveryBurst) {
    StartWith({"--devices", sim.DeviceFile(kThreeDevices), "--inject", "all"});
    tool.SendSearch(discovery::kMulticastGroup);
    const auto got = tool.Receive(13, kReplyTimeout);
    ASSERT_EQ(13u, got.size());
    ASSERT_TRUE(sim.WaitForLines("tx", 1));
    EXPECT_EQ("3", sim.Lines("tx")[0].at("replies"));
    // The ten single faults, then the hostile kinds' datagrams.
    const std::size_t hostile = InjectedLengths().size() + kRandomBodies + 1 + 2;
    EXPECT_EQ(std::to_string(10 + hostile), sim.Lines("tx")[0].at("injected"));

    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(discovery::IsAcceptedReply(got[i])) << i;
    const struct {
        std::size_t size;
        std::uint8_t command;
    } injected[] = {{208, 0}, {208, 0}, {208, 2}, {208, 3}, {208, 4},
                    {12, 0},  {100, 1}, {300, 1}, {208, 1}, {208, 1}};
    for (std::size_t i = 0; i < std::size(injected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(injected[i].size, got[3 + i].size());
        EXPECT_EQ(injected[i].command, discovery::CommandOf(got[3 + i]));
    }
    const auto unknown = discovery::DecodeSearchReply(discovery::MakeReplyRecord(got[11]));
    EXPECT_EQ("NVR", unknown.classText);
    const auto duplicate = discovery::DecodeSearchReply(discovery::MakeReplyRecord(got[12]));
    EXPECT_EQ("10.77.0.21", duplicate.deviceAddress);
    EXPECT_EQ("duplicate of Lobby camera", duplicate.deviceName);
}

TEST_F(DevsimNetns, StopsCleanlyOnSigtermWithASummary) {
    StartWith({"--devices", sim.DeviceFile(kThreeDevices), "--interface", "10.77.0.1"});
    ASSERT_EQ("10.77.0.1", sim.Lines("ready").at(0).at("interface"));
    tool.SendSearch(discovery::kMulticastGroup);
    ASSERT_EQ(3u, tool.Receive(3, kReplyTimeout).size());
    ASSERT_TRUE(sim.WaitForLines("tx", 1));

    sim.Signal(SIGTERM);
    const ExitStatus status = sim.Wait();
    ASSERT_TRUE(status.exited) << "signal " << status.signal;
    EXPECT_EQ(0, status.code);
    const auto summary = sim.Lines("summary");
    ASSERT_EQ(1u, summary.size());
    EXPECT_EQ("1", summary[0].at("rx"));
    EXPECT_EQ("1", summary[0].at("requests"));
    EXPECT_EQ("1", summary[0].at("bursts"));
    EXPECT_EQ("3", summary[0].at("replies"));
    EXPECT_EQ("0", summary[0].at("pending"));
    EXPECT_NE(std::string::npos, sim.Stderr().find("devsim: summary ")) << sim.Stderr();
}

} // namespace
} // namespace devsim::test

// The simulator as a program on a real socket: run only inside the run's own network namespace
// (SEARCH_NETNS=1, see run_in_netns.sh), where the tool side holds 10.77.0.1.
#include "discovery/datagram.h"
#include "tools/devsim/unique_fd.h"

#include <arpa/inet.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

namespace devsim {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
constexpr std::uint32_t kToolAddress = 0x0A4D0001; // 10.77.0.1

// The built simulator in a directory of its own, killed and removed whatever the test does.
class Simulator {
public:
    Simulator() {
        std::string dir = (fs::temp_directory_path() / "devsim-test-XXXXXX").string();
        m_dir = mkdtemp(dir.data());
        std::ofstream(m_dir / "devices")
            << "IPCAMERA|02:4b:00:00:00:15|10.77.0.21|Lobby|80|554|0|VX\n"
               "DVS|02:4b:00:00:00:16|10.77.0.22|Caf\\xE9|8080|554|4|D4\n"
               "DECODER|02:4b:00:00:00:17|10.77.0.23|Wall|81|554|0|\n";
        std::vector<std::string> args{DEVSIM_PATH, "--devices",   m_dir / "devices",
                                      "--log",     m_dir / "log", "--dhcp-base=10.77.99.1"};
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
    }
    ~Simulator() {
        if (m_pid > 0 && kill(m_pid, SIGKILL) == 0)
            waitpid(m_pid, nullptr, 0);
        fs::remove_all(m_dir);
    }
    // Log lines of one kind, from their first field on.
    std::vector<std::string> Lines(const std::string& kind) const {
        std::ifstream log(m_dir / "log");
        std::vector<std::string> lines;
        for (std::string line; std::getline(log, line);)
            if (line.starts_with(kind + " "))
                lines.push_back(line.substr(line.find(' ', kind.size() + 1) + 1));
        return lines;
    }
    bool WaitForLines(const std::string& kind, std::size_t count) const {
        return WaitUntil([&] { return Lines(kind).size() >= count; });
    }
    // SIGTERM; the wait status (0: exit status 0) once it ended by itself, else -1.
    int Stop() {
        int status = -1;
        kill(m_pid, SIGTERM);
        if (WaitUntil([&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; }))
            m_pid = -1;
        return status;
    }

private:
    template <typename Ready> static bool WaitUntil(Ready ready) {
        for (auto deadline = std::chrono::steady_clock::now() + 10s; !ready();
             std::this_thread::sleep_for(10ms))
            if (std::chrono::steady_clock::now() > deadline)
                return false;
        return true;
    }
    fs::path m_dir;
    pid_t m_pid = -1;
};

class DevsimNetns : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* netns = std::getenv("SEARCH_NETNS"); !netns || std::string(netns) != "1")
            GTEST_SKIP() << "opens discovery sockets: only inside the test namespace";
        const int one = 1;
        setsockopt(m_socket.Get(), SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
        const sockaddr_in local{AF_INET, htons(40000), {htonl(kToolAddress)}, {}};
        ASSERT_EQ(0, bind(m_socket.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local));
    }
    void Send(std::span<const std::byte> datagram, std::uint32_t to) {
        sockaddr_in peer{AF_INET, htons(discovery::DISCOVERY_PORT), {htonl(to)}, {}};
        ASSERT_EQ(static_cast<ssize_t>(datagram.size()),
                  sendto(m_socket.Get(), datagram.data(), datagram.size(), 0,
                         reinterpret_cast<sockaddr*>(&peer), sizeof peer));
    }
    // "address name HTTP-port" of each reply that arrives until none comes for a second.
    std::multiset<std::string> Replies() {
        std::multiset<std::string> seen;
        std::vector<std::byte> buffer(65536);
        for (pollfd p{m_socket.Get(), POLLIN, 0}; poll(&p, 1, 1000) > 0;) {
            buffer.resize(65536);
            buffer.resize(static_cast<std::size_t>(recv(m_socket.Get(), buffer.data(), 65536, 0)));
            EXPECT_TRUE(discovery::IsAcceptedReply(buffer) && buffer.size() == 208);
            const auto r = discovery::DecodeSearchReply(discovery::MakeReplyRecord(buffer));
            seen.insert(r.deviceAddress + " " + r.deviceName + " " + std::to_string(r.httpPort));
        }
        return seen;
    }

    UniqueFd m_socket{socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)};
    const std::string m_source = "src=10.77.0.1:40000 dst=";
};

TEST_F(DevsimNetns, AnswersSearchesAppliesChangesAndLogsEveryDatagram) {
    Simulator sim;
    ASSERT_TRUE(sim.WaitForLines("ready", 1));

    // A search to the group and to the broadcast, each answered by every device; a wrong marker,
    // command 4 and a cut header only logged.
    discovery::Request search = discovery::EncodeSearchRequest();
    discovery::SetSenderAddress(search, kToolAddress);
    std::vector<std::byte> bad(search.begin(), search.end());
    Send(search, discovery::kMulticastGroup);
    bad[11] = std::byte{'!'};
    Send(bad, discovery::kMulticastGroup);
    bad[11] = std::byte{0};
    bad[12] = std::byte{4};
    Send(bad, discovery::kMulticastGroup);
    Send(search, discovery::kBroadcastAddress);
    Send(std::span(search).first(12), discovery::kMulticastGroup); // its command byte missing
    EXPECT_EQ((std::multiset<std::string>{"10.77.0.21 Lobby 80", "10.77.0.21 Lobby 80",
                                          "10.77.0.22 Caf\xE9 8080", "10.77.0.22 Caf\xE9 8080",
                                          "10.77.0.23 Wall 81", "10.77.0.23 Wall 81"}),
              Replies());
    const std::string hex = "717561726e656c766973740002"
                            "31302e37372e302e31" +
                            std::string(468, '0');
    const std::vector<std::string> rx{
        m_source + "224.111.111.1 len=256 cmd=2 hex=" + hex,
        m_source + "224.111.111.1 len=256 cmd=none hex=" + hex.substr(0, 22) + "21" +
            hex.substr(24),
        m_source + "224.111.111.1 len=256 cmd=4 hex=" + hex.substr(0, 25) + "4" + hex.substr(26),
        m_source + "255.255.255.255 len=256 cmd=2 hex=" + hex,
        m_source + "224.111.111.1 len=12 cmd=none hex=" + hex.substr(0, 24)};
    ASSERT_TRUE(sim.WaitForLines("rx", 5));
    EXPECT_EQ(rx, sim.Lines("rx"));
    ASSERT_TRUE(sim.WaitForLines("tx", 2));
    EXPECT_NE(std::string::npos, sim.Lines("tx")[1].find(" replies=3 injected=0 dropped=0 "));

    // As the tool sends a change: to the group, then the same to the broadcast.
    const auto toStatic = discovery::EncodeAddressChange(
        {0x0A4D0016, 0x0A4D0505, 0xFFFF0000, 0x0A4D00FE, false}); // 10.77.0.22 -> 10.77.5.5
    Send(toStatic, discovery::kMulticastGroup);
    Send(toStatic, discovery::kBroadcastAddress);
    Send(discovery::EncodeAddressChange({0x0A4D0015, 0, 0, 0, true}), discovery::kMulticastGroup);
    ASSERT_TRUE(sim.WaitForLines("addr", 3));
    const std::string from = m_source.substr(0, m_source.size() - 4);
    EXPECT_EQ((std::vector<std::string>{
                  from + "target=10.77.0.22 result=applied mode=static ip=10.77.5.5 "
                         "mask=255.255.0.0 gateway=10.77.0.254 mac=02:4b:00:00:00:16",
                  from + "target=10.77.0.22 result=ignored reason=unknown-target",
                  from + "target=10.77.0.21 result=applied mode=dhcp ip=10.77.99.1 "
                         "mac=02:4b:00:00:00:15"}),
              sim.Lines("addr"));
    Send(search, discovery::kMulticastGroup);
    EXPECT_EQ((std::multiset<std::string>{"10.77.99.1 Lobby 80", "10.77.5.5 Caf\xE9 8080",
                                          "10.77.0.23 Wall 81"}),
              Replies());

    EXPECT_EQ(0, sim.Stop());
    EXPECT_EQ((std::vector<std::string>{"rx=9 requests=3 address_changes=2 bursts=3 replies=9 "
                                        "injected=0 dropped=0 retries=0 pending=0"}),
              sim.Lines("summary"));
}

} // namespace
} // namespace devsim

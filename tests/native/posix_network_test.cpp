// PosixNetwork on real sockets. The loopback tests run anywhere: they send only to 127.0.0.1.
// The discovery tests send to the multicast group and the broadcast address, so they run only in
// a network namespace of the test run's own (SEARCH_NETNS=1, see scripts/lib/netns.sh); the
// answering device is a small responder thread, in the same namespace, or in the namespace named
// by SEARCH_NETNS_PEER (for example the device side of the pair).
#include "discovery/posix_network.h"

#include "discovery/datagram.h"
#include "discovery/discovery_engine.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace discovery {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kLoopback = 0x7F000001;

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5s) {
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

std::uint16_t PortOf(SocketHandle socket) {
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    getsockname(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&bound), &length);
    return ntohs(bound.sin_port);
}

// Sends a datagram of the given bytes from a throw-away socket to 127.0.0.1:port.
void SendToLoopback(std::uint16_t port, const std::vector<std::byte>& bytes) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(kLoopback);
    to.sin_port = htons(port);
    const auto sent = ::sendto(fd, bytes.data(), bytes.size(), 0,
                               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    EXPECT_EQ(sent, static_cast<ssize_t>(bytes.size())) << std::strerror(errno);
    ::close(fd);
}

std::vector<std::byte> Pattern(std::size_t length) {
    std::vector<std::byte> bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<std::byte>(i * 7 + 1);
    return bytes;
}

class PosixNetworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        socket = network.OpenBroadcastSocket(kLoopback);
        ASSERT_NE(socket, kInvalidSocket) << std::strerror(errno);
    }
    void TearDown() override {
        if (socket != kInvalidSocket)
            network.Close(socket);
    }
    // Waits (at most a second) until the socket is readable, then reads into a reply buffer.
    int WaitAndReceive(std::vector<std::byte>& received) {
        std::vector<bool> readable;
        const SocketHandle set[] = {socket};
        if (network.WaitReadable(set, 1000ms, readable) != 1 || !readable.at(0))
            return -100;
        ReplyRecord buffer{};
        const int count = network.Receive(socket, buffer);
        if (count > 0)
            received.assign(buffer.begin(), buffer.begin() + count);
        return count;
    }

    PosixNetwork network;
    SocketHandle socket = kInvalidSocket;
};

TEST_F(PosixNetworkTest, ABoundSocketTellsItsAddressAndReceivesADatagram) {
    std::uint32_t bound = 0;
    ASSERT_TRUE(network.BoundAddress(socket, bound));
    EXPECT_EQ(bound, kLoopback);
    EXPECT_NE(PortOf(socket), 0); // the system picked a port

    const auto sent = Pattern(kReplySize);
    SendToLoopback(PortOf(socket), sent);
    std::vector<std::byte> received;
    EXPECT_EQ(WaitAndReceive(received), static_cast<int>(kReplySize));
    EXPECT_EQ(received, sent);
}

TEST_F(PosixNetworkTest, ALongDatagramGivesItsFirstBytesAndTheSocketReadsOn) {
    for (const std::size_t length : {kReplySize + 1, std::size_t{65507}}) {
        SCOPED_TRACE(::testing::Message() << length << " bytes");
        const auto sent = Pattern(length);
        SendToLoopback(PortOf(socket), sent);
        std::vector<std::byte> received;
        EXPECT_EQ(WaitAndReceive(received), static_cast<int>(kReplySize));
        EXPECT_TRUE(std::equal(received.begin(), received.end(), sent.begin()));
    }
    SendToLoopback(PortOf(socket), Pattern(5)); // the rest was discarded, not read next
    std::vector<std::byte> received;
    EXPECT_EQ(WaitAndReceive(received), 5);
}

TEST_F(PosixNetworkTest, AnEmptyDatagramReadsAsZeroBytes) {
    SendToLoopback(PortOf(socket), {});
    std::vector<std::byte> received;
    EXPECT_EQ(WaitAndReceive(received), 0);
}

TEST_F(PosixNetworkTest, AReadWithNothingWaitingDoesNotBlock) {
    ReplyRecord buffer{};
    EXPECT_EQ(network.Receive(socket, buffer), 0);
}

TEST_F(PosixNetworkTest, SendToReachesTheDestination) {
    const SocketHandle peer = network.OpenBroadcastSocket(kLoopback);
    ASSERT_NE(peer, kInvalidSocket);
    const auto sent = Pattern(64);
    network.SendTo(peer, sent, kLoopback, PortOf(socket));
    std::vector<std::byte> received;
    EXPECT_EQ(WaitAndReceive(received), 64);
    EXPECT_EQ(received, sent);
    network.Close(peer);
}

TEST_F(PosixNetworkTest, AWaitTimesOutWithZeroAndAnEmptySetFailsAtOnce) {
    std::vector<bool> readable;
    const SocketHandle set[] = {socket};
    auto begun = Clock::now();
    EXPECT_EQ(network.WaitReadable(set, 30ms, readable), 0);
    EXPECT_GE(Clock::now() - begun, 25ms);
    EXPECT_EQ(readable, std::vector<bool>{false});

    begun = Clock::now();
    EXPECT_LT(network.WaitReadable({}, 1000ms, readable), 0);
    EXPECT_LT(Clock::now() - begun, 500ms);
}

TEST_F(PosixNetworkTest, OnlyTheReadableSocketsAreMarked) {
    const SocketHandle quiet = network.OpenBroadcastSocket(kLoopback);
    ASSERT_NE(quiet, kInvalidSocket);
    SendToLoopback(PortOf(socket), Pattern(20));
    std::vector<bool> readable;
    const SocketHandle set[] = {quiet, socket};
    EXPECT_EQ(network.WaitReadable(set, 1000ms, readable), 1);
    EXPECT_EQ(readable, (std::vector<bool>{false, true}));
    network.Close(quiet);
}

// net.core.rmem_max: the largest receive buffer Linux grants a socket that asks; 0 if unknown.
long ReceiveBufferLimit() {
    std::FILE* file = std::fopen("/proc/sys/net/core/rmem_max", "r");
    if (file == nullptr)
        return 0;
    long limit = 0;
    if (std::fscanf(file, "%ld", &limit) != 1)
        limit = 0;
    std::fclose(file);
    return limit;
}

TEST_F(PosixNetworkTest, ABurstOfRepliesWaitsWholeUntilItIsRead) {
    // Far more than a default buffer holds (a few hundred replies), far less than 4 MiB.
    constexpr int kBurst = 2000;
    constexpr long kBurstNeeds = 4 * 1024 * 1024;
    if (ReceiveBufferLimit() < kBurstNeeds)
        GTEST_SKIP() << "net.core.rmem_max is below " << kBurstNeeds
                     << " bytes: the system grants no buffer that large";
    const int sender = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(sender, 0) << std::strerror(errno);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(kLoopback);
    to.sin_port = htons(PortOf(socket));
    const auto reply = Pattern(kReplySize);
    int sent = 0;
    for (int i = 0; i < kBurst; ++i) {
        if (::sendto(sender, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                     sizeof to) == static_cast<ssize_t>(reply.size()))
            ++sent;
    }
    ::close(sender);
    ASSERT_EQ(sent, kBurst) << std::strerror(errno);

    int received = 0;
    std::vector<std::byte> datagram;
    while (WaitAndReceive(datagram) == static_cast<int>(kReplySize))
        ++received;
    EXPECT_EQ(received, kBurst) << "replies lost while nobody read";
}

TEST_F(PosixNetworkTest, OpeningOnAnAddressTheHostDoesNotHaveFails) {
    EXPECT_EQ(network.OpenBroadcastSocket(0xCB007101), kInvalidSocket); // 203.0.113.1
}

// ---- In the run's own namespace --------------------------------------------------------------

bool InTestNamespace() {
    const char* flag = std::getenv("SEARCH_NETNS");
    return flag != nullptr && std::string(flag) == "1";
}

// A device stand-in: listens on 0.0.0.0:6789, joined to the discovery group, and answers every
// search request with a reply of the given length sent back to the request's source.
// Each local address sends its multicast out of its own interface, so the group is joined on
// every interface of the namespace.
bool JoinGroupOnEveryInterface(int fd) {
    struct if_nameindex* interfaces = if_nameindex();
    if (interfaces == nullptr)
        return false;
    bool joined = false;
    for (const struct if_nameindex* i = interfaces; i->if_index != 0; ++i) {
        ip_mreqn group{};
        group.imr_multiaddr.s_addr = htonl(kMulticastGroup);
        group.imr_ifindex = static_cast<int>(i->if_index);
        joined |= setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &group, sizeof group) == 0;
    }
    if_freenameindex(interfaces);
    return joined;
}

class Responder {
public:
    struct Request {
        std::string sender;            // the sender address text inside the request
        std::uint32_t source = 0;      // the datagram's source address
        std::uint32_t destination = 0; // the group or the broadcast address
    };

    explicit Responder(std::size_t replyLength) : m_replyLength(replyLength) {
        m_thread = std::thread([this] { Run(); });
        WaitUntil([this] { return m_ready.load() || !Error().empty(); });
    }
    ~Responder() {
        m_stop = true;
        m_thread.join();
    }

    std::string Error() {
        std::lock_guard lock(m_mutex);
        return m_error;
    }
    std::vector<Request> Requests() {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    void Fail(const std::string& what) {
        std::lock_guard lock(m_mutex);
        m_error = what + ": " + std::strerror(errno);
    }

    void Run() {
        // A peer namespace applies to this thread only; the engine stays where the test runs.
        if (const char* peer = std::getenv("SEARCH_NETNS_PEER"); peer != nullptr && *peer) {
            const int ns = ::open((std::string("/var/run/netns/") + peer).c_str(), O_RDONLY);
            if (ns < 0 || ::setns(ns, CLONE_NEWNET) != 0) {
                Fail(std::string("joining namespace ") + peer);
                if (ns >= 0)
                    ::close(ns);
                return;
            }
            ::close(ns);
        }
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        const int one = 1;
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(DISCOVERY_PORT);
        if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0 ||
            setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &one, sizeof one) != 0 ||
            bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
            !JoinGroupOnEveryInterface(fd)) {
            Fail("responder socket");
            if (fd >= 0)
                ::close(fd);
            return;
        }
        m_ready = true;
        while (!m_stop) {
            pollfd watched{fd, POLLIN, 0};
            if (::poll(&watched, 1, 20) <= 0)
                continue;
            Serve(fd);
        }
        ::close(fd);
    }

    void Serve(int fd) {
        std::byte datagram[512];
        sockaddr_in source{};
        iovec part{datagram, sizeof datagram};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
        msghdr message{};
        message.msg_name = &source;
        message.msg_namelen = sizeof source;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t received = ::recvmsg(fd, &message, 0);
        if (received <= 0)
            return;
        const std::span<const std::byte> request(datagram, static_cast<std::size_t>(received));
        if (CommandOf(request) != static_cast<std::uint8_t>(Command::SearchRequest))
            return;
        Request seen;
        seen.sender = DecodeSearchRequestSender(request);
        seen.source = ntohl(source.sin_addr.s_addr);
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                in_pktinfo info;
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                seen.destination = ntohl(info.ipi_addr.s_addr);
            }
        }
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(seen);
        }

        SearchReply reply;
        reply.classText = "IPCAMERA";
        reply.deviceAddress = "10.77.0.20";
        reply.deviceName = "responder";
        reply.httpPort = 80;
        reply.rtspPort = 554;
        std::vector<std::byte> bytes(m_replyLength);
        const ReplyRecord record = EncodeSearchReply(reply);
        std::copy_n(record.begin(), std::min(record.size(), bytes.size()), bytes.begin());
        ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&source),
                 sizeof source);
    }

    const std::size_t m_replyLength;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_ready{false};
    std::mutex m_mutex;
    std::string m_error;
    std::vector<Request> m_requests;
    std::thread m_thread;
};

class PosixNetworkNamespaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!InTestNamespace())
            GTEST_SKIP() << "sends to the network: runs only with SEARCH_NETNS=1 in a test "
                            "namespace";
    }
};

TEST_F(PosixNetworkNamespaceTest, TheLocalAddressesAreTheInterfacesAddresses) {
    PosixNetwork network;
    const auto addresses = network.LocalAddresses();
    ASSERT_FALSE(addresses.empty());
    for (const std::uint32_t address : addresses) {
        SCOPED_TRACE(FormatIPv4(address));
        EXPECT_NE(address >> 24, 127u);
        const SocketHandle socket = network.OpenBroadcastSocket(address);
        EXPECT_NE(socket, kInvalidSocket);
        if (socket != kInvalidSocket)
            network.Close(socket);
    }
}

TEST_F(PosixNetworkNamespaceTest, ASearchIsAnsweredAndTheReplyIsQueuedAndNotified) {
    Responder responder(kReplySize);
    ASSERT_EQ(responder.Error(), "");

    PosixNetwork network;
    const auto addresses = network.LocalAddresses();
    ASSERT_FALSE(addresses.empty());
    std::atomic<int> notified{0};
    DiscoveryEngine engine(network, [&] {
        ++notified;
        return true;
    });
    engine.Start();
    engine.SendSearch();

    // The listener sees the burst in order: from each local address the multicast copy, then
    // the broadcast copy, each carrying the address it leaves from. Each one is answered to the
    // socket that sent it, and every answer becomes a record; nobody takes them, so a single
    // wake-up stays outstanding.
    const std::size_t expected = 2 * addresses.size();
    EXPECT_TRUE(WaitUntil([&] { return responder.Requests().size() >= expected; }));
    ASSERT_TRUE(WaitUntil([&] { return engine.QueuedReplies() >= expected; }));
    const auto requests = responder.Requests();
    ASSERT_EQ(requests.size(), expected);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const std::string address = FormatIPv4(addresses[i / 2]);
        SCOPED_TRACE(::testing::Message() << "request " << i << " from " << address);
        EXPECT_EQ(requests[i].sender, address);
        EXPECT_EQ(FormatIPv4(requests[i].source), address);
        EXPECT_EQ(requests[i].destination, i % 2 == 0 ? kMulticastGroup : kBroadcastAddress);
    }

    EXPECT_EQ(notified.load(), 1);
    EXPECT_EQ(engine.QueuedReplies(), requests.size());
    const auto record = engine.TakeOldestReply();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(DecodeSearchReply(*record).deviceName, "responder");
    EXPECT_EQ(DecodeSearchReply(*record).deviceAddress, "10.77.0.20");
    engine.StopDiscovery();
}

TEST_F(PosixNetworkNamespaceTest, AReplyLongerThan208BytesIsCutAndTheSocketLivesOn) {
    Responder responder(kReplySize + 92);
    ASSERT_EQ(responder.Error(), "");

    PosixNetwork network;
    DiscoveryEngine engine(network, [] { return true; });
    engine.SendSearch(); // the receiver's cycle is run here, without its thread
    const auto table = engine.SocketTable();
    ASSERT_FALSE(table.empty());

    const std::size_t expected = 2 * table.size();
    for (int cycle = 0; cycle < 50 && engine.QueuedReplies() < expected; ++cycle)
        engine.PollOnce(100ms);
    EXPECT_EQ(engine.QueuedReplies(), expected);
    EXPECT_EQ(engine.SocketTable().size(), table.size());
    for (const SocketEntry& entry : engine.SocketTable())
        EXPECT_NE(entry.socket, kInvalidSocket);
    const auto record = engine.TakeOldestReply();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(DecodeSearchReply(*record).deviceName, "responder");
}

} // namespace
} // namespace discovery

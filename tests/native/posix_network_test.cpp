// PosixNetwork on real sockets, sending only to 127.0.0.1. The search over real interfaces is
// proved end to end by search-cli against the device simulator in network namespaces.
#include "discovery/posix_network.h"

#include "discovery/datagram.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace discovery {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kLoopback = 0x7F000001;

std::uint16_t PortOf(SocketHandle socket) {
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    getsockname(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&bound), &length);
    return ntohs(bound.sin_port);
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
        peer = network.OpenBroadcastSocket(kLoopback);
        ASSERT_NE(socket, kInvalidSocket);
        ASSERT_NE(peer, kInvalidSocket);
    }
    void TearDown() override {
        network.Close(socket);
        network.Close(peer);
    }
    void SendFromPeer(const std::vector<std::byte>& bytes) {
        network.SendTo(peer, bytes, kLoopback, PortOf(socket));
    }
    // Waits (at most a second) until the socket is readable, then reads into a reply buffer;
    // -100 when it did not become readable.
    int WaitAndReceive(std::vector<std::byte>& received) {
        std::vector<bool> readable;
        const SocketHandle set[] = {peer, socket};
        if (network.WaitReadable(set, 1000ms, readable) != 1 ||
            readable != std::vector{false, true})
            return -100;
        ReplyRecord buffer{};
        const int count = network.Receive(socket, buffer);
        received.assign(buffer.begin(), buffer.begin() + std::max(count, 0));
        return count;
    }

    PosixNetwork network;
    SocketHandle socket = kInvalidSocket;
    SocketHandle peer = kInvalidSocket;
};

// Whole, empty and too long datagrams: a long one gives its first bytes, the rest is discarded
// and the socket reads on.
TEST_F(PosixNetworkTest, DatagramsOfEveryLengthArriveCutToAReply) {
    std::uint32_t bound = 0;
    ASSERT_TRUE(network.BoundAddress(socket, bound));
    EXPECT_EQ(bound, kLoopback);
    ReplyRecord buffer{};
    EXPECT_EQ(network.Receive(socket, buffer), 0); // nothing waiting: no block

    for (const std::size_t length :
         {kReplySize, std::size_t{0}, kReplySize + 1, std::size_t{65507}, std::size_t{5}}) {
        SCOPED_TRACE(::testing::Message() << length << " bytes");
        const auto sent = Pattern(length);
        SendFromPeer(sent);
        std::vector<std::byte> received;
        const std::size_t kept = std::min(length, kReplySize);
        EXPECT_EQ(WaitAndReceive(received), static_cast<int>(kept));
        EXPECT_TRUE(std::equal(received.begin(), received.end(), sent.begin()));
    }
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
    EXPECT_EQ(network.OpenBroadcastSocket(0xCB007101), kInvalidSocket); // 203.0.113.1: not ours
}

// net.core.rmem_max: the largest receive buffer Linux grants a socket that asks; 0 if unknown.
long ReceiveBufferLimit() {
    long limit = 0;
    if (std::FILE* file = std::fopen("/proc/sys/net/core/rmem_max", "r")) {
        if (std::fscanf(file, "%ld", &limit) != 1)
            limit = 0;
        std::fclose(file);
    }
    return limit;
}

TEST_F(PosixNetworkTest, ABurstOfRepliesWaitsWholeUntilItIsRead) {
    // Far more than a default buffer holds (a few hundred replies), far less than 4 MiB.
    constexpr int kBurst = 2000;
    constexpr long kBurstNeeds = 4 * 1024 * 1024;
    if (ReceiveBufferLimit() < kBurstNeeds)
        GTEST_SKIP() << "net.core.rmem_max is below " << kBurstNeeds << " bytes";
    for (int i = 0; i < kBurst; ++i)
        SendFromPeer(Pattern(kReplySize));
    int received = 0;
    std::vector<std::byte> datagram;
    while (WaitAndReceive(datagram) == static_cast<int>(kReplySize))
        ++received;
    EXPECT_EQ(received, kBurst) << "replies lost while nobody read";
}

// Only in the run's own namespaces (SEARCH_NETNS=1), whose interfaces are known: every address
// but loopback's, each one a socket can be bound to. Nothing is sent.
TEST(PosixNetworkNamespace, TheLocalAddressesAreTheInterfacesAddresses) {
    const char* inNamespace = std::getenv("SEARCH_NETNS");
    if (inNamespace == nullptr || std::string(inNamespace) != "1")
        GTEST_SKIP() << "runs only with SEARCH_NETNS=1 in a test namespace";
    PosixNetwork network;
    const auto addresses = network.LocalAddresses();
    ASSERT_FALSE(addresses.empty());
    for (const std::uint32_t address : addresses) {
        SCOPED_TRACE(FormatIPv4(address));
        EXPECT_NE(address >> 24, 127u);
        const SocketHandle socket = network.OpenBroadcastSocket(address);
        EXPECT_NE(socket, kInvalidSocket);
        network.Close(socket);
    }
}

} // namespace
} // namespace discovery

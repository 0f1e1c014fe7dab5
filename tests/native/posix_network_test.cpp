// PosixNetwork on real sockets, only in the run's own namespaces (SEARCH_NETNS=1). The search
// over their interfaces is proved end to end by search-cli against the device simulator.
#include "discovery/posix_network.h"

#include "discovery/datagram.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <tuple>

namespace discovery {
namespace {

using namespace std::chrono_literals;
constexpr std::uint32_t kLoopback = 0x7F000001;

bool InTestNamespace() {
    const char* inNamespace = std::getenv("SEARCH_NETNS");
    return inNamespace != nullptr && inNamespace == std::string("1");
}

// A datagram longer than the buffer gives its first bytes and the socket reads on; an empty
// one reads as 0 bytes; a wake-up ends a wait at once, a wait times out with 0 and an empty
// set fails at once. A socket that cannot be opened names the call and errno.
TEST(PosixNetwork, DatagramsOfEveryLengthArriveCutToAReply) {
    if (!InTestNamespace()) {
        GTEST_SKIP() << "runs only with SEARCH_NETNS=1 in a test namespace";
    }
    PosixNetwork network;
    OwnedSocket socket(network, network.OpenBroadcastSocket(kLoopback).value_or(kInvalidSocket));
    OwnedSocket peer(network, network.OpenBroadcastSocket(kLoopback).value_or(kInvalidSocket));
    ASSERT_TRUE(socket.IsOpen() && peer.IsOpen());
    const base::Result<SocketHandle> foreign = network.OpenBroadcastSocket(0xCB007101);
    ASSERT_FALSE(foreign) << "bound to 203.0.113.1, not an address of this host";
    EXPECT_EQ(std::tuple(EADDRNOTAVAIL, std::string("bind")),
              std::tuple(foreign.error().systemError, foreign.error().what));
    sockaddr_in bound{};
    socklen_t size = sizeof bound;
    ASSERT_EQ(
        0, getsockname(static_cast<int>(socket.Get()), reinterpret_cast<sockaddr*>(&bound), &size));
    const base::Result<std::uint32_t> address = network.BoundAddress(socket.Get());
    ASSERT_TRUE(address);
    EXPECT_EQ(*address, kLoopback);

    ReplyRecord buffer{};
    std::vector<bool> readable;
    const SocketHandle set[] = {peer.Get(), socket.Get()};
    EXPECT_EQ(network.Receive(socket.Get(), buffer), 0) << "nothing waiting: no block";
    network.Wake();
    network.Wake();
    EXPECT_EQ(network.WaitReadable(set, 600'000ms, readable), 0) << "woken at once";
    EXPECT_EQ(network.WaitReadable(set, 20ms, readable), 0);
    EXPECT_LT(network.WaitReadable({}, 1000ms, readable), 0);
    for (const std::size_t length :
         {kReplySize, std::size_t{0}, kReplySize + 1, std::size_t{65507}, std::size_t{5}}) {
        SCOPED_TRACE(testing::Message() << length << " bytes");
        std::vector<std::byte> sent(length);
        for (std::size_t i = 0; i < length; ++i) {
            sent[i] = static_cast<std::byte>(i * 7 + 1);
        }
        ASSERT_TRUE(network.SendTo(peer.Get(), sent, kLoopback, ntohs(bound.sin_port)));
        ASSERT_EQ(network.WaitReadable(set, 1000ms, readable), 1);
        EXPECT_EQ(readable, (std::vector{false, true}));
        buffer.fill(std::byte{0});
        const int kept = static_cast<int>(std::min(length, kReplySize));
        ASSERT_EQ(network.Receive(socket.Get(), buffer), kept);
        EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + kept, sent.begin()));
    }
}

// Every address but loopback's, each one a socket can be bound to. Nothing is sent.
TEST(PosixNetwork, TheLocalAddressesAreTheInterfacesAddresses) {
    if (!InTestNamespace()) {
        GTEST_SKIP() << "runs only with SEARCH_NETNS=1 in a test namespace";
    }
    PosixNetwork network;
    const auto addresses = network.LocalAddresses();
    ASSERT_TRUE(addresses && !addresses->empty());
    for (const std::uint32_t address : *addresses) {
        SCOPED_TRACE(FormatIPv4(address));
        EXPECT_NE(address >> 24, 127u);
        EXPECT_TRUE(
            OwnedSocket(network, network.OpenBroadcastSocket(address).value_or(kInvalidSocket))
                .IsOpen());
    }
}

} // namespace
} // namespace discovery

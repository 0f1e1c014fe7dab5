// The discovery sockets as Windows sockets open them: datagrams of every size between two of
// them on the loopback address of the run's own namespace.
#include "discovery/datagram.h"
#include "discovery/winsock_network.h"

#include <winsock2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

TEST(WinsockNetwork, ADatagramLongerThanAReplyIsCutAndTheSocketReadsOn) {
    if (const char* netns = std::getenv("SEARCH_NETNS"); !netns || std::string_view(netns) != "1") {
        GTEST_SKIP() << "opens sockets: only inside the namespaces of a test run";
    }
    WSADATA data{};
    ASSERT_EQ(0, ::WSAStartup(MAKEWORD(2, 2), &data));
    constexpr std::uint32_t kLoopback = 0x7F000001;
    discovery::WinsockNetwork network;
    const discovery::SocketHandle sockets[] = {
        network.OpenBroadcastSocket(kLoopback).value_or(discovery::kInvalidSocket),
        network.OpenBroadcastSocket(kLoopback).value_or(discovery::kInvalidSocket)};
    ASSERT_NE(discovery::kInvalidSocket, sockets[0]);
    ASSERT_NE(discovery::kInvalidSocket, sockets[1]);
    const auto receiver = static_cast<SOCKET>(sockets[0]);
    int buffer = 0, length = sizeof buffer;
    ::getsockopt(receiver, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&buffer), &length);
    EXPECT_EQ(discovery::kReceiveBufferBytes, buffer) << "SO_RCVBUF";
    sockaddr_in bound{};
    length = sizeof bound;
    ASSERT_EQ(0, ::getsockname(receiver, reinterpret_cast<sockaddr*>(&bound), &length));

    for (const std::size_t size : {1, 207, 208, 209, 1500, 20}) {
        SCOPED_TRACE(testing::Message() << "a datagram of " << size << " bytes");
        const std::vector<std::byte> sent(size, std::byte{static_cast<unsigned char>(size)});
        ASSERT_TRUE(network.SendTo(sockets[1], sent, kLoopback, ntohs(bound.sin_port)));
        std::vector<bool> readable;
        ASSERT_EQ(1, network.WaitReadable({sockets, 1}, std::chrono::seconds(5), readable));
        std::vector<std::byte> buffer(discovery::kReplySize);
        const std::size_t kept = std::min(size, discovery::kReplySize);
        ASSERT_EQ(static_cast<int>(kept), network.Receive(sockets[0], buffer));
        EXPECT_TRUE(std::equal(sent.begin(), sent.begin() + kept, buffer.begin()));
    }
    for (const discovery::SocketHandle socket : sockets) {
        network.Close(socket);
    }
    ::WSACleanup();
}

} // namespace

// The discovery sockets as Windows sockets open them, bound to the loopback address. Datagrams
// go only from loopback to loopback, and only inside the run's namespaces.
#include "discovery/datagram.h"
#include "discovery/winsock_network.h"

#include <winsock2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;

class WinsockSocketTest : public testing::Test {
protected:
    void SetUp() override {
        WSADATA data{};
        ASSERT_EQ(0, ::WSAStartup(MAKEWORD(2, 2), &data));
        m_started = true;
    }
    void TearDown() override {
        if (m_socket != discovery::kInvalidSocket) {
            m_network.Close(m_socket);
        }
        if (m_started) {
            ::WSACleanup();
        }
    }

    // The socket's value of a SOL_SOCKET option that is a 4-byte integer; -1 when unreadable.
    int IntOption(int option) const {
        int value = 0;
        int length = sizeof value;
        if (::getsockopt(static_cast<SOCKET>(m_socket), SOL_SOCKET, option,
                         reinterpret_cast<char*>(&value), &length) != 0) {
            return -1;
        }
        return value;
    }

    discovery::WinsockNetwork m_network;
    discovery::SocketHandle m_socket = discovery::kInvalidSocket;
    bool m_started = false;
};

TEST_F(WinsockSocketTest, ADiscoverySocketMayBroadcastAndAsksForALargeReceiveBuffer) {
    m_socket = m_network.OpenBroadcastSocket(kLoopback);
    ASSERT_NE(discovery::kInvalidSocket, m_socket) << "error " << ::WSAGetLastError();
    EXPECT_NE(0, IntOption(SO_BROADCAST));
    EXPECT_EQ(discovery::kReceiveBufferBytes, IntOption(SO_RCVBUF));
}

TEST_F(WinsockSocketTest, ALongDatagramGivesItsFirstBytesAndTheSocketReadsOn) {
    const char* inNamespace = std::getenv("SEARCH_NETNS");
    if (inNamespace == nullptr || std::string(inNamespace) != "1") {
        GTEST_SKIP() << "sends datagrams: runs only inside the run's namespaces (SEARCH_NETNS=1)";
    }
    m_socket = m_network.OpenBroadcastSocket(kLoopback);
    ASSERT_NE(discovery::kInvalidSocket, m_socket) << "error " << ::WSAGetLastError();
    const discovery::SocketHandle sender = m_network.OpenBroadcastSocket(kLoopback);
    ASSERT_NE(discovery::kInvalidSocket, sender);
    sockaddr_in bound{};
    int length = sizeof bound;
    ASSERT_EQ(0, ::getsockname(static_cast<SOCKET>(m_socket), reinterpret_cast<sockaddr*>(&bound),
                               &length));
    const std::uint16_t port = ntohs(bound.sin_port);

    std::vector<std::byte> datagram(300);
    for (std::size_t i = 0; i < datagram.size(); ++i) {
        datagram[i] = static_cast<std::byte>(i * 7 + 1);
    }
    m_network.SendTo(sender, datagram, kLoopback, port);
    m_network.SendTo(sender, std::span<const std::byte>(datagram).first(5), kLoopback, port);
    m_network.Close(sender);

    // recvfrom fails with WSAEMSGSIZE on the first; the read still counts its 208 bytes.
    const discovery::SocketHandle set[] = {m_socket};
    std::vector<bool> readable;
    discovery::ReplyRecord buffer{};
    ASSERT_EQ(1, m_network.WaitReadable(set, std::chrono::milliseconds(1000), readable));
    ASSERT_EQ(static_cast<int>(buffer.size()), m_network.Receive(m_socket, buffer));
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), datagram.begin()));
    ASSERT_EQ(1, m_network.WaitReadable(set, std::chrono::milliseconds(1000), readable));
    EXPECT_EQ(5, m_network.Receive(m_socket, buffer));
}

} // namespace

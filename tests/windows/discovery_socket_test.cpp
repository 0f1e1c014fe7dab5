// The discovery sockets as Windows sockets open them, bound to the loopback address; nothing is
// sent. Long datagrams over real sockets are proved end to end among a hostile crowd.
#include "discovery/datagram.h"
#include "discovery/winsock_network.h"

#include <winsock2.h>

#include <gtest/gtest.h>

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

} // namespace

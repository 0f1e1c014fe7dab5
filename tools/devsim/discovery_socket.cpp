#include "tools/devsim/discovery_socket.h"

#include "discovery/datagram.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace devsim {
namespace {

// Room for a 10,000-reply burst to queue in the kernel instead of bouncing off a full buffer;
// the kernel caps it at its own maximum, which is fine.
constexpr int kSocketBufferBytes = 4 * 1024 * 1024;

bool SetInt(int socket, int level, int option, int value) {
    return setsockopt(socket, level, option, &value, sizeof value) == 0;
}

// A tool with several addresses sends each multicast copy out of the interface of its socket's
// address, so without --interface the group is joined on every interface of the namespace.
// ip_mreqn names the interface by its address (index 0) or by its index (address 0).
bool JoinGroup(int socket, std::optional<std::uint32_t> interfaceAddress) {
    ip_mreqn membership{};
    membership.imr_multiaddr.s_addr = htonl(discovery::kMulticastGroup);
    const auto join = [&] {
        return setsockopt(socket, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof membership) ==
               0;
    };
    if (interfaceAddress) {
        membership.imr_address.s_addr = htonl(*interfaceAddress);
        return join();
    }
    struct if_nameindex* interfaces = if_nameindex();
    if (interfaces == nullptr) {
        return false;
    }
    bool joined = false;
    for (const struct if_nameindex* i = interfaces; i->if_index != 0; ++i) {
        membership.imr_ifindex = static_cast<int>(i->if_index);
        joined |= join();
    }
    if_freenameindex(interfaces);
    return joined;
}

} // namespace

base::Result<UniqueFd> OpenDiscoverySocket(std::optional<std::uint32_t> interfaceAddress) {
    const auto fail = [](const char* what) { return base::Failure{errno, what}; };
    UniqueFd socket(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket) {
        return fail("socket");
    }
    if (!SetInt(socket.Get(), SOL_SOCKET, SO_REUSEADDR, 1)) {
        return fail("SO_REUSEADDR");
    }
    if (!SetInt(socket.Get(), IPPROTO_IP, IP_PKTINFO, 1)) {
        return fail("IP_PKTINFO");
    }
    // Best effort: a smaller buffer only means more Busy sends.
    SetInt(socket.Get(), SOL_SOCKET, SO_SNDBUF, kSocketBufferBytes);
    SetInt(socket.Get(), SOL_SOCKET, SO_RCVBUF, kSocketBufferBytes);

    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(discovery::DISCOVERY_PORT);
    if (bind(socket.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        return fail("bind 0.0.0.0:6789");
    }
    if (!JoinGroup(socket.Get(), interfaceAddress)) {
        return fail("joining 224.111.111.1");
    }
    return socket;
}

ReceiveStatus ReceiveDatagram(int socket, std::span<std::byte> buffer, ReceivedDatagram& datagram) {
    sockaddr_in source{};
    iovec data{buffer.data(), buffer.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    message.msg_name = &source;
    message.msg_namelen = sizeof source;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;

    ssize_t length = 0;
    do {
        length = recvmsg(socket, &message, MSG_TRUNC);
    } while (length < 0 && errno == EINTR);
    if (length < 0) {
        return errno == EAGAIN || errno == EWOULDBLOCK ? ReceiveStatus::kEmpty
                                                       : ReceiveStatus::kFailed;
    }

    datagram.length = static_cast<std::size_t>(length);
    datagram.source = Endpoint{ntohl(source.sin_addr.s_addr), ntohs(source.sin_port)};
    datagram.destination = 0;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            // ipi_addr is the destination in the IP header: the group, the broadcast or ours.
            datagram.destination = ntohl(info.ipi_addr.s_addr);
        }
    }
    return ReceiveStatus::kReceived;
}

SendStatus SocketSender::Send(std::span<const std::byte> datagram, Endpoint destination) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(destination.address);
    to.sin_port = htons(destination.port);
    ssize_t sent = 0;
    do {
        sent = sendto(m_socket, datagram.data(), datagram.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                      reinterpret_cast<const sockaddr*>(&to), sizeof to);
    } while (sent < 0 && errno == EINTR);
    if (sent >= 0) {
        return SendStatus::kSent;
    }
    m_lastError = errno;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS) {
        return SendStatus::kBusy;
    }
    return SendStatus::kFailed;
}

} // namespace devsim

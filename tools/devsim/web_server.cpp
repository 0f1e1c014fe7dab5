#include "tools/devsim/web_server.h"

#include "discovery/ip_text.h"
#include "tools/devsim/device_fields.h"
#include "tools/devsim/log_format.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>

#include <cerrno>

namespace devsim {
namespace {

constexpr int kBacklog = 16;
constexpr std::size_t kReadChunk = 4096;
constexpr int kMaxPort = 65535;

std::string SocketName(int fd, bool peer) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    const int result = peer ? getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length)
                            : getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    if (result != 0) {
        return "?";
    }
    return FormatEndpoint(Endpoint{ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)});
}

} // namespace

WebServer::WebServer(EventLoop& loop, DeviceTable& table, LogSink& log, const Options& options)
    : m_loop(loop), m_table(table), m_log(log), m_options(options), m_wifi(table.size()) {}

void WebServer::Start() {
    for (std::size_t device = 0; device < m_table.size(); ++device) {
        if (BehaviourFor(m_options.webBehaviours, m_table[device].reply.deviceAddress,
                         WebCommand::kOther) != WebBehaviour::kNoListener) {
            Listen(device);
        }
    }
}

void WebServer::Listen(std::size_t device) {
    const discovery::SearchReply& d = m_table[device].reply;
    const auto address = discovery::ParseStrictIPv4Text(d.deviceAddress);
    if (!address || d.httpPort <= 0 || d.httpPort > kMaxPort) {
        return;
    }
    UniqueFd fd(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int on = 1;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(*address);
    local.sin_port = htons(static_cast<std::uint16_t>(d.httpPort));
    // IP_FREEBIND: the device's address need not exist in the namespace (yet); a device whose
    // address was never added just cannot be reached.
    if (!fd || setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        setsockopt(fd.Get(), IPPROTO_IP, IP_FREEBIND, &on, sizeof on) != 0 ||
        bind(fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        listen(fd.Get(), kBacklog) != 0) {
        m_log.Error("listen " + d.deviceAddress, errno);
        return;
    }
    const int listener = fd.Get();
    const auto watched = m_loop.Watch(
        listener, EPOLLIN, [this, device, listener](std::uint32_t) { Accept(device, listener); });
    if (!watched) {
        m_log.Error(watched.error().what, watched.error().systemError);
        return;
    }
    m_listeners[device] = std::move(fd);
}

void WebServer::Accept(std::size_t device, int listener) {
    for (;;) {
        UniqueFd fd(accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd) {
            return;
        }
        const int key = fd.Get();
        Connection connection;
        connection.device = device;
        connection.id = m_nextConnection++;
        connection.peer = SocketName(key, true);
        connection.local = SocketName(key, false);
        connection.fd = std::move(fd);
        if (!m_loop.Watch(key, EPOLLIN | EPOLLRDHUP,
                          [this, key](std::uint32_t) { OnReadable(key); })) {
            continue;
        }
        m_connections.emplace(key, std::move(connection));
    }
}

void WebServer::OnReadable(int fd) {
    const auto found = m_connections.find(fd);
    if (found == m_connections.end()) {
        return;
    }
    Connection& connection = found->second;
    char chunk[kReadChunk];
    for (;;) {
        const ssize_t received = recv(fd, chunk, sizeof chunk, 0);
        if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        }
        if (received <= 0) {
            // The client closed (or reset) its side: the connection is over.
            Close(fd);
            return;
        }
        if (!connection.answered) {
            connection.request.append(chunk, static_cast<std::size_t>(received));
        }
    }
    if (connection.answered) {
        return;
    }
    if (IsCompleteRequest(connection.request)) {
        connection.answered = true;
        Answer(connection);
    } else if (connection.request.size() > kMaxWebRequestBytes) {
        Close(fd);
    }
}

std::size_t WebServer::OpenConnections(std::size_t device) const {
    std::size_t open = 0;
    for (const auto& [fd, connection] : m_connections) {
        open += connection.device == device ? 1 : 0;
    }
    return open;
}

void WebServer::Answer(Connection& connection) {
    const std::size_t device = connection.device;
    const WebRequest request = ParseWebRequest(connection.request);
    const WebBehaviour behaviour =
        BehaviourFor(m_options.webBehaviours, m_table[device].reply.deviceAddress, request.command);
    // open: the device's connections not yet closed by their clients, this one too.
    m_log.Event("http", {"conn", connection.id, "src", connection.peer, "dst", connection.local,
                         "cmd", NameOf(kWebCommands, request.command, "other"), "behaviour",
                         NameOf(kWebBehaviours, behaviour), "open", OpenConnections(device), "len",
                         connection.request.size(), "request", connection.request});
    switch (behaviour) {
    case WebBehaviour::kSilent:
        return;
    case WebBehaviour::kUnauthorized:
        Send(connection, ReplyHead("401 Unauthorized", 0), true);
        return;
    case WebBehaviour::kLongReply:
        Send(connection, LongReply(), true);
        return;
    default:
        break;
    }
    if (request.command == WebCommand::kSave && request.settings) {
        m_wifi[device] = *request.settings;
    }
    const std::string body = ReplyBody(request.command, behaviour, m_wifi[device]);
    const bool known = request.command != WebCommand::kOther &&
                       (request.command != WebCommand::kSave || request.settings);
    const std::string head = ReplyHead(known ? "200 OK" : "404 Not Found", body.size());
    const bool reboot = request.command == WebCommand::kReboot;
    if (behaviour == WebBehaviour::kSplit) {
        Send(connection, head, false);
        const int fd = connection.fd.Get();
        connection.timer =
            m_loop.AddTimer(EventLoop::Clock::now() + kSplitPause, [this, fd, body, reboot] {
                const auto found = m_connections.find(fd);
                if (found == m_connections.end()) {
                    return;
                }
                found->second.timer.reset();
                Send(found->second, body, true);
                if (reboot) {
                    Restart(found->second.device);
                }
            });
        return;
    }
    Send(connection, head + body, behaviour != WebBehaviour::kKeepOpen);
    if (reboot) {
        Restart(device);
    }
}

// `last`: the server closes its side after these bytes (the client still closes its own).
void WebServer::Send(Connection& connection, std::string_view bytes, bool last) {
    const ssize_t sent = send(connection.fd.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent != static_cast<ssize_t>(bytes.size())) {
        m_log.Error("send", sent < 0 ? errno : EMSGSIZE);
    }
    if (last) {
        shutdown(connection.fd.Get(), SHUT_WR);
    }
}

void WebServer::Close(int fd) {
    const auto found = m_connections.find(fd);
    if (found == m_connections.end()) {
        return;
    }
    if (found->second.timer) {
        m_loop.CancelTimer(*found->second.timer);
    }
    m_log.Event("close", {"conn", found->second.id});
    m_loop.Unwatch(fd);
    m_connections.erase(found);
}

void WebServer::Restart(std::size_t device) {
    m_table.SetRestarting(device, true);
    if (const auto listener = m_listeners.find(device); listener != m_listeners.end()) {
        m_loop.Unwatch(listener->second.Get());
        m_listeners.erase(listener);
    }
    const std::string& address = m_table[device].reply.deviceAddress;
    m_log.Event("restart", {"device", address, "silent_ms", m_options.restartTime.count()});
    m_loop.AddTimer(EventLoop::Clock::now() + m_options.restartTime, [this, device] {
        m_table.SetRestarting(device, false);
        Listen(device);
        m_log.Event("restarted", {"device", m_table[device].reply.deviceAddress});
    });
}

} // namespace devsim

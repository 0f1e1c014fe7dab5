// The devices' web servers: one listening socket per device at the device's own address and
// HTTP port, on the simulator's event loop. They serve the four web commands, keep each
// device's Wi-Fi settings, restart a device on request (silent on discovery and web for a
// while) and misbehave as --web-behaviour tells them. Every request is logged with its bytes.
#pragma once

#include "tools/devsim/device_table.h"
#include "tools/devsim/event_loop.h"
#include "tools/devsim/log_sink.h"
#include "tools/devsim/options.h"
#include "tools/devsim/unique_fd.h"
#include "tools/devsim/web_behaviour.h"
#include "tools/devsim/web_content.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace devsim {

class WebServer {
public:
    // The pause between head and body of the split behaviour.
    static constexpr std::chrono::milliseconds kSplitPause{300};

    // The behaviours come from --web-behaviour, how long a restart lasts from --restart-ms.
    WebServer(EventLoop& loop, DeviceTable& table, LogSink& log, const Options& options);

    // Opens every device's listening socket; a device whose socket cannot be opened is
    // logged and left without one.
    void Start();

private:
    struct Connection {
        UniqueFd fd;
        std::size_t device = 0;
        std::uint64_t id = 0;
        std::string peer;
        std::string local;
        std::string request;
        bool answered = false;
        std::optional<EventLoop::TimerId> timer;
    };

    void Listen(std::size_t device);
    void Accept(std::size_t device, int listener);
    void OnReadable(int fd);
    void Answer(Connection& connection);
    void Send(Connection& connection, std::string_view bytes, bool last);
    void Close(int fd);
    void Restart(std::size_t device);
    [[nodiscard]] std::size_t OpenConnections(std::size_t device) const;

    EventLoop& m_loop;
    DeviceTable& m_table;
    LogSink& m_log;
    const Options& m_options;
    std::vector<WebSettings> m_wifi;
    std::unordered_map<std::size_t, UniqueFd> m_listeners;
    std::unordered_map<int, Connection> m_connections;
    std::uint64_t m_nextConnection = 1;
};

} // namespace devsim

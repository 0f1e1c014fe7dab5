// A single-threaded epoll loop: file descriptors and one-shot timers as events, and SIGINT or
// SIGTERM to end it. The discovery socket and the web servers' sockets live on it.
#pragma once

#include "base/result.h"
#include "tools/devsim/unique_fd.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

namespace devsim {

class EventLoop {
public:
    using Clock = std::chrono::steady_clock;
    using Handler = std::function<void(std::uint32_t events)>;
    // When the timer fires and a sequence number that tells timers of one time apart.
    using TimerId = std::pair<Clock::time_point, std::uint64_t>;

    // Blocks SIGINT and SIGTERM so that they arrive only through the loop; call it before
    // any other thread exists. A failure names the call that could not make a descriptor.
    [[nodiscard]] base::Result<void> Open();

    // Calls `handler` with the events of `fd` from now on; fails as epoll_ctl does.
    [[nodiscard]] base::Result<void> Watch(int fd, std::uint32_t events, Handler handler);
    void Unwatch(int fd);

    TimerId AddTimer(Clock::time_point when, std::function<void()> callback);
    void CancelTimer(TimerId id);

    // Runs until SIGINT or SIGTERM comes, or fails when waiting fails.
    [[nodiscard]] base::Result<void> Run();

private:
    void ArmTimer();
    void RunDueTimers();
    void ReadSignals();

    UniqueFd m_epoll;
    UniqueFd m_timer;
    UniqueFd m_signals;
    std::unordered_map<int, Handler> m_handlers;
    std::map<TimerId, std::function<void()>> m_timers;
    std::uint64_t m_nextTimer = 1;
    bool m_running = false;
};

} // namespace devsim

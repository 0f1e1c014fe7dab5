#include "tools/devsim/event_loop.h"

#include <sys/epoll.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <ctime>

namespace devsim {
namespace {

constexpr int kMaxEventsPerWait = 64;

// The call that just failed, with errno.
base::Failure Failed(const char* call) {
    return {errno, call};
}

// A steady_clock time (CLOCK_MONOTONIC on Linux) as timerfd wants it. A zero timespec would
// disarm the timer instead of firing it, so times at or before the epoch become 1 ns.
timespec ToTimespec(std::chrono::nanoseconds sinceEpoch) {
    if (sinceEpoch <= std::chrono::nanoseconds::zero()) {
        return timespec{0, 1};
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch);
    const auto rest = sinceEpoch - seconds;
    return timespec{static_cast<std::time_t>(seconds.count()), static_cast<long>(rest.count())};
}

} // namespace

base::Result<void> EventLoop::Open() {
    m_epoll = UniqueFd(epoll_create1(EPOLL_CLOEXEC));
    if (!m_epoll) {
        return Failed("epoll_create1");
    }
    m_timer = UniqueFd(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC));
    if (!m_timer) {
        return Failed("timerfd_create");
    }
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGINT);
    sigaddset(&mask, SIGTERM);
    if (sigprocmask(SIG_BLOCK, &mask, nullptr) != 0) {
        return Failed("sigprocmask");
    }
    m_signals = UniqueFd(signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!m_signals) {
        return Failed("signalfd");
    }
    if (auto watched = Watch(m_timer.Get(), EPOLLIN, [this](std::uint32_t) { RunDueTimers(); });
        !watched) {
        return watched;
    }
    return Watch(m_signals.Get(), EPOLLIN, [this](std::uint32_t) { ReadSignals(); });
}

base::Result<void> EventLoop::Watch(int fd, std::uint32_t events, Handler handler) {
    epoll_event event{};
    event.events = events;
    event.data.fd = fd;
    if (epoll_ctl(m_epoll.Get(), EPOLL_CTL_ADD, fd, &event) != 0) {
        return Failed("epoll_ctl");
    }
    m_handlers[fd] = std::move(handler);
    return {};
}

void EventLoop::Unwatch(int fd) {
    epoll_ctl(m_epoll.Get(), EPOLL_CTL_DEL, fd, nullptr);
    m_handlers.erase(fd);
}

EventLoop::TimerId EventLoop::AddTimer(Clock::time_point when, std::function<void()> callback) {
    const TimerId id{when, m_nextTimer++};
    m_timers.emplace(id, std::move(callback));
    ArmTimer();
    return id;
}

void EventLoop::CancelTimer(TimerId id) {
    if (m_timers.erase(id) > 0) {
        ArmTimer();
    }
}

void EventLoop::ArmTimer() {
    itimerspec deadline{};
    if (!m_timers.empty()) {
        deadline.it_value = ToTimespec(m_timers.begin()->first.first.time_since_epoch());
    }
    // An all-zero it_value disarms the timer, which is what an empty list wants.
    timerfd_settime(m_timer.Get(), TFD_TIMER_ABSTIME, &deadline, nullptr);
}

void EventLoop::RunDueTimers() {
    std::uint64_t expirations = 0;
    [[maybe_unused]] const auto ignored = read(m_timer.Get(), &expirations, sizeof expirations);
    const Clock::time_point now = Clock::now();
    // A callback may add or cancel timers, so take one due timer at a time.
    while (!m_timers.empty() && m_timers.begin()->first.first <= now) {
        const auto first = m_timers.begin();
        const std::function<void()> callback = std::move(first->second);
        m_timers.erase(first);
        callback();
    }
    ArmTimer();
}

void EventLoop::ReadSignals() {
    signalfd_siginfo info{};
    while (read(m_signals.Get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        m_running = false;
    }
}

base::Result<void> EventLoop::Run() {
    m_running = true;
    std::array<epoll_event, kMaxEventsPerWait> events{};
    while (m_running) {
        const int ready = epoll_wait(m_epoll.Get(), events.data(), kMaxEventsPerWait, -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Failed("epoll_wait");
        }
        for (int i = 0; i < ready && m_running; ++i) {
            const auto handler = m_handlers.find(events[i].data.fd);
            // Copied: a handler may unwatch its own descriptor while it runs.
            if (handler != m_handlers.end()) {
                const Handler call = handler->second;
                call(events[i].events);
            }
        }
    }
    return {};
}

} // namespace devsim

// StopRequest: a flag and a condition variable; the lent wake-up runs under the same lock, so
// that taking it back waits for a call under way.
#include "cli/stop_request.h"

namespace cli {

void StopRequest::Request() {
    std::lock_guard lock(m_mutex);
    m_stop = true;
    m_requested.notify_all();
    if (m_wake) {
        m_wake();
    }
}

bool StopRequest::Requested() const {
    std::lock_guard lock(m_mutex);
    return m_stop;
}

bool StopRequest::WaitUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(m_mutex);
    return m_requested.wait_until(lock, deadline, [this] { return m_stop; });
}

StopRequest::Wake::Wake(StopRequest& stop, std::function<void()> wake) : m_stop(stop) {
    std::lock_guard lock(m_stop.m_mutex);
    m_stop.m_wake = std::move(wake);
}

StopRequest::Wake::~Wake() {
    std::lock_guard lock(m_stop.m_mutex);
    m_stop.m_wake = nullptr;
}

} // namespace cli

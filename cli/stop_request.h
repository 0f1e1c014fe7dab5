// The operator's request to stop a run that goes on until interrupted: made on another thread
// (a signal's or the console's), it ends the waits between searches and, through a wake-up
// the run lends it, a search under way.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace cli {

class StopRequest {
public:
    // From any thread; calls the lent wake-up, if any, before it returns.
    void Request();
    [[nodiscard]] bool Requested() const;
    // Until `deadline` or a request, whichever is first; true on a request.
    [[nodiscard]] bool WaitUntil(std::chrono::steady_clock::time_point deadline);

    // Lends Request() a wake-up for a wait it does not own, for as long as it lives: once
    // destroyed, the wake-up is no longer called nor running.
    class Wake {
    public:
        Wake(StopRequest& stop, std::function<void()> wake);
        ~Wake();
        Wake(const Wake&) = delete;
        Wake& operator=(const Wake&) = delete;

    private:
        StopRequest& m_stop;
    };

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_requested;
    bool m_stop = false;          // guarded by m_mutex
    std::function<void()> m_wake; // guarded by m_mutex, called under it
};

} // namespace cli

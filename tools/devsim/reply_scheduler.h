// Answers search requests on time: one reply per device (then the injected datagrams) for each
// request, each due after its own random delay, and held back while the network is busy.
// Time is passed in, so the pacing needs no sockets or sleeps. The command line sets the
// spread of the delays, their seed, the injected kinds (sent after every device has answered,
// so that a duplicate arrives second) and the gathering of requests.
#pragma once

#include "tools/devsim/device_table.h"
#include "tools/devsim/endpoint.h"
#include "tools/devsim/injection.h"
#include "tools/devsim/options.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <queue>
#include <random>
#include <span>
#include <unordered_map>
#include <vector>

namespace devsim {

enum class SendStatus {
    kSent,
    kBusy,   // the system is out of buffers for now; worth trying again shortly
    kFailed, // trying again will not help
};

class DatagramSender {
public:
    virtual ~DatagramSender() = default;
    virtual SendStatus Send(std::span<const std::byte> datagram, Endpoint destination) = 0;
};

using Clock = std::chrono::steady_clock;

// What became of one request's answers, reported once the last of them is sent or dropped.
struct BurstReport {
    std::uint64_t id = 0;
    Endpoint requester;
    std::size_t replies = 0;
    std::size_t injected = 0;
    std::size_t dropped = 0;
    std::size_t retries = 0;
    Clock::duration took{};
};

class ReplyScheduler {
public:
    // Bounds one Pump so that received datagrams are not starved by a 10,000-reply burst.
    static constexpr std::size_t kMaxSendsPerPump = 256;
    static constexpr std::chrono::milliseconds kBusyRetryDelay{1};
    // Once sends have been refused this long without one getting through, refused datagrams
    // are dropped instead of retried, so a dead network cannot stall the queue for ever.
    static constexpr std::chrono::milliseconds kBusyGiveUp{200};

    // Replies are built when sent, from the table as it is then.
    ReplyScheduler(const DeviceTable& table, const Options& options);

    std::uint64_t ScheduleBurst(Endpoint requester, Clock::time_point now);
    // Sends what is due at `now`; returns the bursts that this call completed.
    std::vector<BurstReport> Pump(Clock::time_point now, DatagramSender& sender);
    // When Pump has work next; nothing when no datagram waits.
    [[nodiscard]] std::optional<Clock::time_point> NextWake() const;
    [[nodiscard]] std::size_t PendingDatagrams() const { return m_queue.size(); }

private:
    struct Entry {
        Clock::time_point due;
        std::uint64_t sequence = 0; // keeps equal due times in scheduling order
        std::uint64_t burst = 0;
        bool injected = false;
        std::size_t index = 0; // device index, or index into the burst's injected datagrams
        auto operator<=>(const Entry&) const = default;
    };
    struct Burst {
        BurstReport report;
        Clock::time_point start;
        std::size_t remaining = 0;
        std::vector<std::vector<std::byte>> injected;
    };

    const DeviceTable& m_table;
    const Options& m_options;
    std::mt19937_64 m_random;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> m_queue;
    std::unordered_map<std::uint64_t, Burst> m_bursts;
    std::uint64_t m_nextBurst = 1;
    std::uint64_t m_nextSequence = 0;
    std::optional<Clock::time_point> m_busySince;
    std::optional<Clock::time_point> m_retryAt;
    // Requests that come before this time are answered together at this time, so that
    // requests from several interfaces are answered by simultaneous bursts.
    std::optional<Clock::time_point> m_gatherEnd;
};

} // namespace devsim

#include "tools/devsim/reply_scheduler.h"

#include <algorithm>

namespace devsim {

ReplyScheduler::ReplyScheduler(const DeviceTable& table, const Options& options)
    : m_table(table), m_options(options), m_random(options.seed) {}

std::uint64_t ReplyScheduler::ScheduleBurst(Endpoint requester, Clock::time_point now) {
    const std::uint64_t id = m_nextBurst++;
    Burst& burst = m_bursts[id];
    burst.report.id = id;
    burst.report.requester = requester;
    burst.start = now;
    for (InjectKind kind : m_options.inject) {
        for (std::vector<std::byte>& datagram : BuildInjected(kind, m_table)) {
            burst.injected.push_back(std::move(datagram));
        }
    }
    burst.remaining = m_table.size() + burst.injected.size();

    Clock::time_point begin = now;
    if (m_options.gather.count() > 0) {
        if (!m_gatherEnd || now >= *m_gatherEnd) {
            m_gatherEnd = now + m_options.gather;
        }
        begin = *m_gatherEnd;
    }
    // Each device answers after a uniformly random delay in [0, spread); zero: all at once.
    const std::chrono::microseconds spread = m_options.spread;
    std::uniform_int_distribution<std::int64_t> delay(
        0, std::max<std::int64_t>(spread.count() - 1, 0));
    // The queue keeps equal due times in the order they were pushed: table order.
    for (std::size_t device = 0; device < m_table.size(); ++device) {
        const auto due =
            spread.count() > 0 ? begin + std::chrono::microseconds(delay(m_random)) : begin;
        m_queue.push(Entry{due, m_nextSequence++, id, false, device});
    }
    for (std::size_t i = 0; i < burst.injected.size(); ++i) {
        m_queue.push(Entry{begin + spread, m_nextSequence++, id, true, i});
    }
    return id;
}

std::vector<BurstReport> ReplyScheduler::Pump(Clock::time_point now, DatagramSender& sender) {
    std::vector<BurstReport> finished;
    if (m_retryAt && now < *m_retryAt) {
        return finished;
    }
    m_retryAt.reset();

    for (std::size_t sends = 0; sends < kMaxSendsPerPump && !m_queue.empty(); ++sends) {
        const Entry entry = m_queue.top();
        if (entry.due > now) {
            break;
        }
        Burst& burst = m_bursts.at(entry.burst);
        SendStatus status = SendStatus::kFailed;
        // A restarting device answers nothing; its place in the burst is still done.
        const bool silent = !entry.injected && m_table[entry.index].restarting;
        if (entry.injected) {
            status = sender.Send(burst.injected[entry.index], burst.report.requester);
        } else if (!silent) {
            const auto reply = discovery::EncodeSearchReply(m_table[entry.index].reply);
            status = sender.Send(reply, burst.report.requester);
        }

        if (status == SendStatus::kBusy) {
            if (!m_busySince) {
                m_busySince = now;
            }
            if (now - *m_busySince < kBusyGiveUp) {
                ++burst.report.retries;
                m_retryAt = now + kBusyRetryDelay;
                break;
            }
        } else if (status == SendStatus::kSent) {
            m_busySince.reset();
        }

        m_queue.pop();
        if (!silent) {
            if (status != SendStatus::kSent) {
                ++burst.report.dropped;
            } else if (entry.injected) {
                ++burst.report.injected;
            } else {
                ++burst.report.replies;
            }
        }
        if (--burst.remaining == 0) {
            burst.report.took = now - burst.start;
            finished.push_back(burst.report);
            m_bursts.erase(entry.burst);
        }
    }
    return finished;
}

std::optional<Clock::time_point> ReplyScheduler::NextWake() const {
    if (m_queue.empty()) {
        return std::nullopt;
    }
    const Clock::time_point due = m_queue.top().due;
    return m_retryAt ? std::max(due, *m_retryAt) : due;
}

} // namespace devsim

#include "discovery/discovery_engine.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

namespace discovery {
namespace {

void SleepFor(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

} // namespace

DiscoveryEngine::DiscoveryEngine(DatagramNetwork& network, Notify notify)
    : DiscoveryEngine(network, std::move(notify), SleepFor) {}

DiscoveryEngine::DiscoveryEngine(DatagramNetwork& network, Notify notify, Sleep sleep)
    : m_network(network), m_notify(std::move(notify)), m_sleep(std::move(sleep)) {}

DiscoveryEngine::~DiscoveryEngine() {
    StopDiscovery();
}

void DiscoveryEngine::Start() {
    if (m_receiver.joinable()) {
        return;
    }
    m_stopRequested = false;
    {
        // A wake-up the stopped receiver left outstanding will never be answered: the records
        // it announced were freed by StopDiscovery. Kept, it would silence every later one.
        std::lock_guard lock(m_queueLock);
        m_wakeOutstanding = false;
    }
    try {
        m_receiver = std::thread(&DiscoveryEngine::ReceiverLoop, this);
    } catch (const std::system_error&) {
        // No receiver: searches still go out, replies are never read. Nothing is reported.
    }
}

BurstResult DiscoveryEngine::SendSearch() {
    std::lock_guard lock(m_sendLock);
    std::optional<base::Failure> openFailure = RefreshSockets();
    Request request = EncodeSearchRequest();
    return SendBurst(request, true, std::move(openFailure));
}

BurstResult DiscoveryEngine::SendAddressChange(const AddressChange& change) {
    std::lock_guard lock(m_sendLock);
    std::optional<base::Failure> openFailure = RefreshSockets();
    Request request = EncodeAddressChange(change);
    return SendBurst(request, false, std::move(openFailure));
}

std::vector<std::unique_ptr<ReplyRecord>> DiscoveryEngine::TakeAllReplies() {
    std::lock_guard lock(m_queueLock);
    m_wakeOutstanding = false;
    m_taken += m_replyQueue.size();
    std::vector<std::unique_ptr<ReplyRecord>> taken(std::make_move_iterator(m_replyQueue.begin()),
                                                    std::make_move_iterator(m_replyQueue.end()));
    m_replyQueue.clear();
    return taken;
}

void DiscoveryEngine::ReturnReplies(std::vector<std::unique_ptr<ReplyRecord>> replies) {
    {
        std::lock_guard lock(m_queueLock);
        m_taken -= replies.size();
        m_replyQueue.insert(m_replyQueue.begin(), std::make_move_iterator(replies.begin()),
                            std::make_move_iterator(replies.end()));
    }
    WakeWindowIfNeeded();
}

std::unique_ptr<ReplyRecord> DiscoveryEngine::TakeOldestReply() {
    std::lock_guard lock(m_queueLock);
    m_wakeOutstanding = false;
    if (m_replyQueue.empty()) {
        return nullptr;
    }
    std::unique_ptr<ReplyRecord> record = std::move(m_replyQueue.front());
    m_replyQueue.pop_front();
    ++m_taken;
    return record;
}

void DiscoveryEngine::StopDiscovery() {
    m_stopRequested = true;
    // Without a running receiver (never started, or already stopped) there is nothing to await.
    // The wake-up ends its wait at once; it then sees the flag before it waits again.
    if (m_receiver.joinable()) {
        m_network.Wake();
        m_receiver.join();
    }
    // The receiver has ended, so the locks are uncontended; they are taken all the same so that
    // the table and the queue are only ever touched under them.
    {
        std::lock_guard lock(m_socketLock);
        for (OwnedEntry& entry : m_sockets) {
            entry.socket.Reset();
        }
    }
    std::lock_guard lock(m_queueLock);
    while (!m_replyQueue.empty()) {
        m_replyQueue.pop_front(); // oldest first; no row is made from them
    }
}

void DiscoveryEngine::PollOnce(std::chrono::milliseconds wait) {
    // The read set: live handles in table order, each once, at most kMaxWatchedSockets.
    std::vector<SocketHandle> set;
    {
        std::lock_guard lock(m_socketLock);
        for (const OwnedEntry& entry : m_sockets) {
            if (!entry.socket.IsOpen()) {
                continue;
            }
            if (std::find(set.begin(), set.end(), entry.socket.Get()) != set.end()) {
                continue;
            }
            if (set.size() == kMaxWatchedSockets) {
                break;
            }
            set.push_back(entry.socket.Get());
        }
    }

    std::vector<bool> readable(set.size(), false);
    int remaining = m_network.WaitReadable(set, wait, readable);
    if (remaining <= 0) {
        // Time-out, or a failed wait (an empty set fails at once): a wake-up that could not
        // be delivered is tried again, then a pause.
        WakeWindowIfNeeded();
        m_sleep(kIdlePause);
        return;
    }

    std::vector<std::unique_ptr<ReplyRecord>> accepted;
    {
        std::lock_guard socketLock(m_socketLock);
        ReadReadySockets(set, readable, remaining, accepted);
    }
    if (!accepted.empty()) {
        std::lock_guard queueLock(m_queueLock);
        m_replyQueue.insert(m_replyQueue.end(), std::make_move_iterator(accepted.begin()),
                            std::make_move_iterator(accepted.end()));
    }
    // Once per cycle, so that a storm that keeps every socket readable cannot hold back the
    // retry of an undelivered wake-up.
    WakeWindowIfNeeded();
}

void DiscoveryEngine::ReadReadySockets(std::span<const SocketHandle> set,
                                       std::vector<bool>& readable, int remaining,
                                       std::vector<std::unique_ptr<ReplyRecord>>& accepted) {
    for (OwnedEntry& entry : m_sockets) {
        if (!entry.socket.IsOpen()) {
            continue;
        }
        const auto slot = std::find(set.begin(), set.end(), entry.socket.Get());
        if (slot == set.end()) {
            continue;
        }
        const auto index = static_cast<std::size_t>(slot - set.begin());
        if (!readable[index]) {
            continue;
        }
        readable[index] = false; // a handle listed twice in the table is read once
        ReadSocket(entry, accepted);
        if (--remaining == 0) {
            break;
        }
    }
}

void DiscoveryEngine::ReadSocket(OwnedEntry& entry,
                                 std::vector<std::unique_ptr<ReplyRecord>>& accepted) {
    for (int read = 0; read < kReadsPerSocket; ++read) {
        const int received = m_network.Receive(entry.socket.Get(), m_receiveBuffer);
        if (received < 0) {
            entry.socket.Reset();
            return;
        }
        if (received == 0) {
            return; // nothing more waits (or a passing error): the next cycle reads on
        }
        const std::span<const std::byte> datagram(
            m_receiveBuffer.data(),
            std::min(static_cast<std::size_t>(received), m_receiveBuffer.size()));
        if (!IsAcceptedReply(datagram)) {
            continue;
        }
        std::unique_ptr<ReplyRecord> record(new (std::nothrow)
                                                ReplyRecord(MakeReplyRecord(datagram)));
        if (record) {
            accepted.push_back(std::move(record));
        }
    }
}

void DiscoveryEngine::WakeWindowIfNeeded() {
    {
        std::lock_guard lock(m_queueLock);
        if (m_replyQueue.empty() || m_wakeOutstanding) {
            return;
        }
        m_wakeOutstanding = true;
    }
    if (m_notify()) {
        return;
    }
    // Not delivered (the window's message queue is full, or it is gone): the next cycle tries
    // again, unless the window thread has taken the records meanwhile.
    std::lock_guard lock(m_queueLock);
    m_wakeOutstanding = false;
}

std::vector<SocketEntry> DiscoveryEngine::SocketTable() const {
    std::lock_guard lock(m_socketLock);
    std::vector<SocketEntry> table;
    table.reserve(m_sockets.size());
    for (const OwnedEntry& entry : m_sockets) {
        table.push_back(SocketEntry{entry.socket.Get(), entry.localAddress});
    }
    return table;
}

std::size_t DiscoveryEngine::TakenReplies() const {
    std::lock_guard lock(m_queueLock);
    return m_taken;
}

std::size_t DiscoveryEngine::QueuedReplies() const {
    std::lock_guard lock(m_queueLock);
    return m_replyQueue.size();
}

std::optional<base::Failure> DiscoveryEngine::RefreshSockets() {
    // An unreadable or empty list (no host name, no addresses) leaves the table as it is.
    const base::Result<std::vector<std::uint32_t>> addresses = m_network.LocalAddresses();
    if (!addresses) {
        return addresses.error();
    }
    std::optional<base::Failure> failure;
    bool added = false;
    {
        std::lock_guard lock(m_socketLock);
        for (const std::uint32_t address : *addresses) {
            if (HasSocketFor(address)) {
                continue;
            }
            base::Result<SocketHandle> opened = m_network.OpenBroadcastSocket(address);
            if (!opened) {
                if (!failure) {
                    failure = opened.error();
                }
                continue;
            }
            m_sockets.push_back(OwnedEntry{OwnedSocket(m_network, *opened), address});
            added = true;
        }
        // Sockets of addresses the host no longer has stay in the table.
    }
    // The receiver may be waiting on the old set for up to kReceiveWait; the new sockets are
    // watched from its next cycle, which this starts now.
    if (added) {
        m_network.Wake();
    }
    return failure;
}

bool DiscoveryEngine::HasSocketFor(std::uint32_t address) {
    for (auto entry = m_sockets.begin(); entry != m_sockets.end();) {
        if (!entry->socket.IsOpen()) {
            entry = m_sockets.erase(entry);
            continue;
        }
        const base::Result<std::uint32_t> bound = m_network.BoundAddress(entry->socket.Get());
        if (bound && *bound == address) {
            return true; // later entries are not visited
        }
        ++entry;
    }
    return false;
}

BurstResult DiscoveryEngine::SendBurst(Request& request, bool writeSender,
                                       std::optional<base::Failure> openFailure) {
    BurstResult result;
    result.openFailure = std::move(openFailure);
    const auto note = [&result](const base::Result<void>& sent) {
        if (!sent && !result.sendFailure) {
            result.sendFailure = sent.error();
        }
        return sent.has_value();
    };
    // m_sendLock (held by the caller) keeps the table's shape, so an entry stays at its index
    // while m_socketLock is let go for the pause; the receiver may only mark it dead meanwhile.
    std::unique_lock lock(m_socketLock);
    for (std::size_t i = 0; i < m_sockets.size(); ++i) {
        if (!m_sockets[i].socket.IsOpen()) {
            continue;
        }
        if (writeSender) {
            SetSenderAddress(request, m_sockets[i].localAddress);
        }
        const bool multicast = note(
            m_network.SendTo(m_sockets[i].socket.Get(), request, kMulticastGroup, DISCOVERY_PORT));
        lock.unlock();
        m_sleep(kBurstPause);
        lock.lock();
        // A socket whose read failed during the pause is closed: its second copy stays unsent.
        const bool broadcast = m_sockets[i].socket.IsOpen() &&
                               note(m_network.SendTo(m_sockets[i].socket.Get(), request,
                                                     kBroadcastAddress, DISCOVERY_PORT));
        ++result.sockets;
        result.silentSockets += multicast || broadcast ? 0 : 1;
    }
    return result;
}

void DiscoveryEngine::ReceiverLoop() {
    while (!m_stopRequested) {
        PollOnce(kReceiveWait);
    }
}

} // namespace discovery

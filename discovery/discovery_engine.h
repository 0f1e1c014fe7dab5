// The discovery engine: one UDP socket per local IPv4 address, the search and address-change
// bursts, and the receiver thread that queues accepted replies and notifies the window thread.
#pragma once

#include "discovery/datagram.h"
#include "discovery/datagram_network.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace discovery {

struct SocketEntry {
    SocketHandle socket = kInvalidSocket; // kInvalidSocket marks a dead entry
    std::uint32_t localAddress = 0;
};

inline constexpr std::size_t kMaxWatchedSockets = 64;
inline constexpr std::chrono::milliseconds kReceiveWait{1000};
inline constexpr std::chrono::milliseconds kIdlePause{10};
inline constexpr std::chrono::milliseconds kBurstPause{50};

class DiscoveryEngine {
public:
    // Called on the receiver thread, never under queueLock: with the record just queued, or
    // with nullptr as a reminder that records still wait. It must not block (the window
    // posts WM_DEVICE_REPLY).
    using Notify = std::function<void(const ReplyRecord* queued)>;
    using Sleep = std::function<void(std::chrono::milliseconds)>;

    DiscoveryEngine(DatagramNetwork& network, Notify notify);
    // Tests pass a sleep that records or shortens the pauses.
    DiscoveryEngine(DatagramNetwork& network, Notify notify, Sleep sleep);
    ~DiscoveryEngine();
    DiscoveryEngine(const DiscoveryEngine&) = delete;
    DiscoveryEngine& operator=(const DiscoveryEngine&) = delete;

    // Clears both flags and starts the receiver thread.
    void Start();
    // Refreshes the sockets and sends one search request from each live socket, to the
    // multicast group, then after kBurstPause to the broadcast address.
    void SendSearch();
    // The same burst with an address-change request.
    void SendAddressChange(const AddressChange& change);
    // The oldest queued reply, or nullptr when none waits (window thread).
    [[nodiscard]] std::unique_ptr<ReplyRecord> TakeOldestReply();
    // Ends the receiver thread, closes every socket and frees the queued records.
    void StopDiscovery();

    // One cycle of the receiver loop; the thread runs it until stopRequested is set.
    void PollOnce(std::chrono::milliseconds wait);

    // For tests and benchmarks: copies taken under the locks.
    [[nodiscard]] std::vector<SocketEntry> SocketTable() const;
    [[nodiscard]] std::size_t QueuedReplies() const;

private:
    void RefreshSockets();
    bool HasSocketFor(std::uint32_t address); // socketLock held
    void SendBurst(Request& request, bool writeSender);
    void ReceiverLoop();

    DatagramNetwork& m_network;
    Notify m_notify;
    Sleep m_sleep;

    std::vector<SocketEntry> m_sockets; // guarded by m_socketLock
    mutable std::mutex m_socketLock;
    std::deque<std::unique_ptr<ReplyRecord>> m_replyQueue; // guarded by m_queueLock
    mutable std::mutex m_queueLock;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_receiverExited{false};
    std::thread m_receiver;
    ReplyRecord m_receiveBuffer{}; // receiver thread only
};

} // namespace discovery

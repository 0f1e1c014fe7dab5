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
#include <optional>
#include <thread>
#include <vector>

namespace discovery {

// A row of the socket table as tests and the command line see it.
struct SocketEntry {
    SocketHandle socket = kInvalidSocket; // kInvalidSocket marks a dead entry
    std::uint32_t localAddress = 0;
};

// How one burst went. The window does not look (its sends are not examined); the command line
// tells a network fault from an empty network by it, and says why.
struct BurstResult {
    std::size_t sockets = 0;       // live sockets the burst was sent from
    std::size_t silentSockets = 0; // of those, the ones from which neither copy went out
    // The first send that failed; none when every send went out.
    std::optional<base::Failure> sendFailure;
    // The burst's refresh: the first local address without a socket, or the address list that
    // could not be read; none when nothing failed.
    std::optional<base::Failure> openFailure;
};

inline constexpr std::size_t kMaxWatchedSockets = 64;
// Datagrams read from one readable socket per cycle: a crowd answering at once is read in
// few cycles, and one busy socket still cannot starve the others for long.
inline constexpr int kReadsPerSocket = 64;
inline constexpr std::chrono::milliseconds kReceiveWait{1000};
inline constexpr std::chrono::milliseconds kIdlePause{10};
inline constexpr std::chrono::milliseconds kBurstPause{50};

class DiscoveryEngine {
public:
    // Wakes the window thread: called on the receiver thread, never under a lock, when records
    // wait and no wake-up is outstanding. It must not block (the window posts
    // WM_DEVICE_REPLY) and returns whether the wake-up was delivered. A wake-up stays
    // outstanding until the window thread takes records; one that was not delivered is tried
    // again at the end of every receiver cycle. So at most one wake-up is ever on its way,
    // however many replies arrive: a thread's queue of posted messages is bounded (10,000 on
    // Windows) and could otherwise overflow and lose replies.
    using Notify = std::function<bool()>;
    using Sleep = std::function<void(std::chrono::milliseconds)>;

    DiscoveryEngine(DatagramNetwork& network, Notify notify);
    // Tests pass a sleep that records or shortens the pauses.
    DiscoveryEngine(DatagramNetwork& network, Notify notify, Sleep sleep);
    ~DiscoveryEngine();
    DiscoveryEngine(const DiscoveryEngine&) = delete;
    DiscoveryEngine& operator=(const DiscoveryEngine&) = delete;

    // Clears the stop flag and any wake-up left outstanding by an earlier run, and starts the
    // receiver thread.
    void Start();
    // Refreshes the sockets and sends one search request from each live socket, to the
    // multicast group, then after kBurstPause to the broadcast address. The socket table is
    // not locked during the pauses, so the receiver reads the replies as they come.
    BurstResult SendSearch();
    // The same burst with an address-change request.
    BurstResult SendAddressChange(const AddressChange& change);
    // Every queued reply, oldest first (window thread, once per wake-up).
    [[nodiscard]] std::vector<std::unique_ptr<ReplyRecord>> TakeAllReplies();
    // Puts replies the window thread took but could not handle yet back at the head of the
    // queue, in their order, and wakes the window for them (window thread).
    void ReturnReplies(std::vector<std::unique_ptr<ReplyRecord>> replies);
    // The oldest queued reply, or nullptr when none waits. A caller that takes one at a time
    // takes until nullptr after each wake-up; the next wake-up comes with the next reply.
    [[nodiscard]] std::unique_ptr<ReplyRecord> TakeOldestReply();
    // Wakes the receiver thread out of its wait and awaits its end, then closes every socket
    // and frees the queued records.
    void StopDiscovery();

    // One cycle of the receiver loop; the thread runs it until stopRequested is set.
    void PollOnce(std::chrono::milliseconds wait);

    // For tests and benchmarks: copies taken under the locks.
    [[nodiscard]] std::vector<SocketEntry> SocketTable() const;
    [[nodiscard]] std::size_t QueuedReplies() const;
    // Replies the window thread has taken since the engine was made.
    [[nodiscard]] std::size_t TakenReplies() const;

private:
    // The table's own row: the socket is closed when the entry dies or the engine stops.
    struct OwnedEntry {
        OwnedSocket socket; // closed marks a dead entry
        std::uint32_t localAddress = 0;
    };

    // The first failure, if any, of the sockets' opening (or of the address list).
    std::optional<base::Failure> RefreshSockets();
    bool HasSocketFor(std::uint32_t address); // socketLock held
    BurstResult SendBurst(Request& request, bool writeSender,
                          std::optional<base::Failure> openFailure);
    void ReceiverLoop();
    // The read walk of one cycle (socketLock held): up to kReadsPerSocket datagrams from each
    // readable socket, the accepted ones appended to `accepted`.
    void ReadReadySockets(std::span<const SocketHandle> set, std::vector<bool>& readable,
                          int remaining, std::vector<std::unique_ptr<ReplyRecord>>& accepted);
    // Reads one readable socket until it has nothing more or the cycle's share is read.
    void ReadSocket(OwnedEntry& entry, std::vector<std::unique_ptr<ReplyRecord>>& accepted);
    // Calls m_notify when records wait and no wake-up is outstanding.
    void WakeWindowIfNeeded();

    DatagramNetwork& m_network;
    Notify m_notify;
    Sleep m_sleep;

    // Held through a whole burst or refresh: the socket table changes shape (entries added or
    // removed) only under it, so a burst may let go of m_socketLock during its pauses. Taken
    // before m_socketLock; the receiver never takes it.
    std::mutex m_sendLock;
    std::vector<OwnedEntry> m_sockets; // guarded by m_socketLock
    mutable std::mutex m_socketLock;
    std::deque<std::unique_ptr<ReplyRecord>> m_replyQueue; // guarded by m_queueLock
    mutable std::mutex m_queueLock;
    bool m_wakeOutstanding = false; // guarded by m_queueLock
    std::size_t m_taken = 0;        // guarded by m_queueLock
    std::atomic<bool> m_stopRequested{false};
    std::thread m_receiver;
    ReplyRecord m_receiveBuffer{}; // receiver thread only
};

} // namespace discovery

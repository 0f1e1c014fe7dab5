// A scripted DatagramNetwork for the engine's tests: it hands out numbered socket handles,
// records every call, and delivers datagrams (or read failures) that the test queues on a socket.
// Every member is safe to call from several threads (test, receiver, producer).
#pragma once

#include "discovery/datagram_network.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace discovery_test {

using discovery::DatagramNetwork;
using discovery::kInvalidSocket;
using discovery::SocketHandle;

class FakeNetwork final : public DatagramNetwork {
public:
    struct SentDatagram {
        SocketHandle socket = kInvalidSocket;
        std::vector<std::byte> bytes;
        std::uint32_t address = 0;
        std::uint16_t port = 0;
    };

    // --- Script ---------------------------------------------------------------------------

    void SetLocalAddresses(std::vector<std::uint32_t> addresses) {
        std::lock_guard lock(m_mutex);
        m_localAddresses = std::move(addresses);
    }
    // OpenBroadcastSocket fails for this address (socket, option or bind).
    void FailOpenFor(std::uint32_t address) {
        std::lock_guard lock(m_mutex);
        m_failOpen.insert(address);
    }
    void AllowOpenFor(std::uint32_t address) {
        std::lock_guard lock(m_mutex);
        m_failOpen.erase(address);
    }
    // BoundAddress fails for this socket.
    void FailBoundAddressFor(SocketHandle socket) {
        std::lock_guard lock(m_mutex);
        m_failBound.insert(socket);
    }
    // A datagram waiting on the socket; it makes the socket readable.
    void QueueDatagram(SocketHandle socket, std::vector<std::byte> bytes) {
        {
            std::lock_guard lock(m_mutex);
            m_sockets[socket].inbound.push_back(std::move(bytes));
        }
        m_arrived.notify_all();
    }
    // The next read on the socket fails; the socket is readable until then.
    void QueueReadFailure(SocketHandle socket) {
        {
            std::lock_guard lock(m_mutex);
            m_sockets[socket].inbound.push_back(std::nullopt);
        }
        m_arrived.notify_all();
    }
    // How long WaitReadable really blocks when nothing is readable (the requested time-out is
    // recorded, not waited). Zero returns at once, which suits tests that call PollOnce.
    void SetIdleWaitCap(std::chrono::milliseconds cap) {
        std::lock_guard lock(m_mutex);
        m_idleWaitCap = cap;
    }

    // --- Records --------------------------------------------------------------------------

    std::vector<SocketHandle> OpenedSockets() const {
        std::lock_guard lock(m_mutex);
        return m_opened;
    }
    std::vector<SocketHandle> ClosedSockets() const {
        std::lock_guard lock(m_mutex);
        return m_closed;
    }
    std::uint32_t AddressOf(SocketHandle socket) const {
        std::lock_guard lock(m_mutex);
        return m_sockets.at(socket).address;
    }
    std::vector<SentDatagram> Sent() const {
        std::lock_guard lock(m_mutex);
        return m_sent;
    }
    // The read sets of every wait, in call order.
    std::vector<std::vector<SocketHandle>> WaitSets() const {
        std::lock_guard lock(m_mutex);
        return m_waitSets;
    }
    std::size_t WaitCount() const {
        std::lock_guard lock(m_mutex);
        return m_waitSets.size();
    }
    std::vector<std::chrono::milliseconds> WaitTimeouts() const {
        std::lock_guard lock(m_mutex);
        return m_waitTimeouts;
    }
    std::vector<SocketHandle> Reads() const {
        std::lock_guard lock(m_mutex);
        return m_reads;
    }
    std::size_t LocalAddressQueries() const {
        std::lock_guard lock(m_mutex);
        return m_localAddressQueries;
    }
    std::size_t BoundAddressQueries() const {
        std::lock_guard lock(m_mutex);
        return m_boundAddressQueries;
    }
    std::size_t PendingDatagrams(SocketHandle socket) const {
        std::lock_guard lock(m_mutex);
        const auto found = m_sockets.find(socket);
        return found == m_sockets.end() ? 0 : found->second.inbound.size();
    }
    // One line per send and per note (the tests' sleep adds "sleep N"), in call order.
    std::vector<std::string> Log() const {
        std::lock_guard lock(m_mutex);
        return m_log;
    }
    void Note(std::string line) {
        std::lock_guard lock(m_mutex);
        m_log.push_back(std::move(line));
    }

    // --- DatagramNetwork ------------------------------------------------------------------

    std::vector<std::uint32_t> LocalAddresses() override {
        std::lock_guard lock(m_mutex);
        ++m_localAddressQueries;
        return m_localAddresses;
    }

    SocketHandle OpenBroadcastSocket(std::uint32_t address) override {
        std::lock_guard lock(m_mutex);
        if (m_failOpen.count(address) != 0)
            return kInvalidSocket;
        const SocketHandle socket = m_nextHandle++;
        m_sockets[socket].address = address;
        m_opened.push_back(socket);
        return socket;
    }

    bool BoundAddress(SocketHandle socket, std::uint32_t& address) override {
        std::lock_guard lock(m_mutex);
        ++m_boundAddressQueries;
        const auto found = m_sockets.find(socket);
        if (found == m_sockets.end() || found->second.closed || m_failBound.count(socket) != 0)
            return false;
        address = found->second.address;
        return true;
    }

    void SendTo(SocketHandle socket, std::span<const std::byte> datagram, std::uint32_t address,
                std::uint16_t port) override {
        std::lock_guard lock(m_mutex);
        m_sent.push_back({socket, {datagram.begin(), datagram.end()}, address, port});
        m_log.push_back("send " + std::to_string(socket) + " to " + std::to_string(address));
    }

    int WaitReadable(std::span<const SocketHandle> set, std::chrono::milliseconds timeout,
                     std::vector<bool>& readable) override {
        std::unique_lock lock(m_mutex);
        m_waitSets.emplace_back(set.begin(), set.end());
        m_waitTimeouts.push_back(timeout);
        readable.assign(set.size(), false);
        if (set.empty())
            return -1; // as select() with an empty set
        int count = MarkReadable(set, readable);
        if (count == 0 && m_idleWaitCap.count() > 0) {
            m_arrived.wait_for(lock, std::min(m_idleWaitCap, timeout));
            count = MarkReadable(set, readable);
        }
        return count;
    }

    int Receive(SocketHandle socket, std::span<std::byte> buffer) override {
        std::lock_guard lock(m_mutex);
        m_reads.push_back(socket);
        auto& state = m_sockets[socket];
        if (state.closed || state.inbound.empty())
            return -1;
        const std::optional<std::vector<std::byte>> next = std::move(state.inbound.front());
        state.inbound.pop_front();
        if (!next)
            return -1; // a scripted failure
        // A datagram longer than the buffer gives its first bytes, as the real networks do.
        const std::size_t length = std::min(next->size(), buffer.size());
        std::copy_n(next->begin(), length, buffer.begin());
        return static_cast<int>(length);
    }

    void Close(SocketHandle socket) override {
        std::lock_guard lock(m_mutex);
        m_closed.push_back(socket);
        auto& state = m_sockets[socket];
        state.closed = true;
        state.inbound.clear();
    }

private:
    struct SocketState {
        std::uint32_t address = 0;
        bool closed = false;
        std::deque<std::optional<std::vector<std::byte>>> inbound; // nullopt: a read failure
    };

    int MarkReadable(std::span<const SocketHandle> set, std::vector<bool>& readable) {
        int count = 0;
        for (std::size_t i = 0; i < set.size(); ++i) {
            const auto found = m_sockets.find(set[i]);
            if (found != m_sockets.end() && !found->second.closed &&
                !found->second.inbound.empty()) {
                readable[i] = true;
                ++count;
            }
        }
        return count;
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<std::uint32_t> m_localAddresses;
    std::set<std::uint32_t> m_failOpen;
    std::set<SocketHandle> m_failBound;
    std::map<SocketHandle, SocketState> m_sockets;
    SocketHandle m_nextHandle = 100;
    std::chrono::milliseconds m_idleWaitCap{0};

    std::vector<SocketHandle> m_opened;
    std::vector<SocketHandle> m_closed;
    std::vector<SentDatagram> m_sent;
    std::vector<std::vector<SocketHandle>> m_waitSets;
    std::vector<std::chrono::milliseconds> m_waitTimeouts;
    std::vector<SocketHandle> m_reads;
    std::vector<std::string> m_log;
    std::size_t m_localAddressQueries = 0;
    std::size_t m_boundAddressQueries = 0;
};

} // namespace discovery_test

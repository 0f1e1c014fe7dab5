// A scripted DatagramNetwork for the engine's and the main window's tests: numbered socket
// handles, a record of every call, and datagrams (or read failures) queued on a socket by the
// test. Safe from any thread.
#pragma once

#include "discovery/datagram_network.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace discovery_test {

using discovery::SocketHandle;
using Datagram = std::vector<std::byte>;

class FakeNetwork final : public discovery::DatagramNetwork {
public:
    // What the test scripts and what the engine did, in call order.
    struct State {
        std::vector<std::uint32_t> localAddresses;
        std::chrono::milliseconds idleWait{}; // how long an idle wait really blocks
        std::map<SocketHandle, std::uint32_t> boundTo;
        std::map<SocketHandle, std::deque<std::optional<Datagram>>> inbound; // nullopt: failure
        std::vector<SocketHandle> opened, closed, reads;
        std::vector<std::vector<SocketHandle>> waitSets;
        std::vector<Datagram> sent;   // each datagram's socket and address are in `log`
        std::vector<std::string> log; // "send S to A" lines and the tests' notes
        // Sends after the first `sendsThatWork` fail with `sendError` and are not in `sent`.
        std::size_t sendsThatWork = SIZE_MAX;
        int sendError = 0;
        int bindError = 0; // not 0: every socket fails to open with it
        std::size_t sendCalls = 0;
        bool woken = false; // a Wake not yet seen by a wait
        std::size_t wakes = 0;
    };

    // Changes the script under the lock and wakes a waiting receiver.
    template <class Change> void Script(Change change) {
        {
            std::lock_guard lock(m_mutex);
            change(m_state);
        }
        m_arrived.notify_all();
    }
    void QueueDatagram(SocketHandle socket, Datagram datagram) {
        Script([&](State& s) { s.inbound[socket].push_back(std::move(datagram)); });
    }
    void QueueReadFailure(SocketHandle socket) {
        Script([&](State& s) { s.inbound[socket].push_back(std::nullopt); });
    }
    void SetLocalAddresses(std::vector<std::uint32_t> addresses) {
        Script([&](State& s) { s.localAddresses = std::move(addresses); });
    }
    void SetIdleWaitCap(std::chrono::milliseconds cap) {
        Script([&](State& s) { s.idleWait = cap; });
    }
    [[nodiscard]] State Snapshot() const {
        std::lock_guard lock(m_mutex);
        return m_state;
    }
    std::vector<SocketHandle> OpenedSockets() const { return Snapshot().opened; }
    std::vector<SocketHandle> ClosedSockets() const { return Snapshot().closed; }
    std::vector<Datagram> Sent() const { return Snapshot().sent; }
    std::size_t PendingDatagrams(SocketHandle socket) const {
        return Snapshot().inbound[socket].size();
    }

    base::Result<std::vector<std::uint32_t>> LocalAddresses() override {
        return Snapshot().localAddresses;
    }
    base::Result<SocketHandle> OpenBroadcastSocket(std::uint32_t address) override {
        std::lock_guard lock(m_mutex);
        if (m_state.bindError != 0) {
            return base::Failure{m_state.bindError, "bind"};
        }
        const SocketHandle socket = 100 + static_cast<SocketHandle>(m_state.opened.size());
        m_state.opened.push_back(socket);
        m_state.boundTo[socket] = address;
        return socket;
    }
    base::Result<std::uint32_t> BoundAddress(SocketHandle socket) override {
        std::lock_guard lock(m_mutex);
        if (IsClosed(socket)) {
            return base::Failure{.what = "closed"};
        }
        return m_state.boundTo.at(socket);
    }
    base::Result<void> SendTo(SocketHandle socket, std::span<const std::byte> datagram,
                              std::uint32_t address, std::uint16_t) override {
        std::lock_guard lock(m_mutex);
        if (m_state.sendCalls++ >= m_state.sendsThatWork) {
            return base::Failure{m_state.sendError, "sendto"};
        }
        m_state.sent.emplace_back(datagram.begin(), datagram.end());
        m_state.log.push_back("send " + std::to_string(socket) + " to " + std::to_string(address));
        return {};
    }
    int WaitReadable(std::span<const SocketHandle> set, std::chrono::milliseconds timeout,
                     std::vector<bool>& readable) override {
        std::unique_lock lock(m_mutex);
        m_state.waitSets.emplace_back(set.begin(), set.end());
        const auto mark = [&] {
            readable.assign(set.size(), false);
            for (std::size_t i = 0; i < set.size(); ++i) {
                readable[i] = !IsClosed(set[i]) && !m_state.inbound[set[i]].empty();
            }
            return static_cast<int>(std::count(readable.begin(), readable.end(), true));
        };
        if (set.empty()) {
            return -1; // as select() with an empty set
        }
        if (mark() == 0 && !m_state.woken && m_state.idleWait.count() > 0) {
            m_arrived.wait_for(lock, std::min(m_state.idleWait, timeout));
        }
        m_state.woken = false;
        return mark();
    }
    void Wake() override {
        Script([](State& s) { s.woken = true, ++s.wakes; });
    }
    int Receive(SocketHandle socket, std::span<std::byte> buffer) override {
        std::lock_guard lock(m_mutex);
        m_state.reads.push_back(socket);
        auto& inbound = m_state.inbound[socket];
        if (IsClosed(socket)) {
            return -1;
        }
        if (inbound.empty()) {
            return 0; // nothing waits, as a non-blocking read finds
        }
        const std::optional<Datagram> next = std::move(inbound.front());
        inbound.pop_front();
        if (!next) {
            return -1;
        }
        // A datagram longer than the buffer gives its first bytes, as the real networks do.
        const std::size_t length = std::min(next->size(), buffer.size());
        std::copy_n(next->begin(), length, buffer.begin());
        return static_cast<int>(length);
    }
    void Close(SocketHandle socket) override {
        std::lock_guard lock(m_mutex);
        m_state.closed.push_back(socket);
        m_state.inbound[socket].clear();
    }

private:
    bool IsClosed(SocketHandle socket) const {
        return std::count(m_state.closed.begin(), m_state.closed.end(), socket) != 0;
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    State m_state;
};

} // namespace discovery_test

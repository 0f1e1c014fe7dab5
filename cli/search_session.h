// One run's discovery: the engine over the chosen local addresses, searches that collect
// replies for a fixed time through the window's row rules, and address-change bursts.
#pragma once

#include "cli/row_table.h"
#include "discovery/datagram_network.h"
#include "discovery/discovery_engine.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace cli {

// Forwards to the real network but reports only the chosen local addresses, so that the
// engine opens sockets on those alone. An empty choice keeps every address.
class ChosenAddressesNetwork final : public discovery::DatagramNetwork {
public:
    ChosenAddressesNetwork(discovery::DatagramNetwork& network, std::vector<std::uint32_t> chosen);

    std::vector<std::uint32_t> LocalAddresses() override;
    discovery::SocketHandle OpenBroadcastSocket(std::uint32_t address) override {
        return m_network.OpenBroadcastSocket(address);
    }
    bool BoundAddress(discovery::SocketHandle socket, std::uint32_t& address) override {
        return m_network.BoundAddress(socket, address);
    }
    void SendTo(discovery::SocketHandle socket, std::span<const std::byte> datagram,
                std::uint32_t address, std::uint16_t port) override {
        m_network.SendTo(socket, datagram, address, port);
    }
    int WaitReadable(std::span<const discovery::SocketHandle> set,
                     std::chrono::milliseconds timeout, std::vector<bool>& readable) override {
        return m_network.WaitReadable(set, timeout, readable);
    }
    int Receive(discovery::SocketHandle socket, std::span<std::byte> buffer) override {
        return m_network.Receive(socket, buffer);
    }
    void Close(discovery::SocketHandle socket) override { m_network.Close(socket); }

private:
    discovery::DatagramNetwork& m_network;
    std::vector<std::uint32_t> m_chosen;
};

class SearchSession {
public:
    // Called on the caller's thread with the number of rows so far, after each new row.
    using Progress = std::function<void(int rows)>;

    // `interfaces` empty: every local address.
    SearchSession(discovery::DatagramNetwork& network, std::vector<std::uint32_t> interfaces);
    ~SearchSession();
    SearchSession(const SearchSession&) = delete;
    SearchSession& operator=(const SearchSession&) = delete;

    // Checks the chosen addresses against the host's and starts the receiver. Empty on
    // success, else the reason (an address the host does not have, or none at all).
    [[nodiscard]] std::string Start();
    // Clears `rows`, sends one search and fills `rows` with what arrives within `wait`, under
    // the window's acceptance and duplicate rules. Empty, or the reason no request went out.
    [[nodiscard]] std::string Search(std::chrono::milliseconds wait, RowTable& rows,
                                     const Progress& progress);
    // One address-change burst per request, in order. Empty, or the reason none went out.
    [[nodiscard]] std::string
    SendAddressChanges(const std::vector<discovery::AddressChange>& requests);

private:
    [[nodiscard]] std::string NoSocketReason() const;
    void TakeReplies(RowTable& rows, const Progress& progress);

    discovery::DatagramNetwork& m_hostNetwork;
    std::vector<std::uint32_t> m_interfaces;
    ChosenAddressesNetwork m_network;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    bool m_pending = false; // guarded by m_mutex
    discovery::DiscoveryEngine m_engine;
};

} // namespace cli

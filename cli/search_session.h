// One run's discovery: the engine over the chosen local addresses, searches that collect
// replies for a fixed time through the window's row rules, and address-change bursts. A burst
// that went out from no socket is a network fault, told apart from a quiet network.
#pragma once

#include "discovery/datagram_network.h"
#include "discovery/device_rows.h"
#include "discovery/discovery_engine.h"
#include "ippage/address_plan.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cli {

// Forwards to the real network but reports only the chosen local addresses, so that the
// engine opens sockets on those alone. An empty choice keeps every address.
class ChosenAddressesNetwork final : public discovery::DatagramNetwork {
public:
    ChosenAddressesNetwork(discovery::DatagramNetwork& network, std::vector<std::uint32_t> chosen);

    base::Result<std::vector<std::uint32_t>> LocalAddresses() override;
    base::Result<discovery::SocketHandle> OpenBroadcastSocket(std::uint32_t address) override {
        return m_network.OpenBroadcastSocket(address);
    }
    base::Result<std::uint32_t> BoundAddress(discovery::SocketHandle socket) override {
        return m_network.BoundAddress(socket);
    }
    base::Result<void> SendTo(discovery::SocketHandle socket, std::span<const std::byte> datagram,
                              std::uint32_t address, std::uint16_t port) override {
        return m_network.SendTo(socket, datagram, address, port);
    }
    int WaitReadable(std::span<const discovery::SocketHandle> set,
                     std::chrono::milliseconds timeout, std::vector<bool>& readable) override {
        return m_network.WaitReadable(set, timeout, readable);
    }
    void Wake() override { m_network.Wake(); }
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
    // The system's words for an error code of the network.
    using ErrorText = std::function<std::string(int code)>;

    // `interfaces` empty: every local address.
    SearchSession(discovery::DatagramNetwork& network, std::vector<std::uint32_t> interfaces,
                  ErrorText errorText);
    ~SearchSession();
    SearchSession(const SearchSession&) = delete;
    SearchSession& operator=(const SearchSession&) = delete;

    // Checks the chosen addresses against the host's and starts the receiver. Empty on
    // success, else the reason (an address the host does not have, or none at all, and why).
    [[nodiscard]] std::string Start();
    // Clears `rows` and `answering`, sends one search and fills both with what arrives
    // within `wait`: `rows` under the window's acceptance and duplicate rules; `answering`
    // with the address and MAC of every accepted reply, duplicates and unknown classes too (a
    // device of any class holds its address), its address text read strictly (one that does
    // not read holds no address). Empty, or the reason no request went out.
    [[nodiscard]] std::string Search(std::chrono::milliseconds wait, discovery::DeviceRows& rows,
                                     std::vector<ippage::AnsweringDevice>& answering,
                                     const Progress& progress);
    // From any thread: the search under way, and every later one, ends at once with what
    // has been taken.
    void Interrupt();
    // One address-change burst per request, in order, up to the first that went out from no
    // socket; `sent` counts those that went out. Empty, or the reason the next did not.
    [[nodiscard]] std::string
    SendAddressChanges(const std::vector<discovery::AddressChange>& requests, std::size_t& sent);

private:
    // Empty when the burst left from some socket; else the reason, naming `what` was sent and
    // the system's words for why.
    [[nodiscard]] std::string BurstFault(const discovery::BurstResult& burst,
                                         std::string_view what) const;
    // " (what failed: the system's words)" to follow a reason; nothing when nothing failed.
    [[nodiscard]] std::string Because(const std::optional<base::Failure>& failure) const;
    void TakeReplies(discovery::DeviceRows& rows, std::vector<ippage::AnsweringDevice>& answering,
                     const Progress& progress);

    discovery::DatagramNetwork& m_hostNetwork;
    std::vector<std::uint32_t> m_interfaces;
    ChosenAddressesNetwork m_network;
    ErrorText m_errorText;
    // Where each address is in the current search's `answering`.
    std::unordered_map<std::uint32_t, std::size_t> m_answeringIndex;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    bool m_pending = false;     // guarded by m_mutex
    bool m_interrupted = false; // guarded by m_mutex
    discovery::DiscoveryEngine m_engine;
};

} // namespace cli

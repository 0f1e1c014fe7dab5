// SearchSession: the engine's notifications wake the caller, which takes every queued reply
// and runs the row rules on it, until the search's time is up.
#include "cli/search_session.h"

#include "discovery/device_rows.h"

#include <algorithm>

namespace cli {

ChosenAddressesNetwork::ChosenAddressesNetwork(discovery::DatagramNetwork& network,
                                               std::vector<std::uint32_t> chosen)
    : m_network(network), m_chosen(std::move(chosen)) {}

std::vector<std::uint32_t> ChosenAddressesNetwork::LocalAddresses() {
    std::vector<std::uint32_t> addresses = m_network.LocalAddresses();
    if (m_chosen.empty())
        return addresses;
    std::erase_if(addresses, [this](std::uint32_t address) {
        return std::find(m_chosen.begin(), m_chosen.end(), address) == m_chosen.end();
    });
    return addresses;
}

SearchSession::SearchSession(discovery::DatagramNetwork& network,
                             std::vector<std::uint32_t> interfaces)
    : m_hostNetwork(network), m_interfaces(interfaces), m_network(network, std::move(interfaces)),
      m_engine(m_network, [this] {
          // Receiver thread: only a wake-up; the records are taken on the caller's thread.
          {
              std::lock_guard lock(m_mutex);
              m_pending = true;
          }
          m_arrived.notify_one();
          return true;
      }) {}

SearchSession::~SearchSession() {
    m_engine.StopDiscovery();
}

std::string SearchSession::Start() {
    const std::vector<std::uint32_t> host = m_hostNetwork.LocalAddresses();
    for (const std::uint32_t address : m_interfaces) {
        if (std::find(host.begin(), host.end(), address) == host.end())
            return "--interface " + discovery::FormatIPv4(address) +
                   ": not an address of this host";
    }
    if (host.empty())
        return "this host has no IPv4 address to search from";
    m_engine.Start();
    return {};
}

std::string SearchSession::NoSocketReason() const {
    const std::vector<discovery::SocketEntry> table = m_engine.SocketTable();
    const bool live = std::any_of(table.begin(), table.end(), [](const auto& entry) {
        return entry.socket != discovery::kInvalidSocket;
    });
    return live ? std::string() : "no discovery socket could be opened on any local address";
}

std::string SearchSession::Search(std::chrono::milliseconds wait, RowTable& rows,
                                  const Progress& progress) {
    // Replies still queued from an earlier search belong to it.
    (void)m_engine.TakeAllReplies();
    discovery::ClearDeviceRows(rows);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    m_engine.SendSearch();
    if (std::string reason = NoSocketReason(); !reason.empty())
        return reason;
    for (;;) {
        TakeReplies(rows, progress);
        std::unique_lock lock(m_mutex);
        if (!m_arrived.wait_until(lock, deadline, [this] { return m_pending; }))
            break;
        m_pending = false;
    }
    TakeReplies(rows, progress);
    return {};
}

void SearchSession::TakeReplies(RowTable& rows, const Progress& progress) {
    for (const std::unique_ptr<discovery::ReplyRecord>& record : m_engine.TakeAllReplies()) {
        const int before = rows.RowCount();
        discovery::AddDeviceFromRecord(*record, rows);
        if (progress && rows.RowCount() > before)
            progress(rows.RowCount());
    }
}

std::string
SearchSession::SendAddressChanges(const std::vector<discovery::AddressChange>& requests) {
    for (const discovery::AddressChange& request : requests) {
        m_engine.SendAddressChange(request);
        if (std::string reason = NoSocketReason(); !reason.empty())
            return reason;
    }
    return {};
}

} // namespace cli

// SearchSession: the engine's notifications wake the caller, which takes every queued reply
// and runs the row rules on it, until the search's time is up.
#include "cli/search_session.h"

#include "discovery/device_rows.h"
#include "discovery/ip_text.h"

#include <algorithm>

namespace cli {

ChosenAddressesNetwork::ChosenAddressesNetwork(discovery::DatagramNetwork& network,
                                               std::vector<std::uint32_t> chosen)
    : m_network(network), m_chosen(std::move(chosen)) {}

base::Result<std::vector<std::uint32_t>> ChosenAddressesNetwork::LocalAddresses() {
    base::Result<std::vector<std::uint32_t>> addresses = m_network.LocalAddresses();
    if (addresses && !m_chosen.empty()) {
        std::erase_if(*addresses, [this](std::uint32_t address) {
            return std::find(m_chosen.begin(), m_chosen.end(), address) == m_chosen.end();
        });
    }
    return addresses;
}

SearchSession::SearchSession(discovery::DatagramNetwork& network,
                             std::vector<std::uint32_t> interfaces, ErrorText errorText)
    : m_hostNetwork(network), m_interfaces(interfaces), m_network(network, std::move(interfaces)),
      m_errorText(std::move(errorText)), m_engine(m_network, [this] {
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
    // A list that cannot be read counts as empty, and the reason is told.
    const base::Result<std::vector<std::uint32_t>> listed = m_hostNetwork.LocalAddresses();
    const std::vector<std::uint32_t> host = listed.value_or({});
    const auto unread = listed ? std::nullopt : std::optional(listed.error());
    for (const std::uint32_t address : m_interfaces) {
        if (std::find(host.begin(), host.end(), address) == host.end()) {
            return "--interface " + discovery::FormatIPv4(address) +
                   ": not an address of this host" + Because(unread);
        }
    }
    if (host.empty()) {
        return "this host has no IPv4 address to search from" + Because(unread);
    }
    m_engine.Start();
    return {};
}

std::string SearchSession::Because(const std::optional<base::Failure>& failure) const {
    return failure ? " (" + base::Describe(*failure, m_errorText) + ")" : "";
}

std::string SearchSession::BurstFault(const discovery::BurstResult& burst,
                                      std::string_view what) const {
    if (burst.sockets == 0) {
        return "no discovery socket could be opened on any local address" +
               Because(burst.openFailure);
    }
    if (burst.silentSockets < burst.sockets) {
        return {};
    }
    return "network fault: " + std::string(what) + " could not be sent from any local address (" +
           m_errorText(burst.sendFailure ? burst.sendFailure->systemError : 0) + ")";
}

std::string SearchSession::Search(std::chrono::milliseconds wait, discovery::DeviceRows& rows,
                                  std::vector<ippage::AnsweringDevice>& answering,
                                  const Progress& progress) {
    // Replies still queued from an earlier search belong to it.
    (void)m_engine.TakeAllReplies();
    rows.ClearDeviceRows();
    answering.clear();
    m_answeringIndex.clear();
    const auto deadline = std::chrono::steady_clock::now() + wait;
    if (std::string reason = BurstFault(m_engine.SendSearch(), "the search"); !reason.empty()) {
        return reason;
    }
    for (;;) {
        TakeReplies(rows, answering, progress);
        std::unique_lock lock(m_mutex);
        if (!m_arrived.wait_until(lock, deadline, [this] { return m_pending || m_interrupted; }) ||
            m_interrupted) {
            break;
        }
        m_pending = false;
    }
    TakeReplies(rows, answering, progress);
    return {};
}

void SearchSession::TakeReplies(discovery::DeviceRows& rows,
                                std::vector<ippage::AnsweringDevice>& answering,
                                const Progress& progress) {
    for (const std::unique_ptr<discovery::ReplyRecord>& record : m_engine.TakeAllReplies()) {
        const discovery::SearchReply reply = discovery::DecodeSearchReply(*record);
        if (const auto address = discovery::ParseStrictIPv4Text(reply.deviceAddress)) {
            const auto [at, added] = m_answeringIndex.emplace(*address, answering.size());
            if (added) {
                answering.push_back({.address = *address});
            }
            std::vector<std::wstring>& macs = answering[at->second].macs;
            const std::wstring mac = discovery::FormatMac(reply.mac);
            if (std::find(macs.begin(), macs.end(), mac) == macs.end()) {
                macs.push_back(mac);
            }
        }
        if (rows.AddDeviceFromReply(*record) == discovery::ReplyOutcome::kRowAdded && progress) {
            progress(rows.Count());
        }
    }
}

void SearchSession::Interrupt() {
    {
        std::lock_guard lock(m_mutex);
        m_interrupted = true;
    }
    m_arrived.notify_one();
}

std::string SearchSession::SendAddressChanges(const std::vector<discovery::AddressChange>& requests,
                                              std::size_t& sent) {
    for (sent = 0; sent < requests.size(); ++sent) {
        const discovery::BurstResult burst = m_engine.SendAddressChange(requests[sent]);
        if (std::string reason = BurstFault(burst, "the change"); !reason.empty()) {
            return reason;
        }
    }
    return {};
}

} // namespace cli

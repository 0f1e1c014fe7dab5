#include "tools/devsim/responder.h"

#include <sys/epoll.h>

#include <algorithm>
#include <cerrno>

namespace devsim {
namespace {

// Any UDP datagram fits, so an oversized one is logged whole.
constexpr std::size_t kReceiveBufferBytes = 64 * 1024;
// Bounds one wake-up so that a flood of requests cannot hold the replies back.
constexpr int kMaxReadsPerWake = 64;

} // namespace

Responder::Responder(EventLoop& loop, UniqueFd socket, DeviceTable& table, LogSink& log,
                     const Options& options)
    : m_loop(loop), m_socket(std::move(socket)), m_table(table), m_log(log),
      m_scheduler(table, options), m_dhcp(options.dhcpBase), m_sender(m_socket.Get()),
      m_buffer(kReceiveBufferBytes) {}

base::Result<void> Responder::Start() {
    return m_loop.Watch(m_socket.Get(), EPOLLIN, [this](std::uint32_t) { OnReadable(); });
}

Totals Responder::GetTotals() const {
    Totals totals = m_totals;
    totals.pending = m_scheduler.PendingDatagrams();
    return totals;
}

void Responder::OnReadable() {
    for (int i = 0; i < kMaxReadsPerWake; ++i) {
        ReceivedDatagram datagram;
        const ReceiveStatus status = ReceiveDatagram(m_socket.Get(), m_buffer, datagram);
        if (status == ReceiveStatus::kEmpty) {
            break;
        }
        if (status == ReceiveStatus::kFailed) {
            // Typically an ICMP error for an earlier reply; the socket itself stays usable.
            m_log.Error("recvmsg", errno);
            continue;
        }
        const std::size_t length = std::min(datagram.length, m_buffer.size());
        Handle(datagram, std::span<const std::byte>(m_buffer).first(length));
    }
    PumpReplies();
}

void Responder::Handle(const ReceivedDatagram& datagram, std::span<const std::byte> bytes) {
    ++m_totals.received;
    m_log.Write(FormatRxLine(m_log.Elapsed(), datagram.source, datagram.destination, bytes));
    switch (discovery::CommandOf(bytes)) {
    case static_cast<std::uint8_t>(discovery::Command::kSearchRequest):
        ++m_totals.requests;
        m_scheduler.ScheduleBurst(datagram.source, Clock::now());
        break;
    case static_cast<std::uint8_t>(discovery::Command::kAddressChange): {
        const AddressChangeOutcome outcome = ApplyAddressChange(m_table, m_dhcp, bytes);
        if (!outcome.devices.empty()) {
            ++m_totals.addressChanges;
        }
        m_log.Write(FormatAddressLines(m_log.Elapsed(), datagram.source, outcome, m_table));
        break;
    }
    default:
        // Replies of other devices, faulty datagrams: logged above, nothing else to do.
        break;
    }
}

void Responder::PumpReplies() {
    for (const BurstReport& report : m_scheduler.Pump(Clock::now(), m_sender)) {
        ++m_totals.bursts;
        m_totals.replies += report.replies;
        m_totals.injected += report.injected;
        m_totals.dropped += report.dropped;
        m_totals.retries += report.retries;
        m_log.Write(FormatTxLine(m_log.Elapsed(), report));
        if (report.dropped > 0) {
            m_log.Error("sendto", m_sender.LastError());
        }
    }
    ArmPump();
}

void Responder::ArmPump() {
    if (m_pumpTimer) {
        m_loop.CancelTimer(*m_pumpTimer);
    }
    m_pumpTimer.reset();
    const auto wake = m_scheduler.NextWake();
    if (!wake) {
        return;
    }
    m_pumpTimer = m_loop.AddTimer(*wake, [this] {
        m_pumpTimer.reset();
        PumpReplies();
    });
}

} // namespace devsim

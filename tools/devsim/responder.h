// The devices' side of discovery: reads every datagram on the discovery socket, logs it,
// answers search requests through the scheduler and applies address changes.
#pragma once

#include "tools/devsim/address_change.h"
#include "tools/devsim/device_table.h"
#include "tools/devsim/discovery_socket.h"
#include "tools/devsim/event_loop.h"
#include "tools/devsim/log_format.h"
#include "tools/devsim/log_sink.h"
#include "tools/devsim/reply_scheduler.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace devsim {

class Responder {
public:
    Responder(EventLoop& loop, UniqueFd socket, DeviceTable& table, LogSink& log,
              const Options& options);

    [[nodiscard]] base::Result<void> Start();
    [[nodiscard]] Totals GetTotals() const;

private:
    void OnReadable();
    void Handle(const ReceivedDatagram& datagram, std::span<const std::byte> bytes);
    void PumpReplies();
    void ArmPump();

    EventLoop& m_loop;
    UniqueFd m_socket;
    DeviceTable& m_table;
    LogSink& m_log;
    ReplyScheduler m_scheduler;
    DhcpPool m_dhcp;
    SocketSender m_sender;
    std::optional<EventLoop::TimerId> m_pumpTimer;
    std::vector<std::byte> m_buffer;
    Totals m_totals;
};

} // namespace devsim

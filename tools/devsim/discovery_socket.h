// The simulator's one UDP socket: bound to 0.0.0.0:6789, member of the discovery multicast
// group, telling the destination address of every datagram it receives.
#pragma once

#include "base/result.h"
#include "tools/devsim/endpoint.h"
#include "tools/devsim/reply_scheduler.h"
#include "tools/devsim/unique_fd.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace devsim {

// Non-blocking. `interfaceAddress` picks the interface for the group membership; without it
// the group is joined on every interface. A failure names the step and carries errno.
[[nodiscard]] base::Result<UniqueFd>
OpenDiscoverySocket(std::optional<std::uint32_t> interfaceAddress);

struct ReceivedDatagram {
    std::size_t length = 0;
    Endpoint source;
    std::uint32_t destination = 0;
};

enum class ReceiveStatus { kReceived, kEmpty, kFailed };

// Reads one datagram into `buffer` (its true length is kept even if the buffer was short).
// Failed leaves errno set.
[[nodiscard]] ReceiveStatus ReceiveDatagram(int socket, std::span<std::byte> buffer,
                                            ReceivedDatagram& datagram);

// Sends without blocking: a full socket buffer or an out-of-buffers device is Busy.
class SocketSender final : public DatagramSender {
public:
    explicit SocketSender(int socket) : m_socket(socket) {}
    SendStatus Send(std::span<const std::byte> datagram, Endpoint destination) override;
    // errno of the last send that did not go out; 0 if none failed.
    [[nodiscard]] int LastError() const { return m_lastError; }

private:
    int m_socket;
    int m_lastError = 0;
};

} // namespace devsim

// The simulator's log lines: "<event> t=<ms since start> key=value ...", one event per line.
// Values never hold spaces: texts from the network are escaped (see LogValue), so a test can
// split a line at spaces and each field at its first '='.
#pragma once

#include "tools/devsim/address_change.h"
#include "tools/devsim/endpoint.h"
#include "tools/devsim/injection.h"
#include "tools/devsim/reply_scheduler.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace devsim {

// Milliseconds with three decimals, e.g. "12.345".
[[nodiscard]] std::string FormatMillis(std::chrono::nanoseconds elapsed);
// Two lower-case hex digits per byte, nothing between them.
[[nodiscard]] std::string HexBytes(std::span<const std::byte> bytes);
// Bytes outside '!'..'~', and '%' itself, as %HH; the rest as they are.
[[nodiscard]] std::string LogValue(std::string_view text);
// "10.77.0.1:40000"
[[nodiscard]] std::string FormatEndpoint(Endpoint endpoint);

// rx t=.. src=IP:PORT dst=IP len=N cmd=C hex=...  (cmd=none without a whole, marked header)
[[nodiscard]] std::string FormatRxLine(std::chrono::nanoseconds elapsed, Endpoint source,
                                       std::uint32_t destination,
                                       std::span<const std::byte> datagram);
// tx t=.. burst=N dst=IP:PORT replies=N injected=N dropped=N retries=N took=MS
[[nodiscard]] std::string FormatTxLine(std::chrono::nanoseconds elapsed, const BurstReport& report);
// addr t=.. src=IP:PORT target=T result=applied mode=static ip=A mask=M gateway=G mac=..
// addr t=.. src=IP:PORT target=T result=applied mode=dhcp ip=A mac=..
// addr t=.. src=IP:PORT target=T result=ignored reason=R
[[nodiscard]] std::string FormatAddressLine(std::chrono::nanoseconds elapsed, Endpoint source,
                                            const AddressChangeOutcome& outcome,
                                            const DeviceTable& table);

struct ReadyInfo {
    std::size_t devices = 0;
    std::optional<std::uint32_t> interfaceAddress;
    std::chrono::milliseconds spread{0};
    std::vector<InjectKind> inject;
};
// ready t=.. devices=N port=6789 group=224.111.111.1 interface=default|IP spread_ms=N inject=..
[[nodiscard]] std::string FormatReadyLine(std::chrono::nanoseconds elapsed, const ReadyInfo& info);

struct Totals {
    std::size_t received = 0;
    std::size_t requests = 0;
    std::size_t addressChanges = 0; // applied ones
    std::size_t bursts = 0;         // completed ones
    std::size_t replies = 0;
    std::size_t injected = 0;
    std::size_t dropped = 0;
    std::size_t retries = 0;
    std::size_t pending = 0; // datagrams still queued at exit
};
// summary t=.. rx=N requests=N address_changes=N bursts=N replies=N injected=N dropped=N
//         retries=N pending=N
[[nodiscard]] std::string FormatSummaryLine(std::chrono::nanoseconds elapsed, const Totals& totals);

struct HttpRequestInfo {
    std::uint64_t connection = 0;
    std::string source;      // IP:PORT of the client
    std::string destination; // IP:PORT the client connected to
    std::string_view command;
    std::string_view behaviour;
    std::size_t open = 0; // the device's connections not yet closed by their client, this one too
    std::string_view request;
};
// http t=.. conn=N src=IP:PORT dst=IP:PORT cmd=C behaviour=B open=N len=N request=<escaped>
[[nodiscard]] std::string FormatHttpLine(std::chrono::nanoseconds elapsed,
                                         const HttpRequestInfo& info);
// close t=.. conn=N  (the client closed its side)
[[nodiscard]] std::string FormatHttpCloseLine(std::chrono::nanoseconds elapsed,
                                              std::uint64_t connection);
// restart t=.. device=IP silent_ms=N
[[nodiscard]] std::string FormatRestartLine(std::chrono::nanoseconds elapsed,
                                            std::string_view device,
                                            std::chrono::milliseconds silent);
// restarted t=.. device=IP
[[nodiscard]] std::string FormatRestartedLine(std::chrono::nanoseconds elapsed,
                                              std::string_view device);

// error t=.. what=W errno=NAME
[[nodiscard]] std::string FormatErrorLine(std::chrono::nanoseconds elapsed, std::string_view what,
                                          int error);

} // namespace devsim

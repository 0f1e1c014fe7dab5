// The simulator's log lines: "<event> t=<ms since start> key=value ...", one event a line (the
// events and their fields are listed in README.md). Every line is built by LogLine, which
// escapes every value, so that a reader can split a line at spaces and a field at its first
// '='.
#pragma once

#include "tools/devsim/address_change.h"
#include "tools/devsim/endpoint.h"
#include "tools/devsim/injection.h"
#include "tools/devsim/reply_scheduler.h"

#include <chrono>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace devsim {

// "10.77.0.1:40000"
[[nodiscard]] std::string FormatEndpoint(Endpoint endpoint);

// A key or a value of a log line; numbers are written in decimal.
struct LogText {
    LogText(const char* text) : text(text) {}
    LogText(std::string_view text) : text(text) {}
    LogText(std::string text) : text(std::move(text)) {}
    LogText(std::integral auto number) : text(std::to_string(number)) {}
    std::string text;
};

// "<event> t=<ms> key=value ...": keys and values alternate, every value escaped by LogValue.
[[nodiscard]] std::string LogLine(std::string_view event, std::chrono::nanoseconds elapsed,
                                  std::initializer_list<LogText> keysAndValues);

[[nodiscard]] std::string FormatRxLine(std::chrono::nanoseconds elapsed, Endpoint source,
                                       std::uint32_t destination,
                                       std::span<const std::byte> datagram);
[[nodiscard]] std::string FormatTxLine(std::chrono::nanoseconds elapsed, const BurstReport& report);
// One line per device that took the change, then one more when the request, or what was left
// of it, was ignored; joined by newlines.
[[nodiscard]] std::string FormatAddressLines(std::chrono::nanoseconds elapsed, Endpoint source,
                                             const AddressChangeOutcome& outcome,
                                             const DeviceTable& table);

struct ReadyInfo {
    std::size_t devices = 0;
    std::optional<std::uint32_t> interfaceAddress;
    std::chrono::milliseconds spread{0};
    std::vector<InjectKind> inject;
};
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
[[nodiscard]] std::string FormatSummaryLine(std::chrono::nanoseconds elapsed, const Totals& totals);

// `error` is an errno value, logged by its name.
[[nodiscard]] std::string FormatErrorLine(std::chrono::nanoseconds elapsed, std::string_view what,
                                          int error);

} // namespace devsim

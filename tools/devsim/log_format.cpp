#include "tools/devsim/log_format.h"

#include "text/number_text.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>

namespace devsim {
namespace {

constexpr char kFirstPlain = '!';
constexpr char kLastPlain = '~';
constexpr char kEscape = '%';

// The command byte of a datagram with a whole, marked header, else "none".
std::string FormatCommand(std::span<const std::byte> datagram) {
    const bool marked = datagram.size() >= discovery::kHeaderSize &&
                        std::memcmp(datagram.data() + discovery::kMarkerOffset,
                                    discovery::kMarker.data(), discovery::kMarkerSize) == 0;
    if (!marked) {
        return "none";
    }
    return std::to_string(std::to_integer<unsigned>(datagram[discovery::kCommandOffset]));
}

// Milliseconds with three decimals, e.g. "12.345".
std::string FormatMillis(std::chrono::nanoseconds elapsed) {
    const auto micros = std::max<std::int64_t>(
        0, std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count());
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(micros / 1000),
                  static_cast<long long>(micros % 1000));
    return text;
}

// Bytes outside '!'..'~', and '%' itself, as %HH; the rest as they are.
std::string LogValue(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c >= kFirstPlain && c <= kLastPlain && c != kEscape) {
            out.push_back(c);
            continue;
        }
        out.push_back(kEscape);
        out += text::HexByte(static_cast<std::uint8_t>(c), text::HexCase::kUpper);
    }
    return out;
}

} // namespace

std::string FormatEndpoint(Endpoint endpoint) {
    return discovery::FormatIPv4(endpoint.address) + ":" + std::to_string(endpoint.port);
}

std::string LogLine(std::string_view event, std::chrono::nanoseconds elapsed,
                    std::initializer_list<LogText> keysAndValues) {
    assert(keysAndValues.size() % 2 == 0);
    std::string line = std::string(event) + " t=" + FormatMillis(elapsed);
    for (auto key = keysAndValues.begin(); key != keysAndValues.end(); key += 2) {
        line += " " + key->text + "=" + LogValue(key[1].text);
    }
    return line;
}

std::string FormatRxLine(std::chrono::nanoseconds elapsed, Endpoint source,
                         std::uint32_t destination, std::span<const std::byte> datagram) {
    return LogLine("rx", elapsed,
                   {"src", FormatEndpoint(source), "dst", discovery::FormatIPv4(destination), "len",
                    datagram.size(), "cmd", FormatCommand(datagram), "hex",
                    text::HexBytes(datagram, text::HexCase::kLower)});
}

std::string FormatTxLine(std::chrono::nanoseconds elapsed, const BurstReport& report) {
    return LogLine("tx", elapsed,
                   {"burst", report.id, "dst", FormatEndpoint(report.requester), "replies",
                    report.replies, "injected", report.injected, "dropped", report.dropped,
                    "retries", report.retries, "took", FormatMillis(report.took)});
}

std::string FormatAddressLines(std::chrono::nanoseconds elapsed, Endpoint source,
                               const AddressChangeOutcome& outcome, const DeviceTable& table) {
    const std::string from = FormatEndpoint(source);
    std::string lines;
    const auto add = [&lines](const std::string& line) {
        lines += (lines.empty() ? "" : "\n") + line;
    };
    for (const std::size_t index : outcome.devices) {
        const Device& device = table[index];
        const std::string mac =
            text::HexBytes(std::as_bytes(std::span(device.reply.mac)), text::HexCase::kLower, ":");
        add(device.usesDhcp
                ? LogLine("addr", elapsed,
                          {"src", from, "target", outcome.target, "result", "applied", "mode",
                           "dhcp", "ip", device.reply.deviceAddress, "mac", mac})
                : LogLine("addr", elapsed,
                          {"src", from, "target", outcome.target, "result", "applied", "mode",
                           "static", "ip", device.reply.deviceAddress, "mask", device.subnetMask,
                           "gateway", device.gateway, "mac", mac}));
    }
    if (outcome.ignored) {
        add(LogLine("addr", elapsed,
                    {"src", from, "target", outcome.target, "result", "ignored", "reason",
                     NameOf(kIgnoreReasons, *outcome.ignored)}));
    }
    return lines;
}

std::string FormatReadyLine(std::chrono::nanoseconds elapsed, const ReadyInfo& info) {
    std::string inject;
    for (InjectKind kind : info.inject) {
        inject += (inject.empty() ? "" : ",") + std::string(NameOf(kInjectKinds, kind));
    }
    const auto address = info.interfaceAddress;
    return LogLine("ready", elapsed,
                   {"devices", info.devices, "port", discovery::DISCOVERY_PORT, "group",
                    discovery::FormatIPv4(discovery::kMulticastGroup), "interface",
                    address ? discovery::FormatIPv4(*address) : "default", "spread_ms",
                    info.spread.count(), "inject", inject.empty() ? "none" : inject});
}

std::string FormatSummaryLine(std::chrono::nanoseconds elapsed, const Totals& totals) {
    return LogLine("summary", elapsed,
                   {"rx", totals.received, "requests", totals.requests, "address_changes",
                    totals.addressChanges, "bursts", totals.bursts, "replies", totals.replies,
                    "injected", totals.injected, "dropped", totals.dropped, "retries",
                    totals.retries, "pending", totals.pending});
}

std::string FormatErrorLine(std::chrono::nanoseconds elapsed, std::string_view what, int error) {
    const char* name = strerrorname_np(error);
    return LogLine("error", elapsed,
                   {"what", what, "errno", name ? std::string(name) : std::to_string(error)});
}

} // namespace devsim

#include "tools/devsim/log_format.h"

#include "tools/devsim/device_fields.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace devsim {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kUpperHexDigits[] = "0123456789ABCDEF";
constexpr char kFirstPlain = '!';
constexpr char kLastPlain = '~';
constexpr char kEscape = '%';

std::string Time(std::chrono::nanoseconds elapsed) {
    return "t=" + FormatMillis(elapsed);
}

std::string FormatCommand(std::span<const std::byte> datagram) {
    const bool marked = datagram.size() >= discovery::kHeaderSize &&
                        std::memcmp(datagram.data() + discovery::kMarkerOffset,
                                    discovery::kMarker.data(), discovery::kMarkerSize) == 0;
    if (!marked)
        return "none";
    return std::to_string(std::to_integer<unsigned>(datagram[discovery::kCommandOffset]));
}

} // namespace

std::string FormatMillis(std::chrono::nanoseconds elapsed) {
    const auto micros = std::max<std::int64_t>(
        0, std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count());
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(micros / 1000),
                  static_cast<long long>(micros % 1000));
    return text;
}

std::string HexBytes(std::span<const std::byte> bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::byte b : bytes) {
        const auto value = std::to_integer<unsigned>(b);
        text.push_back(kHexDigits[value >> 4]);
        text.push_back(kHexDigits[value & 0xF]);
    }
    return text;
}

std::string LogValue(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c >= kFirstPlain && c <= kLastPlain && c != kEscape) {
            out.push_back(c);
            continue;
        }
        const auto value = static_cast<unsigned char>(c);
        out.push_back(kEscape);
        out.push_back(kUpperHexDigits[value >> 4]);
        out.push_back(kUpperHexDigits[value & 0xF]);
    }
    return out;
}

std::string FormatEndpoint(Endpoint endpoint) {
    return discovery::FormatIPv4(endpoint.address) + ":" + std::to_string(endpoint.port);
}

std::string FormatRxLine(std::chrono::nanoseconds elapsed, Endpoint source,
                         std::uint32_t destination, std::span<const std::byte> datagram) {
    return "rx " + Time(elapsed) + " src=" + FormatEndpoint(source) +
           " dst=" + discovery::FormatIPv4(destination) +
           " len=" + std::to_string(datagram.size()) + " cmd=" + FormatCommand(datagram) +
           " hex=" + HexBytes(datagram);
}

std::string FormatTxLine(std::chrono::nanoseconds elapsed, const BurstReport& report) {
    return "tx " + Time(elapsed) + " burst=" + std::to_string(report.id) +
           " dst=" + FormatEndpoint(report.requester) +
           " replies=" + std::to_string(report.replies) +
           " injected=" + std::to_string(report.injected) +
           " dropped=" + std::to_string(report.dropped) +
           " retries=" + std::to_string(report.retries) + " took=" + FormatMillis(report.took);
}

std::string FormatAddressLine(std::chrono::nanoseconds elapsed, Endpoint source,
                              const AddressChangeOutcome& outcome, const DeviceTable& table) {
    std::string line = "addr " + Time(elapsed) + " src=" + FormatEndpoint(source) +
                       " target=" + LogValue(outcome.target);
    if (outcome.ignored)
        return line + " result=ignored reason=" + std::string(IgnoreReasonName(*outcome.ignored));
    line += " result=applied mode=";
    if (outcome.dhcp) {
        line += "dhcp ip=" + LogValue(outcome.address);
    } else {
        line += "static ip=" + LogValue(outcome.address) + " mask=" + LogValue(outcome.subnetMask) +
                " gateway=" + LogValue(outcome.gateway);
    }
    return line + " mac=" + FormatMac(table[outcome.device].mac);
}

std::string FormatReadyLine(std::chrono::nanoseconds elapsed, const ReadyInfo& info) {
    std::string inject;
    for (InjectKind kind : info.inject)
        inject += (inject.empty() ? "" : ",") + std::string(InjectKindName(kind));
    return "ready " + Time(elapsed) + " devices=" + std::to_string(info.devices) +
           " port=" + std::to_string(discovery::DISCOVERY_PORT) +
           " group=" + discovery::FormatIPv4(discovery::kMulticastGroup) + " interface=" +
           (info.interfaceAddress ? discovery::FormatIPv4(*info.interfaceAddress) : "default") +
           " spread_ms=" + std::to_string(info.spread.count()) +
           " inject=" + (inject.empty() ? "none" : inject);
}

std::string FormatSummaryLine(std::chrono::nanoseconds elapsed, const Totals& totals) {
    return "summary " + Time(elapsed) + " rx=" + std::to_string(totals.received) +
           " requests=" + std::to_string(totals.requests) +
           " address_changes=" + std::to_string(totals.addressChanges) +
           " bursts=" + std::to_string(totals.bursts) +
           " replies=" + std::to_string(totals.replies) +
           " injected=" + std::to_string(totals.injected) +
           " dropped=" + std::to_string(totals.dropped) +
           " retries=" + std::to_string(totals.retries) +
           " pending=" + std::to_string(totals.pending);
}

std::string FormatHttpLine(std::chrono::nanoseconds elapsed, const HttpRequestInfo& info) {
    return "http " + Time(elapsed) + " conn=" + std::to_string(info.connection) +
           " src=" + info.source + " dst=" + info.destination +
           " cmd=" + std::string(info.command) + " behaviour=" + std::string(info.behaviour) +
           " open=" + std::to_string(info.open) + " len=" + std::to_string(info.request.size()) +
           " request=" + LogValue(info.request);
}

std::string FormatHttpCloseLine(std::chrono::nanoseconds elapsed, std::uint64_t connection) {
    return "close " + Time(elapsed) + " conn=" + std::to_string(connection);
}

std::string FormatRestartLine(std::chrono::nanoseconds elapsed, std::string_view device,
                              std::chrono::milliseconds silent) {
    return "restart " + Time(elapsed) + " device=" + LogValue(device) +
           " silent_ms=" + std::to_string(silent.count());
}

std::string FormatRestartedLine(std::chrono::nanoseconds elapsed, std::string_view device) {
    return "restarted " + Time(elapsed) + " device=" + LogValue(device);
}

std::string FormatErrorLine(std::chrono::nanoseconds elapsed, std::string_view what, int error) {
    const char* name = strerrorname_np(error);
    return "error " + Time(elapsed) + " what=" + LogValue(what) +
           " errno=" + (name ? std::string(name) : std::to_string(error));
}

} // namespace devsim

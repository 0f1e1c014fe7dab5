#include "tools/devsim/options.h"

#include "tools/devsim/device.h"
#include "tools/devsim/device_fields.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <string_view>
#include <type_traits>

namespace devsim {
namespace {

template <typename T> std::optional<T> ParseUnsigned(std::string_view text, T max) {
    // A signed T would let "-5" through.
    static_assert(std::is_unsigned_v<T>);
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value > max)
        return std::nullopt;
    return value;
}

// Applies one option's value; returns an error text, empty on success.
using Setter = std::function<std::string(Options&, std::string_view)>;

struct OptionRule {
    std::string_view name;
    Setter set;
};

std::string SetAddress(std::uint32_t& target, std::string_view name, std::string_view value) {
    const auto address = ParseDottedAddress(value);
    if (!address)
        return std::string(name) + ": '" + std::string(value) + "' is not a dotted IPv4 address";
    target = *address;
    return {};
}

std::string SetMilliseconds(std::chrono::milliseconds& target, std::string_view name,
                            std::string_view value, std::chrono::milliseconds max) {
    const auto ms = ParseUnsigned<std::uint64_t>(value, static_cast<std::uint64_t>(max.count()));
    if (!ms)
        return std::string(name) + ": '" + std::string(value) + "' is not a number from 0 to " +
               std::to_string(max.count());
    target = std::chrono::milliseconds(static_cast<std::int64_t>(*ms));
    return {};
}

constexpr std::size_t kRuleCount = 15;

const std::array<OptionRule, kRuleCount>& Rules() {
    static const std::array<OptionRule, kRuleCount> rules = {{
        {"--devices",
         [](Options& o, std::string_view v) {
             o.devicesFile = std::string(v);
             return std::string();
         }},
        {"--count",
         [](Options& o, std::string_view v) {
             const auto count = ParseUnsigned<std::size_t>(v, kMaxDevices);
             if (!count || *count < kMinDevices)
                 return "--count: '" + std::string(v) + "' is not a number from " +
                        std::to_string(kMinDevices) + " to " + std::to_string(kMaxDevices);
             o.count = *count;
             return std::string();
         }},
        {"--subnet",
         [](Options& o, std::string_view v) { return SetAddress(o.subnet, "--subnet", v); }},
        {"--interface",
         [](Options& o, std::string_view v) {
             std::uint32_t address = 0;
             std::string error = SetAddress(address, "--interface", v);
             if (error.empty())
                 o.interfaceAddress = address;
             return error;
         }},
        {"--spread-ms",
         [](Options& o, std::string_view v) {
             return SetMilliseconds(o.spread, "--spread-ms", v, kMaxSpread);
         }},
        {"--seed",
         [](Options& o, std::string_view v) {
             const auto seed = ParseUnsigned<std::uint64_t>(v, UINT64_MAX);
             if (!seed)
                 return "--seed: '" + std::string(v) + "' is not an unsigned 64-bit number";
             o.seed = *seed;
             return std::string();
         }},
        {"--dhcp-base",
         [](Options& o, std::string_view v) { return SetAddress(o.dhcpBase, "--dhcp-base", v); }},
        {"--inject",
         [](Options& o, std::string_view v) {
             std::string error;
             auto kinds = ParseInjectList(v, error);
             if (!kinds)
                 return "--inject: " + error;
             o.inject = std::move(*kinds);
             return std::string();
         }},
        {"--inject-after",
         [](Options& o, std::string_view v) {
             const auto count = ParseUnsigned<std::size_t>(v, kMaxDevices);
             if (!count)
                 return "--inject-after: '" + std::string(v) + "' is not a number from 0 to " +
                        std::to_string(kMaxDevices);
             o.injectAfter = *count;
             return std::string();
         }},
        {"--gather-ms",
         [](Options& o, std::string_view v) {
             return SetMilliseconds(o.gather, "--gather-ms", v, kMaxSpread);
         }},
        {"--log",
         [](Options& o, std::string_view v) {
             o.logFile = std::string(v);
             return std::string();
         }},
        {"--ready-file",
         [](Options& o, std::string_view v) {
             o.readyFile = std::string(v);
             return std::string();
         }},
        {"--exit-after-requests",
         [](Options& o, std::string_view v) {
             const auto count = ParseUnsigned<std::size_t>(v, SIZE_MAX);
             if (!count || *count == 0)
                 return "--exit-after-requests: '" + std::string(v) + "' is not a positive number";
             o.exitAfterRequests = *count;
             return std::string();
         }},
        {"--web-behaviour",
         [](Options& o, std::string_view v) {
             std::string error;
             auto rules = ParseWebBehaviours(v, error);
             if (!rules)
                 return "--web-behaviour: " + error;
             o.webBehaviours = std::move(*rules);
             return std::string();
         }},
        {"--restart-ms",
         [](Options& o, std::string_view v) {
             return SetMilliseconds(o.restartTime, "--restart-ms", v, kMaxRestart);
         }},
    }};
    return rules;
}

// Cross-option rules, once every option is known.
std::string CheckCombination(const Options& o, bool subnetGiven) {
    if (o.devicesFile && o.count)
        return "give either --devices or --count, not both";
    if (!o.devicesFile && !o.count)
        return "give --devices FILE or --count N";
    if (subnetGiven && !o.count)
        return "--subnet goes with --count";
    if (o.devicesFile && o.devicesFile->empty())
        return "--devices: empty file name";
    return {};
}

} // namespace

OptionsResult ParseOptions(int argc, char** argv) {
    OptionsResult result;
    const auto& rules = Rules();
    // getopt_long's table: every rule under its name without the dashes, its index as the
    // value, then --help and the zero entry that ends the table.
    std::array<option, kRuleCount + 2> table{};
    for (std::size_t i = 0; i < rules.size(); ++i)
        table[i] = {rules[i].name.data() + 2, required_argument, nullptr, static_cast<int>(i)};
    table[rules.size()] = {"help", no_argument, nullptr, 'h'};

    std::array<bool, kRuleCount> seen{};
    optind = 0; // full reinitialisation, so that every call starts afresh
    opterr = 0;
    // '+': stop at the first word that is no option, which is then refused below; ':': a
    // missing value comes back as ':' rather than '?'.
    for (int c; (c = getopt_long(argc, argv, "+:h", table.data(), nullptr)) != -1;) {
        if (c == 'h') {
            result.options.help = true;
            return result;
        }
        if (c == '?') {
            result.error = "unknown option '" + std::string(argv[optind - 1]) + "' (see --help)";
            return result;
        }
        const std::size_t index = static_cast<std::size_t>(c == ':' ? optopt : c);
        const std::string name(rules[index].name);
        if (c == ':') {
            result.error = name + " needs a value";
            return result;
        }
        if (seen[index]) {
            result.error = name + " given twice";
            return result;
        }
        seen[index] = true;
        result.error = rules[index].set(result.options, optarg);
        if (!result.error.empty())
            return result;
    }
    if (optind < argc) {
        result.error = "unknown option '" + std::string(argv[optind]) + "' (see --help)";
        return result;
    }
    const auto subnet = std::ranges::find(rules, "--subnet", &OptionRule::name) - rules.begin();
    result.error = CheckCombination(result.options, seen[static_cast<std::size_t>(subnet)]);
    return result;
}

std::string UsageText() {
    return R"(usage: devsim (--devices FILE | --count N [--subnet ADDR]) [options]

Stands in for network video devices: answers discovery search requests on UDP 6789
(multicast group 224.111.111.1 and the limited broadcast) with one search reply per
device, and applies address-change requests. Run it inside a network namespace.

Devices:
  --devices FILE         one device per line, fields separated by '|':
                         class | MAC | IP | name | HTTP port | RTSP port | DVS byte | model
                         (see devices.sample.txt); a bad file exits with status 2
  --count N              N generated devices (1 to 10000), the same list on every run
  --subnet ADDR          generated devices take the host addresses after ADDR
                         (default 10.77.1.0)

Network:
  --interface ADDR       join the multicast group on the interface with this address
                         (default: every interface of the namespace)

Answers:
  --spread-ms N          each device answers after a random delay in [0, N) ms
                         (default 0: all at once, as fast as the socket takes them)
  --seed N               seed of those delays (default 1)
  --dhcp-base ADDR       first address handed to a device switched to DHCP
                         (default 10.77.200.1); later ones take the next free address
  --inject KIND[,KIND]   after every answer burst also send faulty datagrams, most
                         naming a device of their own ("injected KIND"), or "all":
                           bad-marker     whole reply, marker byte 11 not zero
                           command0       whole reply, command byte 0
                           command2       whole reply, command byte 2
                           command3       whole reply, command byte 3
                           command4       whole reply, command byte 4
                           short12        the 12 marker bytes only
                           short-reply    the first 100 bytes of a valid reply
                           oversize       a valid reply and junk, 300 bytes
                           unknown-class  a valid reply with class text "NVR"
                           duplicate      the first device's IP text, another name
                           lengths        one valid reply at every length from 300
                                          down to 0 bytes, and at 1472, 1473, 4096
                                          and 65507 bytes (longest first)
                           random-body    16 replies: valid header, random bytes; every
                                          other one with class text "DVS"
                           unterminated   a valid reply whose texts fill their fields
                                          without a zero byte
                           same-address   two replies with one new IP text and
                                          different MACs and names
  --inject-after N       send the injected datagrams after the first N replies of each
                         burst instead of after the last
  --gather-ms N          hold the answers to requests that arrive within N ms of each
                         other and send them all together when that time is over

Web servers (one per device, at its IP address and HTTP port; scan, read, save and reboot
of /goform/wireless and /goform/maintenance; a save is seen by the next read):
  --web-behaviour IP:CMD=KIND[,...]
                         how device IP answers command CMD (scan, read, save, reboot, or
                         all); the last rule that fits wins. KIND:
                           close          head and body in one piece, then close (default)
                           keep-open      head and body in one piece, connection kept open
                           split          head, 300 ms pause, body in a second segment
                           401            status 401 Unauthorized
                           silent         accept and read, never answer
                           no-listener    (all only) no listening socket: connect is refused
                           long-reply     4096 bytes of reply without a zero byte
                           long-ssid      scan: one network with a 1,000-character SSID
                           many-networks  scan: 400 networks in short lines (one receive)
                           8bit-ssids     scan: SSIDs with bytes above 0x7F
  --restart-ms N         a rebooted device answers neither discovery nor web requests
                         for N ms (default 3000)
  The device addresses must exist in the namespace (netns_add_device_address).

Log and control:
  --log FILE             write the log there instead of to standard error
  --ready-file PATH      create PATH once the socket is bound and joined
  --exit-after-requests N  exit once N search requests have been fully answered
  --help                 this text

Log lines (one per event, flushed at once; t = ms since start):
  ready t= devices= port= group= interface= spread_ms= inject=
  rx t= src=IP:PORT dst=IP len= cmd=(byte|none) hex=
  tx t= burst= dst=IP:PORT replies= injected= dropped= retries= took=
  addr t= src= target= result=applied mode=static ip= mask= gateway= mac=
  addr t= src= target= result=applied mode=dhcp ip= mac=
  addr t= src= target= result=ignored reason=
  http t= conn= src=IP:PORT dst=IP:PORT cmd=(scan|read|save|reboot|other) behaviour=
       open=<the device's connections its clients still hold> len= request=<escaped bytes>
  close t= conn=              (a web client closed its connection)
  restart t= device=IP silent_ms=
  restarted t= device=IP
  error t= what= errno=
  summary t= rx= requests= address_changes= bursts= replies= injected= dropped=
          retries= pending=
Texts from the network are written with bytes outside '!'..'~' and '%' as %HH.

Exit status: 0 after SIGTERM, SIGINT or --exit-after-requests; 2 for a bad command
line, a bad device file, or a log or ready file that cannot be written; 1 when the
socket or the event loop cannot be set up.
)";
}

} // namespace devsim

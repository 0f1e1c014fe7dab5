#include "tools/devsim/options.h"

#include "tools/devsim/device.h"
#include "tools/devsim/device_fields.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <set>
#include <string_view>

namespace devsim {
namespace {

enum Code : int {
    kDevices = 256,
    kCount,
    kSubnet,
    kInterface,
    kSpread,
    kSeed,
    kDhcpBase,
    kInject,
    kGather,
    kWebBehaviour,
    kRestart,
    kLog,
    kReadyFile,
    kHelp = 'h',
};

struct OptionSpec {
    const char* name;     // without its dashes
    const char* argument; // nullptr: it takes none
    Code code;
    std::string_view help;
};

// Every option once: getopt_long's table and the help are made from it.
constexpr OptionSpec kOptions[] = {
    {"devices", "FILE", kDevices,
     "one device a line, eight fields separated by '|' (see devices.sample.txt); a bad file "
     "exits with status 2"},
    {"count", "N", kCount, "N generated devices (1 to 10000), the same list on every run"},
    {"subnet", "ADDR", kSubnet,
     "generated devices take the host addresses after ADDR (default 10.77.1.0)"},
    {"interface", "ADDR", kInterface,
     "join the multicast group on the interface with this address (default: on every one)"},
    {"spread-ms", "N", kSpread,
     "each device answers after a random delay in [0, N) ms (default 0: all at once)"},
    {"seed", "N", kSeed, "seed of those delays (default 1)"},
    {"dhcp-base", "ADDR", kDhcpBase,
     "first address handed to a device switched to DHCP (default 10.77.200.1); later ones take "
     "the next free address"},
    {"inject", "KIND[,KIND]", kInject,
     "after every answer burst also send faulty datagrams of these kinds, or \"all\""},
    {"gather-ms", "N", kGather,
     "hold the answers to requests that arrive within N ms of each other and send them all "
     "together when that time is over"},
    {"web-behaviour", "IP:CMD=KIND[,...]", kWebBehaviour,
     "how device IP's web server answers command CMD, or all of them; the last rule that fits "
     "wins"},
    {"restart-ms", "N", kRestart,
     "a rebooted device answers neither discovery nor web requests for N ms (default 3000)"},
    {"log", "FILE", kLog, "write the log there instead of to standard error"},
    {"ready-file", "PATH", kReadyFile, "create PATH once the socket is bound and joined"},
    {"help", nullptr, kHelp, "this text"},
};

constexpr std::size_t kHelpIndent = 25;
constexpr std::size_t kHelpWidth = 92;

const OptionSpec& SpecOf(int code) {
    return *std::ranges::find(kOptions, code, &OptionSpec::code);
}

std::string Quoted(std::string_view value) {
    return "'" + std::string(value) + "'";
}

// Reads a decimal number from `min` to `max` into `target`; an error text otherwise.
template <typename T>
std::string ReadNumber(std::string_view text, std::uint64_t min, std::uint64_t max, T& target) {
    const auto value = ParseNumber<std::uint64_t>(text);
    if (!value || *value < min || *value > max)
        return Quoted(text) + " is not a number from " + std::to_string(min) + " to " +
               std::to_string(max);
    target = T(*value);
    return {};
}

std::string ReadAddress(std::string_view text, std::uint32_t& target) {
    const auto address = ParseDottedAddress(text);
    if (!address)
        return Quoted(text) + " is not a dotted IPv4 address";
    target = *address;
    return {};
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

// "  TERM  text", the text wrapped at kHelpWidth under kHelpIndent (on the next line when the
// term is longer).
void AppendHelpEntry(std::string& help, std::string term, std::string_view text) {
    std::string line = "  " + term;
    for (std::size_t start = 0; start < text.size();) {
        if (line.size() >= kHelpIndent) {
            help += line + "\n";
            line.clear();
        }
        line.resize(kHelpIndent, ' ');
        std::size_t end = start + (kHelpWidth - kHelpIndent);
        if (end >= text.size())
            end = text.size();
        else
            end = text.rfind(' ', end);
        line += text.substr(start, end - start);
        start = end + 1;
    }
    help += line + "\n";
}

} // namespace

OptionsResult ParseOptions(int argc, char** argv) {
    std::array<option, std::size(kOptions) + 1> table{};
    std::ranges::transform(kOptions, table.begin(), [](const OptionSpec& spec) {
        return option{spec.name, spec.argument ? required_argument : no_argument, nullptr,
                      spec.code};
    });
    OptionsResult result;
    Options& o = result.options;
    std::set<int> seen;
    optind = 0; // full reinitialisation, so that every call starts afresh
    opterr = 0;
    // '+': stop at the first word that is no option, which is then refused below; ':': a
    // missing value comes back as ':' rather than '?'.
    for (int c; (c = getopt_long(argc, argv, "+:h", table.data(), nullptr)) != -1;) {
        if (c == '?') {
            result.error = "unknown option '" + std::string(argv[optind - 1]) + "' (see --help)";
            return result;
        }
        const std::string name = "--" + std::string(SpecOf(c == ':' ? optopt : c).name);
        if (c == ':') {
            result.error = name + " needs a value";
            return result;
        }
        if (!seen.insert(c).second) {
            result.error = name + " given twice";
            return result;
        }
        const std::string_view value = optarg ? optarg : "";
        std::string error;
        switch (c) {
        case kHelp:
            o.help = true;
            return result;
        case kDevices:
            o.devicesFile = std::string(value);
            break;
        case kCount:
            error = ReadNumber(value, kMinDevices, kMaxDevices, o.count);
            break;
        case kSubnet:
            error = ReadAddress(value, o.subnet);
            break;
        case kInterface:
            error = ReadAddress(value, o.interfaceAddress.emplace());
            break;
        case kSpread:
            error = ReadNumber(value, 0, kMaxSpread.count(), o.spread);
            break;
        case kSeed:
            if (const auto seed = ParseNumber<std::uint64_t>(value))
                o.seed = *seed;
            else
                error = Quoted(value) + " is not an unsigned 64-bit number";
            break;
        case kDhcpBase:
            error = ReadAddress(value, o.dhcpBase);
            break;
        case kInject:
            if (auto kinds = ParseInjectList(value, error))
                o.inject = std::move(*kinds);
            break;
        case kGather:
            error = ReadNumber(value, 0, kMaxSpread.count(), o.gather);
            break;
        case kWebBehaviour:
            if (auto rules = ParseWebBehaviours(value, error))
                o.webBehaviours = std::move(*rules);
            break;
        case kRestart:
            error = ReadNumber(value, 0, kMaxRestart.count(), o.restartTime);
            break;
        case kLog:
            o.logFile = std::string(value);
            break;
        case kReadyFile:
            o.readyFile = std::string(value);
            break;
        }
        if (!error.empty()) {
            result.error = name + ": " + error;
            return result;
        }
    }
    if (optind < argc) {
        result.error = "unknown option '" + std::string(argv[optind]) + "' (see --help)";
        return result;
    }
    result.error = CheckCombination(o, seen.contains(kSubnet));
    return result;
}

std::string UsageText() {
    std::string help =
        "usage: devsim (--devices FILE | --count N [--subnet ADDR]) [options]\n\n"
        "Stands in for network video devices: answers discovery search requests on UDP 6789\n"
        "(multicast group 224.111.111.1 and the limited broadcast) with one search reply per\n"
        "device, applies address-change requests and serves each device's web commands. Run it\n"
        "inside a network namespace; tools/devsim/README.md describes the log.\n\n";
    for (const OptionSpec& spec : kOptions)
        AppendHelpEntry(help,
                        "--" + std::string(spec.name) +
                            (spec.argument ? " " + std::string(spec.argument) : ""),
                        spec.help);
    help += "\nInject KIND:\n";
    for (const auto& kind : kInjectKinds)
        AppendHelpEntry(help, std::string(kind.name), kind.meaning);
    help += "\nWeb CMD (the device addresses must exist in the namespace):\n";
    for (const auto& command : kWebCommands)
        AppendHelpEntry(help, std::string(command.name), command.meaning);
    help += "\nWeb behaviour KIND:\n";
    for (const auto& behaviour : kWebBehaviours)
        AppendHelpEntry(help, std::string(behaviour.name), behaviour.meaning);
    return help + "\nExit status: 0 after SIGTERM or SIGINT; 2 for a bad command line, a bad "
                  "device file, or a log\nor ready file that cannot be written; 1 when the "
                  "socket or the event loop cannot be set up.\n";
}

} // namespace devsim

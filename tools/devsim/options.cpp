#include "tools/devsim/options.h"

#include "discovery/ip_text.h"
#include "text/number_text.h"
#include "tools/devsim/device.h"

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
    kHelp = 'h'
};

struct OptionSpec {
    const char* name;     // without its dashes
    const char* argument; // nullptr: it takes none
    Code code;
    std::string_view help;
};

// Every option once: getopt_long's table and the help are made from it.
constexpr OptionSpec kOptions[] = {
    {"devices", "FILE", kDevices, "one device a line, 8 fields split by '|' (devices.sample.txt)"},
    {"count", "N", kCount, "N generated devices (1 to 10000), the same list on every run"},
    {"subnet", "ADDR", kSubnet, "generated devices follow ADDR (default 10.77.1.0)"},
    {"interface", "ADDR", kInterface, "join the group on that interface only (default: on all)"},
    {"spread-ms", "N", kSpread, "each device answers after a random [0, N) ms (default 0)"},
    {"seed", "N", kSeed, "seed of those delays (default 1)"},
    {"dhcp-base", "ADDR", kDhcpBase, "first address a device gets by DHCP (default 10.77.200.1)"},
    {"inject", "KIND[,KIND]", kInject, "also send faulty datagrams after each burst, or \"all\""},
    {"gather-ms", "N", kGather, "answer the requests that come within N ms together, after N ms"},
    {"web-behaviour", "IP:CMD=KIND[,...]", kWebBehaviour, "how IP answers CMD; the last rule wins"},
    {"restart-ms", "N", kRestart, "a rebooted device answers nothing for N ms (default 3000)"},
    {"log", "FILE", kLog, "write the log there instead of to standard error"},
    {"ready-file", "PATH", kReadyFile, "create PATH once the socket is bound and joined"},
    {"help", nullptr, kHelp, "this text"},
};

// Where the help's descriptions begin; each is one line.
constexpr std::size_t kHelpColumn = 25;

const OptionSpec& SpecOf(int code) {
    return *std::ranges::find(kOptions, code, &OptionSpec::code);
}

std::string Quoted(std::string_view value) {
    return "'" + std::string(value) + "'";
}

// Reads a decimal number from `min` to `max` into `target`; an error text otherwise.
template <typename T>
std::string ReadNumber(std::string_view text, std::uint64_t min, std::uint64_t max, T& target) {
    const auto value = text::ParseNumber<std::uint64_t>(text);
    if (!value || *value < min || *value > max) {
        return Quoted(text) + " is not a number from " + std::to_string(min) + " to " +
               std::to_string(max);
    }
    target = T(*value);
    return {};
}

std::string ReadAddress(std::string_view text, std::uint32_t& target) {
    const auto address = discovery::ParseStrictIPv4Text(text);
    if (!address) {
        return Quoted(text) + " is not a dotted IPv4 address";
    }
    target = *address;
    return {};
}

// Moves a parsed value into `target`; the parser's reason when it failed.
template <typename Parsed, typename T> std::string Take(Parsed parsed, T& target) {
    if (!parsed) {
        return parsed.error().what;
    }
    target = std::move(*parsed);
    return {};
}

// Cross-option rules, once every option is known.
std::string CheckCombination(const Options& o, bool subnetGiven) {
    if (o.devicesFile && o.count) {
        return "give either --devices or --count, not both";
    }
    if (!o.devicesFile && !o.count) {
        return "give --devices FILE or --count N";
    }
    if (subnetGiven && !o.count) {
        return "--subnet goes with --count";
    }
    if (o.devicesFile && o.devicesFile->empty()) {
        return "--devices: empty file name";
    }
    return {};
}

// "  TERM  text", the text at kHelpColumn (on a line of its own after a longer term).
std::string HelpLine(std::string_view term, std::string_view text) {
    const std::string head = "  " + std::string(term);
    const std::string pad(kHelpColumn, ' ');
    if (head.size() >= kHelpColumn) {
        return head + "\n" + pad + std::string(text) + "\n";
    }
    return head + pad.substr(head.size()) + std::string(text) + "\n";
}

} // namespace

base::Result<Options> ParseOptions(int argc, char** argv) {
    std::array<option, std::size(kOptions) + 1> table{};
    std::ranges::transform(kOptions, table.begin(), [](const OptionSpec& entry) {
        return option{entry.name, entry.argument ? required_argument : no_argument, nullptr,
                      entry.code};
    });
    Options o;
    const auto fail = [](std::string error) { return base::Failure{.what = std::move(error)}; };
    std::set<int> seen;
    optind = 0; // full reinitialisation, so that every call starts afresh
    opterr = 0;
    // '+': stop at the first word that is no option, which is then refused below; ':': a
    // missing value comes back as ':' rather than '?'.
    for (int c; (c = getopt_long(argc, argv, "+:h", table.data(), nullptr)) != -1;) {
        if (c == '?') {
            return fail("unknown option '" + std::string(argv[optind - 1]) + "' (see --help)");
        }
        const std::string name = "--" + std::string(SpecOf(c == ':' ? optopt : c).name);
        if (c == ':') {
            return fail(name + " needs a value");
        }
        if (!seen.insert(c).second) {
            return fail(name + " given twice");
        }
        const std::string_view value = optarg ? optarg : "";
        std::string error;
        switch (c) {
        case kHelp:
            o.help = true;
            return o;
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
            if (const auto seed = text::ParseNumber<std::uint64_t>(value)) {
                o.seed = *seed;
            } else {
                error = Quoted(value) + " is not an unsigned 64-bit number";
            }
            break;
        case kDhcpBase:
            error = ReadAddress(value, o.dhcpBase);
            break;
        case kInject:
            error = Take(ParseInjectList(value), o.inject);
            break;
        case kGather:
            error = ReadNumber(value, 0, kMaxSpread.count(), o.gather);
            break;
        case kWebBehaviour:
            error = Take(ParseWebBehaviours(value), o.webBehaviours);
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
            return fail(name + ": " + error);
        }
    }
    if (optind < argc) {
        return fail("unknown option '" + std::string(argv[optind]) + "' (see --help)");
    }
    if (std::string error = CheckCombination(o, seen.contains(kSubnet)); !error.empty()) {
        return fail(std::move(error));
    }
    return o;
}

std::string UsageText() {
    std::string help =
        "usage: devsim (--devices FILE | --count N [--subnet ADDR]) [options]\n\n"
        "Stands in for network video devices: answers discovery search requests on UDP 6789\n"
        "(multicast group 224.111.111.1 and the limited broadcast) with one search reply per\n"
        "device, applies address-change requests and serves each device's web commands. Run it\n"
        "inside a network namespace; tools/devsim/README.md describes the log.\n\n";
    for (const OptionSpec& entry : kOptions) {
        help += HelpLine(std::string("--") + entry.name +
                             (entry.argument ? std::string(" ") + entry.argument : ""),
                         entry.help);
    }
    help += "\nInject KIND:\n";
    for (const auto& kind : kInjectKinds) {
        help += HelpLine(kind.name, kind.meaning);
    }
    help += "\nWeb CMD (the device addresses must exist in the namespace):\n";
    for (const auto& command : kWebCommands) {
        help += HelpLine(command.name, command.meaning);
    }
    help += "\nWeb behaviour KIND:\n";
    for (const auto& behaviour : kWebBehaviours) {
        help += HelpLine(behaviour.name, behaviour.meaning);
    }
    return help + "\nExit status: 0 after SIGTERM or SIGINT; 1 when the socket or the event loop "
                  "cannot be set\nup; 2 for a bad command line or device file, or a log or ready "
                  "file that cannot be written.\n";
}

} // namespace devsim

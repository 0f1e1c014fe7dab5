// Option parsing with getopt_long, and the rules that tie the options together.
#include "cli/cli_options.h"

#include "discovery/device_texts.h"
#include "discovery/ip_text.h"
#include "text/number_text.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace cli {
namespace {

enum LongOnly : int {
    kOptCodepage = 256,
    kOptSetAddress,
    kOptNew,
    kOptMask,
    kOptGateway,
    kOptDhcp,
    kOptForce,
    kOptVerify,
    kOptApply,
    kOptWatch,
};

const option kLongOptions[] = {
    {"interface", required_argument, nullptr, 'i'},
    {"wait", required_argument, nullptr, 'w'},
    {"sort", required_argument, nullptr, 's'},
    {"format", required_argument, nullptr, 'f'},
    {"help", no_argument, nullptr, 'h'},
    {"codepage", required_argument, nullptr, kOptCodepage},
    {"set-address", required_argument, nullptr, kOptSetAddress},
    {"new", required_argument, nullptr, kOptNew},
    {"mask", required_argument, nullptr, kOptMask},
    {"gateway", required_argument, nullptr, kOptGateway},
    {"dhcp", required_argument, nullptr, kOptDhcp},
    {"force", no_argument, nullptr, kOptForce},
    {"verify", no_argument, nullptr, kOptVerify},
    {"apply", required_argument, nullptr, kOptApply},
    {"watch", optional_argument, nullptr, kOptWatch},
    {nullptr, 0, nullptr, 0},
};
// Leading ':' : a missing argument returns ':' and getopt prints nothing itself.
constexpr char kShortOptions[] = ":i:w:s:f:h";

constexpr std::array<std::pair<std::string_view, int>, 6> kSortNames = {{
    {"model", discovery::kModelColumn},
    {"name", discovery::kNameColumn},
    {"ip", discovery::kAddressColumn},
    {"http", discovery::kHttpPortColumn},
    {"rtsp", discovery::kRtspPortColumn},
    {"mac", discovery::kMacColumn},
}};

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// Which options were given, for the rules between them.
struct Seen {
    bool newAddress = false;
    bool mask = false;
    bool gateway = false;
    int actions = 0;
};

std::string CheckCombination(const CliOptions& o, const Seen& seen) {
    if (seen.actions > 1) {
        return "--set-address, --dhcp, --apply and --watch exclude each other";
    }
    // A CSV file is one table with one heading; events suit JSON Lines better.
    if (o.action == Action::kWatch && o.format == OutputFormat::kCsv) {
        return "--watch prints table lines or JSON Lines (--format json), not csv";
    }
    const bool setAddress = o.action == Action::kSetAddress;
    if (setAddress && !seen.newAddress) {
        return "--set-address needs --new IP";
    }
    if (!setAddress && (seen.newAddress || seen.mask || seen.gateway)) {
        return "--new, --mask and --gateway go with --set-address";
    }
    const bool change = setAddress || o.action == Action::kDhcp || o.action == Action::kApply;
    if (!change && o.force) {
        return "--force goes with --set-address or --apply";
    }
    if (!change && o.verify) {
        return "--verify goes with --set-address or --dhcp";
    }
    return {};
}

} // namespace

std::optional<int> ParseSortColumn(std::string_view text) {
    const std::string name = Lower(text);
    for (const auto& [key, column] : kSortNames) {
        if (name == key) {
            return column;
        }
    }
    return std::nullopt;
}

base::Result<CliOptions> ParseOptions(int argc, char* argv[]) {
    CliOptions o;
    Seen seen;
    const auto fail = [](std::string reason) { return base::Failure{.what = std::move(reason)}; };
    auto address = [](const char* option, const char* text, std::uint32_t& out) -> std::string {
        const std::optional<std::uint32_t> value = discovery::ParseStrictIPv4Text(text);
        if (!value) {
            return std::string(option) + ": '" + text + "' is not an IPv4 address";
        }
        out = *value;
        return {};
    };
    auto count = [](const char* option, const char* text, const char* what, long long max,
                    long long& out) -> std::string {
        const std::optional<long long> value = text::ParseNumber<long long>(text);
        if (!value || *value < 1 || *value > max) {
            return std::string(option) + ": '" + text + "' is not " + what + " from 1 to " +
                   std::to_string(max);
        }
        out = *value;
        return {};
    };

    optind = 0; // full reinitialisation, so that every call starts afresh
    opterr = 0;
    for (;;) {
        const int c = getopt_long(argc, argv, kShortOptions, kLongOptions, nullptr);
        if (c == -1) {
            break;
        }
        std::string error;
        const char* arg = optarg;
        switch (c) {
        case 'i': {
            std::uint32_t value = 0;
            error = address("--interface", arg, value);
            o.interfaces.push_back(value);
            break;
        }
        case 'w': {
            long long ms = 0;
            error = count("--wait", arg, "a number of milliseconds", kMaxWait.count(), ms);
            o.wait = std::chrono::milliseconds(ms);
            break;
        }
        case 's':
            o.sortColumn = ParseSortColumn(arg);
            if (!o.sortColumn) {
                error = std::string("--sort: '") + arg +
                        "' is not one of model, name, ip, http, rtsp, mac";
            }
            break;
        case 'f': {
            const std::string format = Lower(arg);
            if (format == "table") {
                o.format = OutputFormat::kTable;
            } else if (format == "csv") {
                o.format = OutputFormat::kCsv;
            } else if (format == "json") {
                o.format = OutputFormat::kJson;
            } else {
                error = std::string("--format: '") + arg + "' is not one of table, csv, json";
            }
            break;
        }
        case 'h':
            o.action = Action::kHelp;
            return o; // help wins over everything else on the line
        case kOptCodepage:
            o.codepage = arg;
            o.codepageGiven = true;
            if (o.codepage.empty()) {
                error = "--codepage: empty name";
            }
            break;
        case kOptSetAddress:
            o.action = Action::kSetAddress;
            ++seen.actions;
            error = address("--set-address", arg, o.device);
            break;
        case kOptDhcp:
            o.action = Action::kDhcp;
            ++seen.actions;
            error = address("--dhcp", arg, o.device);
            break;
        case kOptApply:
            o.action = Action::kApply;
            ++seen.actions;
            o.applyFile = arg;
            break;
        case kOptWatch: {
            o.action = Action::kWatch;
            ++seen.actions;
            // The period is optional and may be the next word ("--watch 30"), which
            // getopt_long only takes as "--watch=30"; no other word of this command line
            // stands on its own.
            if (!arg && optind < argc && argv[optind][0] != '-') {
                arg = argv[optind++];
            }
            if (!arg) {
                break;
            }
            long long seconds = 0;
            error = count("--watch", arg, "a whole number of seconds", kMaxWatchPeriod.count(),
                          seconds);
            o.watchPeriod = std::chrono::seconds(seconds);
            break;
        }
        case kOptNew:
            seen.newAddress = true;
            error = address("--new", arg, o.newAddress);
            break;
        case kOptMask:
            seen.mask = true;
            error = address("--mask", arg, o.mask);
            break;
        case kOptGateway:
            seen.gateway = true;
            error = address("--gateway", arg, o.gateway);
            break;
        case kOptForce:
            o.force = true;
            break;
        case kOptVerify:
            o.verify = true;
            break;
        case ':':
            error = std::string(argv[optind - 1]) + " needs a value";
            break;
        default: // '?': optopt names an unknown short option, 0 for a long one
            error = optopt != 0 ? std::string("unknown option '-") + static_cast<char>(optopt) + "'"
                                : std::string("unknown option '") + argv[optind - 1] + "'";
            break;
        }
        if (!error.empty()) {
            return fail(std::move(error));
        }
    }
    if (optind < argc) {
        return fail(std::string("unexpected argument '") + argv[optind] + "'");
    }
    if (std::string error = CheckCombination(o, seen); !error.empty()) {
        return fail(std::move(error));
    }
    return o;
}

std::string UsageText() {
    return R"(usage: search-cli [OPTION]...
Finds the network video devices that answer the discovery search and lists them, or changes
their IP settings. Exit status: 0 devices found (or the change verified), 1 none found (or not
verified), 2 bad usage, a refused change, a network fault or output that could not be
written; the reason is on standard error, a line per conflict of a refused change.

Search:
  -i, --interface ADDR   search only from this local address (repeatable)
                           search-cli --interface 192.168.1.5 --interface 10.0.0.2
  -w, --wait MS          collect replies this long (default 3000)
                           search-cli --wait 1500
  -s, --sort COLUMN      sort by model, name, ip, http, rtsp or mac (default: arrival order)
                           search-cli --sort ip
  -f, --format FORMAT    table (default), csv (RFC 4180, header line) or json (each device
                         also lists as "macs" the MACs that answered from its address)
                           search-cli --format csv > devices.csv
      --codepage NAME    code page of the devices' 8-bit texts (default windows-1252; Linux)
                           search-cli --codepage windows-1251

Watch:
      --watch [SECONDS]  search again every SECONDS (default 15, at most 3600; at once when
                         --wait is longer) until Ctrl+C or SIGTERM ends it with status 0; a
                         line per event: a device appeared, changed (any column but the index,
                         or the MACs that answer from its address) or is gone (missed three
                         searches in a row), with the time in UTC (ISO 8601, milliseconds).
                         A device is known by its address; the first search reports every
                         device as appeared. --format json: JSON Lines, {"event", "time",
                         "device": the device as the list writes it}; csv is refused
                           search-cli --watch 30 --format json

Change one device (the same request and checks as the IP page). Devices are found by their
address, so a change that would put two devices on one address is refused: --set-address
searches first and refuses a new address that another device answers from, or a device
address that several devices answer from (they would all move; --dhcp moves them apart).
      --set-address IP   the device's current address; with --new, --mask, --gateway
      --new IP           its new address (last octet 0 or 255 is refused)
      --mask MASK        its subnet mask (default 255.255.255.0)
      --gateway IP       its gateway (default: the new address's first three octets and 1)
                           search-cli --set-address 192.168.1.64 --new 192.168.1.80
      --dhcp IP          switch the device with this address to DHCP
                           search-cli --dhcp 192.168.1.64 --verify
      --force            send although the gateway lies outside the new address's /24
                           search-cli --set-address 192.168.1.64 --new 192.168.1.80 \
                             --gateway 192.168.2.1 --force
      --verify           search before and after: does the device (known by its MAC) answer
                         from its new address? One that did not answer before: cannot tell
                           search-cli --set-address 192.168.1.64 --new 192.168.1.80 --verify

Change many devices:
      --apply FILE.csv   one line per device: current,new,mask,gateway or current,dhcp
                         (mask and gateway may be empty; '#' lines and a heading line are
                         skipped); before anything is sent, every line and the whole file are
                         checked as --set-address checks (no swaps or chains: no new address
                         may be another line's device), then a search reports which devices
                         answer from their new address
                           search-cli --apply readdress.csv

  -h, --help             this text
                           search-cli --help
)";
}

} // namespace cli

// --apply files and the checks every address change passes.
#include "cli/address_changes.h"

#include "cli/cli_options.h"
#include "discovery/ip_text.h"
#include "ippage/modify_ip_rules.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace cli {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// One line's fields, CSV style: commas separate, a field may be enclosed in quotes with
// doubled quotes inside. False on an unterminated quote.
bool SplitFields(std::string_view line, std::vector<std::string>& fields) {
    fields.clear();
    std::string field;
    bool quoted = false;
    bool inQuotes = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field.push_back('"');
                ++i;
            } else if (c == '"') {
                inQuotes = false;
            } else {
                field.push_back(c);
            }
        } else if (c == '"' && Trim(field).empty()) {
            field.clear();
            inQuotes = quoted = true;
        } else if (c == ',') {
            fields.emplace_back(quoted ? field : std::string(Trim(field)));
            field.clear();
            quoted = false;
        } else {
            field.push_back(c);
        }
    }
    if (inQuotes)
        return false;
    fields.emplace_back(quoted ? field : std::string(Trim(field)));
    return true;
}

bool IsDhcp(std::string_view field) {
    return field.size() == 4 && std::equal(field.begin(), field.end(), "dhcp",
                                           [](char a, char b) { return std::tolower(a) == b; });
}

std::string LinePrefix(int line) {
    return line > 0 ? "line " + std::to_string(line) + ": " : std::string();
}

// Reads the fields of one device line into `change`; the reason when they are not sound.
std::string ReadChange(const std::vector<std::string>& fields, PlannedChange& change) {
    std::size_t used = fields.size();
    while (used > 2 && fields[used - 1].empty())
        --used; // spreadsheets pad short rows with empty cells
    if (used < 2 || fields[1].empty())
        return "expected current,new[,mask[,gateway]] or current,dhcp";
    if (used > 4)
        return "more than four fields";
    const std::optional<std::uint32_t> device = discovery::ParseStrictIPv4Text(fields[0]);
    if (!device)
        return "'" + fields[0] + "' is not an IPv4 address";
    change.device = *device;
    if (IsDhcp(fields[1])) {
        if (used > 2)
            return "dhcp takes no mask or gateway";
        change.dhcp = true;
        return {};
    }
    const std::optional<std::uint32_t> newAddress = discovery::ParseStrictIPv4Text(fields[1]);
    if (!newAddress)
        return "new address '" + fields[1] + "' is not an IPv4 address";
    change.newAddress = *newAddress;
    change.mask = kDefaultMask;
    if (used > 2 && !fields[2].empty()) {
        const std::optional<std::uint32_t> mask = discovery::ParseStrictIPv4Text(fields[2]);
        if (!mask)
            return "mask '" + fields[2] + "' is not an IPv4 address";
        change.mask = *mask;
    }
    if (used > 3 && !fields[3].empty()) {
        const std::optional<std::uint32_t> gateway = discovery::ParseStrictIPv4Text(fields[3]);
        if (!gateway)
            return "gateway '" + fields[3] + "' is not an IPv4 address";
        change.gateway = *gateway;
    }
    return {};
}

} // namespace

ChangeList ParseApplyFile(std::string_view content) {
    ChangeList list;
    if (content.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        content.remove_prefix(kUtf8Bom.size());
    std::map<std::uint32_t, int> devices;    // current address -> line
    std::map<std::uint32_t, int> newTargets; // new address -> line
    std::vector<std::string> fields;
    bool first = true;
    int lineNumber = 0;
    while (!content.empty()) {
        ++lineNumber;
        const std::size_t end = content.find('\n');
        const std::string_view line = Trim(content.substr(0, end));
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        const auto fail = [&](const std::string& reason) {
            list.changes.clear();
            list.error = LinePrefix(lineNumber) + reason;
            return list;
        };
        if (!SplitFields(line, fields))
            return fail("unterminated quote");
        // A heading names its columns; a mistyped address (it has digits) is a fault, not one.
        const bool heading = first && std::none_of(fields[0].begin(), fields[0].end(),
                                                   [](unsigned char c) { return std::isdigit(c); });
        first = false;
        if (heading)
            continue;
        PlannedChange change;
        change.line = lineNumber;
        if (std::string reason = ReadChange(fields, change); !reason.empty())
            return fail(reason);
        if (const auto [at, added] = devices.emplace(change.device, lineNumber); !added)
            return fail("device " + fields[0] + " is on line " + std::to_string(at->second) +
                        " too");
        if (!change.dhcp) {
            if (const auto [at, added] = newTargets.emplace(change.newAddress, lineNumber); !added)
                return fail("new address " + fields[1] + " is given on line " +
                            std::to_string(at->second) + " too");
        }
        list.changes.push_back(change);
    }
    if (list.changes.empty())
        list.error = "no device lines";
    return list;
}

CheckedChanges CheckChanges(std::vector<PlannedChange>& changes, bool force) {
    CheckedChanges checked;
    for (PlannedChange& change : changes) {
        ippage::ModifyIpEntries entries;
        entries.originalAddress = change.device;
        entries.newAddress = change.newAddress;
        entries.subnetMask = change.mask;
        entries.gateway = change.gateway;
        entries.useDhcp = change.dhcp;
        entries.newAddressEnabled = !change.dhcp;
        const ippage::ModifyIpPlan plan = ippage::PlanModifyIP(entries);
        const std::string where =
            LinePrefix(change.line) + discovery::FormatIPv4(change.device) + ": ";
        if (plan.verdict == ippage::ModifyIpVerdict::kRefuseAddress) {
            checked.requests.clear();
            checked.error = where + "new address " + discovery::FormatIPv4(change.newAddress) +
                            " ends in .0 or .255";
            return checked;
        }
        if (plan.verdict == ippage::ModifyIpVerdict::kAskGatewaySegment && !force) {
            checked.requests.clear();
            checked.error = where + "gateway " + discovery::FormatIPv4(change.gateway) +
                            " is not in the network segment of " +
                            discovery::FormatIPv4(change.newAddress) + " (--force sends anyway)";
            return checked;
        }
        change.gateway = plan.request.gateway;
        checked.requests.push_back(plan.request);
    }
    return checked;
}

} // namespace cli

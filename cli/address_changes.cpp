// --apply files, and the words for a plan's conflicts and a change's outcome.
#include "cli/address_changes.h"

#include "cli/cli_options.h"
#include "discovery/ip_text.h"
#include "text/ansi_text.h"

#include <algorithm>
#include <cctype>

namespace cli {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
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
    if (inQuotes) {
        return false;
    }
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
std::string ReadChange(const std::vector<std::string>& fields, ippage::PlannedChange& change) {
    std::size_t used = fields.size();
    while (used > 2 && fields[used - 1].empty()) {
        --used; // spreadsheets pad short rows with empty cells
    }
    if (used < 2 || fields[1].empty()) {
        return "expected current,new[,mask[,gateway]] or current,dhcp";
    }
    if (used > 4) {
        return "more than four fields";
    }
    const std::optional<std::uint32_t> device = discovery::ParseStrictIPv4Text(fields[0]);
    if (!device) {
        return "'" + fields[0] + "' is not an IPv4 address";
    }
    change.device = *device;
    if (IsDhcp(fields[1])) {
        if (used > 2) {
            return "dhcp takes no mask or gateway";
        }
        change.dhcp = true;
        return {};
    }
    const std::optional<std::uint32_t> newAddress = discovery::ParseStrictIPv4Text(fields[1]);
    if (!newAddress) {
        return "new address '" + fields[1] + "' is not an IPv4 address";
    }
    change.newAddress = *newAddress;
    change.mask = kDefaultMask;
    if (used > 2 && !fields[2].empty()) {
        const std::optional<std::uint32_t> mask = discovery::ParseStrictIPv4Text(fields[2]);
        if (!mask) {
            return "mask '" + fields[2] + "' is not an IPv4 address";
        }
        change.mask = *mask;
    }
    if (used > 3 && !fields[3].empty()) {
        const std::optional<std::uint32_t> gateway = discovery::ParseStrictIPv4Text(fields[3]);
        if (!gateway) {
            return "gateway '" + fields[3] + "' is not an IPv4 address";
        }
        change.gateway = *gateway;
    }
    return {};
}

} // namespace

base::Result<std::vector<ippage::PlannedChange>> ParseApplyFile(std::string_view content) {
    std::vector<ippage::PlannedChange> changes;
    if (content.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        content.remove_prefix(kUtf8Bom.size());
    }
    std::vector<std::string> fields;
    bool first = true;
    int lineNumber = 0;
    while (!content.empty()) {
        ++lineNumber;
        const std::size_t end = content.find('\n');
        const std::string_view line = Trim(content.substr(0, end));
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto fail = [&](const std::string& reason) {
            return base::Failure{.what = LinePrefix(lineNumber) + reason};
        };
        if (!SplitFields(line, fields)) {
            return fail("unterminated quote");
        }
        // A heading names its columns; a mistyped address (it has digits) is a fault, not one.
        const bool heading = first && std::none_of(fields[0].begin(), fields[0].end(),
                                                   [](unsigned char c) { return std::isdigit(c); });
        first = false;
        if (heading) {
            continue;
        }
        ippage::PlannedChange change;
        change.line = lineNumber;
        if (std::string reason = ReadChange(fields, change); !reason.empty()) {
            return fail(reason);
        }
        changes.push_back(change);
    }
    if (changes.empty()) {
        return base::Failure{.what = "no device lines"};
    }
    return changes;
}

std::string DescribeConflict(const ippage::Conflict& conflict,
                             std::span<const ippage::AnsweringDevice> answering) {
    using enum ippage::ConflictKind;
    const std::string device = discovery::FormatIPv4(conflict.device);
    const std::string newAddress = discovery::FormatIPv4(conflict.newAddress);
    const std::string otherLine = "line " + std::to_string(conflict.otherLine);
    std::string text = LinePrefix(conflict.line);
    switch (conflict.kind) {
    case kInvalidNewAddress:
        return text + device + ": new address " + newAddress + " ends in .0 or .255";
    case kGatewayOtherSegment:
        return text + device + ": gateway " + discovery::FormatIPv4(conflict.gateway) +
               " is not in the network segment of " + newAddress + " (--force sends anyway)";
    case kDeviceTwice:
        return text + "device " + device + " is on " + otherLine + " too";
    case kNewAddressTwice:
        return text + "new address " + newAddress + " is given on " + otherLine + " too";
    case kNewAddressIsPlannedDevice:
        return text + device + ": new address " + newAddress +
               " is the current address of the device on " + otherLine +
               " (both would end on one address)";
    case kNewAddressHeld: {
        std::string macs;
        for (const std::wstring& mac : ippage::MacsAt(answering, conflict.newAddress)) {
            macs += (macs.empty() ? "" : ", ") + text::WideToUtf8(mac);
        }
        return text + device + ": new address " + newAddress + " is taken by another device (" +
               macs + ")";
    }
    case kSharedAddress:
        break;
    }
    return text + device + ": " + std::to_string(conflict.devices) +
           " devices answer from it and all would take " + newAddress +
           " (switch them to dhcp first)";
}

std::string DescribeOutcome(const ippage::PlannedChange& change,
                            const ippage::ChangeOutcome& outcome) {
    using enum ippage::OutcomeKind;
    const std::string what = discovery::FormatIPv4(change.device) + " -> " +
                             (change.dhcp ? "dhcp" : discovery::FormatIPv4(change.newAddress)) +
                             ": ";
    switch (outcome.kind) {
    case kAnswers:
        return what + "answers";
    case kAnswersFrom:
        return what + "answers from " + discovery::FormatIPv4(outcome.address);
    case kOtherDevice:
        return what + "another device (" + text::WideToUtf8(outcome.mac) + ") answers there";
    case kNoAnswer:
        return what + (change.dhcp ? "no answer from a new address" : "no answer");
    case kCannotTell:
        break;
    }
    return what + "cannot tell, it did not answer before the change";
}

} // namespace cli

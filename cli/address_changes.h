// The address changes of one run: from the command line or from an --apply file, checked
// with the IP page's rules before anything is sent.
#pragma once

#include "discovery/datagram.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct PlannedChange {
    // The line of the --apply file; 0 for a change given on the command line.
    int line = 0;
    std::uint32_t device = 0;
    bool dhcp = false;
    std::uint32_t newAddress = 0;
    std::uint32_t mask = 0;
    // 0 until the checks fill it in from the new address.
    std::uint32_t gateway = 0;
};

struct ChangeList {
    std::vector<PlannedChange> changes;
    // Empty when every change is sound; else the reason, naming the line.
    std::string error;
};

// An --apply file: a line per device, "current,new[,mask[,gateway]]" or "current,dhcp".
// Fields may be quoted as in CSV and padded with spaces; blank lines and lines starting with
// '#' are skipped, and so is a first line whose first field has no digit (a heading).
// An empty mask is 255.255.255.0; an empty gateway is filled in by the checks. A device named
// twice, or two devices given one new address, is refused: one of them would be lost.
[[nodiscard]] ChangeList ParseApplyFile(std::string_view content);

// The IP page's checks on every change, before anything is sent: a new address ending in .0
// or .255 is refused, a gateway outside the new address's /24 is refused unless `force`, and
// a missing gateway is filled in. On success the requests, in order; else the first fault.
struct CheckedChanges {
    std::vector<discovery::AddressChange> requests;
    std::string error;
};
[[nodiscard]] CheckedChanges CheckChanges(std::vector<PlannedChange>& changes, bool force);

} // namespace cli

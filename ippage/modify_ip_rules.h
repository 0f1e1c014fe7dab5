// What Modify IP does with what the operator entered: refuse the new address, ask about a
// gateway in another segment, or send. The page shows and sends; the command line applies
// the same rules.
#pragma once

#include "discovery/datagram.h"

#include <cstdint>

namespace ippage {

// The page's fields as read from its controls; addresses have the first octet in the top
// byte, as the address controls hold them.
struct ModifyIpEntries {
    std::uint32_t originalAddress = 0;
    std::uint32_t newAddress = 0;
    std::uint32_t subnetMask = 0;
    std::uint32_t gateway = 0;
    bool useDhcp = false;
    // Whether the new-address field takes input; it follows Use DHCP through its click.
    bool newAddressEnabled = true;
};

enum class ModifyIpVerdict {
    // The new address ends in .0 or .255: say so and send nothing.
    kRefuseAddress,
    // The gateway lies outside the new address's /24: send only when the operator agrees.
    kAskGatewaySegment,
    kSend,
};

struct ModifyIpPlan {
    ModifyIpVerdict verdict = ModifyIpVerdict::kSend;
    // An empty gateway was replaced by the new address's first three octets and 1; the page
    // shows the filled-in value before it sends.
    bool gatewayFilled = false;
    // The gateway after the fill-in: what the page writes back, whether or not it travels.
    std::uint32_t gateway = 0;
    // What to send, once sending is decided.
    discovery::AddressChange request;
};

[[nodiscard]] ModifyIpPlan PlanModifyIP(const ModifyIpEntries& entries);

} // namespace ippage

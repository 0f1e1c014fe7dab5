// Modify IP's checks, the gateway fill-in and the request they lead to.
#include "ippage/modify_ip_rules.h"

namespace ippage {
namespace {

constexpr std::uint32_t kLastOctetMask = 0xFF;

// The /24 of an address: the mask the operator typed takes no part in the segment test.
constexpr std::uint32_t Segment(std::uint32_t address) {
    return address >> 8;
}

} // namespace

ModifyIpPlan PlanModifyIP(const ModifyIpEntries& entries) {
    ModifyIpPlan plan;
    std::uint32_t gateway = entries.gateway;
    if (!entries.useDhcp) {
        const std::uint32_t lastOctet = entries.newAddress & kLastOctetMask;
        if (lastOctet == 0 || lastOctet == kLastOctetMask) {
            plan.verdict = ModifyIpVerdict::kRefuseAddress;
            return plan;
        }
        if (gateway == 0) {
            gateway = (entries.newAddress & ~kLastOctetMask) | 1;
            plan.gatewayFilled = true;
        } else if (Segment(gateway) != Segment(entries.newAddress)) {
            plan.verdict = ModifyIpVerdict::kAskGatewaySegment;
        }
    }
    plan.gateway = gateway;
    plan.request.target = entries.originalAddress;
    plan.request.useDhcp = entries.useDhcp;
    // The static settings travel only while their fields take input.
    if (entries.newAddressEnabled) {
        plan.request.newAddress = entries.newAddress;
        plan.request.subnetMask = entries.subnetMask;
        plan.request.gateway = gateway;
    }
    return plan;
}

} // namespace ippage

// The whole-plan check and the after-change judgement.
#include "ippage/address_plan.h"

#include "ippage/modify_ip_rules.h"

#include <algorithm>
#include <map>

namespace ippage {
namespace {

bool Contains(std::span<const std::wstring> macs, const std::wstring& mac) {
    return std::find(macs.begin(), macs.end(), mac) != macs.end();
}

// The index of the first change under each address.
using FirstChange = std::map<std::uint32_t, std::size_t>;

} // namespace

std::span<const std::wstring> MacsAt(std::span<const AnsweringDevice> answering,
                                     std::uint32_t address) {
    const auto device = std::find_if(answering.begin(), answering.end(),
                                     [address](const auto& d) { return d.address == address; });
    return device == answering.end() ? std::span<const std::wstring>() : device->macs;
}

CheckedPlan CheckPlan(std::span<const PlannedChange> changes,
                      std::span<const AnsweringDevice> answering, bool gatewayAgreed) {
    FirstChange byDevice, byNewAddress;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        byDevice.emplace(changes[i].device, i);
        if (!changes[i].dhcp) {
            byNewAddress.emplace(changes[i].newAddress, i);
        }
    }
    CheckedPlan checked;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const PlannedChange& change = changes[i];
        const auto conflict = [&](ConflictKind kind) -> Conflict& {
            return checked.conflicts.emplace_back(Conflict{
                .kind = kind,
                .line = change.line,
                .device = change.device,
                .newAddress = change.dhcp ? 0 : change.newAddress,
            });
        };
        const auto otherLine = [&](ConflictKind kind, std::size_t other) {
            conflict(kind).otherLine = changes[other].line;
        };

        // The IP page's own checks.
        const ModifyIpPlan plan = PlanModifyIP({.originalAddress = change.device,
                                                .newAddress = change.newAddress,
                                                .subnetMask = change.mask,
                                                .gateway = change.gateway,
                                                .useDhcp = change.dhcp,
                                                .newAddressEnabled = !change.dhcp});
        if (plan.verdict == ModifyIpVerdict::kRefuseAddress) {
            conflict(ConflictKind::kInvalidNewAddress);
        } else if (plan.verdict == ModifyIpVerdict::kAskGatewaySegment && !gatewayAgreed) {
            conflict(ConflictKind::kGatewayOtherSegment).gateway = change.gateway;
        }
        checked.requests.push_back(plan.request);

        if (const std::size_t first = byDevice.at(change.device); first != i) {
            otherLine(ConflictKind::kDeviceTwice, first);
        }
        // A DHCP line takes no address of its own choosing; one that keeps its address changes
        // only its mask or gateway.
        if (change.dhcp) {
            continue;
        }
        if (const std::size_t first = byNewAddress.at(change.newAddress); first != i) {
            otherLine(ConflictKind::kNewAddressTwice, first);
        }
        if (change.newAddress == change.device) {
            continue;
        }
        // Each request finds its device by address: a device moved onto another line's device
        // takes that line's request too when it comes later (a chain), and a swap fails in
        // either order. Refused whatever the order of the lines, so the rule does not hang on it.
        const std::span<const std::wstring> own = MacsAt(answering, change.device);
        if (const auto planned = byDevice.find(change.newAddress); planned != byDevice.end()) {
            otherLine(ConflictKind::kNewAddressIsPlannedDevice, planned->second);
        } else {
            const std::span<const std::wstring> there = MacsAt(answering, change.newAddress);
            if (std::any_of(there.begin(), there.end(),
                            [own](const std::wstring& mac) { return !Contains(own, mac); })) {
                conflict(ConflictKind::kNewAddressHeld);
            }
        }
        if (own.size() > 1) {
            conflict(ConflictKind::kSharedAddress).devices = static_cast<int>(own.size());
        }
    }
    if (!checked.conflicts.empty()) {
        checked.requests.clear();
    }
    return checked;
}

ChangeOutcome JudgeChange(const PlannedChange& change, std::span<const std::wstring> before,
                          std::span<const AnsweringDevice> after) {
    if (before.empty()) {
        return {.kind = OutcomeKind::kCannotTell};
    }
    if (change.dhcp) {
        // Every device that took the request, each at an address other than the one it left.
        ChangeOutcome outcome{.kind = OutcomeKind::kAnswersFrom};
        for (std::size_t i = 0; i < before.size(); ++i) {
            const auto moved = std::find_if(after.begin(), after.end(), [&](const auto& device) {
                return device.address != change.device && Contains(device.macs, before[i]);
            });
            if (moved == after.end()) {
                return {.kind = OutcomeKind::kNoAnswer};
            }
            if (i == 0) {
                outcome.address = moved->address;
            }
        }
        return outcome;
    }
    const std::span<const std::wstring> there = MacsAt(after, change.newAddress);
    if (there.empty()) {
        return {.kind = OutcomeKind::kNoAnswer};
    }
    for (const std::wstring& mac : there) {
        if (!Contains(before, mac)) {
            return {.kind = OutcomeKind::kOtherDevice, .mac = mac};
        }
    }
    return {.kind = OutcomeKind::kAnswers};
}

} // namespace ippage

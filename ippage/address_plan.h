// A plan of address changes (one device, or a batch) checked as a whole before anything is
// sent, and each change's outcome judged from a search made afterwards. Devices are found only
// by their address: a plan that leaves two devices on one address makes them impossible to
// tell apart, so such a plan is refused, whoever made it. No texts here: each caller words the
// conflicts and outcomes in its own way (the command line in English, the window through its
// string table).
#pragma once

#include "discovery/datagram.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ippage {

// One change as the operator asked for it; addresses have the first octet in the top byte.
struct PlannedChange {
    int line = 0; // where the caller's input holds it (a file line, a list row); 0: the only one
    std::uint32_t device = 0; // the device's current address, by which the request finds it
    bool dhcp = false;
    std::uint32_t newAddress = 0;
    std::uint32_t mask = 0;
    std::uint32_t gateway = 0; // 0: the new address's first three octets and 1, as on the page
};

// A device address that answered a search, and the MACs that answered from it: one in the
// common case, several when devices share an address (a batch fresh from the factory).
struct AnsweringDevice {
    std::uint32_t address = 0;
    std::vector<std::wstring> macs{};
};

enum class ConflictKind {
    kInvalidNewAddress,         // the new address ends in .0 or .255
    kGatewayOtherSegment,       // the gateway lies outside the new address's /24, not agreed to
    kDeviceTwice,               // the device is named on otherLine too
    kNewAddressTwice,           // otherLine gives its device the same new address
    kNewAddressIsPlannedDevice, // the new address is where otherLine's device is now
    kNewAddressHeld,            // a device outside the plan answers from the new address
    kSharedAddress,             // `devices` devices answer from the line's address; all would move
};

struct Conflict {
    ConflictKind kind = ConflictKind::kInvalidNewAddress;
    int line = 0;
    int otherLine = 0;            // kDeviceTwice, kNewAddressTwice, kNewAddressIsPlannedDevice
    std::uint32_t device = 0;     // the line's current address
    std::uint32_t newAddress = 0; // the line's new address (0 for DHCP)
    std::uint32_t gateway = 0;    // kGatewayOtherSegment
    int devices = 0;              // kSharedAddress
};

struct CheckedPlan {
    // One request per change, in order, gateways filled in; empty while any conflict stands.
    std::vector<discovery::AddressChange> requests;
    // Every conflict, by line in the plan's order, each line's in the order of the kinds.
    std::vector<Conflict> conflicts;
};

// `answering`: the devices that answered a search made just before (empty when none was made).
// `gatewayAgreed`: the operator has agreed to gateways outside their new address's /24.
[[nodiscard]] CheckedPlan CheckPlan(std::span<const PlannedChange> changes,
                                    std::span<const AnsweringDevice> answering, bool gatewayAgreed);

enum class OutcomeKind {
    kAnswers,     // the device answers from its new address
    kAnswersFrom, // (DHCP) the device answers from `address`
    kOtherDevice, // a device it is not (`mac`) answers from the new address
    kNoAnswer,    // nothing answers from the new address; (DHCP) the device answers from no new one
    kCannotTell,  // the device did not answer before the change: nothing to know it by
};

struct ChangeOutcome {
    OutcomeKind kind = OutcomeKind::kNoAnswer;
    std::uint32_t address = 0; // kAnswersFrom
    std::wstring mac{};        // kOtherDevice
};

// What became of one change: `before` is what answered from its device's address before the
// change was sent, `after` the devices that answer a search made after it.
[[nodiscard]] ChangeOutcome JudgeChange(const PlannedChange& change,
                                        std::span<const std::wstring> before,
                                        std::span<const AnsweringDevice> after);

// The MACs that answered from `address`; empty when none did.
[[nodiscard]] std::span<const std::wstring> MacsAt(std::span<const AnsweringDevice> answering,
                                                   std::uint32_t address);

} // namespace ippage

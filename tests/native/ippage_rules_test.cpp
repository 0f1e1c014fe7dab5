// The IP page's rules: Modify IP's verdict, filled-in gateway and request for each situation
// the operator can leave the page in, a plan of changes checked as a whole, the batch form's
// plan, each change's outcome, and the address probe's verdict.
#include "ippage/address_plan.h"
#include "ippage/batch_plan.h"
#include "ippage/modify_ip_rules.h"
#include "ippage/probe_verdict.h"

#include <gtest/gtest.h>

namespace ippage {
namespace {

constexpr std::uint32_t kOld = 0xC0A80164;  // 192.168.1.100
constexpr std::uint32_t kNew = 0xC0A80114;  // 192.168.1.20
constexpr std::uint32_t kMask = 0xFFFFFF00; // 255.255.255.0
constexpr std::uint32_t kGw = 0xC0A80101;   // 192.168.1.1
constexpr std::uint32_t kGw2 = 0xC0A80201;  // 192.168.2.1

TEST(PlanModifyIP, VerdictFillInAndRequest) {
    using enum ModifyIpVerdict;
    const struct {
        ModifyIpEntries entries; // original, new, mask, gateway, Use DHCP, new address enabled
        ModifyIpVerdict verdict;
        bool filled;                      // the gateway shown is filled in (the new /24's .1)
        discovery::AddressChange request; // checked unless refused
    } cases[] = {
        {{kOld, kNew, kMask, kGw2 - 3, false, true}, kSend, false, {kOld, kNew, kMask, kGw2 - 3}},
        {{kOld, 0xC0A80100, kMask, kGw, false, true}, kRefuseAddress, false, {}}, // .0
        {{kOld, 0xC0A801FF, kMask, kGw, false, true}, kRefuseAddress, false, {}}, // .255
        {{kOld, kNew, kMask, 0, false, true}, kSend, true, {kOld, kNew, kMask, kGw}},
        // The segment is the /24, whatever the mask.
        {{kOld, kNew, 0xFFFF0000, kGw2, false, true},
         kAskGatewaySegment,
         false,
         {kOld, kNew, 0xFFFF0000, kGw2}},
        // DHCP skips every check and sends no static fields...
        {{kOld, 0xC0A80100, kMask, 0, true, false}, kSend, false, {kOld, 0, 0, 0, true}},
        // ...unless ticked without its click, which leaves the fields enabled.
        {{kOld, kNew, kMask, 0, true, true}, kSend, false, {kOld, kNew, kMask, 0, true}},
        {{kOld, kNew, kMask, 0, false, false}, kSend, true, {kOld, 0, 0, 0, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const ModifyIpPlan plan = PlanModifyIP(c.entries);
        EXPECT_EQ(plan.verdict, c.verdict);
        EXPECT_EQ(plan.gatewayFilled, c.filled);
        if (plan.gatewayFilled) {
            EXPECT_EQ(plan.gateway, kGw);
        }
        if (c.verdict == kRefuseAddress) {
            continue;
        }
        const auto fields = [](const discovery::AddressChange& r) {
            return std::tuple(r.target, r.newAddress, r.subnetMask, r.gateway, r.useDhcp);
        };
        EXPECT_EQ(fields(c.request), fields(plan.request));
    }
}

// 10.0.0.n, and what answered from there.
constexpr std::uint32_t At(std::uint32_t n) {
    return 0x0A000000 + n;
}
AnsweringDevice Answer(std::uint32_t n, std::vector<std::wstring> macs) {
    return {At(n), std::move(macs)};
}
PlannedChange Static(int line, std::uint32_t from, std::uint32_t to, std::uint32_t gateway = 0) {
    return {line, At(from), false, At(to), kMask, gateway};
}
PlannedChange Dhcp(int line, std::uint32_t from) {
    return {line, At(from), true, 0, 0, 0};
}

TEST(CheckPlan, EveryConflictOfTheWholePlanIsFoundBeforeAnythingIsSent) {
    using enum ConflictKind;
    // m6 answers from .7 too: a device with a second address.
    const std::vector<AnsweringDevice> seen = {Answer(5, {L"m5"}), Answer(6, {L"m6"}),
                                               Answer(7, {L"m6"}), Answer(9, {L"m9"}),
                                               Answer(8, {L"a", L"b", L"c"})};
    // A conflict as (line, kind, other line, gateway or devices).
    using Found = std::tuple<int, ConflictKind, int, std::uint32_t>;
    const struct {
        std::vector<PlannedChange> changes;
        bool agreed;
        std::vector<Found> conflicts;
    } cases[] = {
        // Sound: a move, DHCP, a device that keeps its address, one nobody saw.
        {{Static(1, 5, 15), Dhcp(2, 6), Static(3, 9, 9, At(1)), Static(4, 77, 78)}, false, {}},
        // The page's checks, every line's.
        {{Static(1, 5, 0), Static(2, 6, 16, 0x0A000901)},
         false,
         {{1, kInvalidNewAddress, 0, 0}, {2, kGatewayOtherSegment, 0, 0x0A000901}}},
        {{Static(1, 6, 16, 0x0A000901)}, true, {}},
        {{Static(1, 5, 15), Static(2, 5, 16), Static(3, 6, 15)},
         false,
         {{2, kDeviceTwice, 1, 0}, {3, kNewAddressTwice, 1, 0}}},
        // A swap, a chain, a move onto a device that leaves for DHCP: each request still finds
        // the device at the address, so two devices would end on one.
        {{Static(1, 5, 6), Static(2, 6, 5)},
         false,
         {{1, kNewAddressIsPlannedDevice, 2, 0}, {2, kNewAddressIsPlannedDevice, 1, 0}}},
        {{Static(1, 5, 6), Static(2, 6, 7)}, false, {{1, kNewAddressIsPlannedDevice, 2, 0}}},
        {{Static(1, 5, 6), Dhcp(2, 6)}, false, {{1, kNewAddressIsPlannedDevice, 2, 0}}},
        // Held by a device outside the plan; devices that share an address move together.
        {{Static(1, 5, 9), Static(2, 8, 18), Dhcp(3, 88)},
         false,
         {{1, kNewAddressHeld, 0, 0}, {2, kSharedAddress, 0, 3}}},
        {{Dhcp(1, 8), Static(2, 6, 7)}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const CheckedPlan plan = CheckPlan(c.changes, seen, c.agreed);
        std::vector<Found> found;
        for (const Conflict& f : plan.conflicts) {
            found.emplace_back(f.line, f.kind, f.otherLine, f.gateway | f.devices);
        }
        EXPECT_EQ(c.conflicts, found);
        EXPECT_EQ(c.conflicts.empty() ? c.changes.size() : 0u, plan.requests.size());
    }
}

// The batch form for the devices at 10.0.0.5, .6 and .7: the new addresses it gives them, and
// what the plan check then finds (the gateways it sends, or the conflicts).
TEST(BuildBatchPlan, ConsecutiveAddressesFromTheFirstByTheStep) {
    using enum ConflictKind;
    const std::vector<BatchDevice> devices = {
        {L"10.0.0.5", {L"m5"}}, {L"10.0.0.6", {L"m6"}}, {L"10.0.0.7", {L"m7"}}};
    constexpr std::uint32_t kLast = 0xFFFFFFFE; // 255.255.255.254
    const struct {
        BatchForm form; // first, mask, gateway, step, DHCP
        std::optional<std::vector<std::uint32_t>> newAddresses;
        std::vector<std::uint32_t> gateways; // sent, when no conflict
        std::vector<std::pair<int, ConflictKind>> conflicts;
    } cases[] = {
        {{At(20), kMask, 0, L"1"}, {{At(20), At(21), At(22)}}, {At(1), At(1), At(1)}, {}},
        // Past the segment's end each takes its own segment's .1, unless the gateway is given.
        {{At(100), kMask, 0, L"100"},
         {{At(100), At(200), 0x0A00012C}},
         {At(1), At(1), 0x0A000101},
         {}},
        {{At(100), kMask, At(1), L"0100"},
         {{At(100), At(200), 0x0A00012C}},
         {},
         {{3, kGatewayOtherSegment}}},
        {{At(256), kMask, 0, L"255"},
         {{At(256), At(511), At(766)}},
         {},
         {{1, kInvalidNewAddress}, {2, kInvalidNewAddress}}},
        {{kLast, kMask, 0, L"1"},
         {{kLast, kLast + 1, 0}},
         {},
         {{2, kInvalidNewAddress}, {3, kInvalidNewAddress}}},
        // Nothing to plan: no first address, or a step outside 1..255.
        {{0, kMask, 0, L"1"}, std::nullopt, {}, {}},
        {{At(20), kMask, 0, L""}, std::nullopt, {}, {}},
        {{At(20), kMask, 0, L"0"}, std::nullopt, {}, {}},
        {{At(20), kMask, 0, L"256"}, std::nullopt, {}, {}},
        // DHCP for all needs neither.
        {{0, kMask, At(1), L"", true}, {{0, 0, 0}}, {0, 0, 0}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const std::optional<std::vector<PlannedChange>> changes = BuildBatchPlan(devices, c.form);
        ASSERT_EQ(c.newAddresses.has_value(), changes.has_value());
        if (!changes) {
            continue;
        }
        std::vector<std::uint32_t> newAddresses, gateways;
        for (const PlannedChange& change : *changes) {
            newAddresses.push_back(change.newAddress);
            EXPECT_EQ(At(4 + static_cast<std::uint32_t>(change.line)), change.device);
            EXPECT_EQ(c.form.dhcp, change.dhcp);
        }
        EXPECT_EQ(*c.newAddresses, newAddresses);
        const CheckedPlan plan = CheckPlan(*changes, {}, false);
        for (const discovery::AddressChange& request : plan.requests) {
            gateways.push_back(request.gateway);
        }
        EXPECT_EQ(c.gateways, gateways);
        std::vector<std::pair<int, ConflictKind>> conflicts;
        for (const Conflict& conflict : plan.conflicts) {
            conflicts.emplace_back(conflict.line, conflict.kind);
        }
        EXPECT_EQ(c.conflicts, conflicts);
    }
}

// What a search after the change says about it, given the MACs at its address before.
TEST(JudgeChange, TheDeviceIsKnownByItsMacFromBeforeTheChange) {
    using enum OutcomeKind;
    const struct {
        PlannedChange change;
        std::vector<std::wstring> before;
        std::vector<AnsweringDevice> after;
        OutcomeKind kind;
        std::uint32_t address;
        std::wstring mac;
    } cases[] = {
        {Static(1, 5, 15), {L"m5"}, {Answer(15, {L"m5"})}, kAnswers, 0, L""},
        {Static(1, 5, 15), {L"m5"}, {Answer(15, {L"m5", L"m9"})}, kOtherDevice, 0, L"m9"},
        {Static(1, 5, 15), {L"m5"}, {Answer(5, {L"m5"})}, kNoAnswer, 0, L""},
        // Unseen before: whatever answers at the new address may be another device.
        {Static(1, 5, 15), {}, {Answer(15, {L"m9"})}, kCannotTell, 0, L""},
        {Dhcp(1, 5), {L"m5"}, {Answer(200, {L"m5"})}, kAnswersFrom, At(200), L""},
        {Dhcp(1, 5), {L"m5"}, {Answer(5, {L"m5"})}, kNoAnswer, 0, L""},
        {Dhcp(1, 5), {}, {Answer(200, {L"m5"})}, kCannotTell, 0, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const ChangeOutcome outcome = JudgeChange(c.change, c.before, c.after);
        EXPECT_EQ(std::tuple(c.kind, c.address, c.mac),
                  std::tuple(outcome.kind, outcome.address, outcome.mac));
    }
}

TEST(AddressAnswered, OnlySuccessFromTheProbedAddressCounts) {
    constexpr std::uint32_t kProbed = 0x0A4D0032, kRouter = 0x0A4D0001;
    constexpr std::uint32_t kUnreachable = 11003;
    const struct {
        std::vector<EchoRecord> records;
        bool answered;
    } cases[] = {
        {{{kProbed, kEchoSuccess}}, true},
        {{{kRouter, kEchoSuccess}}, false},
        {{{kProbed, kUnreachable}}, false},
        {{}, false},
        {{{kRouter, kUnreachable}, {kProbed, kEchoSuccess}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.records.size() << " records, answered " << c.answered);
        EXPECT_EQ(c.answered, AddressAnswered(kProbed, c.records));
    }
}

} // namespace
} // namespace ippage

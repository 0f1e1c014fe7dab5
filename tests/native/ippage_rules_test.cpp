// The IP page's rules: Modify IP's verdict, filled-in gateway and request for each situation
// the operator can leave the page in, and the address probe's verdict.
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
        if (c.verdict == kRefuseAddress)
            continue;
        const discovery::AddressChange& r = plan.request;
        const discovery::AddressChange& e = c.request;
        EXPECT_EQ((std::vector<std::uint32_t>{r.target, r.newAddress, r.subnetMask, r.gateway,
                                              r.useDhcp}),
                  (std::vector<std::uint32_t>{e.target, e.newAddress, e.subnetMask, e.gateway,
                                              e.useDhcp}));
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

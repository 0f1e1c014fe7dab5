// Modify IP's rules, one line per situation the operator can leave the page in.
#include "ippage/modify_ip_rules.h"

#include <gtest/gtest.h>

namespace ippage {
namespace {

constexpr std::uint32_t kOriginal = 0xC0A80164;   // 192.168.1.100
constexpr std::uint32_t kMask24 = 0xFFFFFF00;     // 255.255.255.0
constexpr std::uint32_t kMask16 = 0xFFFF0000;     // 255.255.0.0
constexpr std::uint32_t kNew = 0xC0A80114;        // 192.168.1.20
constexpr std::uint32_t kGateway1 = 0xC0A80101;   // 192.168.1.1
constexpr std::uint32_t kGateway2 = 0xC0A80201;   // 192.168.2.1
constexpr std::uint32_t kGateway254 = 0xC0A801FE; // 192.168.1.254

TEST(PlanModifyIP, VerdictFillInAndRequest) {
    using enum ModifyIpVerdict;
    const struct {
        const char* what;
        ModifyIpEntries entries;
        ModifyIpVerdict verdict;
        bool gatewayFilled;
        discovery::AddressChange request; // checked unless refused
    } cases[] = {
        {"static, same segment",
         {kOriginal, kNew, kMask24, kGateway254, false, true},
         kSend,
         false,
         {kOriginal, kNew, kMask24, kGateway254, false}},
        {"new address .0",
         {kOriginal, 0xC0A80100, kMask24, kGateway1, false, true},
         kRefuseAddress,
         false,
         {}},
        {"new address .255",
         {kOriginal, 0xC0A801FF, kMask24, kGateway1, false, true},
         kRefuseAddress,
         false,
         {}},
        {"nothing typed: 0.0.0.0", {0, 0, kMask24, 0, false, true}, kRefuseAddress, false, {}},
        {"empty gateway is filled, no question",
         {kOriginal, kNew, kMask24, 0, false, true},
         kSend,
         true,
         {kOriginal, kNew, kMask24, kGateway1, false}},
        {"gateway in another /24, whatever the mask",
         {kOriginal, kNew, kMask16, kGateway2, false, true},
         kAskGatewaySegment,
         false,
         {kOriginal, kNew, kMask16, kGateway2, false}},
        {"DHCP skips every check and sends no static fields",
         {kOriginal, 0xC0A80100, kMask24, kGateway2, true, false},
         kSend,
         false,
         {kOriginal, 0, 0, 0, true}},
        {"no row clicked: target 0.0.0.0 is sent",
         {0, kNew, kMask24, kGateway1, false, true},
         kSend,
         false,
         {0, kNew, kMask24, kGateway1, false}},
        {"DHCP ticked without its click: fields still enabled travel",
         {kOriginal, kNew, kMask24, 0, true, true},
         kSend,
         false,
         {kOriginal, kNew, kMask24, 0, true}},
        {"fields disabled without DHCP: the filled gateway is shown, not sent",
         {kOriginal, kNew, kMask24, 0, false, false},
         kSend,
         true,
         {kOriginal, 0, 0, 0, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ModifyIpPlan plan = PlanModifyIP(c.entries);
        EXPECT_EQ(plan.verdict, c.verdict);
        EXPECT_EQ(plan.gatewayFilled, c.gatewayFilled);
        if (c.gatewayFilled) {
            EXPECT_EQ(plan.gateway, kGateway1) << "the new address's /24 and 1";
        }
        if (c.verdict == kRefuseAddress) {
            continue;
        }
        EXPECT_EQ(plan.request.target, c.request.target);
        EXPECT_EQ(plan.request.newAddress, c.request.newAddress);
        EXPECT_EQ(plan.request.subnetMask, c.request.subnetMask);
        EXPECT_EQ(plan.request.gateway, c.request.gateway);
        EXPECT_EQ(plan.request.useDhcp, c.request.useDhcp);
    }
}

} // namespace
} // namespace ippage

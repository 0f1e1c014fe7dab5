// The IP page's rules: Modify IP's verdict, filled-in gateway and request for each situation
// the operator can leave the page in, and the address probe's verdict.
#include "ippage/modify_ip_rules.h"
#include "ippage/probe_verdict.h"

#include <gtest/gtest.h>

namespace ippage {
namespace {

constexpr std::uint32_t kOriginal = 0xC0A80164; // 192.168.1.100
constexpr std::uint32_t kNew = 0xC0A80114;      // 192.168.1.20
constexpr std::uint32_t kMask = 0xFFFFFF00;     // 255.255.255.0
constexpr std::uint32_t kGateway = 0xC0A80101;  // 192.168.1.1

TEST(PlanModifyIP, VerdictFillInAndRequest) {
    using enum ModifyIpVerdict;
    const struct {
        const char* what;
        ModifyIpEntries entries;
        ModifyIpVerdict verdict;
        bool filled;                      // the gateway shown is filled in
        discovery::AddressChange request; // checked unless refused
    } cases[] = {
        {"static, gateway .254",
         {kOriginal, kNew, kMask, 0xC0A801FE, false, true},
         kSend,
         false,
         {kOriginal, kNew, kMask, 0xC0A801FE, false}},
        {"new address .0",
         {kOriginal, 0xC0A80100, kMask, kGateway, false, true},
         kRefuseAddress,
         false},
        {"new address .255",
         {kOriginal, 0xC0A801FF, kMask, kGateway, false, true},
         kRefuseAddress,
         false},
        {"empty gateway: the new address's .1",
         {kOriginal, kNew, kMask, 0, false, true},
         kSend,
         true,
         {kOriginal, kNew, kMask, kGateway, false}},
        {"gateway in another /24, whatever the mask",
         {kOriginal, kNew, 0xFFFF0000, 0xC0A80201, false, true},
         kAskGatewaySegment,
         false,
         {kOriginal, kNew, 0xFFFF0000, 0xC0A80201, false}},
        {"DHCP skips every check and sends no static fields",
         {kOriginal, 0xC0A80100, kMask, 0, true, false},
         kSend,
         false,
         {kOriginal, 0, 0, 0, true}},
        {"DHCP ticked without its click: enabled fields travel",
         {kOriginal, kNew, kMask, 0, true, true},
         kSend,
         false,
         {kOriginal, kNew, kMask, 0, true}},
        {"fields disabled without DHCP: nothing static sent",
         {kOriginal, kNew, kMask, 0, false, false},
         kSend,
         true,
         {kOriginal, 0, 0, 0, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ModifyIpPlan plan = PlanModifyIP(c.entries);
        EXPECT_EQ(plan.verdict, c.verdict);
        EXPECT_EQ(plan.gatewayFilled, c.filled);
        if (plan.gatewayFilled)
            EXPECT_EQ(plan.gateway, kGateway);
        if (c.verdict == kRefuseAddress)
            continue;
        const discovery::AddressChange& r = plan.request;
        EXPECT_EQ(
            testing::PrintToString(std::vector{r.target, r.newAddress, r.subnetMask, r.gateway}),
            testing::PrintToString(std::vector{c.request.target, c.request.newAddress,
                                               c.request.subnetMask, c.request.gateway}));
        EXPECT_EQ(r.useDhcp, c.request.useDhcp);
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

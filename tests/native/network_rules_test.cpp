// The Wi-Fi page's rules: the security mode a scanned network selects and the Signal order.
#include "wifi/network_rules.h"

#include <gtest/gtest.h>

#include <climits>

namespace wifi {
namespace {

TEST(NetworkRules, SecurityTextsSelectInTheirOrder) {
    const struct {
        const wchar_t* security;
        std::optional<int> mode;
        bool wep;
    } cases[] = {
        // The combined texts come first, so they never fall to a WPA2 entry.
        {L"WPA1PSKWPA2PSK/TKIPAES", kModeWpaPskAes, false},
        {L"WPA1PSKWPA2PSK/AES", kModeWpaPskAes, false},
        {L"WPAPSK/TKIPAES", kModeWpaPskAes, false},
        {L"WPAPSK/AES", kModeWpaPskAes, false},
        {L"WPAPSK/TKIP", kModeWpaPskTkip, false},
        {L"WPA2PSK/TKIPAES", kModeWpa2PskAes, false},
        {L"WPA2PSK/AES", kModeWpa2PskAes, false},
        {L"WPA2PSK/TKIP", kModeWpa2PskTkip, false},
        {L"WEP", kModeWepOpen, true},
        {L"NONE", kModeNone, false},
        {L"", std::nullopt, false},
        {L"WPA3SAE", std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.security)));
        const auto choice = SecurityChoiceFor(c.security);
        ASSERT_EQ(c.mode.has_value(), choice.has_value());
        if (choice) {
            EXPECT_EQ(*c.mode, choice->mode);
            EXPECT_EQ(c.wep, choice->wep);
        }
    }
    EXPECT_TRUE(ShowsWepControls(kModeWepShared));
    EXPECT_FALSE(ShowsWepControls(7));
    EXPECT_FALSE(ShowsWepControls(-1));
}

// Extreme values, where a subtraction would overflow and flip the order.
TEST(NetworkRules, SignalsCompareWithoutOverflow) {
    EXPECT_LT(CompareSignals(INT_MAX, INT_MIN, true), 0);
    EXPECT_GT(CompareSignals(INT_MAX, INT_MIN, false), 0);
    EXPECT_LT(CompareSignals(INT_MIN, 1, false), 0);
    EXPECT_EQ(0, CompareSignals(5, 5, true));
    EXPECT_EQ(0, CompareSignals(std::nullopt, INT_MAX, true));
    EXPECT_EQ(0, CompareSignals(3, std::nullopt, false));
}

} // namespace
} // namespace wifi

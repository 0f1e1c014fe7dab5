#include "wifi/network_rules.h"

namespace wifi {
namespace {

struct SecurityRule {
    std::wstring_view contained;
    SecurityChoice choice;
};

// Tried in this order: the combined WPA texts come before the plain ones they contain.
constexpr SecurityRule kSecurityRules[] = {
    {L"WPA1PSKWPA2PSK/TKIPAES", {kModeWpaPskAes, false}},
    {L"WPA1PSKWPA2PSK/AES", {kModeWpaPskAes, false}},
    {L"WPAPSK/TKIPAES", {kModeWpaPskAes, false}},
    {L"WPAPSK/AES", {kModeWpaPskAes, false}},
    {L"WPAPSK/TKIP", {kModeWpaPskTkip, false}},
    {L"WPA2PSK/TKIPAES", {kModeWpa2PskAes, false}},
    {L"WPA2PSK/AES", {kModeWpa2PskAes, false}},
    {L"WPA2PSK/TKIP", {kModeWpa2PskTkip, false}},
    {L"WEP", {kModeWepOpen, true}},
    {L"NONE", {kModeNone, false}},
};

} // namespace

std::optional<SecurityChoice> SecurityChoiceFor(std::wstring_view security) {
    for (const SecurityRule& rule : kSecurityRules) {
        if (security.find(rule.contained) != std::wstring_view::npos) {
            return rule.choice;
        }
    }
    return std::nullopt;
}

bool ShowsWepControls(int mode) {
    return mode == kModeWepShared || mode == kModeWepOpen;
}

int CompareSignals(std::optional<int> left, std::optional<int> right, bool largestFirst) {
    if (!left || !right || *left == *right) {
        return 0;
    }
    const bool leftFirst = largestFirst ? *left > *right : *left < *right;
    return leftFirst ? -1 : 1;
}

} // namespace wifi

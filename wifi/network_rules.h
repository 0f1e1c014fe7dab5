// The Wi-Fi page's rules that need no window: which security mode a scanned network's
// security text selects, which modes show the WEP key controls, and the Signal sort order.
#pragma once

#include <optional>
#include <string_view>

namespace wifi {

// Positions of the security-mode list, as the device numbers "authentication".
inline constexpr int kModeNone = 0;
inline constexpr int kModeWepShared = 1;
inline constexpr int kModeWepOpen = 2;
inline constexpr int kModeWpaPskTkip = 3;
inline constexpr int kModeWpaPskAes = 4;
inline constexpr int kModeWpa2PskTkip = 5;
inline constexpr int kModeWpa2PskAes = 6;

struct SecurityChoice {
    int mode;
    // A WEP mode: the key controls are shown and the key list set to its first entry.
    bool wep;
};

// The first of the ten security texts (in their fixed order) that `security` contains;
// nothing when it contains none.
[[nodiscard]] std::optional<SecurityChoice> SecurityChoiceFor(std::wstring_view security);

// Positions 1 and 2 ("WEP/Shared", "WEP/Open") show the WEP key controls.
[[nodiscard]] bool ShowsWepControls(int mode);

// The Signal column's order of two rows' signal values: negative when `left` goes first.
// A row without a value compares equal to every row. Values are compared, never subtracted.
[[nodiscard]] int CompareSignals(std::optional<int> left, std::optional<int> right,
                                 bool largestFirst);

} // namespace wifi

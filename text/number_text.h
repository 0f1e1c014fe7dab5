// Reading a number from text the way the C runtime's _wtoi does: row texts, address pieces and
// the values of the devices' web replies all go through it.
#pragma once

#include <string_view>

namespace text {

// Leading white space, optional sign, digits up to the first non-digit; no digits give 0, and
// values out of range saturate at INT_MIN / INT_MAX.
[[nodiscard]] int WideTextToInt(std::wstring_view text);

} // namespace text

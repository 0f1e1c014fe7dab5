// ParseIPv4Text: the one parser that turns a row's dotted address text into a number.
#pragma once

#include <cstdint>
#include <string_view>

namespace discovery {

// Splits at the first three dots and converts each piece like _wtoi, keeping its low 8 bits;
// the first octet lands in the most significant byte. Never fails: odd text gives odd numbers
// ("5" gives 5, "1.2.3" gives 0x01020001, "" gives 0).
[[nodiscard]] std::uint32_t ParseIPv4Text(std::wstring_view text);

} // namespace discovery

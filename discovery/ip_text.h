// The two parsers that turn a dotted address text into a number: the lenient one of the rows
// and the window, and the strict one of the command line, its files and its row comparisons.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace discovery {

// Splits at the first three dots and converts each piece like _wtoi, keeping its low 8 bits;
// the first octet lands in the most significant byte. Never fails: odd text gives odd numbers
// ("5" gives 5, "1.2.3" gives 0x01020001, "" gives 0).
[[nodiscard]] std::uint32_t ParseIPv4Text(std::wstring_view text);

// Exactly four dot-separated decimal numbers of 1 to 3 digits, each at most 255, nothing
// around them; leading zeros are decimal ("192.168.001.064" is 192.168.1.64). Nothing for any
// other text, so that an odd text never matches an address.
[[nodiscard]] std::optional<std::uint32_t> ParseStrictIPv4Text(std::string_view text);
[[nodiscard]] std::optional<std::uint32_t> ParseStrictIPv4Text(std::wstring_view text);

} // namespace discovery

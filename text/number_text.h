// Numbers in text: reading one the way the C runtime's _wtoi does (row texts, address pieces
// and the values of the devices' web replies), reading a whole text strictly as a number
// (command lines, files, the simulator's fields), and writing bytes as hexadecimal digits
// (MACs, escapes, logged datagrams).
#pragma once

#include <charconv>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace text {

// Leading white space, optional sign, digits up to the first non-digit; no digits give 0, and
// values out of range saturate at INT_MIN / INT_MAX.
[[nodiscard]] int WideTextToInt(std::wstring_view text);

// The whole text as a number of type T in `base` (std::from_chars): digits only, a leading
// '-' only for a signed T, no '+', no blanks, no "0x", within T's range. Nothing for any other
// text, the empty one too.
template <std::integral T>
[[nodiscard]] std::optional<T> ParseNumber(std::string_view text, int base = 10) {
    T value{};
    const char* const end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value, base);
    if (status != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

enum class HexCase { kLower, kUpper };

// A byte as two hexadecimal digits, the high one first: 0x4B gives "4b" or "4B".
[[nodiscard]] std::string HexByte(std::uint8_t byte, HexCase letters);
// Every byte as HexByte writes it, `separator` between two: "024b" or "02:4B".
[[nodiscard]] std::string HexBytes(std::span<const std::byte> bytes, HexCase letters,
                                   std::string_view separator = {});

} // namespace text

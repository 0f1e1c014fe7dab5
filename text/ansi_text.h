// Conversion between the 8-bit network text (the host's ANSI code page) and the wide text of
// the user interface. Datagram fields and the devices' web replies cross here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace text {

// Windows: the ANSI code page (CP_ACP). Elsewhere: Latin-1, a fixed 8-bit code page.
// Nothing on failure; WideToAnsi fails for a character the code page has no form for, never
// putting another in its place.
[[nodiscard]] std::optional<std::wstring> AnsiToWide(std::string_view text);
[[nodiscard]] std::optional<std::string> WideToAnsi(std::wstring_view text);

// The same conversion into a fixed buffer of `size` bytes: it fails when the converted text
// and its terminating zero would not fit, so that a caller never cuts a text silently.
[[nodiscard]] std::optional<std::string> WideToAnsi(std::wstring_view text, std::size_t size);

} // namespace text

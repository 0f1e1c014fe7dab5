// Conversion between the 8-bit network text (the host's ANSI code page) and the wide text of
// the user interface. Datagram fields and the devices' web replies cross here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace text {

// Windows: the ANSI code page (CP_ACP). Elsewhere: Latin-1, a fixed 8-bit code page.
// Nothing on failure.
[[nodiscard]] std::optional<std::wstring> AnsiToWide(std::string_view text);
[[nodiscard]] std::optional<std::string> WideToAnsi(std::wstring_view text);

// The same conversions into a fixed buffer of `size` units: they fail when the converted
// text and its terminating zero would not fit, so a caller never cuts a text silently.
[[nodiscard]] std::optional<std::string> WideToAnsi(std::wstring_view text, std::size_t size);
[[nodiscard]] std::optional<std::wstring> AnsiToWide(std::string_view text, std::size_t size);

} // namespace text

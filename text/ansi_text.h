// Conversions of the user interface's wide text: to and from the 8-bit network text (the
// host's ANSI code page), which datagram fields and the devices' web replies are written in,
// and to the UTF-8 of files and of the command line's output.
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

// UTF-16 (Windows) or UTF-32 (Linux) wide text as UTF-8; an unpaired surrogate or a value
// outside Unicode becomes U+FFFD, so the result is always valid UTF-8.
[[nodiscard]] std::string WideToUtf8(std::wstring_view text);

} // namespace text

// Conversion of 8-bit network text (the host's ANSI code page) to the wide text of the UI.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace discovery {

// Windows: the ANSI code page (CP_ACP). Elsewhere: Latin-1, a fixed 8-bit code page.
// Empty result on failure.
[[nodiscard]] std::optional<std::wstring> AnsiToWide(std::string_view text);
[[nodiscard]] std::optional<std::string> WideToAnsi(std::wstring_view text);

} // namespace discovery

// How much of a wide text one console write takes. A console write of more than 64 KB fails on
// Windows 7, so long output goes in pieces; a piece never ends on the first half of a
// surrogate pair, which the console would show as two broken characters.
#pragma once

#include <cstddef>
#include <string_view>

namespace cli {

// UTF-16 units per console write: 16 KB, far below the limit.
inline constexpr std::size_t kConsolePieceUnits = 8192;

// The length of the first piece of `text`: all of it when it fits in `limit` (at least 2)
// units, else `limit` units, or one fewer when the last would be a high surrogate.
[[nodiscard]] std::size_t ConsolePieceLength(std::wstring_view text,
                                             std::size_t limit = kConsolePieceUnits);

} // namespace cli

// The application profile's text rules: where the profile lives and how a binary value is
// written in it. Platform-neutral, so that the rules are tested on their own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace framework {

// The application profile of the program at `programPath`: in the same directory, the
// program's file name with its extension replaced by ".profile" (Search.exe: Search.profile).
// Windows path rules: a name ends at the last '\', '/' or ':', so a dot in a folder name is
// not an extension. Empty for an empty path: a relative profile name would be looked up in
// the Windows directory.
[[nodiscard]] std::wstring ProfilePathForProgram(std::wstring_view programPath);

// A binary value's text: two hexadecimal digits per byte (either case, nothing in between).
// Empty text is an empty value; any other text is no value at all.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> DecodeHexPairs(std::wstring_view text);

} // namespace framework

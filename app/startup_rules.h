// The two decisions of start-up that depend only on values: whether Winsock granted the
// version the program needs, and whether the command line asks for soft mode.
#pragma once

#include <cstdint>
#include <string_view>

namespace app {

// True when the granted version (WSADATA::wVersion) is exactly 2.2: low byte 2 and high
// byte equal to the low byte.
[[nodiscard]] bool IsWinsockVersionUsable(std::uint16_t grantedVersion);

// True only when the arguments after the program name are exactly "-Soft" (case-sensitive,
// nothing before or after it).
[[nodiscard]] bool IsSoftModeArgument(std::wstring_view arguments);

} // namespace app

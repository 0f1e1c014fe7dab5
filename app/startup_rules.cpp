// The value decisions of start-up.
#include "app/startup_rules.h"

namespace app {

bool IsWinsockVersionUsable(std::uint16_t grantedVersion) {
    const unsigned low = grantedVersion & 0xFFu;
    const unsigned high = (grantedVersion >> 8) & 0xFFu;
    return low == 2 && high == low;
}

bool IsSoftModeArgument(std::wstring_view arguments) {
    return arguments == L"-Soft";
}

} // namespace app

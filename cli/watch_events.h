// What --watch reports after each search: the devices that appeared, changed or are gone since
// the searches before. A device is known by its address text, the row rules' key.
#pragma once

#include "cli/device_output.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

enum class WatchEventKind { kAppeared, kChanged, kGone };

// "appeared", "changed", "gone".
[[nodiscard]] std::string_view EventName(WatchEventKind kind);

struct WatchEvent {
    WatchEventKind kind = WatchEventKind::kAppeared;
    // As this search shows it; a gone device as it was last seen.
    ShownDevice device;
};

// A reply lost now and then is not a departure: a device is gone after this many searches in a
// row without it.
inline constexpr int kMissesUntilGone = 3;

class WatchState {
public:
    // One search's devices (one per address text, as the row rules give them) against what
    // the searches before saw. Appeared: an address not known (never seen, or gone since);
    // changed: a column other than the index, or the set of MACs, differs from when it was
    // last seen; gone: the third search in a row without it. Appeared and changed come in
    // the order of `devices`, gone after them by address text.
    [[nodiscard]] std::vector<WatchEvent> Update(const std::vector<ShownDevice>& devices);

private:
    struct Known {
        ShownDevice device;
        std::uint64_t lastSearch = 0;
        int misses = 0;
    };
    std::map<std::string, Known> m_known; // by address text
    std::uint64_t m_searches = 0;
};

} // namespace cli

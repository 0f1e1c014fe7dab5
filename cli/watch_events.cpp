// WatchState: the devices known by address text, each with the searches it has missed.
#include "cli/watch_events.h"

#include <algorithm>

namespace cli {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> macs) {
    std::sort(macs.begin(), macs.end());
    return macs;
}

// The index is the place in one search's arrival order, not a property of the device; the
// MACs answer in any order.
bool SameDevice(const ShownDevice& before, const ShownDevice& now) {
    for (int c = 0; c < discovery::kColumnCount; ++c) {
        if (c != discovery::kIndexColumn && before.texts[c] != now.texts[c]) {
            return false;
        }
    }
    return Sorted(before.macs) == Sorted(now.macs);
}

} // namespace

std::string_view EventName(WatchEventKind kind) {
    switch (kind) {
    case WatchEventKind::kAppeared:
        return "appeared";
    case WatchEventKind::kChanged:
        return "changed";
    case WatchEventKind::kGone:
        break;
    }
    return "gone";
}

std::vector<WatchEvent> WatchState::Update(const std::vector<ShownDevice>& devices) {
    ++m_searches;
    std::vector<WatchEvent> events;
    for (const ShownDevice& device : devices) {
        const auto [known, added] =
            m_known.try_emplace(device.texts[discovery::kAddressColumn], Known{device});
        if (added) {
            events.push_back({WatchEventKind::kAppeared, device});
        } else if (!SameDevice(known->second.device, device)) {
            events.push_back({WatchEventKind::kChanged, device});
        }
        known->second = {device, m_searches, 0};
    }
    for (auto known = m_known.begin(); known != m_known.end();) {
        if (known->second.lastSearch != m_searches && ++known->second.misses >= kMissesUntilGone) {
            events.push_back({WatchEventKind::kGone, std::move(known->second.device)});
            known = m_known.erase(known);
        } else {
            ++known;
        }
    }
    return events;
}

} // namespace cli

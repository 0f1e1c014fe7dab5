// The window thread's side of the hand-over: every queued reply through the row rules, in
// batches that give way to whatever else waits for the thread.
#pragma once

#include "discovery/device_rows.h"
#include "discovery/discovery_engine.h"

#include <cstddef>
#include <functional>

namespace discovery {

// Takes every queued reply and applies the row rules to each, oldest first. Every
// kRepliesBetweenYieldChecks replies it asks `yield` whether others wait for the thread (the
// operator, a close request); if so it stops and gives the rest back to the engine, which
// wakes the window for them again. Returns how many replies it handled.
inline constexpr std::size_t kRepliesBetweenYieldChecks = 64;
std::size_t AddDevicesFromReplies(DiscoveryEngine& engine, DeviceRows& rows,
                                  const std::function<bool()>& yield = {});

} // namespace discovery

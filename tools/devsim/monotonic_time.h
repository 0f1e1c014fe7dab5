// The one place where a steady-clock time becomes the timespec that timerfd wants.
#pragma once

#include <chrono>
#include <ctime>

namespace devsim {

// `sinceEpoch` is a steady_clock time (CLOCK_MONOTONIC on Linux). A zero timespec would
// disarm a timerfd instead of firing it, so times at or before the epoch become 1 ns.
[[nodiscard]] timespec ToTimespec(std::chrono::nanoseconds sinceEpoch);

} // namespace devsim

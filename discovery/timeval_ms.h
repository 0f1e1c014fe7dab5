// Milliseconds as the seconds and microseconds of a socket wait's timeval. Kept apart from the
// Winsock code, which alone uses it, so that the native tests check the conversion beside the
// engine's: mixing up milliseconds and microseconds in a timeval is an easy mistake.
#pragma once

#include <chrono>

namespace discovery {

struct TimevalParts {
    long seconds = 0;
    long microseconds = 0; // 0 to 999,999
};

// A negative duration waits not at all. Durations beyond what a 32-bit long holds in seconds
// (Windows' timeval) are not expected.
[[nodiscard]] constexpr TimevalParts TimevalFromMilliseconds(std::chrono::milliseconds duration) {
    if (duration.count() <= 0) {
        return {};
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
    const auto microseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(duration - seconds);
    return {static_cast<long>(seconds.count()), static_cast<long>(microseconds.count())};
}

} // namespace discovery

#include "tools/devsim/monotonic_time.h"

namespace devsim {

timespec ToTimespec(std::chrono::nanoseconds sinceEpoch) {
    if (sinceEpoch <= std::chrono::nanoseconds::zero())
        return timespec{0, 1};
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch);
    const auto rest = sinceEpoch - seconds;
    return timespec{static_cast<std::time_t>(seconds.count()), static_cast<long>(rest.count())};
}

} // namespace devsim

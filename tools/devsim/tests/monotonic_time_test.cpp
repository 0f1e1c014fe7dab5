// The steady-clock to timespec conversion behind the loop's timer.
#include "tools/devsim/monotonic_time.h"

#include <gtest/gtest.h>

namespace devsim {
namespace {

using namespace std::chrono_literals;

TEST(ToTimespec, SplitsSecondsAndNanosecondsAndNeverGivesZero) {
    const struct {
        std::chrono::nanoseconds since;
        std::time_t seconds;
        long nanoseconds;
    } cases[] = {
        {0ns, 0, 1}, // zero would disarm the timer
        {-3s, 0, 1},
        {1ns, 0, 1},
        {999999999ns, 0, 999999999},
        {1s, 1, 0},
        {1500ms, 1, 500000000},
        {86400s + 2ms, 86400, 2000000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.since.count());
        const timespec t = ToTimespec(c.since);
        EXPECT_EQ(c.seconds, t.tv_sec);
        EXPECT_EQ(c.nanoseconds, t.tv_nsec);
    }
}

} // namespace
} // namespace devsim

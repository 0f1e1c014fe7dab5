#include "discovery/timeval_ms.h"

#include <gtest/gtest.h>

namespace discovery {
namespace {

using std::chrono::milliseconds;

// Checked at compile time too: the helper is constexpr.
static_assert(TimevalFromMilliseconds(milliseconds{1000}).seconds == 1);
static_assert(TimevalFromMilliseconds(milliseconds{1000}).microseconds == 0);

TEST(TimevalFromMilliseconds, SplitsIntoSecondsAndMicroseconds) {
    struct Case {
        long long milliseconds;
        long seconds;
        long microseconds;
    };
    const Case cases[] = {
        {1000, 1, 0},      // the receiver's one-second wait
        {1500, 1, 500000}, // not {1, 500}: the remainder is in microseconds
        {0, 0, 0},         {1, 0, 1000},      {999, 0, 999000},
        {10, 0, 10000},    {61001, 61, 1000}, {-5, 0, 0}, // a negative wait does not wait
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.milliseconds << " ms");
        const TimevalParts parts = TimevalFromMilliseconds(milliseconds{c.milliseconds});
        EXPECT_EQ(parts.seconds, c.seconds);
        EXPECT_EQ(parts.microseconds, c.microseconds);
    }
}

} // namespace
} // namespace discovery

// The address probe's verdict: only a successful echo from the probed address means taken.
#include "ippage/probe_verdict.h"

#include <gtest/gtest.h>

#include <vector>

namespace ippage {
namespace {

constexpr std::uint32_t kProbed = 0x0A4D0032; // 10.77.0.50
constexpr std::uint32_t kRouter = 0x0A4D0001; // 10.77.0.1
constexpr std::uint32_t kDestHostUnreachable = 11003;
constexpr std::uint32_t kTimedOut = 11010;

TEST(AddressAnswered, OnlySuccessFromTheProbedAddressCounts) {
    const struct {
        const char* what;
        std::vector<EchoRecord> records;
        bool answered;
    } cases[] = {
        {"success from the probed address", {{kProbed, kEchoSuccess}}, true},
        {"success from another address", {{kRouter, kEchoSuccess}}, false},
        {"host unreachable from the local stack", {{kRouter, kDestHostUnreachable}}, false},
        {"host unreachable naming the probed address", {{kProbed, kDestHostUnreachable}}, false},
        {"timed out", {{kProbed, kTimedOut}}, false},
        {"no reply at all", {}, false},
        {"an error record before the real answer",
         {{kRouter, kDestHostUnreachable}, {kProbed, kEchoSuccess}},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.answered, AddressAnswered(kProbed, c.records));
    }
}

} // namespace
} // namespace ippage

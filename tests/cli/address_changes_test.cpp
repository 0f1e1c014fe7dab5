// --apply files and the IP page's checks on every change before anything is sent.
#include "cli/address_changes.h"

#include <gtest/gtest.h>

namespace {

TEST(ApplyFile, ReadsTheLinesASpreadsheetWritesAndRefusesWhatWouldLoseADevice) {
    const cli::ChangeList list =
        cli::ParseApplyFile("\xEF\xBB\xBF"
                            "Current,New,Mask,Gateway\r\n"
                            "# moved on Monday\r\n"
                            "10.0.0.5, 10.0.1.5 ,255.255.0.0,10.0.1.254\r\n"
                            "\r\n"
                            "\"10.0.0.6\",\"10.0.1.6\",,\r\n"
                            "10.0.0.7,DHCP,,\n");
    ASSERT_EQ("", list.error);
    ASSERT_EQ(3u, list.changes.size());
    const cli::PlannedChange& first = list.changes[0];
    EXPECT_EQ(3, first.line);
    EXPECT_EQ((std::vector<std::uint32_t>{0x0A000005, 0x0A000105, 0xFFFF0000, 0x0A0001FE}),
              (std::vector{first.device, first.newAddress, first.mask, first.gateway}));
    EXPECT_EQ(0xFFFFFF00u, list.changes[1].mask) << "an empty mask is the page's default";
    EXPECT_TRUE(list.changes[2].dhcp);

    const struct {
        const char* content;
        const char* error;
    } refused[] = {
        {"# nothing\n\n", "no device lines"},
        {"10.0.0.5,,255.255.255.0\n", "line 1: expected current,new"},
        {"10.0.0.5,dhcp,255.255.255.0\n", "line 1: dhcp takes no mask or gateway"},
        {"10.0.0.5,10.0.1.5\n10.0.0.5,10.0.1.6\n", "line 2: device 10.0.0.5 is on line 1 too"},
        {"10.0.0.5,10.0.1.5\n10.0.0.6,10.0.1.5\n", "line 2: new address 10.0.1.5 is given on"},
        {"10.0.0.5,\"10.0.1.5\n", "line 1: unterminated quote"},
        // A mistyped address on the first line is a fault, not a heading to skip.
        {"10.0.0.5x,10.0.1.5\n", "line 1: '10.0.0.5x' is not an IPv4 address"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.content);
        const cli::ChangeList none = cli::ParseApplyFile(c.content);
        EXPECT_NE(std::string::npos, none.error.find(c.error)) << none.error;
        EXPECT_TRUE(none.changes.empty());
    }
}

TEST(CheckChanges, EveryLinePassesThePagesChecksBeforeAnyIsSent) {
    auto parse = [](const char* content) { return cli::ParseApplyFile(content).changes; };
    std::vector<cli::PlannedChange> fine = parse("10.0.0.5,10.0.1.5\n10.0.0.6,dhcp\n");
    const cli::CheckedChanges sent = cli::CheckChanges(fine, false);
    ASSERT_EQ("", sent.error);
    ASSERT_EQ(2u, sent.requests.size());
    EXPECT_EQ(0x0A000101u, sent.requests[0].gateway) << "filled in from the new address";
    EXPECT_TRUE(sent.requests[1].useDhcp);
    EXPECT_EQ(0u, sent.requests[1].newAddress | sent.requests[1].subnetMask);

    std::vector<cli::PlannedChange> refused = parse("10.0.0.5,10.0.1.5\n10.0.0.7,10.0.1.0\n");
    const cli::CheckedChanges none = cli::CheckChanges(refused, false);
    EXPECT_EQ("line 2: 10.0.0.7: new address 10.0.1.0 ends in .0 or .255", none.error);
    EXPECT_TRUE(none.requests.empty()) << "the second line's fault stops the whole file";

    std::vector<cli::PlannedChange> otherSegment = parse("10.0.0.5,10.0.1.5,,10.0.2.1\n");
    EXPECT_NE(std::string::npos,
              cli::CheckChanges(otherSegment, false).error.find("gateway 10.0.2.1 is not in"));
    ASSERT_EQ(1u, cli::CheckChanges(otherSegment, true).requests.size());
}

} // namespace

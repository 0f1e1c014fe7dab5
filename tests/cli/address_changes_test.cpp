// --apply files and the IP page's checks on every change before anything is sent.
#include "cli/address_changes.h"

#include <gtest/gtest.h>

namespace {

TEST(ApplyFile, ReadsTheLinesASpreadsheetWrites) {
    const cli::ChangeList list =
        cli::ParseApplyFile("\xEF\xBB\xBF"
                            "Current,New,Mask,Gateway\r\n"
                            "# moved on Monday\r\n"
                            "10.0.0.5, 10.0.1.5 ,255.255.0.0,10.0.1.254\r\n"
                            "\r\n"
                            "\"10.0.0.6\",\"10.0.1.6\",,\r\n"
                            "10.0.0.7,DHCP,,\n"
                            "10.0.0.8,10.0.1.8");
    ASSERT_EQ("", list.error);
    ASSERT_EQ(4u, list.changes.size());
    const cli::PlannedChange& first = list.changes[0];
    EXPECT_EQ(3, first.line);
    EXPECT_EQ(0x0A000005u, first.device);
    EXPECT_EQ(0x0A000105u, first.newAddress);
    EXPECT_EQ(0xFFFF0000u, first.mask);
    EXPECT_EQ(0x0A0001FEu, first.gateway);
    EXPECT_EQ(0xFFFFFF00u, list.changes[1].mask) << "an empty mask is the page's default";
    EXPECT_EQ(0u, list.changes[1].gateway) << "an empty gateway is filled in later";
    EXPECT_TRUE(list.changes[2].dhcp);
    EXPECT_EQ(7, list.changes[3].line);
}

TEST(ApplyFile, RefusesWhatWouldLoseADevice) {
    const struct {
        const char* content;
        const char* error;
    } cases[] = {
        {"", "no device lines"},
        {"# nothing\n\n", "no device lines"},
        {"10.0.0.5\n", "line 1: expected current,new"},
        {"10.0.0.5,,255.255.255.0\n", "line 1: expected current,new"},
        {"10.0.0.5,10.0.1.5,255.255.255.0,10.0.1.1,x\n", "line 1: more than four fields"},
        {"10.0.0.5,dhcp,255.255.255.0\n", "line 1: dhcp takes no mask or gateway"},
        {"10.0.0.5,10.0.1.5\n10.0.0.5,10.0.1.6\n", "line 2: device 10.0.0.5 is on line 1 too"},
        {"10.0.0.5,10.0.1.5\n10.0.0.6,10.0.1.5\n", "line 2: new address 10.0.1.5 is given on"},
        {"10.0.0.5,10.0.1.x\n", "line 1: new address '10.0.1.x' is not"},
        {"10.0.0.5,10.0.1.5,255.255.255.0,gw\n", "line 1: gateway 'gw' is not"},
        {"10.0.0.5,\"10.0.1.5\n", "line 1: unterminated quote"},
        // A mistyped address on the first line is a fault, not a heading to skip.
        {"10.0.0.5x,10.0.1.5\n", "line 1: '10.0.0.5x' is not an IPv4 address"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const cli::ChangeList list = cli::ParseApplyFile(c.content);
        EXPECT_NE(std::string::npos, list.error.find(c.error)) << list.error;
        EXPECT_TRUE(list.changes.empty());
    }
}

TEST(CheckChanges, EveryLinePassesThePagesChecksBeforeAnyIsSent) {
    auto parse = [](const char* content) { return cli::ParseApplyFile(content).changes; };

    std::vector<cli::PlannedChange> fine =
        parse("10.0.0.5,10.0.1.5\n10.0.0.6,dhcp\n10.0.0.7,10.0.1.7,,10.0.1.254\n");
    const cli::CheckedChanges sent = cli::CheckChanges(fine, false);
    ASSERT_EQ("", sent.error);
    ASSERT_EQ(3u, sent.requests.size());
    EXPECT_EQ(0x0A000101u, sent.requests[0].gateway) << "filled in from the new address";
    EXPECT_EQ(0x0A000101u, fine[0].gateway);
    EXPECT_TRUE(sent.requests[1].useDhcp);
    EXPECT_EQ(0u,
              sent.requests[1].newAddress | sent.requests[1].subnetMask | sent.requests[1].gateway);
    EXPECT_EQ(0x0A0001FEu, sent.requests[2].gateway);

    // The third line's fault stops the whole file.
    std::vector<cli::PlannedChange> refused =
        parse("10.0.0.5,10.0.1.5\n10.0.0.6,dhcp\n10.0.0.7,10.0.1.0\n");
    const cli::CheckedChanges none = cli::CheckChanges(refused, false);
    EXPECT_EQ("line 3: 10.0.0.7: new address 10.0.1.0 ends in .0 or .255", none.error);
    EXPECT_TRUE(none.requests.empty());

    std::vector<cli::PlannedChange> otherSegment = parse("10.0.0.5,10.0.1.5,,10.0.2.1\n");
    EXPECT_NE(std::string::npos,
              cli::CheckChanges(otherSegment, false).error.find("gateway 10.0.2.1 is not in"));
    const cli::CheckedChanges forced = cli::CheckChanges(otherSegment, true);
    ASSERT_EQ(1u, forced.requests.size());
    EXPECT_EQ(0x0A000201u, forced.requests[0].gateway);
}

} // namespace

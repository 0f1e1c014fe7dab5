// The log lines that tests and people read: exact texts and escaping.
#include "tools/devsim/log_format.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace devsim {
namespace {

using namespace std::chrono_literals;

constexpr Endpoint kSource{0x0A4D0001, 40000}; // 10.77.0.1:40000

std::vector<std::byte> Bytes(std::string_view text) {
    std::vector<std::byte> bytes;
    for (char c : text)
        bytes.push_back(static_cast<std::byte>(c));
    return bytes;
}

TEST(FormatMillis, ThreeDecimalsOfMilliseconds) {
    const struct {
        std::chrono::nanoseconds elapsed;
        const char* text;
    } cases[] = {
        {0ns, "0.000"},
        {999ns, "0.000"},
        {1us, "0.001"},
        {1234567ns, "1.234"},
        {12345678901ns, "12345.678"},
        {-5ms, "0.000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.text, FormatMillis(c.elapsed));
    }
}

TEST(LogValue, EscapesWhatWouldBreakTheLine) {
    const struct {
        std::string text;
        const char* logged;
    } cases[] = {
        {"10.77.0.21", "10.77.0.21"},
        {"", ""},
        {"a b", "a%20b"},
        {"100%", "100%25"},
        {"Caf\xE9", "Caf%E9"},
        {"x=y\n", "x=y%0A"},
        {std::string("\0~", 2), "%00~"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logged);
        EXPECT_EQ(c.logged, LogValue(c.text));
    }
}

TEST(FormatRxLine, CarriesSourceDestinationLengthCommandAndAllBytes) {
    std::vector<std::byte> request(discovery::kRequestSize);
    std::memcpy(request.data(), discovery::kMarker.data(), discovery::kMarkerSize);
    request[discovery::kCommandOffset] = std::byte{2};
    const std::string line = FormatRxLine(1500us, kSource, discovery::kMulticastGroup, request);
    const std::string hex = "717561726e656c7669737400" // "quarnelvist" and its zero
                            "02" +
                            std::string(2 * (256 - 13), '0');
    EXPECT_EQ("rx t=1.500 src=10.77.0.1:40000 dst=224.111.111.1 len=256 cmd=2 hex=" + hex, line);
}

TEST(FormatRxLine, CommandIsNoneWithoutAWholeMarkedHeader) {
    const struct {
        std::string bytes;
        const char* cmd;
    } cases[] = {
        {std::string("quarnelvist\0\x01", 13), "cmd=1 "},
        {std::string("quarnelvist\0\x00", 13), "cmd=0 "},
        {std::string("quarnelvist\0\xff", 13), "cmd=255 "},
        {std::string("quarnelvist\0", 12), "cmd=none "},
        {std::string("quarnelvist!\x02", 13), "cmd=none "},
        {std::string("Quarnelvist\0\x02", 13), "cmd=none "},
        {"", "cmd=none "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cmd);
        const std::string line = FormatRxLine(0ns, kSource, 0xFFFFFFFF, Bytes(c.bytes));
        EXPECT_NE(std::string::npos, line.find(c.cmd)) << line;
        EXPECT_NE(std::string::npos, line.find(" len=" + std::to_string(c.bytes.size()) + " "))
            << line;
    }
}

TEST(FormatTxLine, ReportsTheBurstsCounts) {
    BurstReport report;
    report.id = 3;
    report.requester = kSource;
    report.replies = 10000;
    report.injected = 2;
    report.dropped = 1;
    report.retries = 17;
    report.took = 250300us;
    EXPECT_EQ("tx t=2.000 burst=3 dst=10.77.0.1:40000 replies=10000 injected=2 dropped=1 "
              "retries=17 took=250.300",
              FormatTxLine(2ms, report));
}

TEST(FormatAddressLine, AppliedStaticDhcpAndIgnored) {
    Device device;
    device.mac = {0x02, 0x4b, 0, 0, 0, 0x15};
    device.address = "10.77.5.5";
    const DeviceTable table({device});

    AddressChangeOutcome change;
    change.target = "10.77.0.21";
    change.address = "10.77.5.5";
    change.subnetMask = "255.255.0.0";
    change.gateway = "10.77.0.254";
    EXPECT_EQ("addr t=1.000 src=10.77.0.1:40000 target=10.77.0.21 result=applied mode=static "
              "ip=10.77.5.5 mask=255.255.0.0 gateway=10.77.0.254 mac=02:4b:00:00:00:15",
              FormatAddressLine(1ms, kSource, change, table));

    AddressChangeOutcome dhcp;
    dhcp.target = "10.77.0.21";
    dhcp.dhcp = true;
    dhcp.address = "10.77.200.1";
    EXPECT_EQ("addr t=1.000 src=10.77.0.1:40000 target=10.77.0.21 result=applied mode=dhcp "
              "ip=10.77.200.1 mac=02:4b:00:00:00:15",
              FormatAddressLine(1ms, kSource, dhcp, table));

    AddressChangeOutcome ignored;
    ignored.target = "no such device";
    ignored.ignored = IgnoreReason::UnknownTarget;
    EXPECT_EQ("addr t=1.000 src=10.77.0.1:40000 target=no%20such%20device result=ignored "
              "reason=unknown-target",
              FormatAddressLine(1ms, kSource, ignored, table));
}

TEST(FormatOtherLines, ReadySummaryAndError) {
    EXPECT_EQ("ready t=0.250 devices=3 port=6789 group=224.111.111.1 interface=default "
              "spread_ms=0 inject=none",
              FormatReadyLine(250us, ReadyInfo{3, std::nullopt, 0ms, {}}));
    EXPECT_EQ(
        "ready t=0.250 devices=3 port=6789 group=224.111.111.1 interface=10.77.0.1 "
        "spread_ms=100 inject=short12,duplicate",
        FormatReadyLine(
            250us, ReadyInfo{3, 0x0A4D0001, 100ms, {InjectKind::Short12, InjectKind::Duplicate}}));
    Totals totals{9, 4, 1, 3, 30, 2, 1, 5, 10};
    EXPECT_EQ("summary t=5.000 rx=9 requests=4 address_changes=1 bursts=3 replies=30 injected=2 "
              "dropped=1 retries=5 pending=10",
              FormatSummaryLine(5ms, totals));
    EXPECT_EQ("error t=0.000 what=sendto errno=ENOBUFS", FormatErrorLine(0ns, "sendto", ENOBUFS));
}

} // namespace
} // namespace devsim

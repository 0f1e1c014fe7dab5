// What the other tests read from the simulator: the address changes a request makes and the log
// lines, each against hand-written expectations.
#include "tools/devsim/address_change.h"
#include "tools/devsim/log_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace devsim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::byte>;
constexpr Endpoint kSource{0x0A4D0001, 40000}; // 10.77.0.1:40000

void Put(Bytes& bytes, std::size_t offset, std::string_view text) {
    for (char c : text) {
        bytes[offset++] = static_cast<std::byte>(c);
    }
}

Device MakeDevice(std::string address) {
    Device device;
    device.reply.mac = {0x02, 0x4b, 0x00, 0xA0, 0xFF, 0x1e};
    device.reply.deviceAddress = std::move(address);
    return device;
}

// An address-change request as the tool lays it out; `size` cuts it.
Bytes Request(std::string_view target, std::string_view address, std::string_view mask,
              std::string_view gateway, char flag, std::size_t size = 256) {
    Bytes request(256);
    Put(request, 0, std::string_view("quarnelvist\0\x03", 13)); // [12] command 3
    Put(request, 13, target);                                   // 48 bytes each from here
    Put(request, 61, address);
    Put(request, 109, mask);
    Put(request, 157, gateway);
    request[253] = static_cast<std::byte>(flag); // DHCP flag
    request.resize(size);
    return request;
}

// The fourth device shares the first one's address.
TEST(DevsimAddressChange, OutcomeAndTableAfterEachRequest) {
    const std::string applied = "target=10.77.0.22 result=applied mode=";
    const std::string ignored = "target=10.77.0.22 result=ignored reason=";
    const std::string dhcp = "dhcp ip=10.77.200.2 mac=02:4b:00:a0:ff:1e";
    const std::string shared = "target=10.77.0.21 result=applied mode=";
    const std::string next = "\naddr t=0.000 src=10.77.0.1:40000 " + shared;
    const std::string unchanged = "10.77.0.21 10.77.0.22 10.77.200.1 10.77.0.21";
    const struct {
        Bytes request;
        std::string line, addresses;
    } cases[] = {
        {Request("10.77.0.22", "10.77.5.5", "255.255.0.0", "10.77.0.254", 0),
         applied + "static ip=10.77.5.5 mask=255.255.0.0 gateway=10.77.0.254 mac=02:4b:00:a0:ff:1e",
         "10.77.0.21 10.77.5.5 10.77.200.1 10.77.0.21"},
        {Request("10.77.0.22", "", "", "", 1), applied + dhcp,
         "10.77.0.21 10.77.200.2 10.77.200.1 10.77.0.21"},
        {Request("10.77.0.22", "", "", "", 1, 254), applied + dhcp,
         "10.77.0.21 10.77.200.2 10.77.200.1 10.77.0.21"},
        {Request("10.77.0.21", "10.77.5.5", "255.0.0.0", "10.0.0.1", 0),
         shared + "static ip=10.77.5.5 mask=255.0.0.0 gateway=10.0.0.1 mac=02:4b:00:a0:ff:1e" +
             next + "static ip=10.77.5.5 mask=255.0.0.0 gateway=10.0.0.1 mac=02:4b:00:a0:ff:1e",
         "10.77.5.5 10.77.0.22 10.77.200.1 10.77.5.5"},
        {Request("10.77.0.21", "", "", "", 1),
         shared + "dhcp ip=10.77.200.2 mac=02:4b:00:a0:ff:1e" + next +
             "dhcp ip=10.77.200.3 mac=02:4b:00:a0:ff:1e",
         "10.77.200.2 10.77.0.22 10.77.200.1 10.77.200.3"},
        {Request("10.77.0.22", "", "", "", 1, 253), ignored + "short-request", unchanged},
        {Request("10.77.000.22", "10.77.5.5", "255.255.0.0", "10.77.0.1", 0),
         "target=10.77.000.22 result=ignored reason=unknown-target", unchanged},
        {Request("10.77.0.22", "10.77.5.5", "255.255.0.0", "", 0), ignored + "bad-static-fields",
         unchanged},
        {Request("10.77.0.22", "10.77.5.5", "255.255.0.0", "10.77.0.1", 2),
         ignored + "bad-dhcp-flag", unchanged},
        {Request("10.77.0.22", "10.77.0.21", "255.255.0.0", "10.77.0.1", 0),
         ignored + "address-in-use", unchanged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        DeviceTable table({MakeDevice("10.77.0.21"), MakeDevice("10.77.0.22"),
                           MakeDevice("10.77.200.1"), MakeDevice("10.77.0.21")});
        DhcpPool pool(0x0A4DC801); // 10.77.200.1, which the third device holds
        const auto outcome = ApplyAddressChange(table, pool, c.request);
        EXPECT_EQ("addr t=0.000 src=10.77.0.1:40000 " + c.line,
                  FormatAddressLines(0ns, kSource, outcome, table));
        EXPECT_EQ(c.addresses, table[0].reply.deviceAddress + " " + table[1].reply.deviceAddress +
                                   " " + table[2].reply.deviceAddress + " " +
                                   table[3].reply.deviceAddress);
    }
}

TEST(DevsimLog, LinesAsTestsReadThem) {
    Bytes badMarker = Request("", "", "", "", 0, 14);
    badMarker[11] = std::byte{'!'};
    const std::pair<std::string, std::string> cases[] = {
        {FormatRxLine(1500us, kSource, discovery::kMulticastGroup,
                      Request("\xAB", "", "", "", 0, 14)),
         "rx t=1.500 src=10.77.0.1:40000 dst=224.111.111.1 len=14 cmd=3 "
         "hex=717561726e656c766973740003ab"},
        {FormatRxLine(0ns, kSource, 0xFFFFFFFF, badMarker),
         "rx t=0.000 src=10.77.0.1:40000 dst=255.255.255.255 len=14 cmd=none "
         "hex=717561726e656c76697374210300"},
        {FormatTxLine(12345678901ns, {3, kSource, 10000, 2, 1, 17, 250300us}),
         "tx t=12345.678 burst=3 dst=10.77.0.1:40000 replies=10000 injected=2 dropped=1 retries=17 "
         "took=250.300"},
        {FormatReadyLine(-5ms,
                         {3, 0x0A4D0001, 100ms, {InjectKind::kShort12, InjectKind::kDuplicate}}),
         "ready t=0.000 devices=3 port=6789 group=224.111.111.1 interface=10.77.0.1 spread_ms=100 "
         "inject=short12,duplicate"},
        {FormatSummaryLine(5ms, {9, 4, 1, 3, 30, 2, 1, 5, 10}),
         "summary t=5.000 rx=9 requests=4 address_changes=1 bursts=3 replies=30 injected=2 "
         "dropped=1 retries=5 pending=10"},
        {FormatErrorLine(0ns, std::string("a b%\xE9\n\0~", 8), ENOBUFS), // every value escaped
         "error t=0.000 what=a%20b%25%E9%0A%00~ errno=ENOBUFS"},
    };
    for (const auto& [line, expected] : cases) {
        SCOPED_TRACE(expected);
        EXPECT_EQ(expected, line);
    }
}

} // namespace
} // namespace devsim

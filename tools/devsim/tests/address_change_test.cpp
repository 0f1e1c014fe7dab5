// Address changes on the device side: static and DHCP changes, the second copy of a request,
// and every request that must change nothing.
#include "tools/devsim/address_change.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace devsim {
namespace {

using namespace discovery;

constexpr std::uint32_t kDhcpBase = 0x0A4DC801; // 10.77.200.1

// Built by hand rather than by the tool's encoder, so odd texts can be sent too.
std::vector<std::byte> MakeRequest(const std::string& target, const std::string& newAddress,
                                   const std::string& mask, const std::string& gateway,
                                   std::uint8_t dhcpFlag) {
    std::vector<std::byte> request(kRequestSize);
    std::memcpy(request.data(), kMarker.data(), kMarkerSize);
    request[kCommandOffset] = std::byte{3};
    std::memcpy(request.data() + kTargetAddressOffset, target.data(), target.size());
    std::memcpy(request.data() + kNewAddressOffset, newAddress.data(), newAddress.size());
    std::memcpy(request.data() + kSubnetMaskOffset, mask.data(), mask.size());
    std::memcpy(request.data() + kGatewayOffset, gateway.data(), gateway.size());
    request[kDhcpFlagOffset] = std::byte{dhcpFlag};
    return request;
}

std::vector<std::byte> Dhcp(const std::string& target) {
    return MakeRequest(target, "", "", "", 1);
}

Device MakeDevice(const std::string& address) {
    Device d;
    d.classText = "IPCAMERA";
    d.address = address;
    d.name = "cam " + address;
    return d;
}

DeviceTable ThreeDevices() {
    return DeviceTable(
        {MakeDevice("10.77.0.21"), MakeDevice("10.77.0.22"), MakeDevice("10.77.200.2")});
}

TEST(ApplyAddressChange, StaticChangeMovesTheDeviceToItsNewText) {
    DeviceTable table = ThreeDevices();
    DhcpPool pool(kDhcpBase);
    // What the tool sends: its own encoder's bytes.
    const discovery::Request request =
        EncodeAddressChange(AddressChange{0x0A4D0016, 0x0A4D0505, 0xFFFF0000, 0x0A4D00FE, false});
    const AddressChangeOutcome outcome = ApplyAddressChange(table, pool, request);

    EXPECT_FALSE(outcome.ignored.has_value());
    EXPECT_EQ("10.77.0.22", outcome.target);
    EXPECT_EQ(1u, outcome.device);
    EXPECT_FALSE(outcome.dhcp);
    EXPECT_EQ("10.77.5.5", outcome.address);
    EXPECT_EQ("255.255.0.0", outcome.subnetMask);
    EXPECT_EQ("10.77.0.254", outcome.gateway);
    EXPECT_EQ("10.77.5.5", table[1].address);
    EXPECT_EQ("255.255.0.0", table[1].subnetMask);
    EXPECT_EQ("10.77.0.254", table[1].gateway);
    EXPECT_EQ(std::optional<std::size_t>(1), table.FindByAddress("10.77.5.5"));
    EXPECT_EQ(std::nullopt, table.FindByAddress("10.77.0.22"));
    EXPECT_EQ("10.77.0.21", table[0].address) << "other devices are untouched";
}

TEST(ApplyAddressChange, TheBroadcastCopyOfARequestFindsNoDeviceAnyMore) {
    DeviceTable table = ThreeDevices();
    DhcpPool pool(kDhcpBase);
    const auto request = MakeRequest("10.77.0.21", "10.77.9.9", "255.255.0.0", "10.77.0.1", 0);
    EXPECT_FALSE(ApplyAddressChange(table, pool, request).ignored.has_value());
    const AddressChangeOutcome second = ApplyAddressChange(table, pool, request);
    EXPECT_EQ(std::optional(IgnoreReason::UnknownTarget), second.ignored);
    EXPECT_EQ("10.77.9.9", table[0].address);
}

TEST(ApplyAddressChange, DhcpDevicesTakeTheNextFreePoolAddresses) {
    DeviceTable table = ThreeDevices();
    DhcpPool pool(kDhcpBase);
    const AddressChangeOutcome first = ApplyAddressChange(table, pool, Dhcp("10.77.0.21"));
    EXPECT_FALSE(first.ignored.has_value());
    EXPECT_TRUE(first.dhcp);
    EXPECT_EQ("10.77.200.1", first.address);
    EXPECT_TRUE(table[0].usesDhcp);
    EXPECT_EQ("", table[0].subnetMask);

    // 10.77.200.2 is held by the third device, so the pool passes it by.
    const AddressChangeOutcome second = ApplyAddressChange(table, pool, Dhcp("10.77.0.22"));
    EXPECT_EQ("10.77.200.3", second.address);
    EXPECT_EQ("10.77.200.3", table[1].address);

    // A DHCP device switched back to a static address forgets DHCP.
    const auto back = MakeRequest("10.77.200.1", "10.77.0.21", "255.255.0.0", "10.77.0.1", 0);
    EXPECT_FALSE(ApplyAddressChange(table, pool, back).ignored.has_value());
    EXPECT_FALSE(table[0].usesDhcp);
}

TEST(DhcpPool, SkipsLastOctetsZeroAnd255AndEndsAtTheTop) {
    const DeviceTable table({MakeDevice("10.77.0.21")});
    DhcpPool fromNetwork(0x0A4DC800); // 10.77.200.0
    EXPECT_EQ(std::optional<std::string>("10.77.200.1"), fromNetwork.Lease(table));

    DhcpPool nearEnd(0x0A4DC8FE); // 10.77.200.254
    EXPECT_EQ(std::optional<std::string>("10.77.200.254"), nearEnd.Lease(table));
    EXPECT_EQ(std::optional<std::string>("10.77.201.1"), nearEnd.Lease(table));

    DhcpPool top(0xFFFFFFFE);
    EXPECT_EQ(std::optional<std::string>("255.255.255.254"), top.Lease(table));
    EXPECT_EQ(std::nullopt, top.Lease(table));
    EXPECT_EQ(std::nullopt, top.Lease(table));
}

TEST(ApplyAddressChange, IgnoredRequestsChangeNothing) {
    const struct {
        const char* what;
        std::vector<std::byte> request;
        IgnoreReason reason;
    } cases[] = {
        {"unknown target", MakeRequest("10.77.0.99", "10.77.5.5", "255.255.0.0", "10.77.0.1", 0),
         IgnoreReason::UnknownTarget},
        {"target written differently",
         MakeRequest("10.77.000.21", "10.77.5.5", "255.255.0.0", "10.77.0.1", 0),
         IgnoreReason::UnknownTarget},
        {"empty target", MakeRequest("", "10.77.5.5", "255.255.0.0", "10.77.0.1", 0),
         IgnoreReason::UnknownTarget},
        {"empty new address", MakeRequest("10.77.0.21", "", "255.255.0.0", "10.77.0.1", 0),
         IgnoreReason::BadStaticFields},
        {"new address not dotted", MakeRequest("10.77.0.21", "cam", "255.255.0.0", "10.77.0.1", 0),
         IgnoreReason::BadStaticFields},
        {"empty mask", MakeRequest("10.77.0.21", "10.77.5.5", "", "10.77.0.1", 0),
         IgnoreReason::BadStaticFields},
        {"empty gateway", MakeRequest("10.77.0.21", "10.77.5.5", "255.255.0.0", "", 0),
         IgnoreReason::BadStaticFields},
        {"flag 2", MakeRequest("10.77.0.21", "10.77.5.5", "255.255.0.0", "10.77.0.1", 2),
         IgnoreReason::BadDhcpFlag},
        {"address of another device",
         MakeRequest("10.77.0.21", "10.77.0.22", "255.255.0.0", "10.77.0.1", 0),
         IgnoreReason::AddressInUse},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceTable table = ThreeDevices();
        DhcpPool pool(kDhcpBase);
        const AddressChangeOutcome outcome = ApplyAddressChange(table, pool, c.request);
        EXPECT_EQ(std::optional(c.reason), outcome.ignored);
        EXPECT_EQ("10.77.0.21", table[0].address);
        EXPECT_EQ("10.77.0.22", table[1].address);
        EXPECT_EQ("", table[0].subnetMask);
    }
}

TEST(ApplyAddressChange, ARequestCutBeforeItsDhcpFlagIsIgnored) {
    const auto whole = MakeRequest("10.77.0.21", "", "", "", 1);
    for (std::size_t length : {std::size_t{13}, std::size_t{100}, kDhcpFlagOffset}) {
        SCOPED_TRACE(length);
        DeviceTable table = ThreeDevices();
        DhcpPool pool(kDhcpBase);
        const auto cut = std::span<const std::byte>(whole).first(length);
        EXPECT_EQ(std::optional(IgnoreReason::ShortRequest),
                  ApplyAddressChange(table, pool, cut).ignored);
        EXPECT_EQ("10.77.0.21", table[0].address);
    }
    DeviceTable table = ThreeDevices();
    DhcpPool pool(kDhcpBase);
    const auto justLongEnough = std::span<const std::byte>(whole).first(kDhcpFlagOffset + 1);
    EXPECT_FALSE(ApplyAddressChange(table, pool, justLongEnough).ignored.has_value());
}

TEST(ApplyAddressChange, StaticChangeToItsOwnAddressStoresMaskAndGateway) {
    DeviceTable table = ThreeDevices();
    DhcpPool pool(kDhcpBase);
    const auto request = MakeRequest("10.77.0.21", "10.77.0.21", "255.255.255.0", "10.77.0.1", 0);
    EXPECT_FALSE(ApplyAddressChange(table, pool, request).ignored.has_value());
    EXPECT_EQ("255.255.255.0", table[0].subnetMask);
}

TEST(ApplyAddressChange, ExhaustedPoolLeavesTheDeviceAlone) {
    DeviceTable table = ThreeDevices();
    DhcpPool pool(0xFFFFFFFE);
    EXPECT_FALSE(ApplyAddressChange(table, pool, Dhcp("10.77.0.21")).ignored.has_value());
    const AddressChangeOutcome outcome = ApplyAddressChange(table, pool, Dhcp("10.77.0.22"));
    EXPECT_EQ(std::optional(IgnoreReason::DhcpExhausted), outcome.ignored);
    EXPECT_EQ("10.77.0.22", table[1].address);
    EXPECT_FALSE(table[1].usesDhcp);
}

} // namespace
} // namespace devsim

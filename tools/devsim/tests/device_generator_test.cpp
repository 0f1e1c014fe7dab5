// Generated devices: 10,000 distinct, valid and repeatable ones, and running out of addresses.
#include "tools/devsim/device_generator.h"

#include "tools/devsim/device_fields.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace devsim {
namespace {

constexpr std::uint32_t kSubnet = 0x0A4D0100; // 10.77.1.0

TEST(NextHostAddress, SkipsNetworkAndBroadcastOctetsAndStopsAtTheTop) {
    const struct {
        std::uint32_t from;
        std::optional<std::uint32_t> next;
    } cases[] = {
        {0x0A4D0100, 0x0A4D0101},                           // 10.77.1.0 -> .1
        {0x0A4D0101, 0x0A4D0102}, {0x0A4D01FD, 0x0A4D01FE}, // .253 -> .254
        {0x0A4D01FE, 0x0A4D0201},                           // .254 -> 10.77.2.1, past .255 and .0
        {0x0A4DFFFE, 0x0A4E0001},                           // 10.77.255.254 -> 10.78.0.1
        {0xFFFFFFFD, 0xFFFFFFFE}, {0xFFFFFFFE, std::nullopt}, {0xFFFFFFFF, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(discovery::FormatIPv4(c.from));
        EXPECT_EQ(c.next, NextHostAddress(c.from));
    }
}

TEST(GenerateDevices, TenThousandDistinctValidDevices) {
    const auto devices = GenerateDevices(kMaxDevices, kSubnet);
    ASSERT_TRUE(devices.has_value());
    ASSERT_EQ(kMaxDevices, devices->size());
    EXPECT_EQ("10.77.1.1", devices->front().address);
    EXPECT_EQ("10.77.1.254", (*devices)[253].address);
    EXPECT_EQ("10.77.2.1", (*devices)[254].address);

    std::set<std::string> addresses;
    std::set<MacAddress> macs;
    std::set<std::string> names;
    std::set<std::string> classes;
    std::set<std::int32_t> httpPorts;
    std::size_t emptyModels = 0;
    for (const Device& d : *devices) {
        SCOPED_TRACE(d.address);
        addresses.insert(d.address);
        macs.insert(d.mac);
        names.insert(d.name);
        classes.insert(d.classText);
        httpPorts.insert(d.httpPort);
        emptyModels += d.model.empty();
        EXPECT_TRUE(IsAddressText(d.address));
        EXPECT_FALSE(d.classText.empty());
        EXPECT_LE(d.classText.size(), kMaxClassTextBytes);
        EXPECT_LE(d.name.size(), kMaxNameBytes);
        EXPECT_LE(d.model.size(), kMaxModelBytes);
        const bool dvs = d.classText.find("DVS") != std::string::npos;
        EXPECT_EQ(dvs, d.dvsByte != 0) << "only recorders carry a DVS byte";
        const auto last = d.address.substr(d.address.rfind('.') + 1);
        EXPECT_NE("0", last);
        EXPECT_NE("255", last);
    }
    EXPECT_EQ(kMaxDevices, addresses.size());
    EXPECT_EQ(kMaxDevices, macs.size());
    EXPECT_EQ(kMaxDevices, names.size());
    for (const char* cls : {"DVS", "IPCAMERA", "DECODER"})
        EXPECT_EQ(1u, classes.count(cls)) << cls;
    for (std::int32_t port : {80, 8080, 81})
        EXPECT_EQ(1u, httpPorts.count(port)) << port;
    EXPECT_GT(emptyModels, 0u);
}

TEST(GenerateDevices, SameInputsGiveTheSameDevices) {
    const auto first = GenerateDevices(50, kSubnet);
    const auto second = GenerateDevices(50, kSubnet);
    ASSERT_TRUE(first && second);
    for (std::size_t i = 0; i < first->size(); ++i) {
        SCOPED_TRACE(i);
        const Device& a = (*first)[i];
        const Device& b = (*second)[i];
        EXPECT_EQ(a.classText, b.classText);
        EXPECT_EQ(a.mac, b.mac);
        EXPECT_EQ(a.address, b.address);
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.httpPort, b.httpPort);
        EXPECT_EQ(a.rtspPort, b.rtspPort);
        EXPECT_EQ(a.dvsByte, b.dvsByte);
        EXPECT_EQ(a.model, b.model);
    }
}

TEST(GenerateDevices, FailsWhenTheAddressesRunOut) {
    const std::uint32_t nearTop = 0xFFFFFFFC; // 255.255.255.252: .253 and .254 remain
    const auto fits = GenerateDevices(2, nearTop);
    ASSERT_TRUE(fits.has_value());
    EXPECT_EQ("255.255.255.254", fits->back().address);
    EXPECT_FALSE(GenerateDevices(3, nearTop).has_value());
}

} // namespace
} // namespace devsim

// The bytes a simulated device sends: its search reply and each kind of injected datagram.
#include "tools/devsim/replies.h"

#include "tools/devsim/device_table.h"
#include "tools/devsim/injection.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace devsim {
namespace {

using namespace discovery;

Device SampleDevice() {
    Device d;
    d.classText = "DVS";
    d.mac = {0x02, 0x4b, 0x00, 0xA0, 0xFF, 0x1e};
    d.address = "10.77.0.30";
    d.name = "Caf\xE9 recorder";
    d.httpPort = 8080;
    d.rtspPort = 554;
    d.dvsByte = 0x84;
    d.model = "DR-0404";
    return d;
}

std::string TextAt(const ReplyRecord& r, std::size_t offset, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(r.data()) + offset, size);
}

std::string Padded(const std::string& text, std::size_t size) {
    return text + std::string(size - text.size(), '\0');
}

std::uint8_t At(std::span<const std::byte> bytes, std::size_t offset) {
    return std::to_integer<std::uint8_t>(bytes[offset]);
}

TEST(BuildReply, PutsEveryFieldAtItsOffset) {
    const ReplyRecord r = BuildReply(SampleDevice());
    EXPECT_EQ(std::string("quarnelvist\0", 12), TextAt(r, kMarkerOffset, kMarkerSize));
    EXPECT_EQ(1, At(r, kCommandOffset));
    EXPECT_EQ(Padded("DVS", kClassTextSize), TextAt(r, kClassTextOffset, kClassTextSize));
    const std::uint8_t mac[] = {0x02, 0x4b, 0x00, 0xA0, 0xFF, 0x1e};
    EXPECT_EQ(0, std::memcmp(mac, r.data() + kMacOffset, kMacSize));
    EXPECT_EQ(Padded("10.77.0.30", kDeviceAddressSize),
              TextAt(r, kDeviceAddressOffset, kDeviceAddressSize));
    EXPECT_EQ(Padded("Caf\xE9 recorder", kDeviceNameSize),
              TextAt(r, kDeviceNameOffset, kDeviceNameSize));
    EXPECT_EQ(std::string("\0\0\x1F\x90", 4), TextAt(r, kHttpPortOffset, 4)); // 8080 big-endian
    EXPECT_EQ(std::string("\0\0\x02\x2A", 4), TextAt(r, kRtspPortOffset, 4)); // 554
    EXPECT_EQ(0x84, At(r, kDvsByteOffset));
    EXPECT_EQ(Padded("DR-0404", kModelTextSize), TextAt(r, kModelTextOffset, kModelTextSize));
    // The fields the tool does not read stay zero.
    const std::pair<std::size_t, std::size_t> unread[] = {
        {29, 60}, {154, 156}, {165, 174}, {206, 208}};
    for (auto [from, to] : unread) {
        for (std::size_t i = from; i < to; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(0, At(r, i));
        }
    }
}

DeviceTable TwoDevices() {
    Device second = SampleDevice();
    second.address = "10.77.254.1"; // where the first injected device would go
    second.name = "second";
    return DeviceTable({SampleDevice(), second});
}

TEST(BuildInjected, EachKindHasItsFault) {
    const DeviceTable table = TwoDevices();
    const struct {
        InjectKind kind;
        std::size_t size;
        std::uint8_t commandOf; // 0: no whole, marked header
        bool accepted;
    } cases[] = {
        {InjectKind::BadMarker, 208, 0, false},   {InjectKind::Command0, 208, 0, false},
        {InjectKind::Command2, 208, 2, false},    {InjectKind::Command3, 208, 3, false},
        {InjectKind::Command4, 208, 4, false},    {InjectKind::Short12, 12, 0, false},
        {InjectKind::ShortReply, 100, 1, true},   {InjectKind::Oversize, 300, 1, true},
        {InjectKind::UnknownClass, 208, 1, true}, {InjectKind::Duplicate, 208, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(InjectKindName(c.kind)));
        const std::vector<std::byte> d = BuildInjected(c.kind, table);
        EXPECT_EQ(c.size, d.size());
        EXPECT_EQ(c.commandOf, CommandOf(d));
        EXPECT_EQ(c.accepted, IsAcceptedReply(d));
    }
}

TEST(BuildInjected, DuplicateCarriesTheFirstDevicesAddressAndAnotherName) {
    const DeviceTable table = TwoDevices();
    const SearchReply dup =
        DecodeSearchReply(MakeReplyRecord(BuildInjected(InjectKind::Duplicate, table)));
    EXPECT_EQ(table[0].address, dup.deviceAddress);
    EXPECT_EQ("duplicate of Caf\xE9 recorder", dup.deviceName);

    Device longName = SampleDevice();
    longName.name = std::string(kMaxNameBytes, 'n');
    const DeviceTable longTable({longName});
    const SearchReply cut =
        DecodeSearchReply(MakeReplyRecord(BuildInjected(InjectKind::Duplicate, longTable)));
    EXPECT_EQ(kMaxNameBytes, cut.deviceName.size());
    EXPECT_NE(longName.name, cut.deviceName);
}

TEST(ParseInjectList, NamesAllAndListsAndRejectsUnknownNames) {
    std::string error;
    const auto all = ParseInjectList("all", error);
    ASSERT_TRUE(all.has_value());
    EXPECT_EQ(AllInjectKinds().size(), all->size());

    const auto two = ParseInjectList("short12,duplicate", error);
    ASSERT_TRUE(two.has_value());
    EXPECT_EQ((std::vector{InjectKind::Short12, InjectKind::Duplicate}), *two);

    for (const char* bad : {"", "short12,", "bogus", "short12,,duplicate", "ALL"}) {
        SCOPED_TRACE(bad);
        error.clear();
        EXPECT_FALSE(ParseInjectList(bad, error).has_value());
        EXPECT_NE(std::string::npos, error.find("unknown inject kind")) << error;
    }
    error.clear();
    EXPECT_FALSE(ParseInjectList("bogus", error).has_value());
    EXPECT_EQ("unknown inject kind 'bogus' (known: all, bad-marker, command0, command2, command3, "
              "command4, short12, short-reply, oversize, unknown-class, duplicate)",
              error);
}

} // namespace
} // namespace devsim

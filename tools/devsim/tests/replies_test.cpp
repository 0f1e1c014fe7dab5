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

// The only datagram of a kind that has one.
std::vector<std::byte> One(InjectKind kind, const DeviceTable& table) {
    const auto datagrams = BuildInjected(kind, table);
    EXPECT_EQ(1u, datagrams.size());
    return datagrams.empty() ? std::vector<std::byte>{} : datagrams.front();
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
        const std::vector<std::byte> d = One(c.kind, table);
        EXPECT_EQ(c.size, d.size());
        EXPECT_EQ(c.commandOf, CommandOf(d));
        EXPECT_EQ(c.accepted, IsAcceptedReply(d));
    }
}

TEST(BuildInjected, DuplicateCarriesTheFirstDevicesAddressAndAnotherName) {
    const DeviceTable table = TwoDevices();
    const SearchReply dup = DecodeSearchReply(MakeReplyRecord(One(InjectKind::Duplicate, table)));
    EXPECT_EQ(table[0].address, dup.deviceAddress);
    EXPECT_EQ("duplicate of Caf\xE9 recorder", dup.deviceName);

    Device longName = SampleDevice();
    longName.name = std::string(kMaxNameBytes, 'n');
    const DeviceTable longTable({longName});
    const SearchReply cut =
        DecodeSearchReply(MakeReplyRecord(One(InjectKind::Duplicate, longTable)));
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
              "command4, short12, short-reply, oversize, unknown-class, duplicate, lengths, "
              "random-body, unterminated, same-address)",
              error);
}

TEST(BuildInjected, HostileKindsStayWithinWhatTheyClaim) {
    const DeviceTable table = TwoDevices();

    // Every length once, longest first, each the same reply cut or padded with junk.
    const auto lengths = BuildInjected(InjectKind::Lengths, table);
    ASSERT_EQ(InjectedLengths().size(), lengths.size());
    std::set<std::size_t> seen;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "datagram " << i);
        EXPECT_EQ(InjectedLengths()[i], lengths[i].size());
        if (i > 0) {
            EXPECT_LT(lengths[i].size(), lengths[i - 1].size());
        }
        seen.insert(lengths[i].size());
        const std::size_t common = std::min(lengths[i].size(), lengths[0].size());
        EXPECT_TRUE(
            std::equal(lengths[i].begin(), lengths[i].begin() + common, lengths[0].begin()));
    }
    for (const std::size_t length : {0, 1, 12, 13, 207, 208, 209, 300, 1472, 1473, 65507})
        EXPECT_EQ(1u, seen.count(length)) << length;
    EXPECT_EQ("injected lengths", DecodeSearchReply(MakeReplyRecord(lengths[0])).deviceName);

    // Random bodies behind a whole header; half claim class DVS, and all differ.
    const auto bodies = BuildInjected(InjectKind::RandomBody, table);
    ASSERT_EQ(kRandomBodies, bodies.size());
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "body " << i);
        EXPECT_TRUE(IsAcceptedReply(bodies[i]));
        EXPECT_EQ(kReplySize, bodies[i].size());
        EXPECT_EQ(i % 2 == 0, TextAt(MakeReplyRecord(bodies[i]), kClassTextOffset, 3) == "DVS");
    }
    EXPECT_EQ(bodies, BuildInjected(InjectKind::RandomBody, table)) << "the same every burst";
    EXPECT_EQ(kRandomBodies, std::set(bodies.begin(), bodies.end()).size());

    // No zero byte in any text field, nor after the model.
    const std::vector<std::byte> full = One(InjectKind::Unterminated, table);
    for (const auto& [offset, size] : {std::pair{kClassTextOffset, kClassTextSize},
                                       {kDeviceAddressOffset, kDeviceAddressSize},
                                       {kDeviceNameOffset, kDeviceNameSize},
                                       {kModelTextOffset, kReplySize - kModelTextOffset}}) {
        SCOPED_TRACE(testing::Message() << "field at " << offset);
        for (std::size_t b = offset; b < offset + size; ++b)
            EXPECT_NE(0, At(full, b)) << "byte " << b;
    }
    const SearchReply read = DecodeSearchReply(MakeReplyRecord(full));
    EXPECT_EQ("IPCAMERAC", read.classText);
    EXPECT_EQ(std::string(kDeviceNameSize - 1, 'N').replace(0, 21, "injected unterminated"),
              read.deviceName);

    // One address, two MACs, two names.
    const auto pair = BuildInjected(InjectKind::SameAddress, table);
    ASSERT_EQ(2u, pair.size());
    const SearchReply first = DecodeSearchReply(MakeReplyRecord(pair[0]));
    const SearchReply second = DecodeSearchReply(MakeReplyRecord(pair[1]));
    EXPECT_EQ(first.deviceAddress, second.deviceAddress);
    EXPECT_NE(first.mac, second.mac);
    EXPECT_EQ("injected same-address", first.deviceName);
    EXPECT_EQ("injected same-address (second)", second.deviceName);
    EXPECT_FALSE(table.FindByAddress(first.deviceAddress));
}

} // namespace
} // namespace devsim

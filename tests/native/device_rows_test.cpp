// Replies becoming device rows: duplicates, classes, index numbers, texts and deviceWord.
#include "discovery/device_rows.h"

#include "fake_row_list.h"
#include "tests/native/fake_network.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using discovery::SearchReply;

SearchReply Reply(std::string classText, std::string address, std::string name = "cam") {
    SearchReply reply;
    reply.classText = std::move(classText);
    reply.mac = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0xef};
    reply.deviceAddress = std::move(address);
    reply.deviceName = std::move(name);
    reply.httpPort = 80;
    reply.rtspPort = 554;
    reply.dvsByte = 4;
    reply.modelText = "M-100";
    return reply;
}

void Add(FakeRowList& list, const SearchReply& reply) {
    discovery::AddDeviceFromRecord(discovery::EncodeSearchReply(reply), list);
}

std::vector<std::wstring> Column(const FakeRowList& list, int column) {
    std::vector<std::wstring> texts;
    for (const auto& row : list.rows)
        texts.push_back(row.texts[static_cast<std::size_t>(column)]);
    return texts;
}

TEST(DeviceRows, RowTextsAndRecordOfAReply) {
    FakeRowList list;
    Add(list, Reply("IPCAMERA", "192.168.1.10", "Gate"));
    ASSERT_EQ(1, list.RowCount());
    const std::vector<std::wstring> expected = {
        L"1", L"IPCAMERA M-100", L"Gate", L"192.168.1.10", L"80", L"554", L"00:1A:2B:3C:4D:EF"};
    EXPECT_EQ(expected, list.rows[0].texts);
    ASSERT_NE(nullptr, list.rows[0].record);
    EXPECT_EQ(expected, list.rows[0].record->texts);
    EXPECT_EQ(554u * 256 + 3 * 16, list.rows[0].record->deviceWord); // 141,872
    const std::vector<bool> redraw = {false, true};
    EXPECT_EQ(redraw, list.redrawCalls);
}

TEST(DeviceRows, DvsRowCarriesItsByteInTheDeviceWord) {
    FakeRowList list;
    Add(list, Reply("DVS", "10.0.0.7"));
    ASSERT_EQ(1, list.RowCount());
    EXPECT_EQ(141844u, list.rows[0].record->deviceWord);
}

TEST(DeviceRows, IndexCountsArrivalsWithinASearch) {
    FakeRowList list;
    Add(list, Reply("DVS", "10.0.0.1"));
    Add(list, Reply("DECODER", "10.0.0.2"));
    Add(list, Reply("IPCAMERA", "10.0.0.3"));
    const std::vector<std::wstring> expected = {L"1", L"2", L"3"};
    EXPECT_EQ(expected, Column(list, 0));
}

TEST(DeviceRows, FirstReplyFromAnAddressWins) {
    FakeRowList list;
    Add(list, Reply("DVS", "192.168.1.20", "first"));
    Add(list, Reply("IPCAMERA", "192.168.1.20", "second"));
    ASSERT_EQ(1, list.RowCount());
    EXPECT_EQ(L"first", list.rows[0].texts[2]);
    EXPECT_EQ(L"DVS M-100", list.rows[0].texts[1]);
}

TEST(DeviceRows, AddressesAreComparedAsText) {
    FakeRowList list;
    Add(list, Reply("DVS", "192.168.1.20"));
    Add(list, Reply("DVS", "192.168.001.020"));
    EXPECT_EQ(2, list.RowCount());
}

TEST(DeviceRows, UnknownClassMakesNoRow) {
    FakeRowList list;
    Add(list, Reply("NVR", "10.0.0.1"));
    Add(list, Reply("dvs", "10.0.0.2"));
    EXPECT_EQ(0, list.RowCount());
    EXPECT_TRUE(list.redrawCalls.empty());
}

TEST(DeviceRows, EmptyModelKeepsTheSpace) {
    FakeRowList list;
    SearchReply reply = Reply("IPCAMERA", "10.0.0.1");
    reply.modelText.clear();
    Add(list, reply);
    ASSERT_EQ(1, list.RowCount());
    EXPECT_EQ(L"IPCAMERA ", list.rows[0].texts[1]);
}

TEST(DeviceRows, FailedInsertionLeavesTheListAlone) {
    FakeRowList list;
    list.failInsert = true;
    Add(list, Reply("DVS", "10.0.0.1"));
    EXPECT_EQ(0, list.RowCount());
    const std::vector<bool> redraw = {false, true};
    EXPECT_EQ(redraw, list.redrawCalls);
}

TEST(DeviceRows, ClearRemovesRowsAndANewSearchCountsFromOne) {
    FakeRowList list;
    Add(list, Reply("DVS", "10.0.0.1"));
    Add(list, Reply("DVS", "10.0.0.2"));
    discovery::ClearDeviceRows(list);
    EXPECT_EQ(0, list.RowCount());
    Add(list, Reply("DVS", "10.0.0.2"));
    ASSERT_EQ(1, list.RowCount());
    EXPECT_EQ(L"1", list.rows[0].texts[0]);
}

// A list that answers the duplicate test from addresses of its own, as a list with an index of
// its texts does, and counts the texts read from it.
class IndexedRowList : public FakeRowList {
public:
    bool HasRowWithAddress(const std::wstring& address) const override {
        asked.push_back(address);
        return listed.contains(address);
    }
    std::wstring RowText(int row, int column) const override {
        ++textReads;
        return FakeRowList::RowText(row, column);
    }

    std::set<std::wstring> listed;
    mutable std::vector<std::wstring> asked;
    mutable int textReads = 0;
};

TEST(DeviceRows, TheDuplicateTestMatchesWholeAddressTextsExactly) {
    FakeRowList list;
    EXPECT_FALSE(list.HasRowWithAddress(L""));
    Add(list, Reply("DVS", "192.168.1.20", "10.0.0.9")); // a name that reads like an address
    Add(list, Reply("DVS", "cam-A"));
    const struct Case {
        const wchar_t* address;
        bool listed;
    } cases[] = {
        {L"192.168.1.20", true},   {L"cam-A", true},        {L"CAM-A", false},
        {L"cam-a", false},         {L"192.168.1.2", false}, {L"192.168.1.200", false},
        {L"192.168.1.20 ", false}, {L"10.0.0.9", false},    {L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "address \"" << c.address << "\"");
        EXPECT_EQ(c.listed, list.HasRowWithAddress(c.address));
    }
}

TEST(DeviceRows, TheRowRulesAskTheListWhetherAnAddressIsListed) {
    IndexedRowList list;
    list.listed = {L"10.0.0.1"};
    Add(list, Reply("DVS", "10.0.0.1"));
    Add(list, Reply("DVS", "10.0.0.2"));
    ASSERT_EQ(1, list.RowCount());
    EXPECT_EQ(L"10.0.0.2", list.rows[0].texts[3]);
    const std::vector<std::wstring> asked = {L"10.0.0.1", L"10.0.0.2"};
    EXPECT_EQ(asked, list.asked);
    EXPECT_EQ(0, list.textReads) << "the rules read the rows' texts themselves";
}

// A batch is what the window finds queued when its wake-up arrives: every record becomes a row
// by the same rules and in the same order as one at a time, and the list is redrawn once.
TEST(DeviceRows, ABatchMakesTheSameRowsAsSingleRepliesWithOneRedraw) {
    const std::vector<SearchReply> replies = {
        Reply("DVS", "10.0.0.1", "a"),      Reply("NVR", "10.0.0.2", "unknown class"),
        Reply("IPCAMERA", "10.0.0.3", "b"), Reply("DECODER", "10.0.0.1", "duplicate in batch"),
        Reply("DECODER", "10.0.0.4", "c"),
    };
    FakeRowList single;
    for (const SearchReply& reply : replies)
        Add(single, reply);

    discovery_test::FakeNetwork network;
    network.SetLocalAddresses({0x0A000001});
    discovery::DiscoveryEngine engine(network, [] { return true; });
    engine.SendSearch();
    const discovery::SocketHandle socket = network.OpenedSockets().at(0);
    const auto queue = [&](const SearchReply& reply) {
        const auto record = discovery::EncodeSearchReply(reply);
        network.QueueDatagram(socket, {record.begin(), record.end()});
        engine.PollOnce(std::chrono::milliseconds(0));
    };
    for (const SearchReply& reply : replies)
        queue(reply);

    FakeRowList batched;
    EXPECT_EQ(replies.size(), discovery::AddDevicesFromReplies(engine, batched));
    ASSERT_EQ(3, batched.RowCount());
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(testing::Message() << "row " << row);
        EXPECT_EQ(single.rows[row].texts, batched.rows[row].texts);
        EXPECT_EQ(single.rows[row].record->deviceWord, batched.rows[row].record->deviceWord);
    }
    const std::vector<bool> once = {false, true};
    EXPECT_EQ(once, batched.redrawCalls);

    // A batch whose replies are all dropped, and a wake-up that finds nothing: no redraw.
    queue(Reply("DVS", "10.0.0.3", "listed already"));
    EXPECT_EQ(1u, discovery::AddDevicesFromReplies(engine, batched));
    EXPECT_EQ(0u, discovery::AddDevicesFromReplies(engine, batched));
    EXPECT_EQ(3, batched.RowCount());
    EXPECT_EQ(once, batched.redrawCalls);
}

// When others wait for the window thread, a long batch stops at the next check and gives the
// rest back in order; the next wake-up goes on where it stopped, with the same rows.
TEST(DeviceRows, ABatchYieldsToWaitingMessagesAndGoesOnWhereItStopped) {
    constexpr int kReplies = 150;
    discovery_test::FakeNetwork network;
    network.SetLocalAddresses({0x0A000001});
    int wakeUps = 0;
    discovery::DiscoveryEngine engine(network, [&] {
        ++wakeUps;
        return true;
    });
    engine.SendSearch();
    const discovery::SocketHandle socket = network.OpenedSockets().at(0);
    for (int i = 0; i < kReplies; ++i) {
        const auto record =
            discovery::EncodeSearchReply(Reply("DVS", "10.1.0." + std::to_string(i)));
        network.QueueDatagram(socket, {record.begin(), record.end()});
        engine.PollOnce(std::chrono::milliseconds(0));
    }
    ASSERT_EQ(1, wakeUps);

    FakeRowList list;
    int checks = 0;
    const std::size_t first = discovery::AddDevicesFromReplies(engine, list, [&] {
        return ++checks == 2; // others wait at the second check
    });
    EXPECT_EQ(2 * discovery::kRepliesBetweenYieldChecks, first);
    EXPECT_EQ(static_cast<int>(first), list.RowCount());
    EXPECT_EQ(kReplies - first, engine.QueuedReplies());
    EXPECT_EQ(2, wakeUps) << "the rest needs a wake-up of its own";
    EXPECT_EQ((std::vector<bool>{false, true}), list.redrawCalls);

    EXPECT_EQ(kReplies - first,
              discovery::AddDevicesFromReplies(engine, list, [] { return false; }));
    ASSERT_EQ(kReplies, list.RowCount());
    for (int row = 0; row < kReplies; ++row) {
        SCOPED_TRACE(testing::Message() << "row " << row);
        EXPECT_EQ(std::to_wstring(row + 1), list.rows[row].texts[0]);
        EXPECT_EQ(L"10.1.0." + std::to_wstring(row), list.rows[row].texts[3]);
    }
}

} // namespace

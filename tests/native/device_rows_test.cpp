// Replies becoming device rows: the class a class text names, the packed deviceWord, the seven
// column texts, the 8-bit to wide conversion beneath them, duplicates, index numbers.
#include "text/ansi_text.h"
#include "discovery/device_rows.h"
#include "fake_row_list.h"
#include "tests/native/fake_network.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace discovery {
namespace {

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
    AddDeviceFromRecord(EncodeSearchReply(reply), list);
}

TEST(FindDeviceClass, FirstWordInSearchOrderDecidesWithinNineBytes) {
    const struct {
        const char* text;
        bool inField; // read from a reply's 10-byte class field rather than given as text
        int code;     // 0: no class
    } cases[] = {
        {"DVS", false, 1},       {"IPCAMERA", false, 3},    {"DECODER", false, 4},
        {"MDVS-8", false, 1},    {"IPCAMERADVS", false, 1}, {"DECODERIPCAMERA", false, 3},
        {"dvs", false, 0},       {"NVR", false, 0},         {"", false, 0},
        {"D VS", false, 0},      {"IPCAMER", false, 0},     {"123456DVS", true, 1},
        {"1234567DVS", true, 0}, {"XIPCAMERA", true, 3},    {"XXIPCAMERA", true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        if (c.inField) {
            ReplyRecord record{};
            std::memcpy(record.data() + kClassTextOffset, c.text, std::strlen(c.text));
            text = DecodeSearchReply(record).classText;
        }
        const auto deviceClass = FindDeviceClass(text);
        EXPECT_EQ(c.code, deviceClass ? static_cast<int>(*deviceClass) : 0);
    }
}

TEST(DeviceWord, PacksPortClassAndDvsByte) {
    const struct {
        std::int32_t rtspPort;
        DeviceClass deviceClass;
        std::uint8_t dvsByte;
        std::uint32_t word;
    } cases[] = {
        {554, DeviceClass::IpCamera, 4, 141'872}, // the DVS byte only counts for DVS
        {554, DeviceClass::Dvs, 4, 141'844},
        {554, DeviceClass::Decoder, 0xFF, 0x00022A40},
        {554, DeviceClass::Dvs, 0xA0, 0x00022AB0}, // over the class bits
        {0x12345678, DeviceClass::IpCamera, 0, 0x34567830},
        {-1, DeviceClass::Dvs, 0, 0xFFFFFF10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rtspPort << " " << static_cast<int>(c.deviceClass)
                                        << " " << static_cast<int>(c.dvsByte));
        EXPECT_EQ(c.word, deviceWord(c.rtspPort, c.deviceClass, c.dvsByte));
    }
}

TEST(DeviceRowTexts, EachColumnAsShown) {
    const struct {
        const char* name;
        std::function<void(SearchReply&)> change;
        int column;
        const wchar_t* text;
    } cases[] = {
        {"empty model keeps the blank", [](SearchReply& r) { r.modelText.clear(); }, 1, L"DVS "},
        {"code page", [](SearchReply& r) { r.modelText = "M\xFC"; }, 1, L"DVS M\u00FC"},
        {"name", [](SearchReply& r) { r.deviceName = "Caf\xE9 \xA9\xFF"; }, 2,
         L"Caf\u00E9 \u00A9\u00FF"},
        {"address as sent", [](SearchReply& r) { r.deviceAddress = "192.168.001.020"; }, 3,
         L"192.168.001.020"},
        {"lowest HTTP port", [](SearchReply& r) { r.httpPort = std::numeric_limits<int>::min(); },
         4, L"-2147483648"},
        {"RTSP port -1", [](SearchReply& r) { r.rtspPort = -1; }, 5, L"-1"},
        {"MAC", [](SearchReply& r) { r.mac = {0x0A, 0xB0, 0x0C, 0xD0, 0x0E, 0xFF}; }, 6,
         L"0A:B0:0C:D0:0E:FF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SearchReply reply = Reply("DVS", "10.0.0.1");
        c.change(reply);
        EXPECT_EQ(c.text, DeviceRowTexts(reply, 1)[static_cast<std::size_t>(c.column)]);
    }
}

TEST(AnsiText, EveryByteIsItsLatin1CharacterAndBack) {
    std::string bytes;
    for (int b = 1; b <= 0xFF; ++b)
        bytes.push_back(static_cast<char>(b));
    const std::optional<std::wstring> wide = text::AnsiToWide(bytes);
    ASSERT_TRUE(wide.has_value());
    ASSERT_EQ(bytes.size(), wide->size());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        EXPECT_EQ(static_cast<wchar_t>(i + 1), (*wide)[i]) << "byte " << i + 1;
    EXPECT_EQ(std::optional<std::string>(bytes), text::WideToAnsi(*wide));
    EXPECT_EQ(std::nullopt, text::WideToAnsi(L"price \u20AC"));
}

TEST(DeviceRows, ASearchOfRepliesBecomesNumberedRows) {
    FakeRowList list;
    Add(list, Reply("IPCAMERA", "192.168.1.10", "Gate"));
    Add(list, Reply("DVS", "192.168.1.10", "second")); // the first reply of an address wins
    Add(list, Reply("NVR", "10.0.0.1"));               // no known class
    Add(list, Reply("DVS", "192.168.001.010"));        // addresses compare as texts
    ASSERT_EQ(2, list.RowCount());
    const std::vector<std::wstring> first = {
        L"1", L"IPCAMERA M-100", L"Gate", L"192.168.1.10", L"80", L"554", L"00:1A:2B:3C:4D:EF"};
    EXPECT_EQ(first, list.rows[0].texts);
    ASSERT_NE(nullptr, list.rows[0].record);
    EXPECT_EQ(first, list.rows[0].record->texts);
    EXPECT_EQ(141'872u, list.rows[0].record->deviceWord);
    EXPECT_EQ(L"2", list.rows[1].texts[0]);
    EXPECT_EQ(141'844u, list.rows[1].record->deviceWord);
    EXPECT_EQ((std::vector<bool>{false, true, false, true}), list.redrawCalls);

    ClearDeviceRows(list);
    Add(list, Reply("DVS", "192.168.1.10"));
    ASSERT_EQ(1, list.RowCount());
    EXPECT_EQ(L"1", list.rows[0].texts[0]);
}

TEST(DeviceRows, FailedInsertionLeavesTheListAlone) {
    FakeRowList list;
    list.failInsert = true;
    Add(list, Reply("DVS", "10.0.0.1"));
    EXPECT_EQ(0, list.RowCount());
    EXPECT_EQ((std::vector<bool>{false, true}), list.redrawCalls);
}

TEST(DeviceRows, TheDuplicateTestMatchesWholeAddressTextsExactly) {
    FakeRowList list;
    Add(list, Reply("DVS", "192.168.1.20", "10.0.0.9")); // a name that reads like an address
    Add(list, Reply("DVS", "cam-A"));
    const struct Case {
        const wchar_t* address;
        bool listed;
    } cases[] = {
        {L"192.168.1.20", true},   {L"cam-A", true},     {L"cam-a", false}, {L"192.168.1.2", false},
        {L"192.168.1.20 ", false}, {L"10.0.0.9", false}, {L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "address \"" << c.address << "\"");
        EXPECT_EQ(c.listed, list.HasRowWithAddress(c.address));
    }
}

// A list that answers the duplicate test from an index of its own and counts text reads.
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

TEST(DeviceRows, TheRowRulesAskTheListWhetherAnAddressIsListed) {
    IndexedRowList list;
    list.listed = {L"10.0.0.1"};
    Add(list, Reply("DVS", "10.0.0.1"));
    Add(list, Reply("DVS", "10.0.0.2"));
    ASSERT_EQ(1, list.RowCount());
    EXPECT_EQ(L"10.0.0.2", list.rows[0].texts[3]);
    EXPECT_EQ((std::vector<std::wstring>{L"10.0.0.1", L"10.0.0.2"}), list.asked);
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
} // namespace discovery

// The device rows: the class a class text names, the packed deviceWord, the seven column texts
// over the 8-bit to wide conversion (odd values included), duplicates and the MACs that share
// an address, what is said of them and how it is cut to the list's buffers, numbering, the
// sort orders and directions, and the address index through them.
#include "discovery/device_rows.h"
#include "text/buffer_text.h"
#include "text/sort_key.h"

#include <gtest/gtest.h>

#include <cstring>

namespace discovery {
namespace {

// A reply with an 8-bit model text (in the code page).
SearchReply Reply(std::string classText, std::string address, std::string name = "cam") {
    const std::array<std::uint8_t, kMacSize> mac = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0xef};
    return {std::move(classText), mac, std::move(address), std::move(name), 80, 554, 4, "M\xFC-1"};
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

TEST(DeviceRows, RepliesBecomeNumberedRowsOncePerAddressTextOfAKnownClass) {
    SearchReply odd = Reply("DVS", "192.168.001.010", "Caf\xE9 \x01\xFF"); // 8-bit, no model
    odd.mac = {0x0A, 0xB0, 0x0C, 0xD0, 0x0E, 0xFF};
    odd.httpPort = INT32_MIN;
    odd.rtspPort = -1;
    odd.modelText.clear();
    SearchReply sharing = Reply("DVS", "192.168.1.10", "another"); // a second device there
    sharing.mac[5] = 0x01;
    using enum ReplyOutcome;
    const struct {
        SearchReply reply;
        ReplyOutcome outcome;
    } replies[] = {
        {Reply("IPCAMERA", "192.168.1.10", "10.0.0.9"), kRowAdded}, // named like an address
        {Reply("DVS", "192.168.1.10", "second"), kAddressListed},   // the first reply wins
        {Reply("NVR", "10.0.0.1"), kUnknownClass},
        {odd, kRowAdded}, // addresses compare as texts
        {sharing, kAnotherDevice},
        {sharing, kAddressListed}, // its MAC is known now
        {[&] {                     // a new MAC of no known class counts for nothing
             SearchReply nvr = Reply("NVR", "192.168.1.10");
             nvr.mac[5] = 0x02;
             return nvr;
         }(),
         kAddressListed},
        {Reply("DVS", "10.0.0.9"), kRowAdded},
    };
    DeviceRows rows;
    for (const auto& [reply, outcome] : replies) {
        SCOPED_TRACE(reply.deviceAddress + " " + reply.deviceName);
        EXPECT_EQ(outcome, rows.AddDeviceFromReply(EncodeSearchReply(reply)));
    }
    ASSERT_EQ(3, rows.Count());
    EXPECT_EQ((RowTexts{L"1", L"IPCAMERA M\u00FC-1", L"10.0.0.9", L"192.168.1.10", L"80", L"554",
                        L"00:1A:2B:3C:4D:EF"}),
              rows.Row(0).texts);
    EXPECT_EQ(0x00022A30u, rows.Row(0).deviceWord);
    EXPECT_EQ((std::vector<std::wstring>{L"00:1A:2B:3C:4D:EF", L"00:1A:2B:3C:4D:01"}),
              rows.Row(0).macs);
    EXPECT_EQ((RowTexts{L"2", L"DVS ", L"Caf\u00E9 \x01\u00FF", L"192.168.001.010", L"-2147483648",
                        L"-1", L"0A:B0:0C:D0:0E:FF"}),
              rows.Row(1).texts); // the empty model keeps its blank
    EXPECT_EQ(1u, rows.Row(1).macs.size());
    EXPECT_EQ(L"3", rows.Text(2, kIndexColumn));
    EXPECT_EQ(0x00022A14u, rows.Row(2).deviceWord);

    rows.ClearDeviceRows();
    EXPECT_EQ(-1, rows.FindAddress(L"10.0.0.9"));
    EXPECT_EQ(kRowAdded, rows.AddDeviceFromReply(EncodeSearchReply(Reply("DVS", "10.0.0.9"))));
    EXPECT_EQ(L"1", rows.Text(0, kIndexColumn));
}

TEST(SharedAddressText, InsertsTheCountTheAddressAndTheMacsWhereTheFormatSays) {
    const std::vector<std::wstring> macs = {L"00:11:22:33:44:01", L"00:11:22:33:44:02",
                                            L"00:11:22:33:44:03"};
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"%1 devices answer from %2: %3",
         L"3 devices answer from 192.168.1.64: 00:11:22:33:44:01, 00:11:22:33:44:02, "
         L"00:11:22:33:44:03"},
        {L"%2 (%1) %2", L"192.168.1.64 (3) 192.168.1.64"},
        {L"100% %0 %4 %s %n %", L"100% %0 %4 %s %n %"}, // a language file's stray marks
        {L"", L""},
    };
    for (const auto& [format, text] : cases) {
        SCOPED_TRACE(testing::Message() << format);
        EXPECT_EQ(text, SharedAddressText(format, L"192.168.1.64", macs));
    }
}

TEST(FittingPrefix, LeavesRoomForTheZeroAndNeverHalfASurrogatePair) {
    const std::wstring pair = {L'a', wchar_t(0xD83D), wchar_t(0xDE00), L'b'};
    const struct {
        std::wstring text;
        std::size_t capacity;
        std::wstring fitting;
    } cases[] = {
        {L"abc", 0, L""},    {L"abc", 1, L""}, {L"abc", 3, L"ab"},
        {L"abc", 4, L"abc"}, {pair, 3, L"a"},  {pair, 4, pair.substr(0, 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "capacity " << c.capacity);
        EXPECT_EQ(c.fitting, text::FittingPrefix(c.text, c.capacity));
    }
}

TEST(DeviceRows, SortsAddressesByValueAndTheRestAsTextThenNumbersFromTheTop) {
    const wchar_t* added[][2] = {{L"192.168.1.100", L"81"},
                                 {L"192.168.1.20", L"8080"},
                                 {L"10.0.0.5", L"80"},
                                 {L"100.1.1.1", L"81"},
                                 {L"9.0.0.1", L""}};
    const struct {
        int column;
        bool ascending;
        std::vector<int> order; // where each row came from, top to bottom
    } cases[] = {
        {kAddressColumn, true, {4, 2, 3, 1, 0}},
        {kAddressColumn, false, {0, 1, 3, 2, 4}},
        {kHttpPortColumn, true, {4, 2, 1, 0, 3}}, // "", 80, 8080, 81, 81: equal ones keep order
        {kHttpPortColumn, false, {0, 3, 1, 2, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "column " << c.column << (c.ascending ? " up" : " down"));
        DeviceRows rows;
        for (const auto& [address, port] : added) {
            rows.AppendDeviceRow({L"", L"m", L"n", address, port});
        }
        EXPECT_EQ(c.order, rows.SortRows(c.column, c.ascending, &text::TextSortKey));
        for (int row = 0; row < rows.Count(); ++row) {
            const auto& [address, port] = added[c.order[static_cast<std::size_t>(row)]];
            EXPECT_EQ(address, rows.Text(row, kAddressColumn)) << "row " << row;
            EXPECT_EQ(port, rows.Text(row, kHttpPortColumn));
            EXPECT_EQ(std::to_wstring(row + 1), rows.Text(row, kIndexColumn));
            EXPECT_EQ(row, rows.FindAddress(address));
        }
    }
}

TEST(SortDirection, HeadingClicks) {
    const struct {
        int clicked, sortColumn;
        bool sortAscending, expected;
    } cases[] = {
        {3, -1, true, true}, // never sorted: ascending
        {3, 3, true, false}, // same column flips
        {3, 3, false, true}, // and flips back
        {1, 3, false, true}, // another column always starts ascending
        {1, 3, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "clicked " << c.clicked << " after " << c.sortColumn
                                        << (c.sortAscending ? " up" : " down"));
        EXPECT_EQ(c.expected, NextSortAscending(c.clicked, c.sortColumn, c.sortAscending));
    }
    EXPECT_FALSE(IsSortableColumn(kIndexColumn));
    EXPECT_TRUE(IsSortableColumn(kAddressColumn));
}

} // namespace
} // namespace discovery

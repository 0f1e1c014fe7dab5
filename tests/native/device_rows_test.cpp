// Replies becoming device rows: the class a class text names, the packed deviceWord, the seven
// column texts over the 8-bit to wide conversion (odd values included), duplicates, numbering.
#include "discovery/device_rows.h"
#include "tests/native/fake_row_list.h"

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
    FakeRowList list;
    for (const SearchReply& reply : {
             Reply("IPCAMERA", "192.168.1.10", "10.0.0.9"), // a name that reads like an address
             Reply("DVS", "192.168.1.10", "second"),        // the first reply of an address wins
             Reply("NVR", "10.0.0.1"),                      // no known class
             odd,                                           // addresses compare as texts
             Reply("DVS", "10.0.0.9"),
         })
        AddDeviceFromRecord(EncodeSearchReply(reply), list);
    ASSERT_EQ(3, list.RowCount());
    const std::vector<std::wstring> first = {
        L"1",   L"IPCAMERA M\u00FC-1", L"10.0.0.9", L"192.168.1.10", L"80",
        L"554", L"00:1A:2B:3C:4D:EF"};
    EXPECT_EQ(first, list.rows[0].texts);
    EXPECT_EQ(first, list.rows[0].record->texts);
    EXPECT_EQ(0x00022A30u, list.rows[0].record->deviceWord);
    EXPECT_EQ((std::vector<std::wstring>{L"2", L"DVS ", L"Caf\u00E9 \x01\u00FF", L"192.168.001.010",
                                         L"-2147483648", L"-1", L"0A:B0:0C:D0:0E:FF"}),
              list.rows[1].texts); // the empty model keeps its blank
    EXPECT_EQ(L"3", list.rows[2].texts[0]);
    EXPECT_EQ(0x00022A14u, list.rows[2].record->deviceWord);

    ClearDeviceRows(list);
    list.failInsert = true;
    AddDeviceFromRecord(EncodeSearchReply(Reply("DVS", "10.0.0.1")), list);
    list.failInsert = false;
    AddDeviceFromRecord(EncodeSearchReply(Reply("DVS", "10.0.0.1")), list);
    ASSERT_EQ(1, list.RowCount());
    EXPECT_EQ(L"1", list.rows[0].texts[0]);
}

} // namespace
} // namespace discovery

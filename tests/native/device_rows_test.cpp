// Replies becoming device rows: the class a class text names, the packed deviceWord, the seven
// column texts over the 8-bit to wide conversion, duplicates and numbering.
#include "discovery/device_rows.h"
#include "tests/native/fake_row_list.h"

#include <gtest/gtest.h>

#include <cstring>

namespace discovery {
namespace {

SearchReply Reply(std::string classText, std::string address, std::string name = "cam") {
    return {std::move(classText),
            {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0xef},
            std::move(address),
            std::move(name),
            80,
            554,
            4,
            "M-100"};
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

TEST(DeviceRowTexts, EachColumnAsShown) {
    SearchReply reply = Reply("DVS", "192.168.001.020", "Caf\xE9 \x01\xFF");
    reply.mac = {0x0A, 0xB0, 0x0C, 0xD0, 0x0E, 0xFF};
    reply.httpPort = INT32_MIN;
    reply.rtspPort = -1;
    reply.modelText.clear();
    const RowTexts expected = {L"7",           L"DVS ", L"Caf\u00E9 \x01\u00FF", L"192.168.001.020",
                               L"-2147483648", L"-1",   L"0A:B0:0C:D0:0E:FF"};
    EXPECT_EQ(expected, DeviceRowTexts(reply, 7)); // the empty model keeps its blank
    SearchReply withModel = reply;
    withModel.modelText = "M\xFC"; // in the code page
    EXPECT_EQ(L"DVS M\u00FC", DeviceRowTexts(withModel, 1)[kModelColumn]);
}

TEST(DeviceRows, RepliesBecomeNumberedRowsOncePerAddressTextOfAKnownClass) {
    FakeRowList list;
    for (const SearchReply& reply : {
             Reply("IPCAMERA", "192.168.1.10", "10.0.0.9"), // a name that reads like an address
             Reply("DVS", "192.168.1.10", "second"),        // the first reply of an address wins
             Reply("NVR", "10.0.0.1"),                      // no known class
             Reply("DVS", "192.168.001.010"),               // addresses compare as texts
             Reply("DVS", "10.0.0.9"),
         })
        AddDeviceFromRecord(EncodeSearchReply(reply), list);
    ASSERT_EQ(3, list.RowCount());
    const std::vector<std::wstring> first = {
        L"1", L"IPCAMERA M-100", L"10.0.0.9", L"192.168.1.10", L"80", L"554", L"00:1A:2B:3C:4D:EF"};
    EXPECT_EQ(first, list.rows[0].texts);
    EXPECT_EQ(first, list.rows[0].record->texts);
    EXPECT_EQ(0x00022A30u, list.rows[0].record->deviceWord);
    EXPECT_EQ(L"2", list.rows[1].texts[0]);
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

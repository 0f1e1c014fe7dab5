// Device rows: the class named by a class text, the packed deviceWord, the seven column texts
// and the 8-bit to wide conversion beneath them.
#include "discovery/device_texts.h"

#include "text/ansi_text.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

namespace discovery {
namespace {

// 0 when the text names no class.
int ClassCode(std::optional<DeviceClass> deviceClass) {
    return deviceClass ? static_cast<int>(*deviceClass) : 0;
}

SearchReply CameraReply() {
    SearchReply reply;
    reply.classText = "IPCAMERA";
    reply.mac = {0x00, 0x1A, 0xBC, 0xDE, 0xF0, 0x09};
    reply.deviceAddress = "192.168.1.20";
    reply.deviceName = "Lobby camera";
    reply.httpPort = 80;
    reply.rtspPort = 554;
    reply.modelText = "IPC-3210";
    return reply;
}

TEST(FindDeviceClass, FirstWordInSearchOrderDecides) {
    const struct {
        const char* text;
        int code;
    } cases[] = {
        {"DVS", 1},
        {"IPCAMERA", 3},
        {"DECODER", 4},
        {"MDVS-8", 1},          // found anywhere in the text
        {"IPCAMERADVS", 1},     // "DVS" is searched before "IPCAMERA"
        {"DECODERIPCAMERA", 3}, // "IPCAMERA" is searched before "DECODER"
        {"DECODERDVS", 1},
        {"dvs", 0}, // case-sensitive
        {"Dvs", 0},
        {"ipcamera", 0},
        {"NVR", 0}, // another kind of device
        {"", 0},
        {"DV", 0},
        {"D VS", 0},
        {"IPCAMER", 0},
        {"DECODE", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.code, ClassCode(FindDeviceClass(c.text)));
    }
}

TEST(FindDeviceClass, WordReachingTheLastByteOfTheFieldIsNotFound) {
    // The class field is 10 bytes and its last byte never counts, so a word must end by
    // the ninth byte.
    const struct {
        const char* field;
        int code;
    } cases[] = {
        {"123456DVS", 1},  // ends in the ninth byte
        {"1234567DVS", 0}, // "S" is the tenth byte
        {"XIPCAMERA", 3},  {"XXIPCAMERA", 0}, {"XXDECODER", 4}, {"XXXDECODER", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        ReplyRecord record{};
        std::memcpy(record.data() + kClassTextOffset, c.field, std::strlen(c.field));
        EXPECT_EQ(c.code, ClassCode(FindDeviceClass(DecodeSearchReply(record).classText)));
    }
}

TEST(DeviceWord, PacksPortClassAndDvsByte) {
    const struct {
        const char* name;
        std::int32_t rtspPort;
        DeviceClass deviceClass;
        std::uint8_t dvsByte;
        std::uint32_t word;
    } cases[] = {
        {"IPCAMERA on 554", 554, DeviceClass::IpCamera, 0, 141'872},
        {"DVS on 554 with byte 4", 554, DeviceClass::Dvs, 4, 141'844},
        {"DVS byte ignored for IPCAMERA", 554, DeviceClass::IpCamera, 4, 141'872},
        {"DVS byte ignored for DECODER", 554, DeviceClass::Decoder, 0xFF, 0x00022A40},
        {"all 8 bits of the DVS byte, over the class bits", 554, DeviceClass::Dvs, 0xFF,
         0x00022AFF},
        {"DVS byte high bits", 554, DeviceClass::Dvs, 0xA0, 0x00022AB0},
        {"top 8 bits of the port lost", 0x12345678, DeviceClass::IpCamera, 0, 0x34567830},
        {"negative port", -1, DeviceClass::Dvs, 0, 0xFFFFFF10},
        {"lowest port", std::numeric_limits<std::int32_t>::min(), DeviceClass::Decoder, 0,
         0x00000040},
        {"port 0", 0, DeviceClass::Dvs, 0, 0x00000010},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.word, deviceWord(c.rtspPort, c.deviceClass, c.dvsByte));
    }
}

TEST(DeviceRowTexts, SevenColumnsInOrder) {
    const RowTexts expected = {
        L"1",   L"IPCAMERA IPC-3210", L"Lobby camera", L"192.168.1.20", L"80",
        L"554", L"00:1A:BC:DE:F0:09",
    };
    EXPECT_EQ(expected, DeviceRowTexts(CameraReply(), 1));
}

TEST(DeviceRowTexts, IndexIsTheDecimalNumberGiven) {
    for (const int index : {1, 3, 10, 1234}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(std::to_wstring(index), DeviceRowTexts(CameraReply(), index)[kIndexColumn]);
    }
}

TEST(DeviceRowTexts, ModelKeepsItsBlankWhenTheModelTextIsEmpty) {
    SearchReply reply = CameraReply();
    reply.classText = "DVS";
    reply.modelText = "";
    EXPECT_EQ(L"DVS ", DeviceRowTexts(reply, 1)[1]);
}

TEST(DeviceRowTexts, PortsPrintAsSignedDecimal) {
    const struct {
        std::int32_t port;
        const wchar_t* text;
    } cases[] = {
        {80, L"80"},
        {8080, L"8080"},
        {0, L"0"},
        {std::numeric_limits<std::int32_t>::max(), L"2147483647"},
        {std::numeric_limits<std::int32_t>::min(), L"-2147483648"}, // bytes 80 00 00 00
        {-1, L"-1"},                                                // bytes FF FF FF FF
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        SearchReply reply = CameraReply();
        reply.httpPort = c.port;
        reply.rtspPort = c.port;
        const RowTexts texts = DeviceRowTexts(reply, 1);
        EXPECT_EQ(c.text, texts[4]);
        EXPECT_EQ(c.text, texts[5]);
    }
}

TEST(DeviceRowTexts, MacIsUpperCaseHexWithColons) {
    const struct {
        std::array<std::uint8_t, kMacSize> mac;
        const wchar_t* text;
    } cases[] = {
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, L"00:00:00:00:00:00"},
        {{0x0A, 0xB0, 0x0C, 0xD0, 0x0E, 0xF0}, L"0A:B0:0C:D0:0E:F0"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, L"FF:FF:FF:FF:FF:FF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.mac));
        SearchReply reply = CameraReply();
        reply.mac = c.mac;
        EXPECT_EQ(c.text, DeviceRowTexts(reply, 1)[6]);
    }
}

TEST(DeviceRowTexts, ReplyTextsAreConvertedFromTheirCodePage) {
    SearchReply reply = CameraReply();
    reply.deviceName = "Caf\xE9 \xA9\xFF";
    reply.modelText = "M\xFC";
    const RowTexts texts = DeviceRowTexts(reply, 1);
    EXPECT_EQ(L"Caf\u00E9 \u00A9\u00FF", texts[2]);
    EXPECT_EQ(L"IPCAMERA M\u00FC", texts[1]);
}

TEST(DeviceRowTexts, AddressIsShownAsSent) {
    // Leading zeros stay: the duplicate test compares these texts, not addresses.
    SearchReply reply = CameraReply();
    reply.deviceAddress = "192.168.001.020";
    EXPECT_EQ(L"192.168.001.020", DeviceRowTexts(reply, 1)[3]);
}

TEST(AnsiText, EveryByteIsItsLatin1Character) {
    std::string bytes;
    for (int b = 1; b <= 0xFF; ++b)
        bytes.push_back(static_cast<char>(b));
    const std::optional<std::wstring> wide = text::AnsiToWide(bytes);
    ASSERT_TRUE(wide.has_value());
    ASSERT_EQ(bytes.size(), wide->size());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        EXPECT_EQ(static_cast<wchar_t>(i + 1), (*wide)[i]) << "byte " << i + 1;
    EXPECT_EQ(std::optional<std::string>(bytes), text::WideToAnsi(*wide));
}

TEST(AnsiText, WideCharacterWithoutAByteFails) {
    const wchar_t* const cases[] = {L"\u0100", L"price \u20AC", L"\U0001F600"};
    for (const wchar_t* text : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
        EXPECT_EQ(std::nullopt, text::WideToAnsi(text));
    }
}

TEST(AnsiText, EmptyTextConverts) {
    EXPECT_EQ(std::optional<std::wstring>(L""), text::AnsiToWide(""));
    EXPECT_EQ(std::optional<std::string>(""), text::WideToAnsi(L""));
}

} // namespace
} // namespace discovery

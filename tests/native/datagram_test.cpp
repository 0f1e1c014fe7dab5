// Discovery datagrams against hand-written bytes: both requests as sent and as a device reads
// them at every length, replies both ways (tidy and device-filled ones), and acceptance.
#include "discovery/datagram.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace discovery {
namespace {

using Bytes = std::vector<std::uint8_t>;
struct Piece {
    std::size_t offset;
    Bytes bytes;
};

Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes Layout(std::size_t size, std::uint8_t fill, std::initializer_list<Piece> pieces) {
    Bytes bytes(size, fill);
    for (const Piece& piece : pieces) {
        std::copy(piece.bytes.begin(), piece.bytes.end(), bytes.begin() + piece.offset);
    }
    return bytes;
}

const Bytes kMarker = {'q', 'u', 'a', 'r', 'n', 'e', 'l', 'v', 'i', 's', 't', 0x00};

// [0..11] marker, [12] command 2 (search), [13..60] the sender's address.
const Bytes kSearchFrom10005 = Layout(256, 0, {{0, kMarker}, {12, {0x02}}, {13, Text("10.0.0.5")}});

// [12] command 3 tells the device at [13..60] 192.168.1.20 to take [61..108] 192.168.1.99, mask
// [109..156] 255.255.255.0 and gateway [157..204] 192.168.1.1; [253] the DHCP flag stays 0.
const Bytes kStaticChange = Layout(256, 0,
                                   {{0, kMarker},
                                    {12, {0x03}},
                                    {13, Text("192.168.1.20")},
                                    {61, Text("192.168.1.99")},
                                    {109, Text("255.255.255.0")},
                                    {157, Text("192.168.1.1")}});

// A device's reply: every text field filled to its last byte, every unread byte `fill`.
const std::string kFullTexts[] = {
    "IPCAMERA-X", "192.168.100.200ABCDEFGHIJKLMNO",
    "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef",
    "MODEL-0123456789ABCDEFGHIJKLMNOP"};
Bytes FilledReply(std::uint8_t fill) {
    return Layout(208, fill,
                  {
                      {0, kMarker},                               // [0..11]
                      {12, {0x01}},                               // [12] reply
                      {13, Text(kFullTexts[0])},                  // [13..22] class
                      {23, {0xFF, 0xFE, 0x80, 0x7F, 0x01, 0x00}}, // [23..28] MAC
                      {60, Text(kFullTexts[1])},                  // [60..89] IP address
                      {90, Text(kFullTexts[2])},                  // [90..153] device name
                      {156, {0x80, 0x00, 0x00, 0x00}},            // [156..159] HTTP port
                      {160, {0xFF, 0xFF, 0xFF, 0xFE}},            // [160..163] RTSP port -2
                      {164, {0xFF}},                              // [164] DVS byte
                      {174, Text(kFullTexts[3])},                 // [174..205] model
                  });
}
const Bytes kFilledReply = FilledReply(0xEE);

// A heap block of exactly `length` bytes, so that AddressSanitizer reports any read past it.
std::vector<std::byte> Datagram(const Bytes& bytes, std::size_t length) {
    std::vector<std::byte> datagram(length);
    for (std::size_t i = 0; i < length; ++i) {
        datagram[i] = std::byte{i < bytes.size() ? bytes[i] : std::uint8_t{0xAB}};
    }
    return datagram;
}

void ExpectBytes(const Bytes& expected, std::span<const std::byte> actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i], std::to_integer<std::uint8_t>(actual[i])) << "at offset " << i;
    }
}

std::string Describe(const SearchReply& r) {
    return r.classText + "|" + testing::PrintToString(r.mac) + "|" + r.deviceAddress + "|" +
           r.deviceName + "|" + std::to_string(r.httpPort) + "|" + std::to_string(r.rtspPort) +
           "|" + std::to_string(r.dvsByte) + "|" + r.modelText;
}

TEST(Requests, BytesAsSentAndEveryFieldAsADeviceReadsItAtEveryLength) {
    Request search = EncodeSearchRequest();
    SetSenderAddress(search, 0xC0A864C8); // 192.168.100.200, longer than what follows
    SetSenderAddress(search, 0x0A000005);
    ExpectBytes(kSearchFrom10005, search);
    ExpectBytes(kStaticChange,
                EncodeAddressChange({0xC0A80114, 0xC0A80163, 0xFFFFFF00, 0xC0A80101, false}));
    // Under DHCP the static values are not sent.
    Bytes dhcp = Layout(256, 0, {{0, kMarker}, {12, {0x03}}, {13, Text("192.168.1.20")}});
    dhcp[253] = 0x01; // [253] DHCP flag
    ExpectBytes(dhcp, EncodeAddressChange({0xC0A80114, 0xC0A80163, 0xFFFFFF00, 0xC0A80101, true}));

    const auto visible = [](std::string text, std::size_t offset, std::size_t length) {
        return text.substr(0, length > offset ? length - offset : 0);
    };
    for (std::size_t length = 0; length <= 256; ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        EXPECT_EQ(visible("10.0.0.5", 13, length),
                  DecodeSearchRequestSender(Datagram(kSearchFrom10005, length)));
        const AddressChangeFields fields = DecodeAddressChange(Datagram(kStaticChange, length));
        EXPECT_EQ(visible("192.168.1.20", 13, length), fields.target);
        EXPECT_EQ(visible("192.168.1.99", 61, length), fields.newAddress);
        EXPECT_EQ(visible("255.255.255.0", 109, length), fields.subnetMask);
        EXPECT_EQ(visible("192.168.1.1", 157, length), fields.gateway);
        EXPECT_EQ(length > 253 ? 1 : 0, DecodeAddressChange(Datagram(dhcp, length)).dhcpFlag);
    }
}

TEST(SearchReply, HandWrittenBytesBothWaysAndEveryTextFieldEndsInAZeroByte) {
    const auto& full = kFullTexts;
    const SearchReply read{full[0].substr(0, 9),
                           {0xFF, 0xFE, 0x80, 0x7F, 0x01, 0x00},
                           full[1].substr(0, 29),
                           full[2].substr(0, 63),
                           INT32_MIN,
                           -2,
                           0xFF,
                           full[3].substr(0, 31)};
    EXPECT_EQ(Describe(read),
              Describe(DecodeSearchReply(MakeReplyRecord(Datagram(kFilledReply, 208)))));
    // Written from the texts read or from whole ones: zero where nothing is written, and each
    // text cut to leave its field's last byte zero.
    Bytes written = FilledReply(0x00);
    for (const std::size_t last : {22, 89, 153, 205}) {
        written[last] = 0;
    }
    ExpectBytes(written, EncodeSearchReply(read));
    ExpectBytes(written, EncodeSearchReply({full[0] + "Z", read.mac, full[1], full[2], INT32_MIN,
                                            -2, 0xFF, full[3]}));
}

TEST(Acceptance, AWholeHeaderWithCommandOneAtAnyLengthKeepingTheFirst208Bytes) {
    const std::vector<std::byte> whole = Datagram(kFilledReply, 300);
    for (std::size_t length = 0; length <= 300; ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        const std::vector<std::byte> datagram = Datagram(kFilledReply, length);
        EXPECT_EQ(length >= 13, IsAcceptedReply(datagram));
        // The head of a longer buffer: the byte after the end must not be read as the command.
        EXPECT_EQ(length >= 13, IsAcceptedReply(std::span(whole).first(length)));
        Bytes expected = kFilledReply;
        std::fill(expected.begin() +
                      static_cast<std::ptrdiff_t>(std::min<std::size_t>(length, 208)),
                  expected.end(), 0);
        ExpectBytes(expected, MakeReplyRecord(datagram));
    }
    for (std::size_t i = 0; i < 12; ++i) {
        SCOPED_TRACE("marker byte " + std::to_string(i));
        Bytes bytes = kFilledReply;
        bytes[i] ^= 0x20; // a letter changes case, the zero byte becomes a blank
        EXPECT_FALSE(IsAcceptedReply(Datagram(bytes, 208)));
    }
    for (const std::uint8_t command : {0, 2, 3, 0x81}) {
        SCOPED_TRACE("command " + std::to_string(command));
        Bytes bytes = kFilledReply;
        bytes[12] = command; // [12] command
        EXPECT_FALSE(IsAcceptedReply(Datagram(bytes, 208)));
        EXPECT_EQ(command, CommandOf(Datagram(bytes, 208)));
    }
}

} // namespace
} // namespace discovery

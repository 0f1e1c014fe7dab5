// Discovery datagrams: the exact bytes of both requests, the reading of replies (short,
// overlong and device-filled ones) and the receiver's acceptance test.
#include "discovery/datagram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace discovery {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Bytes written at an offset of an otherwise zero datagram.
struct Piece {
    std::size_t offset;
    Bytes bytes;
};

Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes Layout(std::size_t size, std::uint8_t fill, std::initializer_list<Piece> pieces) {
    Bytes bytes(size, fill);
    for (const Piece& piece : pieces)
        std::copy(piece.bytes.begin(), piece.bytes.end(), bytes.begin() + piece.offset);
    return bytes;
}

const Bytes kMarkerBytes = {'q', 'u', 'a', 'r', 'n', 'e', 'l', 'v', 'i', 's', 't', 0x00};

// The search request sent from the local address 10.0.0.5; every other byte is zero.
const Bytes kRequestFrom10005 = Layout(256, 0,
                                       {
                                           {0, kMarkerBytes},     // [0..11] marker
                                           {12, {0x02}},          // [12] command: search
                                           {13, Text("10.0.0.5")} // [13..60] sender address
                                       });

// Tell 192.168.1.20 to take 192.168.1.99, mask 255.255.255.0, gateway 192.168.1.1.
const Bytes kStaticAddressChange = Layout(256, 0,
                                          {
                                              {0, kMarkerBytes},            // [0..11] marker
                                              {12, {0x03}},                 // [12] address change
                                              {13, Text("192.168.1.20")},   // [13..60] target
                                              {61, Text("192.168.1.99")},   // [61..108] new
                                              {109, Text("255.255.255.0")}, // [109..156] mask
                                              {157, Text("192.168.1.1")},   // [157..204] gateway
                                              {253, {0x00}}, // [253] DHCP flag: static
                                          });

// Tell 192.168.1.20 to obtain its address by DHCP: the static fields stay zero.
const Bytes kDhcpAddressChange = Layout(256, 0,
                                        {
                                            {0, kMarkerBytes},          // [0..11] marker
                                            {12, {0x03}},               // [12] address change
                                            {13, Text("192.168.1.20")}, // [13..60] target
                                            {253, {0x01}},              // [253] DHCP flag
                                        });

// A tidy reply: every text ends inside its field, every unread byte is zero.
const Bytes kLobbyReply = Layout(208, 0,
                                 {
                                     {0, kMarkerBytes},                          // [0..11]
                                     {12, {0x01}},                               // [12] reply
                                     {13, Text("DVS")},                          // [13..22] class
                                     {23, {0x00, 0x1A, 0xBC, 0xDE, 0xF0, 0x09}}, // [23..28] MAC
                                     {60, Text("192.168.1.20")},      // [60..89] IP address
                                     {90, Text("Lobby camera")},      // [90..153] device name
                                     {156, {0x00, 0x00, 0x00, 0x50}}, // [156..159] HTTP 80
                                     {160, {0x00, 0x00, 0x02, 0x2A}}, // [160..163] RTSP 554
                                     {164, {0x04}},                   // [164] DVS byte
                                     {174, Text("DV-4100")},          // [174..205] model
                                 });

// A device that fills every text field to its last byte and every unread byte with 0xEE.
const Bytes kDeviceFilledReply = Layout(
    208, 0xEE,
    {
        {0, kMarkerBytes},                                                              // [0..11]
        {12, {0x01}},                                                                   // [12]
        {13, Text("IPCAMERA-X")},                                                       // [13..22]
        {23, {0xFF, 0xFE, 0x80, 0x7F, 0x01, 0x00}},                                     // [23..28]
        {60, Text("192.168.100.200ABCDEFGHIJKLMNO")},                                   // [60..89]
        {90, Text("0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef")}, // [90..153]
        {156, {0x80, 0x00, 0x00, 0x00}},                 // [156..159] HTTP port, top bit set
        {160, {0xFF, 0xFF, 0xFF, 0xFF}},                 // [160..163] RTSP port, all bits set
        {164, {0xFF}},                                   // [164] DVS byte
        {174, Text("MODEL-0123456789ABCDEFGHIJKLMNOP")}, // [174..205]
    });

SearchReply LobbyReply() {
    SearchReply reply;
    reply.classText = "DVS";
    reply.mac = {0x00, 0x1A, 0xBC, 0xDE, 0xF0, 0x09};
    reply.deviceAddress = "192.168.1.20";
    reply.deviceName = "Lobby camera";
    reply.httpPort = 80;
    reply.rtspPort = 554;
    reply.dvsByte = 0x04;
    reply.modelText = "DV-4100";
    return reply;
}

// A heap block of exactly `length` bytes, so that AddressSanitizer reports any read past it.
std::vector<std::byte> Datagram(const Bytes& bytes, std::size_t length) {
    std::vector<std::byte> datagram(length);
    for (std::size_t i = 0; i < length; ++i)
        datagram[i] = std::byte{bytes[i]};
    return datagram;
}

std::vector<std::byte> Datagram(const Bytes& bytes) {
    return Datagram(bytes, bytes.size());
}

ReplyRecord Record(const Bytes& bytes) {
    return MakeReplyRecord(Datagram(bytes));
}

// Byte by byte, so that a failure names the offset.
void ExpectBytes(const Bytes& expected, std::span<const std::byte> actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(expected[i], std::to_integer<std::uint8_t>(actual[i])) << "at offset " << i;
}

void ExpectReply(const SearchReply& expected, const SearchReply& actual) {
    EXPECT_EQ(expected.classText, actual.classText);
    EXPECT_EQ(expected.mac, actual.mac);
    EXPECT_EQ(expected.deviceAddress, actual.deviceAddress);
    EXPECT_EQ(expected.deviceName, actual.deviceName);
    EXPECT_EQ(expected.httpPort, actual.httpPort);
    EXPECT_EQ(expected.rtspPort, actual.rtspPort);
    EXPECT_EQ(expected.dvsByte, actual.dvsByte);
    EXPECT_EQ(expected.modelText, actual.modelText);
}

TEST(FormatIPv4, MostSignificantOctetFirstWithoutPadding) {
    const struct {
        std::uint32_t address;
        const char* text;
    } cases[] = {
        {0x00000000, "0.0.0.0"},   {0x0A000005, "10.0.0.5"},        {0xC0A8010A, "192.168.1.10"},
        {0x80000001, "128.0.0.1"}, {0xFFFFFFFF, "255.255.255.255"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.text, FormatIPv4(c.address));
    }
}

TEST(SearchRequest, SenderFieldIsRewrittenWhole) {
    Request request = EncodeSearchRequest();
    ExpectBytes(Layout(256, 0, {{0, kMarkerBytes}, {12, {0x02}}}), request);
    SetSenderAddress(request, 0xC0A864C8); // 192.168.100.200, longer than what follows
    SetSenderAddress(request, 0x0A000005);
    ExpectBytes(kRequestFrom10005, request);
}

TEST(SearchRequest, DeviceReadsTheSenderUpToTheDatagramEnd) {
    const std::string sender = "10.0.0.5";
    for (std::size_t length = 0; length <= kRequestFrom10005.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        const std::size_t visible = length > 13 ? length - 13 : 0;
        EXPECT_EQ(sender.substr(0, visible),
                  DecodeSearchRequestSender(Datagram(kRequestFrom10005, length)));
    }
}

TEST(AddressChange, StaticAndDhcpRequestsAsSent) {
    // The static values are set in both: under DHCP they must not be sent.
    ExpectBytes(kStaticAddressChange,
                EncodeAddressChange({0xC0A80114, 0xC0A80163, 0xFFFFFF00, 0xC0A80101, false}));
    ExpectBytes(kDhcpAddressChange,
                EncodeAddressChange({0xC0A80114, 0xC0A80163, 0xFFFFFF00, 0xC0A80101, true}));
}

TEST(AddressChange, DeviceReadsEachFieldUpToTheDatagramEnd) {
    const auto visible = [](const std::string& text, std::size_t offset, std::size_t length) {
        return text.substr(0, length > offset ? length - offset : 0);
    };
    for (std::size_t length = 0; length <= kStaticAddressChange.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        const AddressChangeFields fields =
            DecodeAddressChange(Datagram(kStaticAddressChange, length));
        EXPECT_EQ(visible("192.168.1.20", 13, length), fields.target);
        EXPECT_EQ(visible("192.168.1.99", 61, length), fields.newAddress);
        EXPECT_EQ(visible("255.255.255.0", 109, length), fields.subnetMask);
        EXPECT_EQ(visible("192.168.1.1", 157, length), fields.gateway);
        EXPECT_EQ(0, fields.dhcpFlag);
        EXPECT_EQ(length > 253 ? 1 : 0,
                  DecodeAddressChange(Datagram(kDhcpAddressChange, length)).dhcpFlag);
    }
}

TEST(SearchReply, HandWrittenBytesBothWays) {
    ExpectReply(LobbyReply(), DecodeSearchReply(Record(kLobbyReply)));
    ExpectBytes(kLobbyReply, EncodeSearchReply(LobbyReply()));
}

TEST(SearchReply, LastByteOfEveryTextFieldCountsAsZero) {
    SearchReply expected;
    expected.classText = "IPCAMERA-";
    expected.mac = {0xFF, 0xFE, 0x80, 0x7F, 0x01, 0x00};
    expected.deviceAddress = "192.168.100.200ABCDEFGHIJKLMN";
    expected.deviceName = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcde";
    expected.httpPort = std::numeric_limits<std::int32_t>::min();
    expected.rtspPort = -1;
    expected.dvsByte = 0xFF;
    expected.modelText = "MODEL-0123456789ABCDEFGHIJKLMNO";
    ExpectReply(expected, DecodeSearchReply(Record(kDeviceFilledReply)));
}

TEST(SearchReply, PortsAreBigEndianSigned32BitNumbers) {
    const struct {
        Bytes bytes;
        std::int32_t value;
    } cases[] = {
        {{0x00, 0x00, 0x1F, 0x90}, 8080},
        {{0x12, 0x34, 0x56, 0x78}, 0x12345678},
        {{0x7F, 0xFF, 0xFF, 0xFF}, std::numeric_limits<std::int32_t>::max()},
        {{0xFF, 0xFF, 0xFF, 0xFE}, -2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Bytes bytes = kLobbyReply;
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + 156); // [156..159] HTTP
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + 160); // [160..163] RTSP
        const SearchReply reply = DecodeSearchReply(Record(bytes));
        EXPECT_EQ(c.value, reply.httpPort);
        EXPECT_EQ(c.value, reply.rtspPort);
        ExpectBytes(bytes, EncodeSearchReply(reply));
    }
}

TEST(SearchReply, OverlongTextsAreCutToWidthMinusOne) {
    const struct {
        const char* field;
        std::string SearchReply::*text;
        std::size_t offset;
        std::size_t width;
    } fields[] = {
        {"class text", &SearchReply::classText, 13, 10},
        {"IP address", &SearchReply::deviceAddress, 60, 30},
        {"device name", &SearchReply::deviceName, 90, 64},
        {"model text", &SearchReply::modelText, 174, 32},
    };
    const std::string source = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+-*/";
    for (const auto& f : fields) {
        for (const std::size_t length : {f.width - 1, f.width, f.width + 1}) {
            SCOPED_TRACE(std::string(f.field) + ", length " + std::to_string(length));
            SearchReply reply = LobbyReply();
            reply.*f.text = source.substr(0, length);
            const ReplyRecord record = EncodeSearchReply(reply);
            EXPECT_EQ(0, std::to_integer<int>(record[f.offset + f.width - 1]));
            SearchReply expected = reply;
            expected.*f.text = source.substr(0, f.width - 1);
            ExpectReply(expected, DecodeSearchReply(record));
        }
    }
}

TEST(Acceptance, EveryLengthIsAcceptedFromAWholeHeaderAndZeroFilled) {
    for (std::size_t length = 0; length <= kLobbyReply.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        const std::vector<std::byte> datagram = Datagram(kLobbyReply, length);
        EXPECT_EQ(length >= 13, IsAcceptedReply(datagram));
        EXPECT_EQ(length >= 13 ? 1 : 0, CommandOf(datagram));
        Bytes expected = kLobbyReply;
        std::fill(expected.begin() + static_cast<std::ptrdiff_t>(length), expected.end(), 0);
        ExpectBytes(expected, MakeReplyRecord(datagram));
    }
}

TEST(Acceptance, LongDatagramKeepsItsFirst208Bytes) {
    Bytes bytes = kDeviceFilledReply; // its last byte is not zero
    bytes.resize(300, 0xAB);
    EXPECT_TRUE(IsAcceptedReply(Datagram(bytes)));
    ExpectBytes(kDeviceFilledReply, MakeReplyRecord(Datagram(bytes)));
}

TEST(Acceptance, EveryMarkerByteAndOnlyCommandOne) {
    for (std::size_t i = 0; i < 12; ++i) {
        SCOPED_TRACE("marker byte " + std::to_string(i));
        Bytes bytes = kLobbyReply;
        bytes[i] ^= 0x20; // a letter changes case, the zero byte becomes a blank
        EXPECT_FALSE(IsAcceptedReply(Datagram(bytes)));
        EXPECT_EQ(0, CommandOf(Datagram(bytes)));
    }
    for (const std::uint8_t command : {0, 2, 3, 0x81}) {
        SCOPED_TRACE("command " + std::to_string(command));
        Bytes bytes = kLobbyReply;
        bytes[12] = command; // [12] command
        EXPECT_FALSE(IsAcceptedReply(Datagram(bytes)));
        EXPECT_EQ(command, CommandOf(Datagram(bytes)));
    }
}

} // namespace
} // namespace discovery

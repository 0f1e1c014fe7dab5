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

// The search request sent from the local address 10.0.0.5.
const Bytes kRequestFrom10005 = {
    'q',  'u',  'a',  'r',  'n',  'e',  'l',  'v',  // [0..7] marker "quarnelvist", zero
    'i',  's',  't',  0x00,                         // [8..11] ...
    0x02,                                           // [12] command: search request
    '1',  '0',  '.',  '0',  '.',  '0',  '.',  '5',  // [13..20] sender address "10.0.0.5"
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [21..28] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [29..36] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [37..44] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [45..52] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [53..60] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [61..68] reserved: zero
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [69..76] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [77..84] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [85..92] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [93..100] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [101..108] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [109..116] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [117..124] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [125..132] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [133..140] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [141..148] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [149..156] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [157..164] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [165..172] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [173..180] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [181..188] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [189..196] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [197..204] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [205..212] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [213..220] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [221..228] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [229..236] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [237..244] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [245..252] ...
    0x00, 0x00, 0x00,                               // [253..255] ...
};

// Tell 192.168.1.20 to take 192.168.1.99, mask 255.255.255.0, gateway 192.168.1.1.
const Bytes kStaticAddressChange = {
    'q',  'u',  'a',  'r',  'n',  'e',  'l',  'v',  // [0..7] marker "quarnelvist", zero
    'i',  's',  't',  0x00,                         // [8..11] ...
    0x03,                                           // [12] command: address change
    '1',  '9',  '2',  '.',  '1',  '6',  '8',  '.',  // [13..20] target address "192.168.1.20"
    '1',  '.',  '2',  '0',  0x00, 0x00, 0x00, 0x00, // [21..28] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [29..36] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [37..44] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [45..52] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [53..60] ...
    '1',  '9',  '2',  '.',  '1',  '6',  '8',  '.',  // [61..68] new address "192.168.1.99"
    '1',  '.',  '9',  '9',  0x00, 0x00, 0x00, 0x00, // [69..76] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [77..84] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [85..92] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [93..100] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [101..108] ...
    '2',  '5',  '5',  '.',  '2',  '5',  '5',  '.',  // [109..116] subnet mask "255.255.255.0"
    '2',  '5',  '5',  '.',  '0',  0x00, 0x00, 0x00, // [117..124] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [125..132] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [133..140] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [141..148] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [149..156] ...
    '1',  '9',  '2',  '.',  '1',  '6',  '8',  '.',  // [157..164] gateway "192.168.1.1"
    '1',  '.',  '1',  0x00, 0x00, 0x00, 0x00, 0x00, // [165..172] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [173..180] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [181..188] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [189..196] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [197..204] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [205..212] reserved: zero
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [213..220] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [221..228] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [229..236] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [237..244] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [245..252] ...
    0x00,                                           // [253] DHCP flag: static
    0x00, 0x00,                                     // [254..255] reserved: zero
};

// Tell 192.168.1.20 to obtain its address by DHCP.
const Bytes kDhcpAddressChange = {
    'q',  'u',  'a',  'r',  'n',  'e',  'l',  'v',  // [0..7] marker "quarnelvist", zero
    'i',  's',  't',  0x00,                         // [8..11] ...
    0x03,                                           // [12] command: address change
    '1',  '9',  '2',  '.',  '1',  '6',  '8',  '.',  // [13..20] target address "192.168.1.20"
    '1',  '.',  '2',  '0',  0x00, 0x00, 0x00, 0x00, // [21..28] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [29..36] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [37..44] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [45..52] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [53..60] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [61..68] new address: zero under DHCP
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [69..76] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [77..84] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [85..92] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [93..100] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [101..108] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [109..116] subnet mask: zero under DHCP
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [117..124] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [125..132] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [133..140] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [141..148] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [149..156] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [157..164] gateway: zero under DHCP
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [165..172] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [173..180] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [181..188] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [189..196] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [197..204] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [205..212] reserved: zero
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [213..220] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [221..228] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [229..236] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [237..244] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [245..252] ...
    0x01,                                           // [253] DHCP flag: DHCP
    0x00, 0x00,                                     // [254..255] reserved: zero
};

// A tidy reply: every text ends inside its field, every unread byte is zero.
const Bytes kLobbyReply = {
    'q',  'u',  'a',  'r',  'n',  'e',  'l',  'v',  // [0..7] marker "quarnelvist", zero
    'i',  's',  't',  0x00,                         // [8..11] ...
    0x01,                                           // [12] command: search reply
    'D',  'V',  'S',  0x00, 0x00, 0x00, 0x00, 0x00, // [13..20] class text "DVS"
    0x00, 0x00,                                     // [21..22] ...
    0x00, 0x1A, 0xBC, 0xDE, 0xF0, 0x09,             // [23..28] MAC address
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [29..36] not read
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [37..44] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [45..52] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,       // [53..59] ...
    '1',  '9',  '2',  '.',  '1',  '6',  '8',  '.',  // [60..67] IP address "192.168.1.20"
    '1',  '.',  '2',  '0',  0x00, 0x00, 0x00, 0x00, // [68..75] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [76..83] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00,             // [84..89] ...
    'L',  'o',  'b',  'b',  'y',  ' ',  'c',  'a',  // [90..97] device name "Lobby camera"
    'm',  'e',  'r',  'a',  0x00, 0x00, 0x00, 0x00, // [98..105] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [106..113] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [114..121] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [122..129] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [130..137] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [138..145] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [146..153] ...
    0x00, 0x00,                                     // [154..155] not read
    0x00, 0x00, 0x00, 0x50,                         // [156..159] HTTP port 80
    0x00, 0x00, 0x02, 0x2A,                         // [160..163] RTSP port 554
    0x04,                                           // [164] DVS byte
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [165..172] not read
    0x00,                                           // [173] ...
    'D',  'V',  '-',  '4',  '1',  '0',  '0',  0x00, // [174..181] model text "DV-4100"
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [182..189] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [190..197] ...
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // [198..205] ...
    0x00, 0x00,                                     // [206..207] not read
};

// A device that fills every text field to its last byte and every unread byte with 0xEE.
const Bytes kDeviceFilledReply = {
    'q',  'u',  'a',  'r',  'n',  'e',  'l',  'v',  // [0..7] marker "quarnelvist", zero
    'i',  's',  't',  0x00,                         // [8..11] ...
    0x01,                                           // [12] command: search reply
    'I',  'P',  'C',  'A',  'M',  'E',  'R',  'A',  // [13..20] class text "IPCAMERA-X", no zero
    '-',  'X',                                      // [21..22] ...
    0xFF, 0xFE, 0x80, 0x7F, 0x01, 0x00,             // [23..28] MAC address
    0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, // [29..36] not read
    0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, // [37..44] ...
    0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, // [45..52] ...
    0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE,       // [53..59] ...
    '1',  '9',  '2',  '.',  '1',  '6',  '8',  '.',  // [60..67] IP address, no zero
    '1',  '0',  '0',  '.',  '2',  '0',  '0',  'A',  // [68..75] ...
    'B',  'C',  'D',  'E',  'F',  'G',  'H',  'I',  // [76..83] ...
    'J',  'K',  'L',  'M',  'N',  'O',              // [84..89] ...
    '0',  '1',  '2',  '3',  '4',  '5',  '6',  '7',  // [90..97] device name, no zero
    '8',  '9',  'a',  'b',  'c',  'd',  'e',  'f',  // [98..105] ...
    '0',  '1',  '2',  '3',  '4',  '5',  '6',  '7',  // [106..113] ...
    '8',  '9',  'a',  'b',  'c',  'd',  'e',  'f',  // [114..121] ...
    '0',  '1',  '2',  '3',  '4',  '5',  '6',  '7',  // [122..129] ...
    '8',  '9',  'a',  'b',  'c',  'd',  'e',  'f',  // [130..137] ...
    '0',  '1',  '2',  '3',  '4',  '5',  '6',  '7',  // [138..145] ...
    '8',  '9',  'a',  'b',  'c',  'd',  'e',  'f',  // [146..153] ...
    0xEE, 0xEE,                                     // [154..155] not read
    0x80, 0x00, 0x00, 0x00,                         // [156..159] HTTP port, top bit set
    0xFF, 0xFF, 0xFF, 0xFF,                         // [160..163] RTSP port, all bits set
    0xFF,                                           // [164] DVS byte
    0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, // [165..172] not read
    0xEE,                                           // [173] ...
    'M',  'O',  'D',  'E',  'L',  '-',  '0',  '1',  // [174..181] model text, no zero
    '2',  '3',  '4',  '5',  '6',  '7',  '8',  '9',  // [182..189] ...
    'A',  'B',  'C',  'D',  'E',  'F',  'G',  'H',  // [190..197] ...
    'I',  'J',  'K',  'L',  'M',  'N',  'O',  'P',  // [198..205] ...
    0xEE, 0xEE,                                     // [206..207] not read
};

// What kLobbyReply carries.
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
    ReplyRecord record{};
    EXPECT_EQ(record.size(), bytes.size());
    for (std::size_t i = 0; i < record.size() && i < bytes.size(); ++i)
        record[i] = std::byte{bytes[i]};
    return record;
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

TEST(SearchRequest, FromTenZeroZeroFiveHoldsTheAddressThenZeros) {
    Request request = EncodeSearchRequest();
    SetSenderAddress(request, 0x0A000005);
    ExpectBytes(kRequestFrom10005, request);
}

TEST(SearchRequest, NewSenderAddressClearsALongerOne) {
    Request request = EncodeSearchRequest();
    SetSenderAddress(request, 0xC0A864C8); // 192.168.100.200
    SetSenderAddress(request, 0x0A000005);
    ExpectBytes(kRequestFrom10005, request);
}

TEST(SearchRequest, WithoutSenderTheAddressFieldIsZero) {
    Bytes expected = kRequestFrom10005;
    std::fill(expected.begin() + 13, expected.begin() + 21, 0); // [13..20] "10.0.0.5"
    ExpectBytes(expected, EncodeSearchRequest());
}

TEST(SearchRequest, DeviceReadsTheSenderAddressAsSent) {
    const struct {
        std::uint32_t address;
        const char* text;
    } cases[] = {
        {0x00000000, "0.0.0.0"},
        {0x0A000005, "10.0.0.5"},
        {0xFFFFFFFF, "255.255.255.255"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Request request = EncodeSearchRequest();
        SetSenderAddress(request, c.address);
        EXPECT_EQ(2, CommandOf(request));
        EXPECT_EQ(c.text, DecodeSearchRequestSender(request));
    }
}

TEST(SearchRequest, DeviceStopsReadingAtTheDatagramEnd) {
    const std::string sender = "10.0.0.5";
    for (std::size_t length = 0; length < kRequestFrom10005.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        const std::size_t visible = length > 13 ? length - 13 : 0;
        EXPECT_EQ(sender.substr(0, visible),
                  DecodeSearchRequestSender(Datagram(kRequestFrom10005, length)));
    }
}

TEST(AddressChange, StaticSettingsFillTheThreeFields) {
    const AddressChange change{0xC0A80114, 0xC0A80163, 0xFFFFFF00, 0xC0A80101, false};
    ExpectBytes(kStaticAddressChange, EncodeAddressChange(change));
}

TEST(AddressChange, DhcpLeavesTheStaticFieldsZero) {
    // The static values are set on purpose: DHCP must not send them.
    const AddressChange change{0xC0A80114, 0xC0A80163, 0xFFFFFF00, 0xC0A80101, true};
    ExpectBytes(kDhcpAddressChange, EncodeAddressChange(change));
}

TEST(AddressChange, DeviceReadsTheFieldsAsSent) {
    const AddressChangeFields fixed = DecodeAddressChange(Datagram(kStaticAddressChange));
    EXPECT_EQ("192.168.1.20", fixed.target);
    EXPECT_EQ("192.168.1.99", fixed.newAddress);
    EXPECT_EQ("255.255.255.0", fixed.subnetMask);
    EXPECT_EQ("192.168.1.1", fixed.gateway);
    EXPECT_EQ(0, fixed.dhcpFlag);

    const AddressChangeFields dhcp = DecodeAddressChange(Datagram(kDhcpAddressChange));
    EXPECT_EQ("192.168.1.20", dhcp.target);
    EXPECT_EQ("", dhcp.newAddress);
    EXPECT_EQ("", dhcp.subnetMask);
    EXPECT_EQ("", dhcp.gateway);
    EXPECT_EQ(1, dhcp.dhcpFlag);
}

TEST(AddressChange, DeviceStopsReadingAtTheDatagramEnd) {
    // Each field keeps the part of its text that arrived.
    const auto visible = [](const std::string& text, std::size_t offset, std::size_t length) {
        return text.substr(0, length > offset ? length - offset : 0);
    };
    for (std::size_t length = 0; length < kStaticAddressChange.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        const AddressChangeFields fields =
            DecodeAddressChange(Datagram(kStaticAddressChange, length));
        EXPECT_EQ(visible("192.168.1.20", 13, length), fields.target);
        EXPECT_EQ(visible("192.168.1.99", 61, length), fields.newAddress);
        EXPECT_EQ(visible("255.255.255.0", 109, length), fields.subnetMask);
        EXPECT_EQ(visible("192.168.1.1", 157, length), fields.gateway);
        EXPECT_EQ(0, fields.dhcpFlag);
    }
    for (std::size_t length = 0; length < kDhcpAddressChange.size(); ++length) {
        SCOPED_TRACE("DHCP, length " + std::to_string(length));
        EXPECT_EQ(length > 253 ? 1 : 0,
                  DecodeAddressChange(Datagram(kDhcpAddressChange, length)).dhcpFlag);
    }
}

TEST(SearchReply, DecodesEveryField) {
    ExpectReply(LobbyReply(), DecodeSearchReply(Record(kLobbyReply)));
}

TEST(SearchReply, EncodesTheHandWrittenBytes) {
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
    const SearchReply actual = DecodeSearchReply(Record(kDeviceFilledReply));
    ExpectReply(expected, actual);
    EXPECT_EQ(9u, actual.classText.size());
    EXPECT_EQ(29u, actual.deviceAddress.size());
    EXPECT_EQ(63u, actual.deviceName.size());
    EXPECT_EQ(31u, actual.modelText.size());
}

TEST(SearchReply, DeviceFilledReplyReencodesInItsBoundedForm) {
    // What the tool keeps of a device-filled reply: the texts' last bytes and the unread
    // fields become zero, everything else stays.
    Bytes expected = kDeviceFilledReply;
    for (const std::size_t lastByte : {22, 89, 153, 205})
        expected[lastByte] = 0;
    std::fill(expected.begin() + 29, expected.begin() + 60, 0);   // [29..59] not read
    std::fill(expected.begin() + 154, expected.begin() + 156, 0); // [154..155] not read
    std::fill(expected.begin() + 165, expected.begin() + 174, 0); // [165..173] not read
    std::fill(expected.begin() + 206, expected.begin() + 208, 0); // [206..207] not read
    const SearchReply decoded = DecodeSearchReply(Record(kDeviceFilledReply));
    const ReplyRecord reencoded = EncodeSearchReply(decoded);
    ExpectBytes(expected, reencoded);
    ExpectReply(decoded, DecodeSearchReply(reencoded));
}

TEST(SearchReply, TextEndsAtItsFirstZeroByte) {
    Bytes bytes = kLobbyReply;
    bytes[15] = 0; // [15] 'S' of "DVS": the rest of the field is left over
    bytes[16] = 'X';
    bytes[95] = 0; // [95] the blank of "Lobby camera": "camera" is left over
    const SearchReply reply = DecodeSearchReply(Record(bytes));
    EXPECT_EQ("DV", reply.classText);
    EXPECT_EQ("Lobby", reply.deviceName);
}

TEST(SearchReply, PortsAreBigEndianSigned32BitNumbers) {
    const struct {
        Bytes bytes;
        std::int32_t value;
    } cases[] = {
        {{0x00, 0x00, 0x1F, 0x90}, 8080},
        {{0x00, 0x00, 0x00, 0x50}, 80},
        {{0x00, 0x00, 0x02, 0x2A}, 554},
        {{0x12, 0x34, 0x56, 0x78}, 0x12345678},
        {{0x7F, 0xFF, 0xFF, 0xFF}, std::numeric_limits<std::int32_t>::max()},
        {{0x80, 0x00, 0x00, 0x00}, std::numeric_limits<std::int32_t>::min()},
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
        for (const std::size_t length : {f.width - 2, f.width - 1, f.width, f.width + 1}) {
            SCOPED_TRACE(std::string(f.field) + ", length " + std::to_string(length));
            SearchReply reply = LobbyReply();
            reply.*f.text = source.substr(0, length);
            const ReplyRecord record = EncodeSearchReply(reply);
            // The sender itself keeps the field's last byte zero.
            EXPECT_EQ(0, std::to_integer<int>(record[f.offset + f.width - 1]));
            SearchReply expected = reply;
            expected.*f.text = source.substr(0, std::min(length, f.width - 1));
            ExpectReply(expected, DecodeSearchReply(record));
        }
    }
}

TEST(Acceptance, DatagramsWithoutAWholeHeaderAreRejectedAtEveryLength) {
    for (std::size_t length = 0; length < kLobbyReply.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        const std::vector<std::byte> datagram = Datagram(kLobbyReply, length);
        EXPECT_EQ(length >= 13, IsAcceptedReply(datagram));
        EXPECT_EQ(length >= 13 ? 1 : 0, CommandOf(datagram));
    }
}

TEST(Acceptance, ShortReplyIsZeroFilledAtEveryLength) {
    for (std::size_t length = 0; length < kLobbyReply.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        Bytes expected = kLobbyReply;
        std::fill(expected.begin() + static_cast<std::ptrdiff_t>(length), expected.end(), 0);
        ExpectBytes(expected, MakeReplyRecord(Datagram(kLobbyReply, length)));
    }
}

TEST(Acceptance, ShortReplyDecodesWhatArrived) {
    // 100 bytes: the name is cut after "Lobby came" ([90..99]); ports, DVS byte and model
    // did not arrive.
    SearchReply expected = LobbyReply();
    expected.deviceName = "Lobby came";
    expected.httpPort = 0;
    expected.rtspPort = 0;
    expected.dvsByte = 0;
    expected.modelText = "";
    ExpectReply(expected, DecodeSearchReply(MakeReplyRecord(Datagram(kLobbyReply, 100))));
}

TEST(Acceptance, LongDatagramKeepsItsFirst208Bytes) {
    Bytes bytes = kDeviceFilledReply; // its last byte is not zero
    bytes.resize(300, 0xAB);
    const std::vector<std::byte> datagram = Datagram(bytes);
    EXPECT_TRUE(IsAcceptedReply(datagram));
    ExpectBytes(kDeviceFilledReply, MakeReplyRecord(datagram));
}

TEST(Acceptance, EveryMarkerByteIsCompared) {
    for (std::size_t i = 0; i < 12; ++i) {
        SCOPED_TRACE("marker byte " + std::to_string(i));
        Bytes bytes = kLobbyReply;
        bytes[i] ^= 0x20; // a letter changes case, the zero byte becomes a blank
        EXPECT_FALSE(IsAcceptedReply(Datagram(bytes)));
        EXPECT_EQ(0, CommandOf(Datagram(bytes)));
    }
}

TEST(Acceptance, MarkerWithoutItsZeroByteIsRejected) {
    Bytes bytes = kLobbyReply;
    bytes[11] = 'e'; // [11] "quarnelviste"
    EXPECT_FALSE(IsAcceptedReply(Datagram(bytes)));
}

TEST(Acceptance, OnlyCommandOneIsAccepted) {
    const struct {
        std::uint8_t command;
        bool accepted;
    } cases[] = {{0, false}, {1, true},     {2, false},   {3, false},
                 {4, false}, {0x81, false}, {0xFF, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE("command " + std::to_string(c.command));
        Bytes bytes = kLobbyReply;
        bytes[12] = c.command; // [12] command
        EXPECT_EQ(c.accepted, IsAcceptedReply(Datagram(bytes)));
        EXPECT_EQ(c.command, CommandOf(Datagram(bytes)));
    }
}

TEST(Acceptance, OwnRequestsHeardBackAreRejected) {
    Request search = EncodeSearchRequest();
    SetSenderAddress(search, 0x0A000005);
    EXPECT_FALSE(IsAcceptedReply(search));
    EXPECT_FALSE(IsAcceptedReply(EncodeAddressChange({0xC0A80114, 0, 0, 0, true})));
}

} // namespace
} // namespace discovery

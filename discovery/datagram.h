// Layout of the three discovery datagrams (search request, search reply, address-change
// request) and the acceptance test of a received one. No other unit knows an offset.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace discovery {

inline constexpr std::uint16_t DISCOVERY_PORT = 6789;
inline constexpr std::uint32_t kMulticastGroup = 0xE06F6F01; // 224.111.111.1
inline constexpr std::uint32_t kBroadcastAddress = 0xFFFFFFFF;

inline constexpr std::size_t kRequestSize = 256;
inline constexpr std::size_t kReplySize = 208;

// Header shared by all three datagrams.
inline constexpr std::size_t kMarkerOffset = 0;
inline constexpr std::size_t kMarkerSize = 12;
inline constexpr std::size_t kCommandOffset = 12;
inline constexpr std::size_t kHeaderSize = 13;
// "quarnelvist" and its zero byte, compared byte for byte.
inline constexpr std::array<std::uint8_t, kMarkerSize> kMarker = {'q', 'u', 'a', 'r', 'n', 'e',
                                                                  'l', 'v', 'i', 's', 't', 0};

enum class Command : std::uint8_t { kSearchReply = 1, kSearchRequest = 2, kAddressChange = 3 };

// Search request.
inline constexpr std::size_t kSenderAddressOffset = 13;
inline constexpr std::size_t kAddressTextSize = 48;

// Address-change request; every address field is kAddressTextSize wide.
inline constexpr std::size_t kTargetAddressOffset = 13;
inline constexpr std::size_t kNewAddressOffset = 61;
inline constexpr std::size_t kSubnetMaskOffset = 109;
inline constexpr std::size_t kGatewayOffset = 157;
inline constexpr std::size_t kDhcpFlagOffset = 253;

// Search reply.
inline constexpr std::size_t kClassTextOffset = 13;
inline constexpr std::size_t kClassTextSize = 10;
inline constexpr std::size_t kMacOffset = 23;
inline constexpr std::size_t kMacSize = 6;
inline constexpr std::size_t kDeviceAddressOffset = 60;
inline constexpr std::size_t kDeviceAddressSize = 30;
inline constexpr std::size_t kDeviceNameOffset = 90;
inline constexpr std::size_t kDeviceNameSize = 64;
inline constexpr std::size_t kHttpPortOffset = 156;
inline constexpr std::size_t kRtspPortOffset = 160;
inline constexpr std::size_t kDvsByteOffset = 164;
inline constexpr std::size_t kModelTextOffset = 174;
inline constexpr std::size_t kModelTextSize = 32;

using Request = std::array<std::byte, kRequestSize>;
// A received reply, kept whole as the receiver read it (zero-filled past a short datagram).
using ReplyRecord = std::array<std::byte, kReplySize>;

// The fields of a search reply that the tool reads. Texts are 8-bit bytes in the
// sender's ANSI code page, without their terminating zero.
struct SearchReply {
    std::string classText;
    std::array<std::uint8_t, kMacSize> mac{};
    std::string deviceAddress;
    std::string deviceName;
    std::int32_t httpPort = 0;
    std::int32_t rtspPort = 0;
    std::uint8_t dvsByte = 0;
    std::string modelText;
};

// The values of an address-change request; addresses have the first octet in the top byte.
struct AddressChange {
    std::uint32_t target = 0;
    std::uint32_t newAddress = 0;
    std::uint32_t subnetMask = 0;
    std::uint32_t gateway = 0;
    bool useDhcp = false;
};

// What a device reads from an address-change request (texts as sent).
struct AddressChangeFields {
    std::string target;
    std::string newAddress;
    std::string subnetMask;
    std::string gateway;
    std::uint8_t dhcpFlag = 0;
};

// "%d.%d.%d.%d", most significant octet first.
[[nodiscard]] std::string FormatIPv4(std::uint32_t address);

// A search request whose sender address field is empty.
[[nodiscard]] Request EncodeSearchRequest();
// Clears the 48-byte sender field, then writes the address as text into it.
void SetSenderAddress(Request& request, std::uint32_t senderAddress);
// With DHCP chosen the three static fields stay zero.
[[nodiscard]] Request EncodeAddressChange(const AddressChange& change);

// A device's reply; texts longer than their field allows are cut to width - 1 bytes.
[[nodiscard]] ReplyRecord EncodeSearchReply(const SearchReply& reply);

// True when the datagram holds the whole header, the marker and command 1.
[[nodiscard]] bool IsAcceptedReply(std::span<const std::byte> datagram);
// The first kReplySize bytes of the datagram, zero-filled beyond its end.
[[nodiscard]] ReplyRecord MakeReplyRecord(std::span<const std::byte> datagram);
// Reads a reply record; the last byte of each text field counts as zero, whatever was sent.
[[nodiscard]] SearchReply DecodeSearchReply(const ReplyRecord& record);

// The command byte of a datagram that holds a whole header with the marker, else 0.
[[nodiscard]] std::uint8_t CommandOf(std::span<const std::byte> datagram);
// For a device: the sender address text of a search request.
[[nodiscard]] std::string DecodeSearchRequestSender(std::span<const std::byte> datagram);
// For a device: the fields of an address-change request.
[[nodiscard]] AddressChangeFields DecodeAddressChange(std::span<const std::byte> datagram);

} // namespace discovery

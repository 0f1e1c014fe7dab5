#include "discovery/datagram.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace discovery {
namespace {

// Writes at most size - 1 bytes of text so that the field always keeps a zero byte.
void WriteText(std::span<std::byte> datagram, std::size_t offset, std::size_t size,
               std::string_view text) {
    auto field = datagram.subspan(offset, size);
    std::fill(field.begin(), field.end(), std::byte{0});
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(field.data(), text.data(), length);
}

// Reads a text field up to its first zero byte; bytes beyond the datagram count as zero.
std::string ReadText(std::span<const std::byte> datagram, std::size_t offset, std::size_t size) {
    std::string text;
    for (std::size_t i = offset; i < offset + size && i < datagram.size(); ++i) {
        const char c = static_cast<char>(datagram[i]);
        if (c == '\0') {
            break;
        }
        text.push_back(c);
    }
    return text;
}

std::int32_t ReadBigEndian32(std::span<const std::byte> datagram, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | std::to_integer<std::uint32_t>(datagram[offset + i]);
    }
    return static_cast<std::int32_t>(value);
}

void WriteBigEndian32(std::span<std::byte> datagram, std::size_t offset, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) {
        datagram[offset + i] = static_cast<std::byte>(bits >> (8 * (3 - i)));
    }
}

void WriteHeader(std::span<std::byte> datagram, Command command) {
    std::memcpy(datagram.data() + kMarkerOffset, kMarker.data(), kMarkerSize);
    datagram[kCommandOffset] = static_cast<std::byte>(command);
}

} // namespace

std::string FormatIPv4(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF,
                  (address >> 8) & 0xFF, address & 0xFF);
    return text;
}

Request EncodeSearchRequest() {
    Request request{};
    WriteHeader(request, Command::kSearchRequest);
    return request;
}

void SetSenderAddress(Request& request, std::uint32_t senderAddress) {
    WriteText(request, kSenderAddressOffset, kAddressTextSize, FormatIPv4(senderAddress));
}

Request EncodeAddressChange(const AddressChange& change) {
    Request request{};
    WriteHeader(request, Command::kAddressChange);
    WriteText(request, kTargetAddressOffset, kAddressTextSize, FormatIPv4(change.target));
    if (!change.useDhcp) {
        WriteText(request, kNewAddressOffset, kAddressTextSize, FormatIPv4(change.newAddress));
        WriteText(request, kSubnetMaskOffset, kAddressTextSize, FormatIPv4(change.subnetMask));
        WriteText(request, kGatewayOffset, kAddressTextSize, FormatIPv4(change.gateway));
    }
    request[kDhcpFlagOffset] = std::byte{change.useDhcp ? std::uint8_t{1} : std::uint8_t{0}};
    return request;
}

ReplyRecord EncodeSearchReply(const SearchReply& reply) {
    ReplyRecord record{};
    WriteHeader(record, Command::kSearchReply);
    WriteText(record, kClassTextOffset, kClassTextSize, reply.classText);
    for (std::size_t i = 0; i < kMacSize; ++i) {
        record[kMacOffset + i] = std::byte{reply.mac[i]};
    }
    WriteText(record, kDeviceAddressOffset, kDeviceAddressSize, reply.deviceAddress);
    WriteText(record, kDeviceNameOffset, kDeviceNameSize, reply.deviceName);
    WriteBigEndian32(record, kHttpPortOffset, reply.httpPort);
    WriteBigEndian32(record, kRtspPortOffset, reply.rtspPort);
    record[kDvsByteOffset] = std::byte{reply.dvsByte};
    WriteText(record, kModelTextOffset, kModelTextSize, reply.modelText);
    return record;
}

std::uint8_t CommandOf(std::span<const std::byte> datagram) {
    if (datagram.size() < kHeaderSize) {
        return 0;
    }
    if (std::memcmp(datagram.data() + kMarkerOffset, kMarker.data(), kMarkerSize) != 0) {
        return 0;
    }
    return std::to_integer<std::uint8_t>(datagram[kCommandOffset]);
}

bool IsAcceptedReply(std::span<const std::byte> datagram) {
    return CommandOf(datagram) == static_cast<std::uint8_t>(Command::kSearchReply);
}

ReplyRecord MakeReplyRecord(std::span<const std::byte> datagram) {
    // std::copy_n rather than memcpy: an empty datagram may come with a null pointer.
    ReplyRecord record{};
    std::copy_n(datagram.begin(), std::min(datagram.size(), record.size()), record.begin());
    return record;
}

SearchReply DecodeSearchReply(const ReplyRecord& record) {
    // A device may fill a text field to its last byte; that byte is never part of the text.
    SearchReply reply;
    reply.classText = ReadText(record, kClassTextOffset, kClassTextSize - 1);
    for (std::size_t i = 0; i < kMacSize; ++i) {
        reply.mac[i] = std::to_integer<std::uint8_t>(record[kMacOffset + i]);
    }
    reply.deviceAddress = ReadText(record, kDeviceAddressOffset, kDeviceAddressSize - 1);
    reply.deviceName = ReadText(record, kDeviceNameOffset, kDeviceNameSize - 1);
    reply.httpPort = ReadBigEndian32(record, kHttpPortOffset);
    reply.rtspPort = ReadBigEndian32(record, kRtspPortOffset);
    reply.dvsByte = std::to_integer<std::uint8_t>(record[kDvsByteOffset]);
    reply.modelText = ReadText(record, kModelTextOffset, kModelTextSize - 1);
    return reply;
}

std::string DecodeSearchRequestSender(std::span<const std::byte> datagram) {
    return ReadText(datagram, kSenderAddressOffset, kAddressTextSize);
}

AddressChangeFields DecodeAddressChange(std::span<const std::byte> datagram) {
    AddressChangeFields fields;
    fields.target = ReadText(datagram, kTargetAddressOffset, kAddressTextSize);
    fields.newAddress = ReadText(datagram, kNewAddressOffset, kAddressTextSize);
    fields.subnetMask = ReadText(datagram, kSubnetMaskOffset, kAddressTextSize);
    fields.gateway = ReadText(datagram, kGatewayOffset, kAddressTextSize);
    if (datagram.size() > kDhcpFlagOffset) {
        fields.dhcpFlag = std::to_integer<std::uint8_t>(datagram[kDhcpFlagOffset]);
    }
    return fields;
}

} // namespace discovery

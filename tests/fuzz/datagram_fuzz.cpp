// libFuzzer target: arbitrary bytes for every reader of a datagram, arbitrary wide text for
// ParseIPv4Text. The sanitizers catch bad reads and undefined arithmetic; the checks below
// catch a reader that breaks its own promises.
#include "discovery/datagram.h"
#include "discovery/device_texts.h"
#include "discovery/ip_text.h"
#include "text/number_text.h"
#include "tests/fuzz/fuzz_target.h"

#include <cstring>
#include <span>

namespace {
using namespace discovery;

bool Fits(const std::string& text, std::size_t width) {
    return text.size() < width && text.find('\0') == std::string::npos;
}

void CheckReply(std::span<const std::byte> datagram) {
    if (IsAcceptedReply(datagram)) {
        Require(datagram.size() >= kHeaderSize && CommandOf(datagram) == 1);
    }

    // The record is the datagram's first bytes, zero beyond them.
    const ReplyRecord record = MakeReplyRecord(datagram);
    for (std::size_t i = 0; i < record.size(); ++i) {
        Require(record[i] == (i < datagram.size() ? datagram[i] : std::byte{0}));
    }

    // Every text keeps a zero byte in its field, so what is read back re-encodes to itself.
    const SearchReply reply = DecodeSearchReply(record);
    Require(Fits(reply.classText, kClassTextSize) &&
            Fits(reply.deviceAddress, kDeviceAddressSize) &&
            Fits(reply.deviceName, kDeviceNameSize) && Fits(reply.modelText, kModelTextSize));
    const ReplyRecord encoded = EncodeSearchReply(reply);
    Require(EncodeSearchReply(DecodeSearchReply(encoded)) == encoded);

    const RowTexts texts = DeviceRowTexts(reply, 1);
    Require(texts[kMacColumn].size() == 17);
    if (const auto deviceClass = FindDeviceClass(reply.classText)) {
        Require((deviceWord(reply.rtspPort, *deviceClass, reply.dvsByte) & 0xFFFFFF00u) ==
                static_cast<std::uint32_t>(reply.rtspPort) << 8);
    }
}

void CheckRequests(std::span<const std::byte> datagram) {
    Require(Fits(DecodeSearchRequestSender(datagram), kAddressTextSize + 1));
    const AddressChangeFields fields = DecodeAddressChange(datagram);
    for (const std::string* text :
         {&fields.target, &fields.newAddress, &fields.subnetMask, &fields.gateway}) {
        Require(Fits(*text, kAddressTextSize + 1));
    }
}

// Whatever a text parses to, the dotted form of that value parses to the same value.
void CheckAddressText(std::wstring_view text) {
    const std::uint32_t value = ParseIPv4Text(text);
    const std::string dotted = FormatIPv4(value);
    Require(ParseIPv4Text(std::wstring(dotted.begin(), dotted.end())) == value);
    (void)text::WideTextToInt(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::byte> datagram(reinterpret_cast<const std::byte*>(data), size);
    CheckReply(datagram);
    CheckRequests(datagram);

    // Once byte by byte (digits, dots, signs, blanks), once as raw wide characters.
    CheckAddressText(std::wstring(data, data + size));
    std::wstring raw(size / sizeof(wchar_t), L'\0');
    if (!raw.empty()) {
        std::memcpy(raw.data(), data, raw.size() * sizeof(wchar_t));
    }
    CheckAddressText(raw);
    return 0;
}

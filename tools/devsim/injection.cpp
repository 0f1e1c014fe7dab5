#include "tools/devsim/injection.h"

#include <algorithm>
#include <array>
#include <random>

namespace devsim {
namespace {

constexpr std::size_t kLengthsUpTo = 300;
constexpr std::array<std::size_t, 4> kLargeLengths = {1472, 1473, 4096, 65507};
constexpr auto kInjectedLengthList = [] {
    std::array<std::size_t, kLengthsUpTo + 1 + kLargeLengths.size()> lengths{};
    std::size_t next = 0;
    for (auto large = kLargeLengths.rbegin(); large != kLargeLengths.rend(); ++large) {
        lengths[next++] = *large;
    }
    for (std::size_t length = kLengthsUpTo + 1; length-- > 0;) {
        lengths[next++] = length;
    }
    return lengths;
}();

constexpr std::string_view kAllKindsName = "all";
constexpr std::size_t kRandomBodies = 16;
constexpr std::size_t kShortReplyBytes = 100;
constexpr std::size_t kOversizeBytes = 300;
constexpr std::size_t kMarkerZeroOffset = discovery::kMarkerSize - 1;
constexpr std::byte kBadMarkerByte{'!'};
constexpr std::byte kJunkByte{0xA5};
constexpr const char* kUnknownClass = "NVR";
// Injected devices live at 10.77.254.x, next to the simulated ones but clear of the sample
// file's addresses.
constexpr std::uint32_t kInjectedNetwork = 0x0A4DFE00;
constexpr std::string_view kDuplicatePrefix = "duplicate of ";
// What an injected device reports besides its name and address; the last MAC byte is the
// kind's ordinal + 1.
constexpr const char* kInjectedClass = "IPCAMERA";
constexpr const char* kInjectedModel = "INJECTED";
constexpr std::array<std::uint8_t, 5> kInjectedMacPrefix = {0x02, 0xee, 0x00, 0x00, 0x00};
// Random bodies are the same on every burst and every run.
constexpr std::uint32_t kRandomBodySeed = 20261207;
constexpr std::string_view kRandomBodyClass = "DVS";
// What fills the texts of an unterminated reply, field by field.
constexpr std::byte kClassFill{'C'};
constexpr std::byte kAddressFill{'9'};
constexpr std::byte kNameFill{'N'};
constexpr std::byte kModelFill{'M'};
constexpr std::byte kTailFill{'T'};
// The second reply of same-address differs in the last MAC byte and the name's last letter.
constexpr std::uint8_t kSameAddressMacStep = 0x10;
constexpr std::int32_t kInjectedHttpPort = 80;
constexpr std::int32_t kInjectedRtspPort = 554;

constexpr std::size_t Ordinal(InjectKind kind) {
    return static_cast<std::size_t>(kind);
}

discovery::SearchReply InjectedDevice(InjectKind kind, const DeviceTable& table) {
    discovery::SearchReply device;
    device.classText = kind == InjectKind::kUnknownClass ? kUnknownClass : kInjectedClass;
    std::copy(kInjectedMacPrefix.begin(), kInjectedMacPrefix.end(), device.mac.begin());
    device.mac.back() = static_cast<std::uint8_t>(Ordinal(kind) + 1);
    // Kind k takes the (k+1)-th address after kInjectedNetwork that no device holds, so the
    // injected devices never share an address with a device or with each other. At most
    // kMaxDevices addresses are held, so the walk ends long before the top.
    std::uint32_t address = kInjectedNetwork;
    for (std::size_t free = 0; free <= Ordinal(kind);) {
        ++address;
        if (table.DevicesAt(discovery::FormatIPv4(address)).empty()) {
            ++free;
        }
    }
    device.deviceAddress = discovery::FormatIPv4(address);
    device.deviceName = "injected " + std::string(NameOf(kInjectKinds, kind));
    device.httpPort = kInjectedHttpPort;
    device.rtspPort = kInjectedRtspPort;
    device.modelText = kInjectedModel;
    return device;
}

discovery::SearchReply DuplicateOfFirst(const DeviceTable& table) {
    discovery::SearchReply device = table[0].reply;
    device.deviceName = std::string(kDuplicatePrefix) + device.deviceName;
    device.deviceName.resize(std::min(device.deviceName.size(), kMaxNameBytes));
    return device;
}

std::vector<std::byte> Bytes(const discovery::SearchReply& reply) {
    const discovery::ReplyRecord record = discovery::EncodeSearchReply(reply);
    return {record.begin(), record.end()};
}

// Fills the bytes of a text field after its text (the text's zero byte included) up to the
// field's end, so that the field holds no zero byte at all.
void FillField(std::vector<std::byte>& datagram, std::size_t offset, std::size_t size,
               std::byte fill) {
    const auto field = datagram.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto end = field + static_cast<std::ptrdiff_t>(size);
    std::replace(field, end, std::byte{0}, fill);
}

std::vector<std::vector<std::byte>> RandomBodies() {
    std::mt19937 random(kRandomBodySeed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::vector<std::byte>> bodies;
    for (std::size_t i = 0; i < kRandomBodies; ++i) {
        std::vector<std::byte> datagram = Bytes(discovery::SearchReply{});
        for (std::size_t b = discovery::kHeaderSize; b < datagram.size(); ++b) {
            datagram[b] = static_cast<std::byte>(byte(random));
        }
        if (i % 2 == 0) {
            std::transform(kRandomBodyClass.begin(), kRandomBodyClass.end(),
                           datagram.begin() + discovery::kClassTextOffset,
                           [](char c) { return static_cast<std::byte>(c); });
        }
        bodies.push_back(std::move(datagram));
    }
    return bodies;
}

} // namespace

base::Result<std::vector<InjectKind>> ParseInjectList(std::string_view text) {
    std::vector<InjectKind> kinds;
    if (text == kAllKindsName) {
        for (const Named<InjectKind>& kind : kInjectKinds) {
            kinds.push_back(kind.value);
        }
        return kinds;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(',', start);
        const std::string_view name = text.substr(start, end - start);
        const auto kind = ValueNamed(kInjectKinds, name);
        if (!kind) {
            std::string known = "all";
            for (const Named<InjectKind>& other : kInjectKinds) {
                known += ", " + std::string(other.name);
            }
            return base::Failure{.what = "unknown inject kind '" + std::string(name) +
                                         "' (known: " + known + ")"};
        }
        kinds.push_back(*kind);
        if (end == std::string_view::npos) {
            return kinds;
        }
        start = end + 1;
    }
}

std::vector<std::vector<std::byte>> BuildInjected(InjectKind kind, const DeviceTable& table) {
    switch (kind) {
    case InjectKind::kDuplicate:
        return {Bytes(DuplicateOfFirst(table))};
    case InjectKind::kRandomBody:
        return RandomBodies();
    case InjectKind::kSameAddress: {
        discovery::SearchReply device = InjectedDevice(kind, table);
        std::vector<std::vector<std::byte>> pair = {Bytes(device)};
        device.mac.back() = static_cast<std::uint8_t>(device.mac.back() + kSameAddressMacStep);
        device.deviceName += " (second)";
        pair.push_back(Bytes(device));
        return pair;
    }
    case InjectKind::kLengths: {
        const std::vector<std::byte> whole = Bytes(InjectedDevice(kind, table));
        std::vector<std::vector<std::byte>> datagrams;
        for (const std::size_t length : kInjectedLengthList) {
            std::vector<std::byte> datagram(whole.begin(),
                                            whole.begin() + std::min(length, whole.size()));
            datagram.resize(length, kJunkByte);
            datagrams.push_back(std::move(datagram));
        }
        return datagrams;
    }
    default:
        break;
    }
    std::vector<std::byte> datagram = Bytes(InjectedDevice(kind, table));
    switch (kind) {
    case InjectKind::kBadMarker:
        datagram[kMarkerZeroOffset] = kBadMarkerByte;
        break;
    case InjectKind::kCommand0:
        datagram[discovery::kCommandOffset] = std::byte{0};
        break;
    case InjectKind::kCommand2:
        datagram[discovery::kCommandOffset] = std::byte{2};
        break;
    case InjectKind::kCommand3:
        datagram[discovery::kCommandOffset] = std::byte{3};
        break;
    case InjectKind::kCommand4:
        datagram[discovery::kCommandOffset] = std::byte{4};
        break;
    case InjectKind::kShort12:
        datagram.resize(discovery::kMarkerSize);
        break;
    case InjectKind::kShortReply:
        datagram.resize(kShortReplyBytes);
        break;
    case InjectKind::kOversize:
        datagram.resize(kOversizeBytes, kJunkByte);
        break;
    case InjectKind::kUnterminated:
        FillField(datagram, discovery::kClassTextOffset, discovery::kClassTextSize, kClassFill);
        FillField(datagram, discovery::kDeviceAddressOffset, discovery::kDeviceAddressSize,
                  kAddressFill);
        FillField(datagram, discovery::kDeviceNameOffset, discovery::kDeviceNameSize, kNameFill);
        FillField(datagram, discovery::kModelTextOffset, discovery::kModelTextSize, kModelFill);
        FillField(datagram, discovery::kModelTextOffset + discovery::kModelTextSize,
                  discovery::kReplySize - discovery::kModelTextOffset - discovery::kModelTextSize,
                  kTailFill);
        break;
    default:
        break;
    }
    return {std::move(datagram)};
}

} // namespace devsim

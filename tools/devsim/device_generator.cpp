#include "tools/devsim/device_generator.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace devsim {
namespace {

constexpr std::uint32_t kLastOctetMask = 0xFF;

// Locally administered prefix; the index fills the low three bytes, so MACs stay distinct far
// beyond kMaxDevices.
constexpr std::array<std::uint8_t, 3> kMacPrefix = {0x02, 0x4b, 0x53};

// "DVS-H" contains "DVS", so it exercises the substring rule of the class test.
constexpr std::array<std::string_view, 5> kClasses = {"IPCAMERA", "DVS", "DECODER", "IPCAMERA",
                                                      "DVS-H"};
constexpr std::array<std::string_view, 8> kPlaces = {
    "Lobby", "Gate", "Parking", "Stairs", "Loading bay", "Roof", "Server room", "Corridor"};
// An empty model is something real devices send.
constexpr std::array<std::string_view, 6> kModels = {"VX-200", "VX-410P", "ND-16",
                                                     "EC-3M",  "",        "HX-9000-IR"};
constexpr std::array<std::int32_t, 4> kHttpPorts = {80, 8080, 81, 8000};
constexpr std::array<std::int32_t, 3> kRtspPorts = {554, 554, 8554};
constexpr std::array<std::uint8_t, 4> kDvsBytes = {1, 4, 8, 16};

// SplitMix64: a well-mixed value per index, so neighbouring devices differ in every field.
std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

template <typename T, std::size_t N>
const T& Pick(const std::array<T, N>& choices, std::uint64_t bits) {
    return choices[bits % N];
}

Device MakeDevice(std::size_t index, std::uint32_t address) {
    const std::uint64_t bits = Mix(index);
    Device device;
    discovery::SearchReply& reply = device.reply;
    reply.classText = std::string(Pick(kClasses, bits));
    const auto serial = static_cast<std::uint32_t>(index + 1);
    const auto byte = [serial](int shift) { return static_cast<std::uint8_t>(serial >> shift); };
    reply.mac = {kMacPrefix[0], kMacPrefix[1], kMacPrefix[2], byte(16), byte(8), byte(0)};
    reply.deviceAddress = discovery::FormatIPv4(address);
    const std::string_view kind = reply.classText.find("DECODER") != std::string::npos ? "decoder"
                                  : reply.classText.find("DVS") != std::string::npos   ? "recorder"
                                                                                       : "camera";
    char name[kMaxNameBytes + 1];
    std::snprintf(name, sizeof name, "%s %s %05u", std::string(Pick(kPlaces, bits >> 8)).c_str(),
                  std::string(kind).c_str(), serial);
    reply.deviceName = name;
    reply.httpPort = Pick(kHttpPorts, bits >> 16);
    reply.rtspPort = Pick(kRtspPorts, bits >> 24);
    reply.dvsByte = kind == "recorder" ? Pick(kDvsBytes, bits >> 32) : 0;
    reply.modelText = std::string(Pick(kModels, bits >> 40));
    return device;
}

} // namespace

bool IsHostAddress(std::uint32_t address) {
    const std::uint32_t last = address & kLastOctetMask;
    return last != 0 && last != kLastOctetMask;
}

std::optional<std::uint32_t> NextHostAddress(std::uint32_t address) {
    do {
        if (address == UINT32_MAX) {
            return std::nullopt;
        }
        ++address;
    } while (!IsHostAddress(address));
    return address;
}

std::optional<std::vector<Device>> GenerateDevices(std::size_t count, std::uint32_t network) {
    std::vector<Device> devices;
    devices.reserve(count);
    std::uint32_t address = network;
    for (std::size_t i = 0; i < count; ++i) {
        const auto next = NextHostAddress(address);
        if (!next) {
            return std::nullopt;
        }
        address = *next;
        devices.push_back(MakeDevice(i, address));
    }
    return devices;
}

} // namespace devsim

// libFuzzer target for the simulator's device-file parser: any bytes either give devices that
// keep the file's promises (sizes, address texts, a reply that reads back the same) or a
// fault that names a line of the file.
#include "tools/devsim/device_fields.h"
#include "tools/devsim/device_file.h"
#include "tests/fuzz/fuzz_target.h"

#include <algorithm>

using namespace devsim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const DeviceFileResult result = ParseDeviceFile(content);
    const auto lines =
        static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n')) + 1;
    if (!result) {
        Require(result.error().line <= lines && !result.error().message.empty());
        return 0;
    }
    Require(result->size() <= std::min(lines, kMaxDevices));
    for (const Device& parsed : *result) {
        const discovery::SearchReply& device = parsed.reply;
        Require(IsAddressText(device.deviceAddress));
        Require(!device.classText.empty() && device.classText.size() < discovery::kClassTextSize);
        Require(device.deviceName.size() <= kMaxNameBytes);
        Require(device.modelText.size() < discovery::kModelTextSize);
        Require(device.deviceName.find('\0') == std::string::npos);

        // What the device will send reads back as the file said.
        const auto sent = discovery::DecodeSearchReply(discovery::EncodeSearchReply(device));
        Require(sent.classText == device.classText && sent.deviceAddress == device.deviceAddress &&
                sent.deviceName == device.deviceName && sent.modelText == device.modelText &&
                sent.httpPort == device.httpPort && sent.rtspPort == device.rtspPort &&
                sent.dvsByte == device.dvsByte &&
                std::equal(device.mac.begin(), device.mac.end(), sent.mac.begin()));
    }
    return 0;
}

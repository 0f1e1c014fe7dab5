// libFuzzer target: arbitrary bytes as the two receives of a scan reply (the first byte says
// where the first receive ends). The sanitizers catch bad reads; the checks below catch a
// parser that invents text the body never held.
#include "wifi/web_replies.h"
#include "tests/fuzz/fuzz_target.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = std::min<std::size_t>(data[0], bytes.size());
    const std::wstring body = wifi::BodyText(bytes.substr(0, split), bytes.substr(split));
    Require(body.size() <= bytes.size());
    const auto networks = wifi::ParseScanBody(body);
    Require(networks.size() <=
            static_cast<std::size_t>(std::count(body.begin(), body.end(), L'\n')));
    for (const wifi::ScannedNetwork& network : networks) {
        Require(Holds(body, network.indexText) && Holds(body, network.ssid) &&
                Holds(body, network.security));
        Require(!network.signalText || Holds(body, *network.signalText));
        Require(network.complete || network.ssid.empty());
    }
    return 0;
}

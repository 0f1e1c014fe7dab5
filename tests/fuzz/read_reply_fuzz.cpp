// libFuzzer target: arbitrary bytes as the body of a settings read. Every value the parser
// finds is a piece of one line of the body.
#include "wifi/web_replies.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

void CheckText(std::wstring_view body, const std::optional<std::wstring>& value) {
    if (!value)
        return;
    Require(value->find(L"\r\n") == std::wstring::npos);
    Require(body.find(*value) != std::wstring_view::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring body = wifi::BodyText(bytes, "");
    const wifi::ReadSettings settings = wifi::ParseReadBody(body);
    CheckText(body, settings.ssid);
    CheckText(body, settings.key);
    Require(!settings.enable || body.find(L"enable") != std::wstring::npos);
    Require(!settings.keyindex || body.find(L"keyindex") != std::wstring::npos);
    return 0;
}

// libFuzzer target: arbitrary bytes as the body of a settings read. Every value the parser
// finds is a piece of one line of the body.
#include "wifi/web_replies.h"
#include "tests/fuzz/fuzz_target.h"

namespace {
void CheckText(std::wstring_view body, const std::optional<std::wstring>& value) {
    Require(!value || (!Holds(*value, L"\r\n") && Holds(body, *value)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring body = wifi::BodyText(bytes, "");
    const wifi::ReadSettings settings = wifi::ParseReadBody(body);
    CheckText(body, settings.ssid);
    CheckText(body, settings.key);
    Require(!settings.enable || Holds(body, L"enable"));
    Require(!settings.keyindex || Holds(body, L"keyindex"));
    return 0;
}

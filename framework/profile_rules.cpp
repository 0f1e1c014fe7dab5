#include "framework/profile_rules.h"

namespace framework {
namespace {

int HexDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    return -1;
}

} // namespace

std::wstring ProfilePathForProgram(std::wstring_view programPath) {
    if (programPath.empty()) {
        return {};
    }
    const std::size_t nameStart = programPath.find_last_of(L"\\/:");
    const std::size_t nameBegin = nameStart == std::wstring_view::npos ? 0 : nameStart + 1;
    const std::size_t dot = programPath.find_last_of(L'.');
    const std::size_t stemEnd =
        dot == std::wstring_view::npos || dot < nameBegin ? programPath.size() : dot;
    return std::wstring(programPath.substr(0, stemEnd)) + L".profile";
}

std::optional<std::vector<std::uint8_t>> DecodeHexPairs(std::wstring_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigitValue(text[i]);
        const int low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

} // namespace framework

// The application profile: where it lives and how a binary value is read from it.
#include "framework/win_app.h"

#include <optional>

namespace {

// Longest profile text read, in characters; the program's own values are a few dozen.
constexpr std::size_t kMaxValueLength = 65536;

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

std::optional<std::vector<BYTE>> DecodeHexPairs(std::wstring_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<BYTE> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigitValue(text[i]);
        const int low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<BYTE>(high * 16 + low));
    }
    return bytes;
}

} // namespace

bool CWinApp::GetProfileBinary(const wchar_t* section, const wchar_t* entry,
                               std::vector<BYTE>& value) const {
    if (m_strProfilePath.empty()) {
        return false;
    }
    // The default is no digit pair, so a missing entry fails exactly like a malformed one.
    constexpr const wchar_t* kMissing = L"-";
    std::wstring text(256, L'\0');
    for (;;) {
        // Returns the characters copied; size - 1 means the value may have been cut short.
        const DWORD copied =
            ::GetPrivateProfileStringW(section, entry, kMissing, text.data(),
                                       static_cast<DWORD>(text.size()), m_strProfilePath.c_str());
        if (copied + 1 < text.size()) {
            text.resize(copied);
            break;
        }
        if (text.size() >= kMaxValueLength) {
            return false;
        }
        text.resize(text.size() * 2);
    }
    std::optional<std::vector<BYTE>> bytes = DecodeHexPairs(text);
    if (!bytes) {
        return false;
    }
    value = std::move(*bytes);
    return true;
}

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

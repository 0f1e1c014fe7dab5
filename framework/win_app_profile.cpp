// CWinApp's profile: how a binary value is read from it.
#include "framework/win_app.h"

#include "framework/profile_rules.h"

#include <optional>

namespace {

// Longest profile text read, in characters; the program's own values are a few dozen.
constexpr std::size_t kMaxValueLength = 65536;

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
    std::optional<std::vector<std::uint8_t>> bytes = framework::DecodeHexPairs(text);
    if (!bytes) {
        return false;
    }
    value = std::move(*bytes);
    return true;
}

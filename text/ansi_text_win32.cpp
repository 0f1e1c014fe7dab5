#include "text/ansi_text.h"

#include <windows.h>

namespace text {

std::optional<std::wstring> AnsiToWide(std::string_view text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length) != length) {
        return std::nullopt;
    }
    return wide;
}

// Refuses a character the code page lacks rather than send another in its place: without
// WC_NO_BEST_FIT_CHARS it would become a look-alike letter, and without the used-default flag
// the default character ('?') would pass unnoticed. For CP_UTF8 (the ANSI code page under the
// "UTF-8 for worldwide language support" setting) the call fails unless dwFlags is 0 or
// WC_ERR_INVALID_CHARS and lpUsedDefaultChar is null; UTF-8 carries every character, and
// WC_ERR_INVALID_CHARS refuses the one thing it cannot carry, a lone surrogate.
std::optional<std::string> WideToAnsi(std::wstring_view text) {
    if (text.empty()) {
        return std::string();
    }
    const UINT codePage = GetACP();
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const usedDefaultFlag = utf8 ? nullptr : &usedDefault;
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr,
                                           usedDefaultFlag);
    if (length <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string narrow(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(codePage, flags, text.data(), size, narrow.data(), length, nullptr,
                            usedDefaultFlag) != length) {
        return std::nullopt;
    }
    return narrow;
}

} // namespace text
